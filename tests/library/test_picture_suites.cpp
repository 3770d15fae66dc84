// The public BMP and PNG suites: good pictures load, damaged ones are refused without a crash.
#include "library/dib.h"
#include "library/picturefile.h"
#include "library/pngobject.h"

#include <QDir>

#include <gtest/gtest.h>

namespace velka {
namespace {

QStringList SuiteFiles(const QString& Folder, const QString& Pattern)
{
    const QDir Dir(QStringLiteral(VELKA_TESTDATA_DIR) + "/" + Folder);
    QStringList Files;
    for (const QString& Name : Dir.entryList({Pattern}, QDir::Files, QDir::Name))
        Files << Dir.filePath(Name);
    return Files;
}

TEST(PictureSuites, EveryGoodBmpLoadsAsABitmapOfItsSize)
{
    const QStringList Files = SuiteFiles("bmpsuite/g", "*.bmp");
    ASSERT_FALSE(Files.isEmpty()) << "bmpsuite missing under " VELKA_TESTDATA_DIR;
    for (const QString& File : Files) {
        SCOPED_TRACE(File.toStdString());
        uint8_t Kind = 99;
        const auto Graphic = LoadPictureFile(File, Kind);
        EXPECT_EQ(Kind, KindBitmap);
        ASSERT_NE(Graphic, nullptr);
        const auto* DIB = dynamic_cast<TDIB*>(Graphic.get());
        ASSERT_NE(DIB, nullptr);
        const QImage Expected = QImage(File).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(Graphic->Width(), Expected.width());
        EXPECT_EQ(Graphic->Height(), Expected.height());
        // Deep pictures keep their pixels exactly; shallower ones are re-mapped to a palette.
        if (DIB->BitCount() >= 24) {
            EXPECT_EQ(DIB->ToImage(), Expected);
        }
    }
}

TEST(PictureSuites, EveryBadBmpIsRefused)
{
    const QStringList Files = SuiteFiles("bmpsuite/b", "*.bmp");
    ASSERT_FALSE(Files.isEmpty());
    for (const QString& File : Files) {
        SCOPED_TRACE(File.toStdString());
        uint8_t Kind = 99;
        EXPECT_EQ(LoadPictureFile(File, Kind), nullptr);
        EXPECT_EQ(Kind, KindBitmap);
    }
}

TEST(PictureSuites, QuestionableBmpsLoadOrAreRefusedCleanly)
{
    for (const QString& File : SuiteFiles("bmpsuite/q", "*.bmp")) {
        SCOPED_TRACE(File.toStdString());
        uint8_t Kind = 99;
        const auto Graphic = LoadPictureFile(File, Kind);
        EXPECT_EQ(Kind, KindBitmap);
        if (Graphic) {
            EXPECT_GT(Graphic->Width(), 0);
            EXPECT_FALSE(Graphic->ToImage().isNull());
        }
    }
}

TEST(PictureSuites, EveryValidPngLoadsWithKind2)
{
    const QStringList Files = SuiteFiles("pngsuite/png", "[!x]*.png");
    ASSERT_GT(Files.size(), 100);
    for (const QString& File : Files) {
        SCOPED_TRACE(File.toStdString());
        uint8_t Kind = 99;
        const auto Graphic = LoadPictureFile(File, Kind);
        EXPECT_EQ(Kind, KindPNG);
        ASSERT_NE(Graphic, nullptr);
        auto* Png = dynamic_cast<TPNGObject*>(Graphic.get());
        ASSERT_NE(Png, nullptr);
        EXPECT_GT(Png->Width(), 0);
        EXPECT_EQ(Png->Image().format(), QImage::Format_ARGB32);
    }
}

TEST(PictureSuites, EveryCorruptPngIsRefused)
{
    const QStringList Files = SuiteFiles("pngsuite/png", "x*.png");
    ASSERT_FALSE(Files.isEmpty());
    for (const QString& File : Files) {
        SCOPED_TRACE(File.toStdString());
        uint8_t Kind = 99;
        EXPECT_EQ(LoadPictureFile(File, Kind), nullptr);
    }
}

}  // namespace
}  // namespace velka

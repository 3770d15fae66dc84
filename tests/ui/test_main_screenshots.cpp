// Screenshots of the main window for people to look at: a library open with a cell selected,
// and a PNG preview on both checkerboards.
#include "main_window_fixture.h"

#include "library/pngobject.h"
#include "ui/main/previewpane.h"

#include <QCheckBox>
#include <QFile>
#include <QPainter>
#include <QRadialGradient>

namespace velka::test {
namespace {

// A soft orb of the given hue on a transparent ground.
QImage Orb(int Size, int Hue)
{
    QImage Picture(Size, Size, QImage::Format_ARGB32);
    Picture.fill(Qt::transparent);
    QPainter Painter(&Picture);
    Painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient Light(QPointF(Size * 0.35, Size * 0.35), Size * 0.6);
    Light.setColorAt(0, Qt::white);
    Light.setColorAt(0.4, QColor::fromHsv(Hue, 220, 255));
    Light.setColorAt(1, QColor::fromHsv(Hue, 255, 120, 120));
    Painter.setBrush(Light);
    Painter.setPen(Qt::NoPen);
    Painter.drawEllipse(QRectF(2, 2, Size - 4, Size - 4));
    return Picture;
}

void WriteShowcase(const QString& FileName)
{
    std::unique_ptr<TWMImages> Library = CreateImageLibrary(FileName);
    ASSERT_TRUE(Library);
    Library->Initialize();
    Library->BeforeSave();
    static constexpr int Sizes[][2] = {{32, 32}, {64, 48}, {80, 80}, {160, 40}, {100, 300}, {48, 70}, {20, 20}};
    for (int I = 0; I < 47; ++I) {
        if (I % 9 == 4) {
            ASSERT_TRUE(Library->AddImage(nullptr, 0, 0, 0));
            continue;
        }
        if (I % 3 == 0) {
            TPNGObject Png(Orb(24 + (I * 7) % 90, (I * 37) % 360));
            ASSERT_TRUE(Library->AddImage(&Png, -I, -2 * I, 2));
            continue;
        }
        const auto& Size = Sizes[I % std::size(Sizes)];
        std::unique_ptr<TGraphic> Bitmap =
            MakeGraphic({Size[0], Size[1], I, -I, false, QColor::fromHsv((I * 53) % 360, 200, 230).rgb(), 16});
        ASSERT_TRUE(Library->AddImage(Bitmap.get(), I, -I, 0));
    }
    Library->Save();
}

class ScreenshotTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        WriteShowcase(Temp.File("showcase.data"));
        Window->BrowseFolder(Temp.Path());
        OpenThroughDialog(Temp.File("showcase.data"));
        ASSERT_TRUE(Library());
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    }
};

TEST_F(ScreenshotTest, MainWindowWithABitmapSelected)
{
    SelectImage(14);
    QApplication::processEvents();
    EXPECT_TRUE(Window->StatusText(2).endsWith(QStringLiteral("[BMP]")));
    SaveScreenshot(*Window, QStringLiteral("main_window_bitmap_selected"));
}

TEST_F(ScreenshotTest, PngPreviewOnBothCheckerboards)
{
    SelectImage(21);
    QApplication::processEvents();
    EXPECT_TRUE(Window->StatusText(2).endsWith(QStringLiteral("[PNG]")));
    SaveScreenshot(*Window, QStringLiteral("main_window_png_light"));
    Window->cxDarkBG->setChecked(true);
    QApplication::processEvents();
    SaveScreenshot(*Window, QStringLiteral("main_window_png_dark"));
}

// The sample libraries the build generates for newcomers open with their sprites.
TEST_F(MainWindowTest, SampleLibrariesOpenWithTheirSprites)
{
    const QString Samples = QStringLiteral(VELKA_SCREENSHOT_DIR "/../samples/");
    if (!QFile::exists(Samples + QStringLiteral("sample.wzl"))) GTEST_SKIP() << "the samples are not built";
    struct TCase {
        const char* Name;
        int Images;
        int Select;
        const char* Kind;
    };
    for (const TCase& Case : {TCase{"sample.wzl", 42, 8, "[BMP]"}, TCase{"sample.data", 24, 3, "[PNG]"}}) {
        SCOPED_TRACE(Case.Name);
        OpenThroughDialog(QDir::cleanPath(Samples + QString::fromUtf8(Case.Name)));
        ASSERT_TRUE(Library());
        EXPECT_EQ(Library()->ImageCount, Case.Images);
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        SelectImage(Case.Select);
        QApplication::processEvents();
        EXPECT_TRUE(Window->StatusText(2).endsWith(QString::fromUtf8(Case.Kind))) << Window->StatusText(2).toStdString();
        SaveScreenshot(*Window, QStringLiteral("main_window_") + QString::fromUtf8(Case.Name).replace('.', '_'));
    }
    EXPECT_TRUE(Log.Messages.isEmpty());
}

}  // namespace
}  // namespace velka::test

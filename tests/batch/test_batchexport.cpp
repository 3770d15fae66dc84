// Batch export runs, and round trips through a picture folder.
#include "batch/batchexport.h"
#include "batch/batchimport.h"
#include "library/picturefile.h"
#include "support/libraryfixtures.h"
#include "support/tempdir.h"
#include "support/wzlfiles.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace velka;
using namespace velka::test;

namespace {

std::vector<uint8_t> Text(const char* Value) { return std::vector<uint8_t>(Value, Value + std::strlen(Value)); }

class BatchExportTest : public TempDirTest {
protected:
    QString Out(const QString& Name = {}) const { return Temp.File(QStringLiteral("out/") + Name); }

    // Image 0: 16-bit bitmap at (-20, -30); 1: empty; 2: 24-bit bitmap at (7, 8).
    std::unique_ptr<TWMImages> ThreeImages(const QString& Extension)
    {
        auto Library = NewLibrary(Temp.File(QStringLiteral("lib") + Extension));
        Library->BeforeSave();
        AddUpright(*Library, PatternBitmap(6, 4, 16, 0).get(), -20, -30);
        AddUpright(*Library, nullptr, 0, 0);
        AddUpright(*Library, PatternBitmap(5, 3, 24, 2).get(), 7, 8);
        Library->Save();
        return Library;
    }
};

TEST_F(BatchExportTest, WritesNumberedPicturesPlacementsAndOneByOneEmpties)
{
    for (const char* Extension : {".wzl", ".data"}) {
        SCOPED_TRACE(Extension);
        QDir(Out()).removeRecursively();
        auto Library = ThreeImages(QLatin1String(Extension));
        const TBatchExportResult Result = BatchExport(*Library, {Out(), 0, 2});
        ASSERT_TRUE(Result.Ok()) << Result.Error.toStdString();
        EXPECT_EQ(Result.Written, 3);
        EXPECT_EQ(ReadFileBytes(Out(QStringLiteral("Placements/00000.txt"))), Text("-20\r\n-30\r\n0\r\n"));
        EXPECT_EQ(ReadFileBytes(Out(QStringLiteral("Placements/00002.txt"))), Text("7\r\n8\r\n0\r\n"));
        EXPECT_FALSE(QFileInfo::exists(Out(QStringLiteral("Placements/00001.txt"))));
        TDIB Empty;
        Empty.SetWidth(1);
        Empty.SetHeight(1);
        TMemoryStream Expected;
        Empty.SaveToStream(Expected);
        EXPECT_EQ(ReadFileBytes(Out(QStringLiteral("00001.BMP"))), Expected.Bytes());
        uint8_t Kind = 0;
        auto Picture = LoadPictureFile(Out(QStringLiteral("00002.BMP")), Kind);
        ASSERT_TRUE(Picture);
        EXPECT_EQ(Picture->ToImage(), PatternBitmap(5, 3, 24, 2)->ToImage()) << "exported the right way up";
    }
}

TEST_F(BatchExportTest, PngImageOfADataLibraryGoesToAPngFileWithFlagTwo)
{
    auto Library = NewLibrary(Temp.File(QStringLiteral("x.data")));
    Library->BeforeSave();
    for (int N = 0; N < 5; ++N) AddUpright(*Library, nullptr, 0, 0);
    const TPNGObject Png(PatternImage(7, 5, 3));
    AddUpright(*Library, &Png, 4, -4, 2);
    Library->Save();
    ASSERT_TRUE(BatchExport(*Library, {Out(), 5, 5}).Ok());
    EXPECT_EQ(ReadFileBytes(Out(QStringLiteral("Placements/00005.txt"))), Text("4\r\n-4\r\n2\r\n"));
    TPNGObject Written;
    Written.LoadFromFile(Out(QStringLiteral("00005.PNG")));
    EXPECT_EQ(Written.Image(), Png.Image());
}

TEST_F(BatchExportTest, CreatesADeepFolder)
{
    auto Library = ThreeImages(QStringLiteral(".wzl"));
    const QString Deep = Temp.File(QStringLiteral("a/b/c"));
    ASSERT_TRUE(BatchExport(*Library, {Deep, 2, 2}).Ok());
    EXPECT_TRUE(QFileInfo::exists(Deep + QStringLiteral("/00002.BMP")));
}

TEST_F(BatchExportTest, InvalidRangeWritesNothing)
{
    auto Library = ThreeImages(QStringLiteral(".wzl"));
    for (const auto& [First, Last] : {std::pair{3, 2}, {0, 3}, {-1, 1}, {2, 1}}) {
        SCOPED_TRACE(testing::Message() << First << ":" << Last);
        const TBatchExportResult Result = BatchExport(*Library, {Out(), First, Last});
        EXPECT_EQ(Result.Status, TBatchExportResult::TStatus::InvalidRange);
        EXPECT_FALSE(Result.Ok());
        EXPECT_TRUE(QDir(Out()).isEmpty());
    }
}

TEST_F(BatchExportTest, FolderThatCannotBeMadeIsAFailure)
{
    auto Library = ThreeImages(QStringLiteral(".wzl"));
    Temp.Write(QStringLiteral("file"), Text("x"));
    EXPECT_EQ(BatchExport(*Library, {Temp.File(QStringLiteral("file/sub")), 0, 0}).Status,
              TBatchExportResult::TStatus::FolderError);
    EXPECT_EQ(BatchExport(*Library, {QStringLiteral(" "), 0, 0}).Status, TBatchExportResult::TStatus::FolderError);
}

TEST_F(BatchExportTest, ReportsEachImageThatCouldNotBeWritten)
{
    auto Library = ThreeImages(QStringLiteral(".wzl"));
    ASSERT_TRUE(QDir().mkpath(Out(QStringLiteral("00000.BMP"))));  // a folder where the picture goes
    ASSERT_TRUE(QDir().mkpath(Out(QStringLiteral("00001.BMP"))));
    const TBatchExportResult Result = BatchExport(*Library, {Out(), 0, 2});
    EXPECT_EQ(Result.Status, TBatchExportResult::TStatus::Incomplete);
    ASSERT_EQ(Result.Failures.size(), 2u);
    EXPECT_EQ(Result.Failures[0].Number, 0);
    EXPECT_EQ(Result.Failures[0].FileName, Out(QStringLiteral("00000.BMP")));
    EXPECT_EQ(Result.Failures[1].Number, 1);
    EXPECT_FALSE(Result.Failures[1].Reason.isEmpty());
    EXPECT_EQ(Result.Written, 1);
    EXPECT_TRUE(QFileInfo(Out(QStringLiteral("00002.BMP"))).isFile()) << "the run goes on after a failure";
}

TEST_F(BatchExportTest, StopRequestEndsTheRun)
{
    auto Library = ThreeImages(QStringLiteral(".wzl"));
    const TBatchExportResult Result = BatchExport(*Library, {Out(), 0, 2}, [](int Current, int) { return Current < 1; });
    EXPECT_EQ(Result.Status, TBatchExportResult::TStatus::Stopped);
    EXPECT_TRUE(QFileInfo::exists(Out(QStringLiteral("00000.BMP"))));
    EXPECT_FALSE(QFileInfo::exists(Out(QStringLiteral("00001.BMP"))));
}

TEST_F(BatchExportTest, DamagedImageIsReported)
{
    // Entry 1 announces a 4 x 2 16-bit image whose payload is no zlib stream.
    auto Library = OpenLibraryFile(WriteDamagedWzl(Temp));
    const TBatchExportResult Result = BatchExport(*Library, {Out(), 0, 1});
    ASSERT_EQ(Result.Failures.size(), 1u);
    EXPECT_EQ(Result.Failures[0].Number, 1);
    EXPECT_FALSE(Result.Ok());
}

// Export a library, import the folder into a new one: every image comes back with its offset
// and flag, including entries that only keep an offset.
TEST_F(BatchExportTest, RoundTripThroughAFolder)
{
    for (const char* Extension : {".wzl", ".data"}) {
        SCOPED_TRACE(Extension);
        QDir(Out()).removeRecursively();
        auto Source = NewLibrary(Temp.File(QStringLiteral("src") + QLatin1String(Extension)));
        Source->BeforeSave();
        AddUpright(*Source, PatternBitmap(6, 4, 16, 0).get(), -20, -30);
        AddUpright(*Source, nullptr, 0, 0);
        AddUpright(*Source, nullptr, 12, -13);  // keeps only an offset
        AddUpright(*Source, PatternBitmap(8, 3, 8, 3).get(), 1, 2);
        AddUpright(*Source, PatternBitmap(5, 5, 32, 4).get(), 0, 0);
        if (QLatin1String(Extension) == QLatin1String(".data")) {
            const TPNGObject Png(PatternImage(4, 4, 5));
            AddUpright(*Source, &Png, 9, 9, 2);
            AddUpright(*Source, PatternBitmap(4, 2, 24, 6).get(), 3, 3, 7);  // a flag travels too
        }
        Source->Save();
        ASSERT_TRUE(BatchExport(*Source, {Out(), 0, Source->ImageCount - 1}).Ok());
        // The offsets-only entry: a WZL library decodes it to a 0 x 0 bitmap, written as such;
        // either way its placement file carries the offset.
        EXPECT_EQ(ReadFileBytes(Out(QStringLiteral("Placements/00002.txt"))), Text("12\r\n-13\r\n0\r\n"));
        if (QLatin1String(Extension) == QLatin1String(".wzl")) {
            TMemoryStream ZeroByZero;
            TDIB Bitmap;
            Bitmap.SetMasks(0xF800, 0x07E0, 0x001F);
            Bitmap.SetBitCount(16);
            Bitmap.SetSize(0, 0);
            Bitmap.SaveToStream(ZeroByZero);
            EXPECT_EQ(ReadFileBytes(Out(QStringLiteral("00002.BMP"))), ZeroByZero.Bytes());
        }

        auto Target = NewLibrary(Temp.File(QStringLiteral("dst") + QLatin1String(Extension)));
        TBatchImportOptions Import;
        Import.Folder = Out();
        const TBatchImportResult Result = BatchImport(*Target, Import);
        ASSERT_TRUE(Result.Ok()) << Result.Error.toStdString();
        auto Reopened = OpenLibraryFile(Temp.File(QStringLiteral("dst") + QLatin1String(Extension)));
        const std::vector<TImageView> Before = ViewLibrary(*Source);
        const std::vector<TImageView> After = ViewLibrary(*Reopened);
        ASSERT_EQ(After.size(), Before.size());
        for (size_t N = 0; N < Before.size(); ++N) {
            SCOPED_TRACE(N);
            EXPECT_EQ(QPoint(After[N].X, After[N].Y), QPoint(Before[N].X, Before[N].Y));
            EXPECT_EQ(After[N].Flag, Before[N].Flag);
            EXPECT_EQ(After[N].Picture, Before[N].Picture);
        }
    }
}

// The same folder imported over the library itself (overwrite from 0, placement offsets).
TEST_F(BatchExportTest, ReimportOverTheLibraryRestoresOffsets)
{
    auto Library = ThreeImages(QStringLiteral(".data"));
    ASSERT_TRUE(BatchExport(*Library, {Out(), 0, 2}).Ok());
    Library->SetImageOffset(0, 1, 1);
    Library->SetImageOffset(2, 1, 1);
    TBatchImportOptions Import;
    Import.Folder = Out();
    Import.Mode = TImportMode::Overwrite;
    Import.EndNumber = 2;
    ASSERT_TRUE(BatchImport(*Library, Import).Ok());
    int32_t W, H, X, Y;
    Library->GetImageInfo(0, W, H, X, Y);
    EXPECT_EQ(QPoint(X, Y), QPoint(-20, -30));
    Library->GetImageInfo(2, W, H, X, Y);
    EXPECT_EQ(QPoint(X, Y), QPoint(7, 8));
}

}  // namespace

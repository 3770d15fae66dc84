// Batch import runs on small WZL and DATA libraries, for every content and mode.
#include "batch/batchimport.h"
#include "batch/placement.h"
#include "support/libraryfixtures.h"
#include "support/tempdir.h"
#include "support/wilwriter.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace velka;
using namespace velka::test;

namespace {

// Library images are told apart by their width: base image k of the fixture is 3 + k pixels
// wide (offset 100 + k, -k), picture file n is 40 + n wide.
constexpr int BaseWidth = 3;
constexpr int PictureWidth = 40;

struct TPictureFile {
    QString Name;  // "3.bmp"
    int Number = 0;
    bool Png = false;
    bool Placement = true;  // Placements/<name>.txt with offset (200 + n, 300 + n) and flag 1
};

class BatchImportTest : public TempDirTest, public ::testing::WithParamInterface<const char*> {
protected:
    QString LibraryName() const { return Temp.File(QStringLiteral("lib") + QLatin1String(GetParam())); }
    QString PictureFolder() const { return Temp.File(QStringLiteral("pictures")); }

    std::unique_ptr<TWMImages> LibraryWith(int Count)
    {
        std::unique_ptr<TWMImages> Library = NewLibrary(LibraryName());
        Library->BeforeSave();
        for (int K = 0; K < Count; ++K) {
            const auto Bitmap = PatternBitmap(BaseWidth + K, 2, 16, K);
            AddUpright(*Library, Bitmap.get(), 100 + K, -K);
        }
        Library->Save();
        return Library;
    }

    void WritePictures(const std::vector<TPictureFile>& Files)
    {
        ASSERT_TRUE(QDir().mkpath(PictureFolder()));
        for (const TPictureFile& File : Files) {
            const QString Path = PictureFolder() + u'/' + File.Name;
            if (File.Png)
                TPNGObject(PatternImage(PictureWidth + File.Number, 3, File.Number)).SaveToFile(Path);
            else
                PatternBitmap(PictureWidth + File.Number, 3, 24, File.Number)->SaveToFile(Path);
            if (File.Placement) WritePlacement(Path, QPoint(200 + File.Number, 300 + File.Number), 1);
        }
    }

    void WriteNumberedPictures(std::initializer_list<int> Numbers)
    {
        std::vector<TPictureFile> Files;
        for (int N : Numbers) Files.push_back({QString::number(N) + QStringLiteral(".bmp"), N});
        WritePictures(Files);
    }

    // "B3" base image 3, "P2" picture 2, "E" an image without picture.
    static std::vector<std::string> Tags(TWMImages& Library)
    {
        std::vector<std::string> Result;
        for (int32_t N = 0; N < Library.ImageCount; ++N) {
            const TGraphic* Graphic = Library.GetGraphic(N);
            if (!Graphic || Graphic->Empty())
                Result.push_back("E");
            else if (Graphic->Width() >= PictureWidth)
                Result.push_back("P" + std::to_string(Graphic->Width() - PictureWidth));
            else
                Result.push_back("B" + std::to_string(Graphic->Width() - BaseWidth));
        }
        return Result;
    }

    TBatchImportOptions Options(TImportMode Mode, int Start = 0, int End = 0) const
    {
        TBatchImportOptions Import;
        Import.Folder = PictureFolder();
        Import.Mode = Mode;
        Import.StartNumber = Start;
        Import.EndNumber = End;
        return Import;
    }
};

INSTANTIATE_TEST_SUITE_P(Formats, BatchImportTest, ::testing::Values(".wzl", ".data"),
                         [](const auto& Info) { return std::string(Info.param + 1); });

using TTags = std::vector<std::string>;

TEST_P(BatchImportTest, AppendTakesThePicturesInNumberOrder)
{
    auto Library = LibraryWith(2);
    WriteNumberedPictures({3, 1, 2});
    const TBatchImportResult Result = BatchImport(*Library, Options(TImportMode::Append));
    ASSERT_TRUE(Result.Ok()) << Result.Error.toStdString();
    EXPECT_EQ(Result.Imported, 3);
    EXPECT_TRUE(Result.Saved);
    EXPECT_EQ(Tags(*Library), (TTags{"B0", "B1", "P1", "P2", "P3"}));
    // Offsets and flags come from the placement files; the picture is stored upright.
    const TImageView View = ViewImage(*Library, 2);
    EXPECT_EQ(QPoint(View.X, View.Y), QPoint(201, 301));
    EXPECT_EQ(View.Picture, PatternBitmap(PictureWidth + 1, 3, 24, 1)->ToImage());
    auto Reopened = OpenLibraryFile(LibraryName());
    EXPECT_EQ(Tags(*Reopened), Tags(*Library)) << "the run saved the library";
}

TEST_P(BatchImportTest, InsertPutsThePicturesFromTheStartNumber)
{
    auto Library = LibraryWith(10);
    WriteNumberedPictures({3, 1, 2});
    ASSERT_TRUE(BatchImport(*Library, Options(TImportMode::Insert, 5, 9)).Ok());
    EXPECT_EQ(Tags(*Library), (TTags{"B0", "B1", "B2", "B3", "B4", "P1", "P2", "P3", "B5", "B6", "B7", "B8", "B9"}));
}

TEST_P(BatchImportTest, OverwriteStopsAtTheLastExistingImage)
{
    auto Library = LibraryWith(10);
    WriteNumberedPictures({1, 2, 3, 4, 5});
    const TBatchImportResult Result = BatchImport(*Library, Options(TImportMode::Overwrite, 8, 9));
    ASSERT_TRUE(Result.Ok());
    EXPECT_EQ(Result.Total, 2);
    EXPECT_EQ(Tags(*Library), (TTags{"B0", "B1", "B2", "B3", "B4", "B5", "B6", "B7", "P1", "P2"}));
}

TEST_P(BatchImportTest, EndNumberCapsTheStartNumber)
{
    auto Library = LibraryWith(10);
    WriteNumberedPictures({1});
    ASSERT_TRUE(BatchImport(*Library, Options(TImportMode::Overwrite, 7, 4)).Ok());
    EXPECT_EQ(Tags(*Library)[4], "P1");
}

TEST_P(BatchImportTest, InterleavesEmptyImagesWhenAppending)
{
    auto Library = LibraryWith(0);
    WriteNumberedPictures({1, 2, 3, 4, 5});
    TBatchImportOptions Import = Options(TImportMode::Append);
    Import.InterleaveEmpty = true;
    Import.InterleaveEvery = 2;
    Import.InterleaveCount = 1;
    ASSERT_TRUE(BatchImport(*Library, Import).Ok());
    EXPECT_EQ(Tags(*Library), (TTags{"P1", "P2", "E", "P3", "P4", "E", "P5"}));
    int32_t W, H, X, Y;
    ASSERT_TRUE(Library->GetImageInfo(2, W, H, X, Y));
    EXPECT_EQ(QPoint(X, Y), QPoint(0, 0));
}

TEST_P(BatchImportTest, InterleaveIsOnlyForAppend)
{
    auto Library = LibraryWith(3);
    WriteNumberedPictures({1, 2});
    TBatchImportOptions Import = Options(TImportMode::Insert, 1, 2);
    Import.InterleaveEmpty = true;
    Import.InterleaveEvery = 1;
    Import.InterleaveCount = 2;
    ASSERT_TRUE(BatchImport(*Library, Import).Ok());
    EXPECT_EQ(Tags(*Library), (TTags{"B0", "P1", "P2", "B1", "B2"}));
}

TEST_P(BatchImportTest, OneByOnePicturesBecomeEmptyUnlessKept)
{
    ASSERT_TRUE(QDir().mkpath(PictureFolder()));
    auto White = PatternBitmap(1, 1, 24, 0);
    White->Fill(qRgb(255, 255, 255));
    White->SaveToFile(PictureFolder() + QStringLiteral("/1.bmp"));
    WritePlacement(PictureFolder() + QStringLiteral("/1.bmp"), QPoint(5, 6), 0);
    for (const bool Keep : {false, true}) {
        SCOPED_TRACE(Keep);
        auto Library = LibraryWith(0);
        TBatchImportOptions Import = Options(TImportMode::Append);
        Import.OneByOneAsEmpty = !Keep;
        ASSERT_TRUE(BatchImport(*Library, Import).Ok());
        ASSERT_EQ(Library->ImageCount, 1);
        const TImageView View = ViewImage(*Library, 0);
        EXPECT_EQ(View.HasGraphic && !View.Picture.isNull(), Keep);
        EXPECT_EQ(QPoint(View.X, View.Y), QPoint(5, 6)) << "an empty image keeps the offset";
    }
}

TEST_P(BatchImportTest, OffsetSourcesPerContent)
{
    struct TCase {
        TImportContent Content;
        bool FromPlacement;
        QPoint Expected;
    } const Cases[] = {
        {TImportContent::PicturesAndOffsets, true, {201, 301}},
        {TImportContent::PicturesAndOffsets, false, {5, 6}},
        {TImportContent::Pictures, true, {0, 0}},  // pictures only: the placement files are not read
        {TImportContent::Pictures, false, {5, 6}},
        {TImportContent::Offsets, true, {201, 301}},
        {TImportContent::Offsets, false, {5, 6}},
    };
    WriteNumberedPictures({1});
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(testing::Message() << int(Case.Content) << " " << Case.FromPlacement);
        auto Library = LibraryWith(1);
        TBatchImportOptions Import = Options(TImportMode::Append);
        Import.Content = Case.Content;
        Import.OffsetsFromPlacementFiles = Case.FromPlacement;
        Import.CommonOffset = QPoint(5, 6);
        ASSERT_TRUE(BatchImport(*Library, Import).Ok());
        ASSERT_EQ(Library->ImageCount, 2);
        const TImageView View = ViewImage(*Library, 1);
        EXPECT_EQ(QPoint(View.X, View.Y), Case.Expected);
        EXPECT_EQ(Tags(*Library)[1], Case.Content == TImportContent::Offsets ? "E" : "P1");
    }
}

TEST_P(BatchImportTest, OffsetsContentOverwritesPicturesWithOffsetEntries)
{
    auto Library = LibraryWith(3);
    WriteNumberedPictures({7});
    TBatchImportOptions Import = Options(TImportMode::Overwrite, 1, 2);
    Import.Content = TImportContent::Offsets;
    ASSERT_TRUE(BatchImport(*Library, Import).Ok());
    EXPECT_EQ(Tags(*Library), (TTags{"B0", "E", "B2"}));
    int32_t W, H, X, Y;
    Library->GetImageInfo(1, W, H, X, Y);
    EXPECT_EQ(QPoint(X, Y), QPoint(207, 307));
}

TEST_P(BatchImportTest, EmptyImagesContentForEachMode)
{
    struct TCase {
        TImportMode Mode;
        int Start;
        int End;
        TTags Expected;
    } const Cases[] = {
        {TImportMode::Append, 1, 2, {"B0", "B1", "B2", "B3", "E", "E"}},
        {TImportMode::Insert, 1, 2, {"B0", "E", "E", "B1", "B2", "B3"}},
        {TImportMode::Overwrite, 2, 9, {"B0", "B1", "E", "E"}},  // the end is capped at the last image
        {TImportMode::Insert, 3, 1, {"B0", "E", "B1", "B2", "B3"}},  // the start is capped by the end
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(int(Case.Mode));
        auto Library = LibraryWith(4);
        TBatchImportOptions Import = Options(Case.Mode, Case.Start, Case.End);
        Import.Content = TImportContent::EmptyImages;
        Import.OffsetsFromPlacementFiles = false;
        Import.CommonOffset = QPoint(-4, 9);
        ASSERT_TRUE(BatchImport(*Library, Import).Ok());
        EXPECT_EQ(Tags(*Library), Case.Expected);
        auto Reopened = OpenLibraryFile(LibraryName());
        EXPECT_EQ(Tags(*Reopened), Case.Expected);
        for (int32_t N = 0; N < Reopened->ImageCount; ++N) {
            if (Case.Expected[N] != "E") continue;
            int32_t W, H, X, Y;
            Reopened->GetImageInfo(N, W, H, X, Y);
            EXPECT_EQ(QPoint(X, Y), QPoint(-4, 9)) << N;
        }
    }
}

TEST_P(BatchImportTest, InsertIntoAnEmptyLibraryFailsAtTheFirstPicture)
{
    WriteNumberedPictures({1, 2});
    struct TCase {
        TImportMode Mode;
        bool Ok;
        int Count;
    } const Cases[] = {{TImportMode::Append, true, 2}, {TImportMode::Insert, false, 0}, {TImportMode::Overwrite, true, 0}};
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(int(Case.Mode));
        auto Library = LibraryWith(0);
        const TBatchImportResult Result = BatchImport(*Library, Options(Case.Mode, 0, 0));
        EXPECT_EQ(Result.Ok(), Case.Ok);
        EXPECT_EQ(Library->ImageCount, Case.Count);
        if (!Case.Ok) {
            EXPECT_TRUE(Result.FailedPicture.endsWith(QStringLiteral("/1.bmp"))) << Result.FailedPicture.toStdString();
            EXPECT_EQ(Result.FailedIndex, 0);
            EXPECT_FALSE(Result.Error.isEmpty());
        }
    }
}

TEST_P(BatchImportTest, FailurePartWaySavesWhatWasHandedOverAndNamesThePicture)
{
    auto Library = LibraryWith(2);
    WriteNumberedPictures({1, 3});
    // A picture that cannot be opened at all.
    ASSERT_TRUE(QFile::link(Temp.File(QStringLiteral("missing.bmp")), PictureFolder() + QStringLiteral("/2.bmp")));
    const TBatchImportResult Result = BatchImport(*Library, Options(TImportMode::Append));
    EXPECT_FALSE(Result.Ok());
    EXPECT_EQ(Result.Status, TBatchImportResult::TStatus::Failed);
    EXPECT_EQ(Result.FailedPicture, PictureFolder() + QStringLiteral("/2.bmp"));
    EXPECT_EQ(Result.FailedIndex, 1);
    EXPECT_EQ(Result.Imported, 1);
    EXPECT_TRUE(Result.Saved);
    const TTags Expected{"B0", "B1", "P1"};
    EXPECT_EQ(Tags(*Library), Expected);
    auto Reopened = OpenLibraryFile(LibraryName());
    EXPECT_EQ(Tags(*Reopened), Expected) << "the file holds a consistent library";
}

TEST_P(BatchImportTest, StopRequestEndsTheRunAndSaves)
{
    auto Library = LibraryWith(0);
    WriteNumberedPictures({1, 2, 3, 4});
    const TBatchImportResult Result =
        BatchImport(*Library, Options(TImportMode::Append), [](int Current, int) { return Current < 2; });
    EXPECT_EQ(Result.Status, TBatchImportResult::TStatus::Stopped);
    EXPECT_EQ(Result.Imported, 2);
    EXPECT_EQ(Tags(*OpenLibraryFile(LibraryName())), (TTags{"P1", "P2"}));
}

TEST_P(BatchImportTest, MissingOrEmptyFolder)
{
    auto Library = LibraryWith(1);
    TBatchImportOptions Import = Options(TImportMode::Append);
    Import.Folder = Temp.File(QStringLiteral("nowhere"));
    EXPECT_FALSE(BatchImport(*Library, Import).Ok()) << "a mistyped folder is not a success";
    Import.Folder = QStringLiteral("  ");
    EXPECT_FALSE(BatchImport(*Library, Import).Ok());
    ASSERT_TRUE(QDir().mkpath(PictureFolder()));
    const TBatchImportResult Empty = BatchImport(*Library, Options(TImportMode::Append));
    EXPECT_TRUE(Empty.Ok());
    EXPECT_EQ(Empty.Imported, 0);
    EXPECT_EQ(Library->ImageCount, 1);
}

TEST_P(BatchImportTest, UndecodablePicturesBecomeEmptyImagesAndAreListed)
{
    auto Library = LibraryWith(1);
    WriteNumberedPictures({1, 3});
    const QString Broken = PictureFolder() + QStringLiteral("/2.bmp");
    QFile File(Broken);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    File.write("BM this is not a bitmap");
    File.close();
    const TBatchImportResult Result = BatchImport(*Library, Options(TImportMode::Append));
    EXPECT_TRUE(Result.Ok());
    EXPECT_FALSE(Result.Clean());
    EXPECT_EQ(Result.Undecodable, QStringList{Broken});
    EXPECT_EQ(Tags(*OpenLibraryFile(LibraryName())), (TTags{"B0", "P1", "E", "P3"})) << "the numbering holds";
}

// A WZL library cannot hold PNG pictures: the run is refused before anything is written.
TEST(BatchImportWzl, PngPictureRefusesTheWholeRunUpFront)
{
    struct TCase {
        const char* What;
        TImportMode Mode;
    };
    const TCase Cases[] = {{"append", TImportMode::Append}, {"insert", TImportMode::Insert},
                           {"overwrite", TImportMode::Overwrite}};
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        TTempDir Temp;
        const QString Folder = Temp.File(QStringLiteral("in"));
        ASSERT_TRUE(QDir().mkpath(Folder));
        PatternBitmap(6, 4, 24, 1)->SaveToFile(Folder + QStringLiteral("/1.bmp"));
        TPNGObject(PatternImage(5, 4, 2)).SaveToFile(Folder + QStringLiteral("/2.png"));
        TPNGObject(PatternImage(1, 1, 3)).SaveToFile(Folder + QStringLiteral("/0.png"));  // 1 x 1: empty
        PatternBitmap(7, 4, 24, 3)->SaveToFile(Folder + QStringLiteral("/3.bmp"));
        const QString Name = Temp.File(QStringLiteral("x.wzl"));
        auto Library = NewLibrary(Name);
        Library->BeforeSave();
        for (int K = 0; K < 4; ++K) AddUpright(*Library, PatternBitmap(3, 2, 16, K).get(), 0, 0);
        Library->Save();
        const std::vector<uint8_t> Before = ReadFileBytes(Name);
        TBatchImportOptions Import;
        Import.Folder = Folder;
        Import.Mode = Case.Mode;
        const TBatchImportResult Result = BatchImport(*Library, Import);
        EXPECT_EQ(Result.Status, TBatchImportResult::TStatus::Failed);
        EXPECT_EQ(Result.FailedPicture, Folder + QStringLiteral("/2.png"));
        EXPECT_EQ(Result.Imported, 0);
        EXPECT_TRUE(Result.Error.contains(QStringLiteral("PNG"))) << Result.Error.toStdString();
        EXPECT_EQ(Library->ImageCount, 4);
        EXPECT_EQ(ReadFileBytes(Name), Before);
    }
}

TEST(BatchImportData, PngKeepsFlagTwoAndBitmapTakesThePlacementFlag)
{
    TTempDir Temp;
    const QString Folder = Temp.File(QStringLiteral("in"));
    ASSERT_TRUE(QDir().mkpath(Folder));
    TPNGObject(PatternImage(5, 4, 1)).SaveToFile(Folder + QStringLiteral("/1.png"));
    PatternBitmap(6, 4, 24, 2)->SaveToFile(Folder + QStringLiteral("/2.bmp"));
    for (const char* Name : {"/1.png", "/2.bmp"}) WritePlacement(Folder + QLatin1String(Name), QPoint(3, 4), 1);
    auto Library = NewLibrary(Temp.File(QStringLiteral("x.data")));
    TBatchImportOptions Import;
    Import.Folder = Folder;
    ASSERT_TRUE(BatchImport(*Library, Import).Ok());
    ASSERT_EQ(Library->ImageCount, 2);
    const TImageView Png = ViewImage(*Library, 0);
    const TImageView Bitmap = ViewImage(*Library, 1);
    EXPECT_TRUE(Png.Png);
    EXPECT_EQ(Png.Flag, 2);
    EXPECT_EQ(Png.Picture, PatternImage(5, 4, 1));
    EXPECT_FALSE(Bitmap.Png);
    EXPECT_EQ(Bitmap.Flag, 1);
}

TEST(BatchImportRefusals, ReadOnlyLibrary)
{
    TTempDir Temp;
    TWilWriter Wil(1, 16);
    Wil.Add({4, 2, 0, 0, std::vector<uint8_t>(16, 7)});
    ASSERT_TRUE(Wil.Write(Temp.File(QStringLiteral("a.wil"))));
    auto Library = OpenLibraryFile(Temp.File(QStringLiteral("a.wil")));
    TBatchImportOptions Import;
    Import.Content = TImportContent::EmptyImages;
    const TBatchImportResult Result = BatchImport(*Library, Import);
    EXPECT_FALSE(Result.Ok());
    EXPECT_FALSE(Result.Error.isEmpty());
}

TEST(CommonOffsetText, SplitsAtTheFirstTwoCommas)
{
    EXPECT_EQ(ParseCommonOffset(QStringLiteral("10, 20")), QPoint(10, 20));
    EXPECT_EQ(ParseCommonOffset(QStringLiteral("10 ,20")), QPoint(0, 20));
    EXPECT_EQ(ParseCommonOffset(QStringLiteral("7")), QPoint(7, 0));
    EXPECT_EQ(ParseCommonOffset(QStringLiteral("  -5,$10,99 \t")), QPoint(-5, 16));
    EXPECT_EQ(ParseCommonOffset(QStringLiteral("")), QPoint(0, 0));
    EXPECT_EQ(ParseCommonOffset(QStringLiteral("a,b")), QPoint(0, 0));
}

}  // namespace

// DATA packages: edits, saves and compaction, and what survives a failure on the way.
#include "test_package_support.h"

#include "library/pngobject.h"
#include "library/tempfiles.h"

#include <QDir>
#include <QImage>

#include <thread>

namespace velka::test {
namespace {

QImage Filled(int Width, int Height, QRgb Color)
{
    QImage Image(Width, Height, QImage::Format_ARGB32);
    Image.fill(Color);
    return Image;
}

// A saved library of three bitmaps; Pictures holds what each image must decode to.
class PackageEdit : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        Library = NewPackage(Name);
        Library->BeforeSave();
        for (const auto& [W, H, Bits] : {std::tuple{2, 2, 24}, std::tuple{3, 1, 8}, std::tuple{1, 1, 32}})
            Add(*Library, W, H, Bits);
        Library->Save();
    }

    void Add(TWMPackageImages& Target, int W, int H, int Bits, int32_t X = 0, int32_t Y = 0)
    {
        Pictures.push_back(PatternBitmap(W, H, Bits, uint8_t(Pictures.size() * 40 + 1)));
        TDIB Handed = *Pictures.back();
        Handed.FlipVertical();
        ASSERT_TRUE(Target.AddImage(&Handed, X, Y, 0));
    }

    // The numbers of Pictures that the library shows, in order (-1 for anything else).
    std::vector<int> Shown(TWMPackageImages& Target)
    {
        std::vector<int> Result;
        for (int32_t I = 0; I < Target.ImageCount; ++I) {
            TDIB* DIB = Target.GetImageKind(I) == 2 ? nullptr : Target.GetDIB(I);
            int Found = -1;
            for (size_t P = 0; DIB && P < Pictures.size(); ++P)
                if (PixelsOf(*DIB) == PixelsOf(*Pictures[P]) && DIB->Width() == Pictures[P]->Width())
                    Found = int(P);
            Result.push_back(Found);
        }
        return Result;
    }

    QString Name = Temp.File(QStringLiteral("lib.data"));
    std::unique_ptr<TWMPackageImages> Library;
    std::vector<std::unique_ptr<TDIB>> Pictures;
};

TEST_F(PackageEdit, CompactionAfterADeleteStoresTheRestWithoutGaps)
{
    ASSERT_TRUE(Library->DeleteImages(1, 1));
    Library->Save();
    const Bytes File = ReadFileBytes(Name);
    const uint32_t First = EntryAt(File, 80, false).Length();
    const size_t Second = 80 + 14 + First;
    const size_t IndexAt = Second + 14 + EntryAt(File, Second, false).Length();
    EXPECT_EQ(HeaderOf(File).IndexOffset(), int32_t(IndexAt));
    EXPECT_EQ(HeaderOf(File).Count(), 2);
    EXPECT_EQ(File.size(), IndexAt + 8);
    EXPECT_EQ(Library->IndexList, std::vector<int32_t>({80, int32_t(Second)}));
    EXPECT_EQ(Shown(*Library), std::vector<int>({0, 2}));
}

TEST_F(PackageEdit, InsertBlankAndReplaceKeepTheirPlaces)
{
    Library->BeforeSave();
    auto Fourth = PatternBitmap(2, 3, 16, 99);
    Pictures.push_back(std::move(Fourth));
    TDIB Handed = *Pictures.back();
    Handed.FlipVertical();
    ASSERT_TRUE(Library->InsertImage(1, &Handed, 0, 0, 0));
    EXPECT_EQ(Library->Header.Count, 4);
    EXPECT_FALSE(Library->Modified);  // an insert only appends
    Library->Save();
    EXPECT_EQ(Shown(*OpenPackage(Name)), std::vector<int>({0, 3, 1, 2}));

    ASSERT_TRUE(Library->BlankImages(2, 2));
    Library->Save();
    EXPECT_EQ(Shown(*OpenPackage(Name)), std::vector<int>({0, 3, -1, 2}));
}

TEST_F(PackageEdit, ReplacingWithAPngWritesItOnceAndKeepsTheCount)
{
    TPNGObject Png(Filled(4, 5, 0xFF336699));
    const size_t Before = ReadFileBytes(Name).size();
    Library->BeforeSave();
    ASSERT_TRUE(Library->ReplaceImage(0, &Png, 1, 1, 2));
    EXPECT_EQ(ReadFileBytes(Name).size(), Before + 14 + size_t(Png.PngBytes().size()));
    EXPECT_EQ(Library->Header.Count, 3);
    EXPECT_TRUE(Library->Modified);
    Library->Save();
    EXPECT_EQ(Library->ImageCount, 3);
    EXPECT_EQ(Library->GetImageKind(0), 2);
    EXPECT_EQ(Library->GetGraphic(0)->Width(), 4);
    EXPECT_EQ(Shown(*Library), std::vector<int>({-1, 1, 2}));
}

TEST_F(PackageEdit, AppendsNeverTouchTheSavedBytes)
{
    const Bytes Saved = ReadFileBytes(Name);
    Library->BeforeSave();
    Add(*Library, 4, 4, 24);
    Library->InsertImage(0, nullptr, 3, 3, 0);
    Add(*Library, 1, 2, 16);
    // Whatever stops the program now (an error mid-batch, a crash, a kill) leaves the library as
    // last saved: the old bytes are untouched and the old header still points at the old index.
    const Bytes Pending = ReadFileBytes(Name);
    ASSERT_GT(Pending.size(), Saved.size());
    EXPECT_EQ(Slice(Pending, 0, Saved.size()), Saved);
    auto Other = OpenPackage(Name);
    EXPECT_EQ(Shown(*Other), std::vector<int>({0, 1, 2}));

    Library->Save();
    const Bytes File = ReadFileBytes(Name);
    EXPECT_EQ(Slice(File, 80, Saved.size() - 80), Slice(Saved, 80, Saved.size() - 80));
    EXPECT_EQ(HeaderOf(File).IndexOffset(), int32_t(Pending.size()));  // the new index follows the new entries
    EXPECT_EQ(File.size(), Pending.size() + 6 * 4);
    EXPECT_EQ(Shown(*OpenPackage(Name)), std::vector<int>({-1, 0, 1, 2, 3, 4}));
}

TEST_F(PackageEdit, FailedCompactionLeavesFileAndIndexAsTheyWere)
{
    for (const char* Stage : {"write", "flush", "rename"}) {
        SCOPED_TRACE(Stage);
        const Bytes Saved = ReadFileBytes(Name);
        ASSERT_TRUE(Library->DeleteImages(0, 0));
        const std::vector<int32_t> Pending = Library->IndexList;
        TReplacementFile::SetFailureHookForTesting([Stage](const char* At) {
            if (std::string(At) == Stage)
                throw EStreamError(std::string("injected ") + At);
        });
        EXPECT_THROW(Library->Save(), EStreamError);
        TReplacementFile::SetFailureHookForTesting({});
        EXPECT_EQ(ReadFileBytes(Name), Saved);
        EXPECT_EQ(Library->IndexList, Pending);
        EXPECT_TRUE(Library->Modified);
        EXPECT_EQ(QDir(Temp.Path()).entryList(QDir::Files | QDir::Hidden).size(), 1);  // no leftovers

        Library->Save();
        EXPECT_EQ(Library->ImageCount, int32_t(Pending.size()));
        Library->BeforeSave();
        Add(*Library, 1, 1, 24);  // back to three images for the next stage
        Library->Save();
    }
}

TEST_F(PackageEdit, DeadIndexCopiesAreReclaimedOnceTheyGrowLarge)
{
    Library->BeforeSave();
    for (int I = 0; I < 30000; ++I)
        Library->AddImage(nullptr, 0, 0, 0);
    Library->Save();
    const size_t IndexBytes = size_t(Library->ImageCount) * 4;
    size_t Largest = 0;
    for (int Round = 0; Round < 12; ++Round) {
        Library->AddImage(nullptr, 0, 0, 0);
        Library->Save();
        Largest = std::max(Largest, ReadFileBytes(Name).size());
    }
    const size_t Final = ReadFileBytes(Name).size();
    EXPECT_GT(Largest, 8 * IndexBytes);  // index-only saves leave the old index behind...
    EXPECT_LT(Final, Largest);           // ...until a save compacts
    EXPECT_EQ(Library->ImageCount, 30015);
    EXPECT_EQ(Shown(*OpenPackage(Name)).size(), 30015u);
}

TEST_F(PackageEdit, OffsetsAreWrittenIntoTheStoredEntry)
{
    for (const bool Protected : {false, true}) {
        SCOPED_TRACE(Protected);
        if (Protected)
            Library->SetPassword(QStringLiteral("pw"));
        Library->SetImageOffset(1, -7, 300);
        auto Reopened = OpenPackage(Name, QStringLiteral("pw"));
        int32_t W = 0, H = 0, X = 0, Y = 0;
        ASSERT_TRUE(Reopened->GetImageInfo(1, W, H, X, Y));
        EXPECT_EQ(std::vector<int32_t>({W, H, X, Y}), std::vector<int32_t>({3, 1, -7, 300}));
        EXPECT_EQ(Shown(*Reopened), std::vector<int>({0, 1, 2}));
    }
    EXPECT_THROW(Library->SetImageOffset(3, 0, 0), EListError);
}

TEST_F(PackageEdit, EmptyImagesNeverWriteIntoTheFileHeader)
{
    Library->BeforeSave();
    Library->AddImage(nullptr, 0, 0, 0);
    Library->Save();
    const Bytes Saved = ReadFileBytes(Name);
    Library->SetImageOffset(3, 5, 5);
    Library->SetImageFlag(3, 1);
    EXPECT_EQ(ReadFileBytes(Name), Saved);
    EXPECT_EQ(OpenPackage(Name)->ImageCount, 4);
}

TEST_F(PackageEdit, FlagsChangeTheKindButNeverWhetherAnEntryIsPng)
{
    TPNGObject Png(Filled(2, 2, 0x80FF0000));
    Library->BeforeSave();
    Library->AddImage(&Png, 0, 0, 2);
    Library->Save();
    Library->SetImageFlag(0, 5);
    Library->SetImageFlag(1, 2);
    Library->SetImageFlag(3, 0);
    auto Reopened = OpenPackage(Name);
    EXPECT_EQ(Reopened->GetImageKind(0), 5);
    EXPECT_EQ(Reopened->GetImageKind(1), 0);
    EXPECT_EQ(Reopened->GetImageKind(3), 2);
    EXPECT_EQ(Shown(*Reopened), std::vector<int>({0, 1, 2, -1}));
}

TEST_F(PackageEdit, PreparedImagesAreStoredAsAddImageStoresThem)
{
    const QString OtherName = Temp.File(QStringLiteral("other.data"));
    auto Other = NewPackage(OtherName);
    auto Direct = NewPackage(Temp.File(QStringLiteral("direct.data")));
    auto Picture = PatternBitmap(3, 3, 24, 5);
    Other->BeforeSave();
    Direct->BeforeSave();
    ASSERT_TRUE(Other->AddPreparedImage(Other->PrepareImage(Picture.get(), 1, 2, 0)));
    ASSERT_TRUE(Other->AddPreparedImage(Other->PrepareImage(nullptr, 0, 0, 0)));
    ASSERT_TRUE(Direct->AddImage(Picture.get(), 1, 2, 0));
    ASSERT_TRUE(Direct->AddImage(nullptr, 0, 0, 0));
    Other->Save();
    Direct->Save();
    const Bytes Prepared = ReadFileBytes(OtherName);
    const Bytes Added = ReadFileBytes(Direct->FileName);
    ASSERT_EQ(Prepared.size(), Added.size());
    EXPECT_EQ(Slice(Prepared, 80, Prepared.size() - 80), Slice(Added, 80, Added.size() - 80));  // all but the header's IV

    // Bytes prepared for plain entries do not go into a protected library.
    const TPreparedImage Plain = Other->PrepareImage(Picture.get(), 0, 0, 0);
    Library->SetPassword(QStringLiteral("pw"));
    const size_t Before = ReadFileBytes(Name).size();
    EXPECT_THROW(Library->AddPreparedImage(Plain), EFormatError);
    EXPECT_EQ(ReadFileBytes(Name).size(), Before);
    EXPECT_EQ(Library->IndexList.size(), 3u);
}

TEST_F(PackageEdit, WorkerThreadsPrepareForAProtectedLibrary)
{
    Library->SetPassword(QStringLiteral("pw"));
    std::vector<std::unique_ptr<TDIB>> Work;
    for (int I = 0; I < 8; ++I)
        Work.push_back(PatternBitmap(16 + I, 9, 32, uint8_t(I)));
    std::vector<TPreparedImage> Prepared(Work.size());
    std::vector<std::thread> Threads;
    for (size_t T = 0; T < 4; ++T)
        Threads.emplace_back([&, T] {
            for (size_t I = T; I < Work.size(); I += 4)
                Prepared[I] = Library->PrepareImage(Work[I].get(), int32_t(I), 0, 0);
        });
    for (std::thread& Thread : Threads)
        Thread.join();
    Library->BeforeSave();
    for (const TPreparedImage& Image : Prepared)
        ASSERT_TRUE(Library->AddPreparedImage(Image));
    Library->Save();
    auto Reopened = OpenPackage(Name, QStringLiteral("pw"));
    ASSERT_EQ(Reopened->ImageCount, 11);
    for (size_t I = 0; I < Work.size(); ++I) {
        TDIB* DIB = Reopened->GetDIB(int32_t(3 + I));
        ASSERT_NE(DIB, nullptr);
        TDIB Expected = *Work[I];
        Expected.FlipVertical();
        EXPECT_EQ(PixelsOf(*DIB), PixelsOf(Expected)) << I;
    }
}

TEST_F(PackageEdit, RefusedArgumentsWriteNothing)
{
    const Bytes Saved = ReadFileBytes(Name);
    auto Picture = PatternBitmap(1, 1, 24);
    auto Wide = PatternBitmap(70000, 1, 8);
    Library->BeforeSave();
    EXPECT_THROW(Library->InsertImage(-1, Picture.get(), 0, 0, 0), EListError);
    EXPECT_THROW(Library->InsertImage(4, Picture.get(), 0, 0, 0), EListError);
    EXPECT_THROW(Library->ReplaceImage(3, Picture.get(), 0, 0, 0), EListError);
    EXPECT_THROW(Library->AddImage(Wide.get(), 0, 0, 0), EVelkaError);
    EXPECT_EQ(ReadFileBytes(Name), Saved);
    EXPECT_EQ(Library->IndexList.size(), 3u);
    EXPECT_TRUE(Library->InsertImage(3, Picture.get(), 0, 0, 0));  // inserting at the end is fine
}

}  // namespace
}  // namespace velka::test

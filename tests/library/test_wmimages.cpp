// The library model shared by every format: the image cache and its purge rule on an injected
// clock, empty and out-of-range image numbers, index edits, naming and opening by extension.
#include "library/dib.h"
#include "library/errors.h"
#include "library/pngobject.h"
#include "library/wilimages.h"
#include "library/wmimages.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <map>

namespace velka {
namespace {

// A format whose entries are made up in memory: position P decodes to a P x 1 bitmap, or to a
// PNG picture for the image numbers listed as kind 2.
class TFakeImages : public TWMImages {
public:
    explicit TFakeImages(std::vector<int32_t> Positions, int32_t Count = -1)
    {
        IndexList = std::move(Positions);
        ImageCount = Count < 0 ? int32_t(IndexList.size()) : Count;
        AllocateCache();
        SetTickSource([this] { return Now; });
    }

    void LoadDIBAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic) override
    {
        ++Decodes;
        auto DIB = std::make_unique<TDIB>();
        DIB->SetBitCount(8);
        DIB->SetWidth(Position);
        Graphic = std::move(DIB);
    }
    void LoadPNGAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic) override
    {
        ++Decodes;
        QImage Picture(Position, 1, QImage::Format_ARGB32);
        Picture.fill(0);
        Graphic = std::make_unique<TPNGObject>(Picture);
    }
    uint8_t GetImageKind(int32_t Index) override
    {
        ++KindQueries;
        const auto Found = Kinds.find(Index);
        return Found == Kinds.end() ? 0 : Found->second;
    }
    void ReadImageInfo(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y) override
    {
        Width = Position, Height = 1, X = -3, Y = 4;
    }
    void ReadImageInfoEx(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y,
                         uint8_t& Flag) override
    {
        ReadImageInfo(Position, Width, Height, X, Y);
        Flag = 9;
    }

    bool Cached(int32_t Index) const { return ImageCache[size_t(Index)].Graphic != nullptr; }

    uint32_t Now = 1000;
    int Decodes = 0;
    int KindQueries = 0;
    std::map<int32_t, uint8_t> Kinds;
};

TEST(ImageCache, SecondFetchReturnsTheCachedObjectAndAsksTheKindAgain)
{
    TFakeImages Images({10, 20, 30});
    TGraphic* First = Images.GetGraphic(1);
    ASSERT_NE(First, nullptr);
    EXPECT_EQ(First->Width(), 20);
    Images.Now += 4000;
    EXPECT_EQ(Images.GetGraphic(1), First);
    EXPECT_EQ(Images.GetDIB(1), First);
    EXPECT_EQ(Images.Decodes, 1);
    EXPECT_EQ(Images.KindQueries, 2);  // GetGraphic asks on every call, GetDIB never
    EXPECT_EQ(Images.ImageCache[1].LastAccess, 5000u);
}

// (clock when image 0 was fetched, clock when the next image loads, image 0 survives)
struct PurgeCase {
    uint32_t Fetched, Later;
    bool Survives;
};

TEST(ImageCache, GetDIBFreesImagesIdleForMoreThan5000Milliseconds)
{
    const std::vector<PurgeCase> Cases = {
        {1000, 6000, true},             // exactly 5000 ms
        {1000, 6001, false},            // 5001 ms
        {0xFFFFF000, 0x00000388, true},   // 5000 ms across the wrap of the counter
        {0xFFFFF000, 0x00000389, false},  // 5001 ms across the wrap
        {7000, 6000, false},            // a clock seen running backwards reads as a long idle time
    };
    for (const PurgeCase& C : Cases) {
        SCOPED_TRACE(std::to_string(C.Fetched) + " -> " + std::to_string(C.Later));
        TFakeImages Images({10, 20, 30});
        Images.Now = C.Fetched;
        ASSERT_NE(Images.GetDIB(0), nullptr);
        Images.Now = C.Later;
        ASSERT_NE(Images.GetDIB(1), nullptr);
        EXPECT_EQ(Images.Cached(0), C.Survives);
        EXPECT_TRUE(Images.Cached(1));  // the image just loaded always stays
    }
}

TEST(ImageCache, OnlyLoadsThroughGetDIBOrOfPngImagesPurge)
{
    TFakeImages Images({10, 20, 30, 40});
    Images.Kinds[3] = 2;
    Images.GetGraphic(0);
    Images.Now += 10000;
    Images.GetGraphic(1);  // a bitmap loaded by GetGraphic: nothing is freed
    Images.GetGraphic(0);  // a cached fetch refreshes, never purges
    Images.Now += 10000;
    Images.GetGraphic(2);
    EXPECT_TRUE(Images.Cached(0));
    EXPECT_TRUE(Images.Cached(1));
    TGraphic* Png = Images.GetGraphic(3);  // a PNG load purges
    ASSERT_NE(dynamic_cast<TPNGObject*>(Png), nullptr);
    EXPECT_FALSE(Images.Cached(0));
    EXPECT_FALSE(Images.Cached(1));
    EXPECT_TRUE(Images.Cached(2));  // loaded at this very tick
    EXPECT_TRUE(Images.Cached(3));
}

TEST(ImageCache, GetDIBOfACachedPngPictureIsAnInvalidCast)
{
    TFakeImages Images({10});
    Images.Kinds[0] = 2;
    ASSERT_NE(Images.GetGraphic(0), nullptr);
    EXPECT_THROW(Images.GetDIB(0), EInvalidCast);
}

TEST(ImageCache, TakeGraphicHandsTheImageOverAndEmptiesTheEntry)
{
    TFakeImages Images({10, 20});
    TGraphic* Cached = Images.GetGraphic(1);
    std::unique_ptr<TGraphic> Taken = Images.TakeGraphic(1);
    EXPECT_EQ(Taken.get(), Cached);
    EXPECT_FALSE(Images.Cached(1));
    EXPECT_EQ(Images.TakeGraphic(0), nullptr);
    EXPECT_EQ(Images.TakeGraphic(5), nullptr);
    EXPECT_EQ(Images.TakeGraphic(-1), nullptr);
}

TEST(ImageNumbers, EmptyAndMissingEntriesReadAsEmptyImages)
{
    TFakeImages Images({10, 0, -4}, 5);  // numbers 3 and 4 lie past the end of the index
    for (const int32_t Index : {1, 2, 3, 4}) {
        SCOPED_TRACE(Index);
        EXPECT_EQ(Images.GetGraphic(Index), nullptr);
        EXPECT_EQ(Images.GetDIB(Index), nullptr);
        int32_t W = 7, H = 7, X = 7, Y = 7;
        uint8_t Flag = 7;
        EXPECT_TRUE(Images.GetImageInfo(Index, W, H, X, Y));
        EXPECT_EQ(std::vector<int32_t>({W, H, X, Y}), std::vector<int32_t>({0, 0, 0, 0}));
        W = H = X = Y = 7;
        EXPECT_TRUE(Images.GetImageInfoEx(Index, W, H, X, Y, Flag));
        EXPECT_EQ(std::vector<int32_t>({W, H, X, Y, Flag}), std::vector<int32_t>({0, 0, 0, 0, 0}));
    }
    EXPECT_EQ(Images.Decodes, 0);
    int32_t W = 0, H = 0, X = 0, Y = 0;
    uint8_t Flag = 0;
    EXPECT_TRUE(Images.GetImageInfoEx(0, W, H, X, Y, Flag));
    EXPECT_EQ(std::vector<int32_t>({W, H, X, Y, Flag}), std::vector<int32_t>({10, 1, -3, 4, 9}));
}

TEST(ImageNumbers, NumbersOutsideTheLibraryAreRefused)
{
    TFakeImages Images({10, 20}, 2);
    for (const int32_t Index : {-1, 2, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(Index);
        EXPECT_EQ(Images.GetGraphic(Index), nullptr);
        EXPECT_EQ(Images.GetDIB(Index), nullptr);
        int32_t W = 7, H = 7, X = 7, Y = 7;
        uint8_t Flag = 7;
        EXPECT_FALSE(Images.GetImageInfo(Index, W, H, X, Y));
        EXPECT_FALSE(Images.GetImageInfoEx(Index, W, H, X, Y, Flag));
        EXPECT_EQ(std::vector<int32_t>({W, H, X, Y, Flag}), std::vector<int32_t>({7, 7, 7, 7, 7}));
    }
}

std::vector<int32_t> Positions(int Count)
{
    std::vector<int32_t> List;
    for (int I = 0; I < Count; ++I)
        List.push_back(100 + I);
    return List;
}

TEST(IndexEdits, DeleteImagesRemovesTheRangeAndMovesLaterImagesDown)
{
    TFakeImages Images(Positions(10));
    ASSERT_TRUE(Images.DeleteImages(3, 5));
    EXPECT_EQ(Images.IndexList, std::vector<int32_t>({100, 101, 102, 106, 107, 108, 109}));
    EXPECT_TRUE(Images.Modified);
    EXPECT_EQ(Images.ImageCount, 10);
    EXPECT_EQ(Images.ImageCache.size(), 10u);
    ASSERT_TRUE(Images.DeleteImages(0, 6));
    EXPECT_TRUE(Images.IndexList.empty());
}

TEST(IndexEdits, BlankImagesZeroesExactlyTheRange)
{
    TFakeImages Images(Positions(5));
    ASSERT_TRUE(Images.BlankImages(2, 2));
    EXPECT_EQ(Images.IndexList, std::vector<int32_t>({100, 101, 0, 103, 104}));
    EXPECT_TRUE(Images.Modified);
    ASSERT_TRUE(Images.BlankImages(3, 4));
    EXPECT_EQ(Images.IndexList, std::vector<int32_t>({100, 101, 0, 0, 0}));
}

TEST(IndexEdits, BadRangesChangeNothing)
{
    struct Range { int32_t First, Last; };
    for (const Range& R : {Range{5, 3}, Range{-1, 2}, Range{0, 10}, Range{10, 10}, Range{INT32_MIN, INT32_MAX}}) {
        SCOPED_TRACE(std::to_string(R.First) + ".." + std::to_string(R.Last));
        TFakeImages Images(Positions(10));
        EXPECT_FALSE(Images.DeleteImages(R.First, R.Last));
        EXPECT_FALSE(Images.BlankImages(R.First, R.Last));
        EXPECT_EQ(Images.IndexList, Positions(10));
        EXPECT_FALSE(Images.Modified);
    }
    TFakeImages Empty({}, 3);
    EXPECT_FALSE(Empty.DeleteImages(0, 0));
    EXPECT_FALSE(Empty.BlankImages(0, 0));
}

TEST(BaseOperations, UnsupportedOperationsAnswerFalseOrDoNothing)
{
    TWMImages Images;
    TDIB DIB;
    DIB.SetBitCount(8);
    EXPECT_FALSE(Images.AddImage(&DIB, 0, 0, 0));
    EXPECT_FALSE(Images.InsertImage(0, &DIB, 0, 0, 0));
    EXPECT_FALSE(Images.ReplaceImage(0, &DIB, 0, 0, 0));
    EXPECT_FALSE(Images.AddPreparedImage(TPreparedImage{}));
    EXPECT_EQ(Images.PrepareImage(&DIB, 0, 0, 0).What, TPreparedImage::Action::Ignore);
    EXPECT_EQ(Images.GetImageKind(0), 0);
    std::unique_ptr<TGraphic> Graphic;
    Images.LoadDIBAt(60, Graphic);
    Images.LoadPNGAt(60, Graphic);
    EXPECT_EQ(Graphic, nullptr);
    EXPECT_FALSE(Images.Modified);
}

TEST(BaseOperations, FinalizeReleasesCacheIndexAndStreamButKeepsCountAndName)
{
    TFakeImages Images({10, 20});
    Images.SetFileName("lib.wzl");
    Images.GetGraphic(0);
    Images.Finalize();
    EXPECT_TRUE(Images.IndexList.empty());
    EXPECT_TRUE(Images.ImageCache.empty());
    EXPECT_EQ(Images.Stream, nullptr);
    EXPECT_EQ(Images.ImageCount, 2);
    EXPECT_EQ(Images.FileName, "lib.wzl");
    EXPECT_EQ(Images.GetGraphic(0), nullptr);  // no cache: nothing to hand out, no crash
}

class InitializeTest : public test::TempDirTest {};

TEST_F(InitializeTest, MissingNameOrFileRaisesTheLibraryMessages)
{
    TWMImages Images;
    try {
        Images.Initialize();
        FAIL() << "no exception";
    } catch (const EVelkaError& Error) {
        EXPECT_STREQ(Error.what(), "FileName not assigned..");
    }
    Images.SetFileName("C:\\x.wzl");
    try {
        Images.Initialize();
        FAIL() << "no exception";
    } catch (const EVelkaError& Error) {
        EXPECT_STREQ(Error.what(), "File not found:C:\\x.wzl");
    }
    Images.SetFileName(Temp.Path());  // a folder is not a library file
    EXPECT_THROW(Images.Initialize(), EVelkaError);
    Images.SetFileName(Temp.Write("there.wzl", {1}));
    EXPECT_NO_THROW(Images.Initialize());
}

TEST(FileNames, UpperExtensionTakesTheLastDotOfTheLastComponent)
{
    struct Case { const char* Name; const char* Extension; };
    for (const Case& C : {Case{"a.Wis", ".WIS"}, Case{"/x/lib.data", ".DATA"}, Case{"a.b.wzl", ".WZL"},
                          Case{"dir.x/file", ""}, Case{"C:\\dir.x\\file", ""}, Case{"C:\\d\\f.wil", ".WIL"},
                          Case{"noext", ""}, Case{"trailing.", "."}, Case{"", ""}}) {
        EXPECT_EQ(UpperExtension(C.Name), QString(C.Extension)) << C.Name;
    }
}

TEST(FileNames, ChangeFileExtReplacesOrAppends)
{
    struct Case { const char* Name; const char* Result; };
    for (const Case& C : {Case{"a.wil", "a.wix"}, Case{"/d/a.b.WIL", "/d/a.b.wix"}, Case{"dir.x/file", "dir.x/file.wix"},
                          Case{"C:\\dir.x\\file", "C:\\dir.x\\file.wix"}, Case{"a", "a.wix"}}) {
        EXPECT_EQ(ChangeFileExt(C.Name, ".wix"), QString(C.Result)) << C.Name;
    }
}

class OpenLibraryTest : public test::TempDirTest {};

TEST_F(OpenLibraryTest, ExactNameChoosesTheClassByExtension)
{
    const auto Wis = OpenImageLibrary(Temp.Write("a.Wis", {}), true);
    ASSERT_NE(dynamic_cast<TWILImages*>(Wis.get()), nullptr);
    EXPECT_EQ(Wis->FileName, Temp.File("a.Wis"));
    EXPECT_FALSE(Wis->Editable);
    EXPECT_EQ(Wis->Stream, nullptr);  // not initialised
    EXPECT_NE(dynamic_cast<TWILImages*>(OpenImageLibrary(Temp.Write("b.WIL", {}), true).get()), nullptr);
    EXPECT_EQ(OpenImageLibrary(Temp.Write("a.bmp", {}), true), nullptr);
    EXPECT_EQ(OpenImageLibrary(Temp.File("missing.wil"), true), nullptr);
    EXPECT_EQ(OpenImageLibrary(Temp.Path(), true), nullptr);
}

TEST_F(OpenLibraryTest, ProbingPrefersWzlThenWilThenWisThenData)
{
    Temp.Write("a.wil", {});
    Temp.Write("a.data", {});
    const auto Found = OpenImageLibrary(Temp.File("a"), false);
    ASSERT_NE(Found, nullptr);
    EXPECT_EQ(Found->FileName, Temp.File("a.wil"));
    EXPECT_EQ(OpenImageLibrary(Temp.File("none.wil"), false), nullptr);
}

TEST_F(OpenLibraryTest, CreateImageLibraryRefusesOtherFormatsAndWritesNothing)
{
    for (const char* Name : {"new.wil", "new.wis", "new.bmp", "new"}) {
        EXPECT_EQ(CreateImageLibrary(Temp.File(Name)), nullptr) << Name;
        EXPECT_FALSE(QFileInfo::exists(Temp.File(Name))) << Name;
    }
    EXPECT_FALSE(QFileInfo::exists(Temp.File("new.wix")));
}

TEST_F(OpenLibraryTest, IndexFilesAreFoundWithoutRegardToCaseButNeverAnotherLibrarys)
{
    const QString Upper = Temp.Write("lib.WIX", {});
    Temp.Write("lib.wil", {});
    EXPECT_EQ(CompanionFileName(Temp.File("lib.wil"), ".wix"), Upper);
    EXPECT_EQ(CompanionFileName(Temp.File("other.wil"), ".wix"), Temp.File("other.wix"));
    EXPECT_EQ(CompanionFileName(Temp.File("other.WIL"), ".wix"), Temp.File("other.WIX"));

    // Hum.wzl and Hum.WZL are two libraries on a case-sensitive disk: Hum.wzx is the first's.
    const QString LowerIndex = Temp.Write("Hum.wzx", {});
    Temp.Write("Hum.wzl", {});
    EXPECT_EQ(CompanionFileName(Temp.File("Hum.wzl"), ".wzx"), LowerIndex);
    EXPECT_EQ(CompanionFileName(Temp.File("Hum.WZL"), ".wzx"), Temp.File("Hum.WZX"));
}

TEST_F(OpenLibraryTest, CreatingALibraryNamedLikeAnotherButForCaseLeavesTheOtherWhole)
{
    {
        auto Existing = CreateImageLibrary(Temp.File("Hum.wzl"));
        Existing->Initialize();
        TDIB Picture;
        Picture.SetBitCount(24);
        Picture.SetSize(2, 2);
        ASSERT_TRUE(Existing->AddImage(&Picture, 1, 2, 0));
        Existing->Save();
    }
    auto Other = CreateImageLibrary(Temp.File("Hum.WZL"));
    ASSERT_NE(Other, nullptr);
    Other->Initialize();
    EXPECT_EQ(Other->ImageCount, 0);

    auto Reopened = OpenImageLibrary(Temp.File("Hum.wzl"), true);
    Reopened->Initialize();
    EXPECT_EQ(Reopened->ImageCount, 1);
    EXPECT_NE(Reopened->GetGraphic(0), nullptr);
}

}  // namespace
}  // namespace velka

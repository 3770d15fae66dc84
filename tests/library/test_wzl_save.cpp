// Saving WZL libraries: the header and index rewrite after appends, the compaction after
// deletes, and saves that fail or are interrupted, which must leave the library as it was.
#include "library/dib.h"
#include "library/errors.h"
#include "library/tempfiles.h"
#include "library/wzlimages.h"

#include "support/wzlfiles.h"

#include <QDir>

#include <gtest/gtest.h>

namespace velka {
namespace {

using namespace velka::test;

class WzlSaveTest : public WzlLibraryTest {
protected:
    void TearDown() override { TReplacementFile::SetFailureHookForTesting({}); }

    QStringList Entries() const
    {
        return QDir(Temp.Path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    // Four images: 24-bit, empty, an offsets-only entry, 8-bit; returns their pixels (empty
    // for the images without any).
    std::vector<std::vector<uint8_t>> AddFourImages(TWZLImages& Library)
    {
        auto A = PatternDIB(24, 3, 2, 1), D = PatternDIB(8, 6, 5, 4);
        std::vector<std::vector<uint8_t>> Pixels;
        Pixels.push_back(PixelsOf(*A));
        A->FlipVertical();
        Library.AddImage(A.get(), 1, 2, 0);
        Pixels.emplace_back();
        Library.AddImage(nullptr, 0, 0, 0);
        Pixels.emplace_back();
        Library.AddImage(nullptr, -4, 9, 0);
        Pixels.push_back(PixelsOf(*D));
        D->FlipVertical();
        Library.AddImage(D.get(), 0, 0, 0);
        return Pixels;
    }

    static void ExpectPixels(TWZLImages& Library, int32_t Index, const std::vector<uint8_t>& Pixels)
    {
        SCOPED_TRACE(Index);
        const TGraphic* Graphic = Library.GetGraphic(Index);
        if (Pixels.empty()) {
            EXPECT_TRUE(!Graphic || Graphic->Empty());
            return;
        }
        const TDIB* DIB = Library.GetDIB(Index);
        ASSERT_NE(DIB, nullptr);
        EXPECT_EQ(PixelsOf(*DIB), Pixels);
    }

    // Entry i starts where entry i - 1 ends, the first at 64, and the file ends with the last.
    void ExpectContiguousEntries(const TWZLImages& Library) const
    {
        const std::vector<uint8_t> Data = DataBytes();
        int64_t Next = 64;
        for (int32_t Position : Library.IndexList) {
            if (Position <= 0)
                continue;
            EXPECT_EQ(Position, Next);
            const uint32_t Length = U32At(Data, size_t(Position) + 12);
            const int16_t Width = I16At(Data, size_t(Position) + 4), Height = I16At(Data, size_t(Position) + 6);
            const int64_t Raw = Length == 0 && Width > 0 && Height > 0 ? int64_t(Width) * Height * 2 : 0;
            Next = Position + 16 + int64_t(Length) + Raw;
        }
        EXPECT_EQ(int64_t(Data.size()), Next);
    }
};

TEST_F(WzlSaveTest, SaveAfterAppendsRewritesOnlyTheHeaderAndTheIndex)
{
    auto Library = CreateAndOpen();
    const std::vector<std::vector<uint8_t>> Pixels = AddFourImages(*Library);
    const std::vector<int32_t> Positions = Library->IndexList;
    const std::vector<uint8_t> Before = DataBytes();
    Library->Save();

    const std::vector<uint8_t> Data = DataBytes(), Index = IndexBytes();
    ASSERT_EQ(Data.size(), Before.size());
    EXPECT_TRUE(std::equal(Data.begin() + 64, Data.end(), Before.begin() + 64));  // entries untouched
    EXPECT_EQ(I32At(Data, 44), 4);                                              // Header.Count
    EXPECT_TRUE(std::equal(Data.begin(), Data.begin() + 44, Before.begin()));   // title as it was

    ASSERT_EQ(Index.size(), 48u + 4 * 4);
    EXPECT_EQ(Index[0], 43);
    EXPECT_TRUE(std::equal(Index.begin() + 1, Index.begin() + 44, Data.begin() + 1));
    EXPECT_EQ(I32At(Index, 44), 4);
    for (size_t I = 0; I < Positions.size(); ++I)
        EXPECT_EQ(I32At(Index, 48 + 4 * I), Positions[I]);

    EXPECT_EQ(Library->IndexList, Positions);
    EXPECT_EQ(Library->ImageCount, 4);
    EXPECT_FALSE(Library->Modified);
    for (int32_t I = 0; I < 4; ++I)
        ExpectPixels(*Library, I, Pixels[I]);
}

TEST_F(WzlSaveTest, TheIndexTitleIsTheDataTitleReadAsALengthPrefixedText)
{
    struct Case {
        const char* Name;
        std::string Title;
        std::vector<uint8_t> Expected;  // the index file's first 44 bytes
    };
    std::vector<uint8_t> Long(44, 0);
    Long[0] = 43;
    for (int I = 1; I < 44; ++I)
        Long[size_t(I)] = uint8_t('A' + I % 26);
    std::vector<uint8_t> Short(44, 0);
    Short[0] = 3;
    Short[1] = 'a', Short[2] = 'b', Short[3] = 'c';
    const Case Cases[] = {
        {"length byte 3", std::string("\x03" "abcdef", 7), Short},
        {"length byte 200 is cut to 43", std::string("\xC8") + std::string(Long.begin() + 1, Long.end()), Long},
        {"length byte 0", std::string("\0xyz", 4), std::vector<uint8_t>(44, 0)},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        TWzlBuilder Builder(0, C.Title);
        WriteLibrary(Builder.Data(), {});
        auto Library = Open();
        Library->Save();
        const std::vector<uint8_t> Index = IndexBytes();
        ASSERT_EQ(Index.size(), 48u);
        EXPECT_EQ(std::vector<uint8_t>(Index.begin(), Index.begin() + 44), C.Expected);
    }
}

TEST_F(WzlSaveTest, SaveAfterDeleteCompactsTheDataFile)
{
    auto Library = CreateAndOpen();
    auto Unwanted = PatternDIB(32, 7, 7, 9);
    Library->AddImage(Unwanted.get(), 0, 0, 0);
    const std::vector<std::vector<uint8_t>> Pixels = AddFourImages(*Library);
    Library->Header.Reserved[3] = 0xAB;  // kept as read
    Library->Save();
    const int32_t CountBefore = Library->Header.Count;
    EXPECT_EQ(CountBefore, 5);

    ASSERT_TRUE(Library->DeleteImages(0, 0));
    Library->AddImage(nullptr, 0, 0, 0);  // counted, so the compaction must reset the count
    Library->Save();

    ASSERT_EQ(Library->ImageCount, 5);
    EXPECT_EQ(Library->IndexList[0], 64);
    EXPECT_EQ(Library->IndexList[1], 0);
    ExpectContiguousEntries(*Library);
    const std::vector<uint8_t> Data = DataBytes();
    EXPECT_EQ(I32At(Data, 44), 5);
    EXPECT_EQ(Library->Header.Count, 5);
    EXPECT_EQ(Data[48 + 3], 0xAB);
    const std::vector<uint8_t> Index = IndexBytes();
    ASSERT_EQ(Index.size(), 48u + 5 * 4);
    for (size_t I = 0; I < 5; ++I)
        EXPECT_EQ(I32At(Index, 48 + 4 * I), Library->IndexList[I]);
    for (int32_t I = 0; I < 4; ++I)
        ExpectPixels(*Library, I, Pixels[size_t(I)]);
    int32_t W, H, X, Y;
    ASSERT_TRUE(Library->GetImageInfo(2, W, H, X, Y));
    EXPECT_EQ(X, -4);
    EXPECT_EQ(Y, 9);
    EXPECT_EQ(Entries(), (QStringList{"lib.wzl", "lib.wzx"}));
}

TEST_F(WzlSaveTest, CompactionKeepsRawEntriesWithTheirPixels)
{
    const std::vector<uint8_t> Raw = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    TWzlBuilder Builder(3);
    const int32_t Dropped = Builder.Add(CompressedEntry(6, 2, 2, std::vector<uint8_t>(16, 7)));
    const int32_t RawEntry = Builder.Add({5, 9, 4, 2, 3, 4, 0, Raw});
    const int32_t Offsets = Builder.Add({0, 0, 0, 0, 5, 6, 0, {}});
    WriteLibrary(Builder.Data(), {Dropped, RawEntry, -12, Offsets});
    auto Library = Open();
    ASSERT_TRUE(Library->BlankImages(0, 0));
    Library->Save();

    EXPECT_EQ(Library->IndexList, (std::vector<int32_t>{0, 64, -12, 64 + 16 + 16}));
    ExpectContiguousEntries(*Library);
    ExpectPixels(*Library, 1, Raw);
    EXPECT_EQ(Library->GetImageKind(1), 1);  // the flag byte travels with the entry
    int32_t W, H, X, Y;
    ASSERT_TRUE(Library->GetImageInfo(3, W, H, X, Y));
    EXPECT_EQ(X, 5);
    EXPECT_EQ(Y, 6);
}

TEST_F(WzlSaveTest, ASaveThatFailsPartWayLeavesEverythingAsItWas)
{
    TWzlBuilder Builder(3);
    const int32_t First = Builder.Add(CompressedEntry(6, 1, 1, {1, 2, 3, 0}));
    const int32_t Second = Builder.Add(CompressedEntry(6, 1, 1, {4, 5, 6, 0}));
    // The last entry claims more payload than the file holds.
    const int32_t Broken = Builder.Add({6, 0, 1, 1, 0, 0, 1000, {1, 2, 3}});
    WriteLibrary(Builder.Data(), {First, Second, Broken});
    const std::vector<uint8_t> Data = DataBytes(), Index = IndexBytes();
    auto Library = Open();
    ASSERT_TRUE(Library->DeleteImages(0, 0));
    const std::vector<int32_t> Positions = Library->IndexList;

    EXPECT_THROW(Library->Save(), EStreamError);
    EXPECT_EQ(DataBytes(), Data);
    EXPECT_EQ(IndexBytes(), Index);
    EXPECT_EQ(Library->IndexList, Positions);
    EXPECT_TRUE(Library->Modified);
    EXPECT_EQ(Entries(), (QStringList{"lib.wzl", "lib.wzx"}));
    // Still open and readable.
    ExpectPixels(*Library, 0, {4, 5, 6, 0});
}

TEST_F(WzlSaveTest, AnInterruptedCompactionLeavesTheOldLibraryReadable)
{
    struct Case {
        const char* Stage;
        int Nth;
    };
    const Case Cases[] = {{"write", 1}, {"write", 3}, {"write", 7}, {"flush", 1}, {"flush", 2}, {"rename", 1}, {"rename", 2}};
    for (const Case& C : Cases) {
        SCOPED_TRACE(std::string(C.Stage) + " " + std::to_string(C.Nth));
        std::vector<std::vector<uint8_t>> Pixels;
        {
            auto Library = CreateAndOpen();
            Pixels = AddFourImages(*Library);
            Library->Save();
        }
        const std::vector<uint8_t> Data = DataBytes(), Index = IndexBytes();
        auto Library = Open();
        ASSERT_TRUE(Library->DeleteImages(1, 1));
        const std::vector<int32_t> Positions = Library->IndexList;

        auto Seen = std::make_shared<int>(0);
        TReplacementFile::SetFailureHookForTesting([C, Seen](const char* Stage) {
            if (std::string(Stage) == C.Stage && ++*Seen == C.Nth)
                throw EStreamError("simulated failure");
        });
        EXPECT_THROW(Library->Save(), EStreamError);
        TReplacementFile::SetFailureHookForTesting({});

        EXPECT_EQ(DataBytes(), Data);
        EXPECT_EQ(IndexBytes(), Index);
        EXPECT_EQ(Library->IndexList, Positions);
        EXPECT_EQ(Entries(), (QStringList{"lib.wzl", "lib.wzx"}));
        auto Reopened = Open();
        ASSERT_EQ(Reopened->ImageCount, 4);
        for (int32_t I = 0; I < 4; ++I)
            ExpectPixels(*Reopened, I, Pixels[size_t(I)]);
        // The failed save can simply be tried again.
        Library->Save();
        EXPECT_EQ(Library->ImageCount, 3);
        ExpectPixels(*Library, 2, Pixels[3]);
    }
}

TEST_F(WzlSaveTest, AnInterruptedSaveAfterAppendsLeavesBothFilesAsTheyWere)
{
    auto Library = CreateAndOpen();
    AddFourImages(*Library);
    Library->Save();
    auto Extra = PatternDIB(24, 2, 2, 5);
    Library->AddImage(Extra.get(), 0, 0, 0);
    const std::vector<uint8_t> Data = DataBytes(), Index = IndexBytes();

    TReplacementFile::SetFailureHookForTesting([](const char* Stage) {
        if (std::string(Stage) == "rename")
            throw EStreamError("simulated failure");
    });
    EXPECT_THROW(Library->Save(), EStreamError);
    TReplacementFile::SetFailureHookForTesting({});
    EXPECT_EQ(DataBytes(), Data);
    EXPECT_EQ(IndexBytes(), Index);
    EXPECT_EQ(Open()->ImageCount, 4);
}

TEST_F(WzlSaveTest, SaveWritesTheIndexFileThatWasRead)
{
    TWzlBuilder Builder(1);
    const int32_t Position = Builder.Add(CompressedEntry(6, 1, 1, {1, 2, 3, 0}));
    Temp.Write("lib.wzl", Builder.Data());
    Temp.Write("lib.WZX", WzxBytes({Position}));
    auto Library = Open();
    Library->AddImage(nullptr, 0, 0, 0);
    Library->Save();
    EXPECT_EQ(Entries(), (QStringList{"lib.WZX", "lib.wzl"}));
    EXPECT_EQ(Library->IndexList, (std::vector<int32_t>{Position, 0}));
}

TEST_F(WzlSaveTest, AppendsToAFileShorterThanItsHeaderLandBehindTheHeader)
{
    Temp.Write("lib.wzl", {'a', 'b', 'c'});
    auto Library = Open();
    auto DIB = PatternDIB(24, 2, 2, 1);
    const std::vector<uint8_t> Pixels = PixelsOf(*DIB);
    DIB->FlipVertical();
    Library->AddImage(DIB.get(), 0, 0, 0);
    EXPECT_EQ(Library->IndexList, std::vector<int32_t>{64});
    Library->Save();
    ExpectPixels(*Library, 0, Pixels);
}

}  // namespace
}  // namespace velka

// The WZL writers: entry bytes, the flip of the caller's bitmap, offsets-only entries, ignored
// PNG pictures, index and count bookkeeping, and the in-place header edits.
#include "library/dib.h"
#include "library/errors.h"
#include "library/pngobject.h"
#include "library/wzlimages.h"

#include "support/wzlfiles.h"

#include <gtest/gtest.h>

#include <thread>

namespace velka {
namespace {

using namespace velka::test;

class WzlWriteTest : public WzlLibraryTest {
protected:
    // A library holding one 1 x 1 image, so that insert and replace have a number to work on.
    std::unique_ptr<TWZLImages> OpenWithOneImage()
    {
        auto Library = CreateAndOpen();
        auto DIB = PatternDIB(24, 1, 1, 1);
        Library->AddImage(DIB.get(), 0, 0, 0);
        Library->Save();
        return Library;
    }
};

enum class Writer { Add, Insert, Replace };

const char* NameOf(Writer W) { return W == Writer::Add ? "AddImage" : W == Writer::Insert ? "InsertImage" : "ReplaceImage"; }

bool Write(TWZLImages& Library, Writer W, TGraphic* Graphic, int32_t X, int32_t Y)
{
    switch (W) {
    case Writer::Add: return Library.AddImage(Graphic, X, Y, 0);
    case Writer::Insert: return Library.InsertImage(0, Graphic, X, Y, 0);
    case Writer::Replace: return Library.ReplaceImage(0, Graphic, X, Y, 0);
    }
    return false;
}

TEST_F(WzlWriteTest, AnEmptyImageWithoutOffsetsWritesNothing)
{
    auto Library = CreateAndOpen();
    const std::vector<uint8_t> Before = DataBytes();
    TDIB EmptyBitmap;
    for (TGraphic* Graphic : {static_cast<TGraphic*>(nullptr), static_cast<TGraphic*>(&EmptyBitmap)}) {
        EXPECT_TRUE(Library->AddImage(Graphic, 0, 0, 0));
    }
    EXPECT_EQ(Library->IndexList, (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(Library->Header.Count, 2);
    EXPECT_FALSE(Library->Modified);
    EXPECT_EQ(DataBytes(), Before);
}

TEST_F(WzlWriteTest, AnEmptyImageWithOffsetsGetsAnOffsetsOnlyHeader)
{
    const std::vector<uint8_t> Expected = {0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0xFD, 0xFF, 0, 0, 0, 0};
    for (Writer W : {Writer::Add, Writer::Insert, Writer::Replace}) {
        SCOPED_TRACE(NameOf(W));
        auto Library = OpenWithOneImage();
        const std::vector<uint8_t> Before = DataBytes();
        const int32_t CountBefore = Library->Header.Count;
        ASSERT_TRUE(Write(*Library, W, nullptr, 5, -3));
        const std::vector<uint8_t> After = DataBytes();
        ASSERT_EQ(After.size(), Before.size() + 16);
        EXPECT_TRUE(std::equal(Before.begin(), Before.end(), After.begin()));
        EXPECT_EQ(std::vector<uint8_t>(After.end() - 16, After.end()), Expected);
        const int32_t Slot = W == Writer::Add ? 1 : 0;
        EXPECT_EQ(Library->IndexList.at(Slot), int32_t(Before.size()));
        EXPECT_EQ(Library->Header.Count, CountBefore + (W == Writer::Replace ? 0 : 1));
        EXPECT_EQ(Library->Modified, W == Writer::Replace);
    }
}

TEST_F(WzlWriteTest, PngPicturesAreIgnored)
{
    TPNGObject Png(QImage(2, 2, QImage::Format_ARGB32));
    ASSERT_FALSE(Png.Empty());
    for (Writer W : {Writer::Add, Writer::Insert, Writer::Replace}) {
        SCOPED_TRACE(NameOf(W));
        auto Library = OpenWithOneImage();
        const std::vector<uint8_t> Before = DataBytes();
        const std::vector<int32_t> Index = Library->IndexList;
        const int32_t Count = Library->Header.Count;
        EXPECT_TRUE(Write(*Library, W, &Png, 1, 1));
        EXPECT_EQ(DataBytes(), Before);
        EXPECT_EQ(Library->IndexList, Index);
        EXPECT_EQ(Library->Header.Count, Count);
        EXPECT_EQ(Library->Modified, W == Writer::Replace);
    }
}

TEST_F(WzlWriteTest, A3x2BitmapOf24BitsIsStoredWithPaddedRowsBottomRowFirst)
{
    auto Library = CreateAndOpen();
    auto DIB = PatternDIB(24, 3, 2, 10);
    const std::vector<uint8_t> Top(DIB->ScanLine(0), DIB->ScanLine(0) + 9);
    const std::vector<uint8_t> Bottom(DIB->ScanLine(1), DIB->ScanLine(1) + 9);
    ASSERT_TRUE(Library->AddImage(DIB.get(), 4, -2, 0));

    // The caller's bitmap comes back flipped.
    EXPECT_TRUE(std::equal(Bottom.begin(), Bottom.end(), DIB->ScanLine(0)));
    EXPECT_TRUE(std::equal(Top.begin(), Top.end(), DIB->ScanLine(1)));

    const std::vector<uint8_t> Data = DataBytes();
    ASSERT_EQ(Library->IndexList, std::vector<int32_t>{64});
    ASSERT_GE(Data.size(), 80u);
    EXPECT_EQ(Data[64], 6);
    EXPECT_EQ(Data[65], 0);
    EXPECT_EQ(U16At(Data, 66), 0);
    EXPECT_EQ(I16At(Data, 68), 3);
    EXPECT_EQ(I16At(Data, 70), 2);
    EXPECT_EQ(I16At(Data, 72), 4);
    EXPECT_EQ(I16At(Data, 74), -2);
    const uint32_t Length = U32At(Data, 76);
    ASSERT_EQ(Data.size(), 80 + Length);
    // Stored row 0 is the bottom scan line of the flipped bitmap: the caller's top row.
    std::vector<uint8_t> Rows = Top;
    Rows.insert(Rows.end(), 3, 0);
    Rows.insert(Rows.end(), Bottom.begin(), Bottom.end());
    Rows.insert(Rows.end(), 3, 0);
    EXPECT_EQ(ZlibInflate(Data.data() + 80, Length, 24), Rows);
}

TEST_F(WzlWriteTest, AnUpsideDownBitmapReadsBackTheRightWayUp)
{
    for (int Bits : {8, 16, 24, 32}) {
        SCOPED_TRACE(Bits);
        auto Library = CreateAndOpen();
        auto Picture = PatternDIB(Bits, 5, 3, uint8_t(Bits));
        const std::vector<uint8_t> Original = PixelsOf(*Picture);
        Picture->FlipVertical();  // what every caller does before handing a picture in
        ASSERT_TRUE(Library->AddImage(Picture.get(), 0, 0, 0));
        Library->Save();

        const TDIB* Read = Library->GetDIB(0);
        ASSERT_NE(Read, nullptr);
        EXPECT_EQ(Read->BitCount(), Bits);
        EXPECT_EQ(PixelsOf(*Read), Original);
        const std::vector<uint8_t> Data = DataBytes();
        EXPECT_TRUE(std::equal(Library->LastWzlHeader.begin(), Library->LastWzlHeader.end(), Data.begin() + 64));
        if (Bits == 8) {
            EXPECT_EQ(Read->ColorTable(), DefaultPalette);
        }
    }
}

TEST_F(WzlWriteTest, InsertReplaceAndTheirBookkeeping)
{
    auto Library = OpenWithOneImage();
    const int32_t First = Library->IndexList[0];
    auto A = PatternDIB(24, 2, 2, 1), B = PatternDIB(24, 2, 2, 2);

    const auto End = int32_t(DataBytes().size());
    ASSERT_TRUE(Library->InsertImage(0, A.get(), 0, 0, 0));
    EXPECT_EQ(Library->IndexList, (std::vector<int32_t>{End, First}));
    EXPECT_EQ(Library->Header.Count, 2);
    EXPECT_FALSE(Library->Modified);

    ASSERT_TRUE(Library->InsertImage(2, nullptr, 0, 0, 0));  // at the end
    EXPECT_EQ(Library->IndexList, (std::vector<int32_t>{End, First, 0}));
    EXPECT_EQ(Library->Header.Count, 3);

    const auto NewEnd = int32_t(DataBytes().size());
    ASSERT_TRUE(Library->ReplaceImage(1, B.get(), 0, 0, 0));
    EXPECT_EQ(Library->IndexList, (std::vector<int32_t>{End, NewEnd, 0}));
    EXPECT_EQ(Library->Header.Count, 3);
    EXPECT_TRUE(Library->Modified);
}

TEST_F(WzlWriteTest, OutOfRangeNumbersRaiseAndChangeNothing)
{
    auto Library = OpenWithOneImage();
    const std::vector<uint8_t> Before = DataBytes();
    auto DIB = PatternDIB(24, 2, 2, 3);
    const std::vector<uint8_t> Pixels = PixelsOf(*DIB);
    EXPECT_THROW(Library->InsertImage(-1, DIB.get(), 0, 0, 0), EListError);
    EXPECT_THROW(Library->InsertImage(2, DIB.get(), 0, 0, 0), EListError);
    EXPECT_THROW(Library->ReplaceImage(1, DIB.get(), 0, 0, 0), EListError);
    EXPECT_THROW(Library->ReplaceImage(-1, nullptr, 1, 1, 0), EListError);
    EXPECT_THROW(Library->SetImageOffset(1, 1, 1), EListError);
    EXPECT_THROW(Library->SetImageFlag(-1, 1), EListError);
    EXPECT_THROW(Library->GetImageKind(1), EListError);
    EXPECT_EQ(DataBytes(), Before);
    EXPECT_EQ(PixelsOf(*DIB), Pixels);  // not flipped either
    EXPECT_EQ(Library->IndexList.size(), 1u);
    EXPECT_FALSE(Library->Modified);
}

TEST_F(WzlWriteTest, BitmapsTooLargeForTheEntryAreRefused)
{
    auto Library = CreateAndOpen();
    const std::vector<uint8_t> Before = DataBytes();
    auto Wide = PatternDIB(8, 32768, 2, 1);
    const std::vector<uint8_t> Pixels = PixelsOf(*Wide);
    EXPECT_THROW(Library->AddImage(Wide.get(), 0, 0, 0), EFormatError);
    EXPECT_EQ(PixelsOf(*Wide), Pixels);
    EXPECT_EQ(DataBytes(), Before);
    EXPECT_TRUE(Library->IndexList.empty());
}

TEST_F(WzlWriteTest, SetImageFlagRewritesOnlyTheFlagByte)
{
    TWzlBuilder Builder(1);
    const int32_t Position = Builder.Add({6, 0, 1, 1, 7, 8, 4, {1, 2, 3, 4}});
    WriteLibrary(Builder.Data(), {Position});
    auto Library = Open();
    struct Step {
        uint8_t Flag;
        uint8_t Stored;
        uint8_t Kind;
    };
    const Step Steps[] = {{1, 9, 1}, {2, 9, 1}, {0, 1, 0}, {200, 1, 0}, {1, 9, 1}};
    for (const Step& S : Steps) {
        SCOPED_TRACE(int(S.Flag));
        std::vector<uint8_t> Expected = DataBytes();
        Expected[size_t(Position) + 1] = S.Stored;
        Library->SetImageFlag(0, S.Flag);
        EXPECT_EQ(DataBytes(), Expected);
        EXPECT_EQ(Library->GetImageKind(0), S.Kind);
    }
}

TEST_F(WzlWriteTest, SetImageOffsetWritesTheLow16BitsInPlace)
{
    TWzlBuilder Builder(1);
    const int32_t Position = Builder.Add({6, 9, 1, 1, 7, 8, 4, {1, 2, 3, 4}});
    WriteLibrary(Builder.Data(), {Position});
    auto Library = Open();
    std::vector<uint8_t> Expected = DataBytes();
    Library->SetImageOffset(0, 70000, -1);
    Expected[size_t(Position) + 8] = 70000 & 0xFF;
    Expected[size_t(Position) + 9] = (70000 >> 8) & 0xFF;
    Expected[size_t(Position) + 10] = 0xFF;
    Expected[size_t(Position) + 11] = 0xFF;
    EXPECT_EQ(DataBytes(), Expected);
    int32_t W, H, X, Y;
    ASSERT_TRUE(Library->GetImageInfo(0, W, H, X, Y));
    EXPECT_EQ(X, int16_t(70000 & 0xFFFF));
    EXPECT_EQ(Y, -1);
}

TEST_F(WzlWriteTest, EmptyImagesHaveNoHeaderToEdit)
{
    auto Library = CreateAndOpen();
    Library->AddImage(nullptr, 0, 0, 0);
    Library->Save();
    ASSERT_EQ(Library->IndexList, std::vector<int32_t>{0});
    const std::vector<uint8_t> Data = DataBytes(), Index = IndexBytes();
    Library->SetImageOffset(0, 5, 5);
    Library->SetImageFlag(0, 1);
    EXPECT_EQ(DataBytes(), Data);
    EXPECT_EQ(IndexBytes(), Index);
    EXPECT_EQ(Library->GetImageKind(0), 0);
}

TEST_F(WzlWriteTest, PositionsInsideTheFileHeaderAreNeverEdited)
{
    // Position 36 would put the entry's offsets over the header's image count.
    TWzlBuilder Builder(3);
    Builder.Add(CompressedEntry(6, 1, 1, {1, 2, 3, 0}));
    for (const int32_t Position : {1, 36, 48}) {
        SCOPED_TRACE(Position);
        WriteLibrary(Builder.Data(), {Position});
        auto Library = Open();
        Library->SetImageOffset(0, 0x1234, 0x5678);
        Library->SetImageFlag(0, 1);
        EXPECT_EQ(DataBytes(), Builder.Data());
    }
}

TEST_F(WzlWriteTest, EditingAHeaderPastTheEndOfTheFileRaises)
{
    TWzlBuilder Builder(1);
    WriteLibrary(Builder.Data(), {5000});
    auto Library = Open();
    EXPECT_THROW(Library->SetImageOffset(0, 1, 1), EStreamError);
    EXPECT_THROW(Library->SetImageFlag(0, 1), EStreamError);
    EXPECT_EQ(DataBytes(), Builder.Data());
}

TEST_F(WzlWriteTest, APositionPastTheEndNeverReachesEntriesAppendedLater)
{
    // Image 1 points two bytes before the end of the data file, so the next entry is appended
    // right where its "header" would be: neither reading nor editing image 1 may touch it.
    TWzlBuilder Builder(2);
    const int32_t First = Builder.Add(CompressedEntry(6, 1, 1, {1, 2, 3, 0}));
    const auto Dangling = int32_t(Builder.Data().size()) - 2;
    WriteLibrary(Builder.Data(), {First, Dangling});
    auto Library = Open();
    const std::unique_ptr<TDIB> Bitmap = PatternDIB(16, 3, 2, 9);
    ASSERT_TRUE(Library->AddImage(Bitmap.get(), -4, 7, 0));
    ASSERT_EQ(Library->PositionOf(2), Dangling + 2);
    EXPECT_THROW(Library->SetImageOffset(1, 9, 9), EStreamError);
    EXPECT_THROW(Library->SetImageFlag(1, 1), EStreamError);
    int32_t W = 1, H = 1, X = 1, Y = 1;
    ASSERT_TRUE(Library->GetImageInfo(1, W, H, X, Y));
    EXPECT_EQ(std::vector<int32_t>({W, H, X, Y}), std::vector<int32_t>({0, 0, 0, 0}));
    Library->Save();

    // Saved as the empty image it read as, so it cannot point into the new entry later either.
    auto Reopened = Open();
    EXPECT_EQ(Reopened->IndexList, std::vector<int32_t>({First, 0, Dangling + 2}));
    Reopened->SetImageOffset(1, 9, 9);
    ASSERT_TRUE(Reopened->GetImageInfo(2, W, H, X, Y));
    EXPECT_EQ(std::vector<int32_t>({W, H, X, Y}), std::vector<int32_t>({3, 2, -4, 7}));
    ASSERT_NE(Reopened->GetDIB(2), nullptr);
    EXPECT_EQ(PixelsOf(*Reopened->GetDIB(2)), PixelsOf(*Bitmap));
}

TEST_F(WzlWriteTest, PreparedOnWorkerThreadsEqualsAddImage)
{
    constexpr int Images = 12;
    std::vector<std::unique_ptr<TDIB>> ForAdd, ForPrepare;
    for (int I = 0; I < Images; ++I) {
        ForAdd.push_back(PatternDIB(I % 2 ? 24 : 8, 20 + I, 10 + I, uint8_t(I)));
        ForPrepare.push_back(PatternDIB(I % 2 ? 24 : 8, 20 + I, 10 + I, uint8_t(I)));
    }
    {
        auto Library = CreateAndOpen();
        for (int I = 0; I < Images; ++I)
            Library->AddImage(I == 5 ? nullptr : ForAdd[I].get(), I, -I, 0);
        Library->Save();
    }
    const std::vector<uint8_t> Sequential = DataBytes(), SequentialIndex = IndexBytes();

    auto Library = CreateAndOpen();
    std::vector<TPreparedImage> Prepared(Images);
    std::vector<std::thread> Workers;
    for (int T = 0; T < 3; ++T)
        Workers.emplace_back([&, T] {
            for (int I = T; I < Images; I += 3)
                Prepared[I] = Library->PrepareImage(I == 5 ? nullptr : ForPrepare[I].get(), I, -I, 0);
        });
    for (std::thread& Worker : Workers)
        Worker.join();
    for (const TPreparedImage& Image : Prepared)
        ASSERT_TRUE(Library->AddPreparedImage(Image));
    Library->Save();
    EXPECT_EQ(DataBytes(), Sequential);
    EXPECT_EQ(IndexBytes(), SequentialIndex);
    for (int I = 0; I < Images; ++I)
        EXPECT_EQ(PixelsOf(*ForPrepare[I]), PixelsOf(*ForAdd[I]));  // flipped alike
}

}  // namespace
}  // namespace velka

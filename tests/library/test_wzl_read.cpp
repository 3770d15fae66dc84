// Reading WZL libraries built byte by byte: headers, index files, every pixel format, the raw
// form, and damaged or hostile entries, which must read as blank or missing images.
#include "library/dib.h"
#include "library/errors.h"
#include "library/wzlimages.h"

#include "support/wzlfiles.h"

#include <gtest/gtest.h>

namespace velka {
namespace {

using namespace velka::test;

class WzlReadTest : public WzlLibraryTest {};

TEST_F(WzlReadTest, CreateEmptyFileWritesTheTwoHeaders)
{
    TWZLImages::CreateEmptyFile(DataName());
    const std::vector<uint8_t> Data = DataBytes(), Index = IndexBytes();
    ASSERT_EQ(Data.size(), 64u);
    ASSERT_EQ(Index.size(), 48u);
    const std::string Title = TWZLImages::NewFileTitle;
    ASSERT_EQ(Title.size(), 19u);
    EXPECT_GT(Title[0], 43);
    for (char C : Title)
        EXPECT_TRUE((C >= 'a' && C <= 'z') || C == '.') << C;
    for (const std::vector<uint8_t>* File : {&Data, &Index}) {
        EXPECT_EQ(std::string(File->begin(), File->begin() + 19), Title);
        EXPECT_TRUE(std::all_of(File->begin() + 19, File->end(), [](uint8_t B) { return B == 0; }));
    }
    const auto Library = Open();
    EXPECT_EQ(Library->ImageCount, 0);
    EXPECT_TRUE(Library->IndexList.empty());
    EXPECT_EQ(std::string(Library->Header.Title.begin(), Library->Header.Title.begin() + 19), Title);
}

TEST_F(WzlReadTest, EveryFormatCodeDecodesInStoredRowOrder)
{
    struct Case {
        uint8_t Format;
        int Bits;
        uint8_t BytesPerPixel;
        uint32_t RedMask;
    };
    const Case Cases[] = {
        {3, 8, 1, 0xFF0000}, {5, 16, 2, 0xF800}, {6, 24, 3, 0xFF0000},
        {7, 32, 4, 0xFF0000}, {4, 16, 2, 0xF800}, {200, 16, 2, 0xF800},  // unknown codes read as 5-6-5
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(int(C.Format));
        const int Width = 3, Height = 2, Row = WidthBytes(Width, C.Bits);
        std::vector<uint8_t> Stored(size_t(Row) * Height);
        for (size_t I = 0; I < Stored.size(); ++I)
            Stored[I] = uint8_t(I * 5 + 1);
        TWzlBuilder Builder(1);
        TWzlEntry Entry = CompressedEntry(C.Format, Width, Height, Stored, -7, 300);
        const int32_t Position = Builder.Add(Entry);
        WriteLibrary(Builder.Data(), {Position});

        const auto Library = Open();
        ASSERT_EQ(Library->ImageCount, 1);
        TDIB* DIB = Library->GetDIB(0);
        ASSERT_NE(DIB, nullptr);
        EXPECT_EQ(DIB->BitCount(), C.Bits);
        EXPECT_EQ(DIB->RedMask(), C.RedMask);
        EXPECT_EQ(DIB->Width(), Width);
        EXPECT_EQ(DIB->Height(), Height);
        EXPECT_EQ(Library->BytesPerPixel, C.BytesPerPixel);
        // Stored row j is scan line Height - 1 - j.
        for (int J = 0; J < Height; ++J) {
            EXPECT_TRUE(std::equal(Stored.begin() + J * Row, Stored.begin() + (J + 1) * Row,
                                   DIB->ScanLine(Height - 1 - J)));
        }
        if (C.Bits == 8) {
            EXPECT_EQ(DIB->ColorTable(), DefaultPalette);
        }
        const std::vector<uint8_t> Header = WzlEntryBytes(Entry);
        EXPECT_TRUE(std::equal(Header.begin(), Header.end(), Library->LastWzlHeader.begin()));
    }
}

TEST_F(WzlReadTest, RawEntriesAreCopiedToTheStartOfThePixelMemory)
{
    const std::vector<uint8_t> Raw = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    TWzlBuilder Builder(3);
    const int32_t Whole = Builder.Add({5, 0, 4, 2, 0, 0, 0, Raw});
    const int32_t Cut = Builder.Add({5, 0, 4, 2, 0, 0, 0, {1, 2, 3}});  // runs past the end of the file
    WriteLibrary(Builder.Data(), {Whole, Cut});
    const auto Library = Open();

    const TDIB* DIB = Library->GetDIB(0);
    ASSERT_NE(DIB, nullptr);
    EXPECT_EQ(DIB->BitCount(), 16);
    ASSERT_EQ(DIB->PixelBytes(), 16u);
    EXPECT_EQ(PixelsOf(*DIB), Raw);

    const TDIB* Blank = Library->GetDIB(1);
    ASSERT_NE(Blank, nullptr);
    EXPECT_EQ(Blank->Width(), 4);
    EXPECT_EQ(PixelsOf(*Blank), std::vector<uint8_t>(16, 0));
}

TEST_F(WzlReadTest, HeaderReadersFlagsAndKinds)
{
    TWzlBuilder Builder(4);
    std::vector<int32_t> Positions;
    for (uint8_t Flag : {0, 1, 8, 9})
        Positions.push_back(Builder.Add({0, Flag, 12, 34, -5, 6, 0, {}}));
    WriteLibrary(Builder.Data(), Positions);
    const auto Library = Open();

    const uint8_t ExpectedKinds[] = {0, 0, 0, 1};
    for (int I = 0; I < 4; ++I) {
        SCOPED_TRACE(I);
        EXPECT_EQ(Library->GetImageKind(I), ExpectedKinds[I]);
        int32_t W = -1, H = -1, X = -1, Y = -1;
        uint8_t Flag = 77;
        ASSERT_TRUE(Library->GetImageInfoEx(I, W, H, X, Y, Flag));
        EXPECT_EQ(W, 12);
        EXPECT_EQ(H, 34);
        EXPECT_EQ(X, -5);
        EXPECT_EQ(Y, 6);
        EXPECT_EQ(Flag, ExpectedKinds[I]);
        Library->ReadImageSize(Positions[I], W, H);
        EXPECT_EQ(W, 12);
        EXPECT_EQ(H, 34);
    }
}

TEST_F(WzlReadTest, HeadersPastTheEndReadAsZeros)
{
    TWzlBuilder Builder(3);
    const int32_t Good = Builder.Add(CompressedEntry(6, 1, 1, {1, 2, 3, 0}));
    const auto End = int32_t(Builder.Data().size());
    // The last one starts 10 bytes before the end: its 16-byte header does not fit.
    Builder.Bytes().Fill(10, 0x09);
    WriteLibrary(Builder.Data(), {Good, End + 4000, End});
    const auto Library = Open();
    for (int I : {1, 2}) {
        SCOPED_TRACE(I);
        int32_t W = -1, H = -1, X = -1, Y = -1;
        uint8_t Flag = 9;
        ASSERT_TRUE(Library->GetImageInfoEx(I, W, H, X, Y, Flag));
        EXPECT_EQ(W | H | X | Y | Flag, 0);
        EXPECT_EQ(Library->GetImageKind(I), 0);
        EXPECT_EQ(Library->GetGraphic(I), nullptr);
    }
    EXPECT_NE(Library->GetDIB(0), nullptr);
}

TEST_F(WzlReadTest, DamagedPayloadsReadAsBlankBitmapsAndTheLibraryStaysUsable)
{
    const std::vector<uint8_t> Pixels(2 * 12, 0x5A);  // 3 x 2 pixels of 24 bits
    std::vector<uint8_t> Corrupt = ZlibDeflate(Pixels);
    for (size_t I = 2; I < Corrupt.size(); ++I)
        Corrupt[I] ^= 0x3C;
    std::vector<uint8_t> Truncated = ZlibDeflate(Pixels);
    Truncated.resize(Truncated.size() / 2);
    const std::vector<uint8_t> Png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    struct Case {
        const char* Name;
        std::vector<uint8_t> Payload;
        uint32_t Length;  // 0: the payload's size
    };
    const Case Cases[] = {
        {"corrupt stream", Corrupt, 0},
        {"truncated stream", Truncated, 0},
        {"PNG bytes", Png, 0},
        {"length past the end of the file", ZlibDeflate(Pixels), 100000},
        {"the largest length", ZlibDeflate(Pixels), 0xFFFFFFFFu},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        TWzlBuilder Builder(2);
        const int32_t Damaged =
            Builder.Add({6, 0, 3, 2, 0, 0, C.Length ? C.Length : uint32_t(C.Payload.size()), C.Payload});
        const int32_t Good = Builder.Add(CompressedEntry(6, 3, 2, Pixels));
        // The good entry lies behind the damaged one, so an overlong length reaches into it.
        WriteLibrary(Builder.Data(), {Damaged, Good});
        const auto Library = Open();
        const TDIB* Blank = Library->GetDIB(0);
        ASSERT_NE(Blank, nullptr);
        EXPECT_EQ(Blank->Width(), 3);
        EXPECT_EQ(Blank->Height(), 2);
        EXPECT_EQ(PixelsOf(*Blank), std::vector<uint8_t>(24, 0));
        const TDIB* Fine = Library->GetDIB(1);
        ASSERT_NE(Fine, nullptr);
        EXPECT_EQ(PixelsOf(*Fine), Pixels);
    }
}

TEST_F(WzlReadTest, InflatedDataShorterOrLongerThanTheBitmap)
{
    const std::vector<uint8_t> OneRow(12, 0x11), ThreeRows(36, 0x22);
    TWzlBuilder Builder(2);
    const int32_t Short = Builder.Add(CompressedEntry(6, 3, 2, OneRow));
    const int32_t Long = Builder.Add(CompressedEntry(6, 3, 2, ThreeRows));
    WriteLibrary(Builder.Data(), {Short, Long});
    const auto Library = Open();

    std::vector<uint8_t> Expected(24, 0);
    std::fill_n(Expected.begin(), 12, 0x11);  // only the stored bottom row is there
    EXPECT_EQ(PixelsOf(*Library->GetDIB(0)), Expected);
    EXPECT_EQ(PixelsOf(*Library->GetDIB(1)), std::vector<uint8_t>(24, 0x22));
}

TEST_F(WzlReadTest, HostileSizesGiveNoGraphic)
{
    struct Case {
        const char* Name;
        uint8_t Format;
        int16_t Width, Height;
    };
    const Case Cases[] = {
        {"4 GiB of 32-bit pixels", 7, 32767, 32767},
        {"negative width", 6, -3, 2},
        {"negative both", 5, -100, -100},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        TWzlBuilder Builder(1);
        const int32_t Position = Builder.Add({C.Format, 0, C.Width, C.Height, 0, 0, 0, std::vector<uint8_t>(64, 1)});
        WriteLibrary(Builder.Data(), {Position});
        const auto Library = Open();
        EXPECT_EQ(Library->GetGraphic(0), nullptr);
        int32_t W = 0, H = 0, X = 0, Y = 0;
        ASSERT_TRUE(Library->GetImageInfo(0, W, H, X, Y));
        EXPECT_EQ(W, C.Width);
        EXPECT_EQ(H, C.Height);
    }
}

TEST_F(WzlReadTest, APayloadTooSmallToFillAHugeBitmapGivesNoGraphic)
{
    // 8000 x 8000 at 32 bits is 256 MB: no deflate stream of 100 bytes could fill it, so a
    // handful of such entries on screen cannot allocate gigabytes.
    const std::vector<uint8_t> Tiny = ZlibDeflate(std::vector<uint8_t>(100, 0));
    const TWzlEntry Cases[] = {
        CompressedEntry(7, 8000, 8000, std::vector<uint8_t>(100, 0)),
        {7, 0, 8000, 8000, 0, 0, 1u << 30, Tiny},  // payload running past the end of the file
        {7, 0, 8000, 8000, 0, 0, 0, Tiny},         // raw pixels (Length 0), nearly all missing
        {5, 0, 8000, 8000, 0, 0, 0, {}},
    };
    for (const TWzlEntry& Entry : Cases) {
        TWzlBuilder Builder(1);
        const int32_t Position = Builder.Add(Entry);
        WriteLibrary(Builder.Data(), {Position});
        const auto Library = Open();
        EXPECT_EQ(Library->GetGraphic(0), nullptr);
        int32_t W = 0, H = 0, X = 0, Y = 0;
        ASSERT_TRUE(Library->GetImageInfo(0, W, H, X, Y));
        EXPECT_EQ(W, 8000);
        EXPECT_EQ(H, 8000);
    }
}

TEST_F(WzlReadTest, OffsetsOnlyEntriesDecodeAsEmptyBitmaps)
{
    TWzlBuilder Builder(1);
    const int32_t Position = Builder.Add({0, 0, 0, 0, 5, -3, 0, {}});
    WriteLibrary(Builder.Data(), {Position});
    const auto Library = Open();
    const TGraphic* Graphic = Library->GetGraphic(0);
    ASSERT_NE(Graphic, nullptr);
    EXPECT_TRUE(Graphic->Empty());
    int32_t W = 1, H = 1, X = 0, Y = 0;
    ASSERT_TRUE(Library->GetImageInfo(0, W, H, X, Y));
    EXPECT_EQ(W, 0);
    EXPECT_EQ(X, 5);
    EXPECT_EQ(Y, -3);
}

TEST_F(WzlReadTest, IndexFilesAreTrustedOnlyAsFarAsTheyGo)
{
    TWzlBuilder Builder(2);
    const int32_t First = Builder.Add(CompressedEntry(6, 1, 1, {1, 2, 3, 0}));
    const int32_t Second = Builder.Add(CompressedEntry(6, 1, 1, {4, 5, 6, 0}));
    Temp.Write("lib.wzl", Builder.Data());
    struct Case {
        const char* Name;
        std::vector<uint8_t> Index;
        int32_t ImageCount;
        std::vector<int32_t> Positions;
    };
    std::vector<uint8_t> Short = WzxBytes({});
    Short.resize(47);
    const Case Cases[] = {
        {"exact", WzxBytes({First, 0, Second}), 3, {First, 0, Second}},
        {"count below the positions held", WzxBytes({First, Second}, 1), 1, {First}},
        {"count beyond the positions held", WzxBytes({First, Second}, 4), 4, {First, Second, 0, 0}},
        {"count beyond any library", WzxBytes({First, Second}, 0x7FFFFFFF), 2, {First, Second}},
        {"negative count", WzxBytes({First}, -5), 0, {}},
        {"shorter than its header: the data file's count", Short, 2, {}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        Temp.Write("lib.wzx", C.Index);
        const auto Library = Open();
        EXPECT_EQ(Library->ImageCount, C.ImageCount);
        EXPECT_EQ(Library->IndexList, C.Positions);
        EXPECT_EQ(Library->ImageCache.size(), size_t(C.ImageCount));
        for (int32_t I = 0; I < Library->ImageCount; ++I)
            Library->GetGraphic(I);  // never raises, whatever the index says
    }
}

TEST_F(WzlReadTest, WithoutAnIndexEveryImageReadsAsEmpty)
{
    TWzlBuilder Builder(2);
    Builder.Add(CompressedEntry(6, 1, 1, {1, 2, 3, 0}));
    Builder.Add(CompressedEntry(6, 1, 1, {4, 5, 6, 0}));
    Temp.Write("lib.wzl", Builder.Data());
    const auto Library = Open();
    EXPECT_EQ(Library->ImageCount, 2);
    EXPECT_TRUE(Library->IndexList.empty());
    for (int32_t I = 0; I < 2; ++I) {
        EXPECT_EQ(Library->GetImageKind(I), 0);
        EXPECT_EQ(Library->GetGraphic(I), nullptr);
    }
    EXPECT_THROW(Library->GetImageKind(2), EListError);
    EXPECT_THROW(Library->GetImageKind(-1), EListError);

    // A damaged count cannot make the cache huge.
    TWzlBuilder Huge(0x7FFFFFFF);
    Temp.Write("lib.wzl", Huge.Data());
    EXPECT_EQ(Open()->ImageCount, 0);
}

TEST_F(WzlReadTest, TheIndexIsFoundWhateverTheCaseOfItsExtension)
{
    TWzlBuilder Builder(1);
    const int32_t Position = Builder.Add(CompressedEntry(6, 1, 1, {1, 2, 3, 0}));
    Temp.Write("lib.wzl", Builder.Data());
    Temp.Write("lib.WZX", WzxBytes({Position}));
    const auto Library = Open();
    EXPECT_EQ(Library->IndexList, std::vector<int32_t>{Position});
    EXPECT_EQ(TWZLImages::IndexFileName(DataName()), Temp.File("lib.WZX"));
    EXPECT_EQ(TWZLImages::IndexFileName(Temp.File("new.WZL")), Temp.File("new.WZX"));
    EXPECT_EQ(TWZLImages::IndexFileName(Temp.File("new.wzl")), Temp.File("new.wzx"));
}

TEST_F(WzlReadTest, AShortDataFileOpens)
{
    Temp.Write("lib.wzl", {'a', 'b', 'c'});
    const auto Library = Open();
    EXPECT_EQ(Library->ImageCount, 0);
    EXPECT_EQ(Library->Header.Title[0], 'a');
    EXPECT_EQ(Library->Header.Title[3], 0);
}

TEST_F(WzlReadTest, MissingFilesRaise)
{
    TWZLImages Library;
    EXPECT_THROW(Library.Initialize(), EVelkaError);
    Library.SetFileName(DataName());
    try {
        Library.Initialize();
        ADD_FAILURE() << "no error raised";
    } catch (const EVelkaError& Error) {
        EXPECT_EQ(std::string(Error.what()), "File not found:" + DataName().toStdString());
    }
}

}  // namespace
}  // namespace velka

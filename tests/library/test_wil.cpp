// WIL/WIX and WIS reading: the three layout versions, colour counts, palettes, the index file,
// short and damaged entries, and headers that announce more than the files can hold.
#include "library/dib.h"
#include "library/errors.h"
#include "library/wilimages.h"

#include "support/bytes.h"
#include "support/tempdir.h"

#include <QFile>

#include <gtest/gtest.h>

#include <optional>

namespace velka {
namespace {

using test::TBytes;

struct WilEntry {
    int16_t Width, Height, X, Y;
    std::vector<uint8_t> Pixels;
};

// Writes a WIL data file and its WIX index. Marker is the value at offset 56 (0 = Version 1,
// 32 = Version 2, anything else Version 0).
class TWilFixture {
public:
    int32_t Marker = 7;
    int32_t ColorCount = 256;
    std::optional<int32_t> ImageCount;  // default: the number of entries
    std::optional<int32_t> IndexCount;  // default: the number of positions
    std::array<uint8_t, 1024> Palette{};
    std::vector<WilEntry> Entries;
    std::vector<int32_t> ExtraPositions;  // appended to the index after the entries' positions
    size_t Trailer = 16;                  // bytes after the last entry

    int Version() const { return Marker == 0 ? 1 : Marker == 32 ? 2 : 0; }
    int EntryHeaderSize() const { return Version() == 1 ? 8 : Version() == 2 ? 16 : 12; }

    QString Write(const test::TTempDir& Temp, const QString& Name = "lib.wil")
    {
        TBytes Data;
        Data.Text("test library").PadTo(44);
        Data.I32(ImageCount.value_or(int32_t(Entries.size()))).I32(ColorCount).U32(0);
        if (Version() == 1) {
            Data.Raw(Palette.data(), Palette.size());
        } else {
            Data.I32(Marker);
            if (Version() == 0 && ColorCount == 256)
                Data.Raw(Palette.data(), Palette.size());
        }
        std::vector<int32_t> Positions;
        for (const WilEntry& Entry : Entries) {
            Positions.push_back(int32_t(Data.Size()));
            Data.I16(Entry.Width).I16(Entry.Height).I16(Entry.X).I16(Entry.Y);
            for (int I = 8; I < EntryHeaderSize(); ++I)
                Data.U8(uint8_t(0xA0 + I));
            Data.Raw(Entry.Pixels);
        }
        Data.Zeros(Trailer);
        Positions.insert(Positions.end(), ExtraPositions.begin(), ExtraPositions.end());

        TBytes Index;
        Index.Text("test index").PadTo(44).I32(IndexCount.value_or(int32_t(Positions.size())));
        if (Version() != 1)
            Index.U32(0);
        for (const int32_t Position : Positions)
            Index.I32(Position);
        Temp.Write(QString(Name).replace(".wil", ".wix"), Index.Data());
        return Temp.Write(Name, Data.Data());
    }
};

std::vector<uint8_t> Sequence(size_t Count)
{
    std::vector<uint8_t> Bytes(Count);
    for (size_t I = 0; I < Count; ++I)
        Bytes[I] = uint8_t(I + 1);
    return Bytes;
}

std::array<uint8_t, 1024> NumberedPalette()
{
    std::array<uint8_t, 1024> Palette{};
    for (size_t I = 4; I < Palette.size(); ++I)  // the first entry stays 0: it is the marker in Version 1
        Palette[I] = uint8_t(I * 3);
    return Palette;
}

class WilTest : public test::TempDirTest {
protected:
    std::unique_ptr<TWILImages> Open(const QString& Name)
    {
        auto Images = std::make_unique<TWILImages>();
        Images->SetFileName(Name);
        Images->Initialize();
        return Images;
    }
    TDIB* Dib(TWILImages& Images, int32_t Index) { return dynamic_cast<TDIB*>(Images.GetGraphic(Index)); }
};

TEST_F(WilTest, Version0EightBitImagesUseTheLibraryPalette)
{
    TWilFixture Fixture;
    Fixture.Palette = NumberedPalette();
    Fixture.Entries = {{5, 3, -7, 9, Sequence(24)}};
    auto Images = Open(Fixture.Write(Temp));
    EXPECT_EQ(Images->Version, 0);
    EXPECT_EQ(Images->PixelFormat, 3);
    EXPECT_EQ(Images->BytesPerPixel, 1);
    EXPECT_EQ(Images->BitCount, 8);
    EXPECT_EQ(Images->ImageCount, 1);
    EXPECT_EQ(Images->Palette, Fixture.Palette);
    EXPECT_EQ(Images->IndexList, std::vector<int32_t>({60 + 1024}));

    TDIB* DIB = Dib(*Images, 0);
    ASSERT_NE(DIB, nullptr);
    EXPECT_FALSE(Images->LastDecodeDamaged);
    EXPECT_EQ(DIB->BitCount(), 8);
    EXPECT_EQ(DIB->Width(), 5);
    EXPECT_EQ(DIB->Height(), 3);
    ASSERT_EQ(DIB->PixelBytes(), 24u);  // rows of 8 bytes
    EXPECT_TRUE(std::equal(DIB->PBits(), DIB->PBits() + 24, Sequence(24).begin()));
    EXPECT_EQ(DIB->ScanLine(2)[0], 1);  // the first stored row is the bottom one
    EXPECT_EQ(DIB->ScanLine(0)[0], 17);
    EXPECT_EQ(DIB->ColorTable()[1], (TRGBQuad{12, 15, 18, 21}));
    const std::array<uint8_t, 16> Header = {5, 0, 3, 0, 0xF9, 0xFF, 9, 0, 0xA8, 0xA9, 0xAA, 0xAB, 0, 0, 0, 0};
    EXPECT_EQ(Images->LastWilHeader, Header);

    int32_t W, H, X, Y;
    EXPECT_TRUE(Images->GetImageInfo(0, W, H, X, Y));
    EXPECT_EQ(std::vector<int32_t>({W, H, X, Y}), std::vector<int32_t>({5, 3, -7, 9}));
}

TEST_F(WilTest, Version1ReadsThePaletteFromTheMarkerOnAndHasShortHeaders)
{
    TWilFixture Fixture;
    Fixture.Marker = 0;
    Fixture.Palette = NumberedPalette();
    Fixture.Entries = {{2, 2, 1, 2, Sequence(8)}, {3, 2, 3, 4, Sequence(8)}};
    auto Images = Open(Fixture.Write(Temp));
    EXPECT_EQ(Images->Version, 1);
    EXPECT_EQ(Images->Palette, Fixture.Palette);
    EXPECT_EQ(Images->IndexList, std::vector<int32_t>({56 + 1024, 56 + 1024 + 16}));  // 48-byte index header
    TDIB* Second = Dib(*Images, 1);
    ASSERT_NE(Second, nullptr);
    EXPECT_EQ(Second->Width(), 3);
    EXPECT_EQ(Second->PBits()[0], 1);  // 8-byte entry header
    EXPECT_EQ(Images->LastWilHeader[8], 0);
    EXPECT_EQ(Second->ColorTable()[0], (TRGBQuad{0, 0, 0, 0}));
}

TEST_F(WilTest, Version2IsSixteenBitWithoutPaletteAndImagesComeOutBlack)
{
    TWilFixture Fixture;
    Fixture.Marker = 32;
    Fixture.ColorCount = 256;
    Fixture.Entries = {{4, 3, 0, 0, Sequence(24)}};
    auto Images = Open(Fixture.Write(Temp));
    EXPECT_EQ(Images->Version, 2);
    EXPECT_EQ(Images->PixelFormat, 5);
    EXPECT_EQ(Images->BytesPerPixel, 2);
    EXPECT_EQ(Images->BitCount, 16);
    EXPECT_EQ(Images->Palette, (std::array<uint8_t, 1024>{}));
    TDIB* DIB = Dib(*Images, 0);
    ASSERT_NE(DIB, nullptr);
    EXPECT_EQ(DIB->BitCount(), 16);
    EXPECT_EQ(DIB->GreenMask(), 0x07E0u);
    EXPECT_EQ(DIB->Width(), 4);
    EXPECT_TRUE(std::all_of(DIB->PBits(), DIB->PBits() + DIB->PixelBytes(), [](uint8_t B) { return B == 0; }));
    EXPECT_EQ(Images->LastWilHeader[15], 0xAF);  // all 16 header bytes are kept
}

TEST_F(WilTest, SixteenBitBlockIsCopiedAsOneRunIntoPaddedRows)
{
    TWilFixture Fixture;
    Fixture.ColorCount = 65536;
    Fixture.Entries = {{3, 2, 0, 0, Sequence(12)}};
    auto Images = Open(Fixture.Write(Temp));
    EXPECT_EQ(Images->Version, 0);
    EXPECT_EQ(Images->PixelFormat, 5);
    EXPECT_EQ(Images->Palette, (std::array<uint8_t, 1024>{}));  // no palette read
    TDIB* DIB = Dib(*Images, 0);
    ASSERT_NE(DIB, nullptr);
    EXPECT_EQ(DIB->BitCount(), 16);
    EXPECT_EQ(DIB->RedMask(), 0xF800u);
    ASSERT_EQ(DIB->PixelBytes(), 16u);  // two rows of 8 bytes
    std::vector<uint8_t> Expected = Sequence(12);
    Expected.resize(16, 0);
    EXPECT_EQ(std::vector<uint8_t>(DIB->PBits(), DIB->PBits() + 16), Expected);
}

TEST_F(WilTest, ColourCountSelectsThePixelFormat)
{
    struct Case { int32_t Colors; uint8_t Format, BytesPerPixel, Bits; int DibBits; };
    const std::vector<Case> Cases = {
        {256, 3, 1, 8, 8},          {65536, 5, 2, 16, 16}, {16777216, 6, 4, 24, 24},
        {16777217, 7, 4, 32, 32},   {1000, 0, 0, 0, 8},    {-5, 0, 0, 0, 8},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Colors);
        TWilFixture Fixture;
        Fixture.ColorCount = C.Colors;
        Fixture.Entries = {{2, 2, 0, 0, Sequence(16)}};
        auto Images = Open(Fixture.Write(Temp, QString("c%1.wil").arg(C.Colors)));
        EXPECT_EQ(Images->PixelFormat, C.Format);
        EXPECT_EQ(Images->BytesPerPixel, C.BytesPerPixel);
        EXPECT_EQ(Images->BitCount, C.Bits);
        TDIB* DIB = Dib(*Images, 0);
        ASSERT_NE(DIB, nullptr);
        EXPECT_EQ(DIB->BitCount(), C.DibBits);
        if (C.Format == 0) {  // no format: black, with the grey ramp
            EXPECT_EQ(DIB->ColorTable()[200], (TRGBQuad{200, 200, 200, 0}));
            EXPECT_TRUE(std::all_of(DIB->PBits(), DIB->PBits() + DIB->PixelBytes(), [](uint8_t B) { return B == 0; }));
        }
    }
}

TEST_F(WilTest, ShortAndTinyEntriesGiveNoBitmap)
{
    TWilFixture Fixture;
    Fixture.ColorCount = 65536;
    Fixture.Entries = {{1, 5, 2, 3, Sequence(10)}, {5, 1, 0, 0, Sequence(10)}, {-3, 4, 0, 0, {}},
                       {2, 2, 7, 8, Sequence(8)}};
    Fixture.Trailer = 0;
    auto Images = Open(Fixture.Write(Temp));
    for (int32_t Index = 0; Index < 3; ++Index)
        EXPECT_EQ(Images->GetGraphic(Index), nullptr) << Index;
    int32_t W, H, X, Y;
    Images->GetImageInfo(0, W, H, X, Y);
    EXPECT_EQ(std::vector<int32_t>({W, H, X, Y}), std::vector<int32_t>({1, 5, 2, 3}));

    // The last entry starts 20 bytes before the end of the file: enough for a bitmap.
    ASSERT_NE(Images->GetGraphic(3), nullptr);
}

TEST_F(WilTest, EntriesCloserThan16BytesToTheEndGiveNothing)
{
    TWilFixture Fixture;
    Fixture.ColorCount = 256;
    Fixture.Marker = 0;  // 8-byte headers: a 2 x 2 entry has 8 + 8 bytes
    Fixture.Entries = {{2, 2, 5, 6, Sequence(7)}};
    Fixture.Trailer = 0;
    auto Images = Open(Fixture.Write(Temp));
    EXPECT_EQ(Images->GetGraphic(0), nullptr);
    int32_t W = 9, H = 9, X = 9, Y = 9;
    EXPECT_TRUE(Images->GetImageInfo(0, W, H, X, Y));
    EXPECT_EQ(std::vector<int32_t>({W, H, X, Y}), std::vector<int32_t>({0, 0, 0, 0}));
}

TEST_F(WilTest, TruncatedPixelBlockIsReadAsFarAsItGoes)
{
    TWilFixture Fixture;
    Fixture.Palette = NumberedPalette();
    Fixture.Entries = {{8, 8, 0, 0, Sequence(20)}};  // 64 bytes needed, 20 + 16 present
    Fixture.Trailer = 0;
    TBytes Tail;
    Tail.Fill(16, 0xEE);
    auto Images = Open(Fixture.Write(Temp));
    QFile File(Temp.File("lib.wil"));
    ASSERT_TRUE(File.open(QIODevice::Append));
    File.write(Tail.ToByteArray());
    File.close();
    TDIB* DIB = Dib(*Images, 0);
    ASSERT_NE(DIB, nullptr);
    EXPECT_TRUE(Images->LastDecodeDamaged);
    EXPECT_EQ(DIB->PBits()[19], 20);
    EXPECT_EQ(DIB->PBits()[35], 0xEE);
    EXPECT_EQ(DIB->PBits()[36], 0);
    EXPECT_EQ(DIB->PBits()[63], 0);
}

TEST_F(WilTest, IndexDecidesWhichNumbersAreEmpty)
{
    TWilFixture Fixture;
    Fixture.ImageCount = 8;
    Fixture.Entries = {{2, 2, 0, 0, Sequence(4)}, {2, 2, 0, 0, Sequence(4)}};
    Fixture.ExtraPositions = {0, -4, 2147483600};
    auto Images = Open(Fixture.Write(Temp));
    EXPECT_EQ(Images->ImageCount, 8);
    EXPECT_EQ(Images->IndexList.size(), 5u);
    EXPECT_NE(Images->GetGraphic(1), nullptr);
    for (int32_t Index = 2; Index < 8; ++Index) {
        SCOPED_TRACE(Index);
        EXPECT_EQ(Images->GetGraphic(Index), nullptr);
        int32_t W = 9, H = 9, X = 9, Y = 9;
        EXPECT_TRUE(Images->GetImageInfo(Index, W, H, X, Y));
        EXPECT_EQ(std::vector<int32_t>({W, H, X, Y}), std::vector<int32_t>({0, 0, 0, 0}));
    }
}

TEST_F(WilTest, IndexShorterThanItsCountKeepsThePositionsItHolds)
{
    TWilFixture Fixture;
    Fixture.Entries = {{2, 2, 0, 0, Sequence(8)}, {2, 2, 0, 0, Sequence(8)}};
    Fixture.ImageCount = 6;
    Fixture.IndexCount = 1000000;
    auto Images = Open(Fixture.Write(Temp));
    EXPECT_EQ(Images->IndexList.size(), 2u);
    EXPECT_NE(Images->GetGraphic(1), nullptr);
    EXPECT_EQ(Images->GetGraphic(2), nullptr);

    TWilFixture Negative = Fixture;
    Negative.IndexCount = -3;
    EXPECT_TRUE(Open(Negative.Write(Temp, "neg.wil"))->IndexList.empty());
}

TEST_F(WilTest, IndexWithACountButNoPositionsOpensWithEveryImageEmpty)
{
    TWilFixture Fixture;
    Fixture.ImageCount = 3;
    Fixture.IndexCount = 5;  // the index ends right behind its header
    auto Images = Open(Fixture.Write(Temp));
    EXPECT_EQ(Images->ImageCount, 3);
    EXPECT_TRUE(Images->IndexList.empty());
    EXPECT_EQ(Images->GetGraphic(2), nullptr);
}

TEST_F(WilTest, MissingIndexOpensWithEveryImageEmpty)
{
    TWilFixture Fixture;
    Fixture.Entries = {{2, 2, 0, 0, Sequence(4)}};
    const QString Name = Fixture.Write(Temp);
    ASSERT_TRUE(QFile::remove(Temp.File("lib.wix")));
    auto Images = Open(Name);
    EXPECT_EQ(Images->ImageCount, 1);
    EXPECT_TRUE(Images->IndexList.empty());
    EXPECT_EQ(Images->GetGraphic(0), nullptr);
}

TEST_F(WilTest, IndexFileIsFoundWhateverTheCaseOfItsExtension)
{
    TWilFixture Fixture;
    Fixture.Entries = {{2, 2, 0, 0, Sequence(4)}};
    const QString Name = Fixture.Write(Temp);
    ASSERT_TRUE(QFile::rename(Temp.File("lib.wix"), Temp.File("lib.WIX")));
    EXPECT_EQ(Open(Name)->IndexList.size(), 1u);
}

TEST_F(WilTest, WisFileIs300000EmptyImages)
{
    const QString Name = Temp.Write("map.WIS", TBytes().Fill(200, 0x41).Take());
    auto Images = Open(Name);
    EXPECT_EQ(Images->PixelFormat, 3);
    EXPECT_EQ(Images->ImageCount, 300000);
    EXPECT_EQ(Images->ImageCache.size(), 300000u);
    EXPECT_TRUE(Images->IndexList.empty());
    EXPECT_EQ(Images->Palette, (std::array<uint8_t, 1024>{}));
    EXPECT_EQ(Images->GetGraphic(299999), nullptr);
    int32_t W = 9, H = 9, X = 9, Y = 9;
    EXPECT_TRUE(Images->GetImageInfo(123456, W, H, X, Y));
    EXPECT_EQ(std::vector<int32_t>({W, H, X, Y}), std::vector<int32_t>({0, 0, 0, 0}));
    EXPECT_FALSE(Images->GetImageInfo(300000, W, H, X, Y));
}

TEST_F(WilTest, LibraryIsReadOnly)
{
    TWilFixture Fixture;
    Fixture.Entries = {{2, 2, 0, 0, Sequence(4)}, {2, 2, 0, 0, Sequence(4)}};
    auto Images = Open(Fixture.Write(Temp));
    EXPECT_FALSE(Images->Editable);
    const std::vector<int32_t> Before = Images->IndexList;
    TDIB DIB;
    DIB.SetBitCount(8);
    EXPECT_FALSE(Images->AddImage(&DIB, 0, 0, 0));
    EXPECT_FALSE(Images->InsertImage(0, &DIB, 0, 0, 0));
    EXPECT_FALSE(Images->ReplaceImage(0, &DIB, 0, 0, 0));
    EXPECT_FALSE(Images->DeleteImages(0, 0));
    EXPECT_FALSE(Images->BlankImages(0, 0));
    Images->SetImageOffset(0, 5, 5);
    Images->Save();
    EXPECT_EQ(Images->IndexList, Before);
    EXPECT_FALSE(Images->Modified);
    EXPECT_EQ(Images->GetImageKind(0), 0);
}

TEST_F(WilTest, ImpossibleImageCountsAreFormatErrorsNamingTheFile)
{
    for (const int32_t Count : {-1, INT32_MIN, TWILImages::MaxImageCount + 1, INT32_MAX, 1000000}) {
        SCOPED_TRACE(Count);
        TWilFixture Fixture;
        Fixture.ImageCount = Count;
        Fixture.Entries = {{2, 2, 0, 0, Sequence(4)}};
        const QString Name = Fixture.Write(Temp);
        try {
            Open(Name);
            FAIL() << "opened";
        } catch (const EFormatError& Error) {
            EXPECT_NE(std::string(Error.what()).find(Name.toStdString()), std::string::npos) << Error.what();
        }
    }
}

TEST_F(WilTest, OversizedEntriesGiveNoBitmapInsteadOfAHugeAllocation)
{
    TWilFixture Fixture;
    Fixture.ColorCount = 16777217;
    Fixture.Entries = {{32767, 32767, 0, 0, Sequence(64)}};
    auto Images = Open(Fixture.Write(Temp));
    EXPECT_EQ(Images->GetGraphic(0), nullptr);
    EXPECT_TRUE(Images->LastDecodeDamaged);
    int32_t W, H, X, Y;
    Images->GetImageInfo(0, W, H, X, Y);
    EXPECT_EQ(W, 32767);
}

TEST_F(WilTest, EntriesFarLargerThanTheRestOfTheFileGiveNoBitmap)
{
    // 8000 x 8000 fits the bitmap budget, but 64 bytes behind the header could never fill it:
    // allocating it would let a damaged header cost hundreds of megabytes.
    for (const int32_t Marker : {7, 32}) {
        TWilFixture Fixture;
        Fixture.Marker = Marker;
        Fixture.ColorCount = 16777217;
        Fixture.Entries = {{8000, 8000, 0, 0, Sequence(64)}};
        auto Images = Open(Fixture.Write(Temp, QString("far%1.wil").arg(Marker)));
        EXPECT_EQ(Images->GetGraphic(0), nullptr) << Marker;
        EXPECT_TRUE(Images->LastDecodeDamaged) << Marker;
        int32_t W = 0, H = 0, X = 0, Y = 0;
        Images->GetImageInfo(0, W, H, X, Y);
        EXPECT_EQ(W, 8000);
        EXPECT_EQ(H, 8000);
    }
}

TEST_F(WilTest, HeaderShorterThan60BytesReadsAsZeros)
{
    // 50 bytes: a count of 0 and a colour count cut in half; the marker reads as 0 (Version 1).
    const QString Name = Temp.Write("short.wil", TBytes().PadTo(44).I32(0).U16(256).Take());
    auto Images = Open(Name);
    EXPECT_EQ(Images->Version, 1);
    EXPECT_EQ(Images->ImageCount, 0);
    EXPECT_EQ(Images->PixelFormat, 3);
}

TEST_F(WilTest, CreateEmptyFileWritesAnIndexHeaderAndAnEmptyDataFile)
{
    TWILImages::CreateEmptyFile(Temp.File("new.wil"));
    const std::vector<uint8_t> Index = test::ReadFileBytes(Temp.File("new.wix"));
    ASSERT_EQ(Index.size(), 52u);
    EXPECT_GT(Index[0], 0);
    EXPECT_LT(Index[0], 44);
    EXPECT_EQ(test::I32At(Index, 44), 0);
    EXPECT_EQ(test::I32At(Index, 48), 0);
    EXPECT_TRUE(test::ReadFileBytes(Temp.File("new.wil")).empty());
    EXPECT_EQ(Open(Temp.File("new.wil"))->ImageCount, 0);
}

TEST_F(WilTest, MissingFilesRaiseTheLibraryMessages)
{
    TWILImages Images;
    EXPECT_THROW(Images.Initialize(), EVelkaError);
    Images.SetFileName(Temp.File("none.wil"));
    EXPECT_THROW(Images.Initialize(), EVelkaError);
}

}  // namespace
}  // namespace velka

// TDIB: depth and masks, memory layout, drawing into each depth, and the BMP file it saves.
#include "library/dib.h"
#include "library/errors.h"
#include "library/stream.h"

#include "support/bytes.h"

#include <QBuffer>
#include <QImageReader>

#include <gtest/gtest.h>

namespace velka {
namespace {

using test::I32At;
using test::U16At;
using test::U32At;

TDIB MakeDIB(int Bits, int Width, int Height, uint32_t R = 0xFF0000, uint32_t G = 0x00FF00, uint32_t B = 0x0000FF)
{
    TDIB DIB;
    DIB.SetMasks(R, G, B);
    DIB.SetBitCount(Bits);
    DIB.SetWidth(Width);
    DIB.SetHeight(Height);
    return DIB;
}

TEST(WidthBytes, RowsArePaddedToFourBytes)
{
    struct Case { int32_t Width, Bits, Expected; };
    for (const Case& C : {Case{1, 8, 4}, Case{4, 8, 4}, Case{5, 8, 8}, Case{3, 16, 8}, Case{3, 24, 12},
                          Case{0, 8, 0}, Case{3, 32, 12}, Case{127, 1, 16}, Case{127, 4, 64}}) {
        EXPECT_EQ(WidthBytes(C.Width, C.Bits), C.Expected) << C.Width << " x " << C.Bits;
    }
}

TEST(DefaultPalette, SpotEntriesHoldTheBuiltInColours)
{
    // Entries stored blue, green, red, 0.
    EXPECT_EQ(DefaultPalette[0], (TRGBQuad{0, 0, 0, 0}));
    EXPECT_EQ(DefaultPalette[8], (TRGBQuad{0x97, 0x80, 0x55, 0}));
    EXPECT_EQ(DefaultPalette[191], (TRGBQuad{0x2C, 0x35, 0xCA, 0}));
    EXPECT_EQ(DefaultPalette[58], (TRGBQuad{0x00, 0x00, 0xFB, 0}));
    EXPECT_EQ(DefaultPalette[147], (TRGBQuad{0xEF, 0xD6, 0x8C, 0}));
    EXPECT_EQ(DefaultPalette[215], (TRGBQuad{0x00, 0xFF, 0x10, 0}));
    EXPECT_EQ(DefaultPalette[243], (TRGBQuad{0x2A, 0xB4, 0xF0, 0}));
    EXPECT_EQ(DefaultPalette[249], (TRGBQuad{0, 0, 0xFF, 0}));
    EXPECT_EQ(DefaultPalette[255], (TRGBQuad{0xFF, 0xFF, 0xFF, 0}));
    for (const TRGBQuad& Entry : DefaultPalette)
        EXPECT_EQ(Entry.rgbReserved, 0);
}

TEST(TDIBDepth, NewBitmapIsEmptyWithAGreyRamp)
{
    TDIB DIB;
    EXPECT_TRUE(DIB.Empty());
    EXPECT_EQ(DIB.BitCount(), 0);
    EXPECT_EQ(DIB.PixelBytes(), 0u);
    for (int I = 0; I < 256; ++I)
        ASSERT_EQ(DIB.ColorTable()[I], (TRGBQuad{uint8_t(I), uint8_t(I), uint8_t(I), 0}));
    EXPECT_TRUE(DIB.ToImage().isNull());
}

TEST(TDIBDepth, SettingTheDepthOfAnEmptyBitmapMakesItOneByOne)
{
    for (const int Bits : {8, 16, 24, 32}) {
        TDIB DIB;
        DIB.SetBitCount(Bits);
        EXPECT_EQ(DIB.Width(), 1);
        EXPECT_EQ(DIB.Height(), 1);
        EXPECT_EQ(DIB.BitCount(), Bits);
        EXPECT_EQ(DIB.PixelBytes(), 4u);
    }
    TDIB DIB;
    for (const int Bad : {0, 1, 4, 15, 64})
        EXPECT_THROW(DIB.SetBitCount(Bad), EVelkaError) << Bad;
}

TEST(TDIBDepth, SizeWithoutDepthGivesEightBitsAndKeepsTheColourTable)
{
    TDIB DIB;
    DIB.ColorTable()[7] = TRGBQuad{1, 2, 3, 0};
    DIB.SetWidth(5);
    DIB.SetHeight(3);
    EXPECT_EQ(DIB.BitCount(), 8);
    EXPECT_EQ(DIB.RowBytes(), 8);
    EXPECT_EQ(DIB.PixelBytes(), 24u);
    EXPECT_EQ(DIB.ColorTable()[7], (TRGBQuad{1, 2, 3, 0}));
}

TEST(TDIBDepth, MasksTakeEffectWhenTheDepthIsSet)
{
    TDIB DIB;
    DIB.SetMasks(0x7C00, 0x03E0, 0x001F);
    EXPECT_EQ(DIB.GreenMask(), 0x00FF00u);  // not yet
    DIB.SetBitCount(16);
    EXPECT_EQ(DIB.RedMask(), 0x7C00u);
    EXPECT_EQ(DIB.GreenMask(), 0x03E0u);
    EXPECT_EQ(DIB.BlueMask(), 0x001Fu);

    TDIB Other;  // 16 bits take only 5-6-5 or 5-5-5; anything else is 5-6-5
    Other.SetMasks(0xFF0000, 0x00FF00, 0x0000FF);
    Other.SetBitCount(16);
    EXPECT_EQ(Other.RedMask(), 0xF800u);
    EXPECT_EQ(Other.GreenMask(), 0x07E0u);
}

TEST(TDIBSize, SizesBeyondThePixelBudgetAreRefused)
{
    EXPECT_TRUE(TDIB::SizeAllowed(16384, 16384, 8));
    EXPECT_FALSE(TDIB::SizeAllowed(16384, 16385, 8));
    EXPECT_FALSE(TDIB::SizeAllowed(32767, 32767, 32));
    EXPECT_FALSE(TDIB::SizeAllowed(-1, 5, 8));
    EXPECT_FALSE(TDIB::SizeAllowed(int64_t(1) << 40, 1, 8));
    EXPECT_TRUE(TDIB::SizeAllowed(0, 0, 24));

    TDIB DIB = MakeDIB(32, 32767, 1);
    EXPECT_THROW(DIB.SetHeight(32767), EVelkaError);
    EXPECT_THROW(DIB.SetWidth(-1), EVelkaError);
    EXPECT_EQ(DIB.Width(), 32767);  // a refused size leaves the bitmap as it was
    EXPECT_EQ(DIB.Height(), 1);
}

TEST(TDIBLayout, RowsAreStoredBottomUp)
{
    TDIB DIB = MakeDIB(8, 5, 3);
    EXPECT_EQ(DIB.ScanLine(2), DIB.PBits());
    EXPECT_EQ(DIB.ScanLine(0), DIB.PBits() + 16);
    EXPECT_THROW(DIB.ScanLine(3), EVelkaError);
    EXPECT_THROW(DIB.ScanLine(-1), EVelkaError);
}

TEST(TDIBLayout, FlipVerticalSwapsRowsAndKeepsTheMiddleOne)
{
    TDIB DIB = MakeDIB(8, 4, 3);
    for (int Y = 0; Y < 3; ++Y)
        std::fill(DIB.ScanLine(Y), DIB.ScanLine(Y) + 4, uint8_t(10 + Y));
    DIB.FlipVertical();
    EXPECT_EQ(DIB.ScanLine(0)[0], 12);
    EXPECT_EQ(DIB.ScanLine(1)[3], 11);
    EXPECT_EQ(DIB.ScanLine(2)[0], 10);
}

struct FillCase {
    int Bits;
    uint32_t R, G, B;
    QRgb Color;
    std::vector<uint8_t> Pixel;  // the bytes of one pixel
};

TEST(TDIBDrawing, FillWritesTheColourInTheBitmapsPixelLayout)
{
    const std::vector<FillCase> Cases = {
        {16, 0xF800, 0x07E0, 0x001F, qRgb(255, 0, 0), {0x00, 0xF8}},
        {16, 0xF800, 0x07E0, 0x001F, qRgb(0, 255, 0), {0xE0, 0x07}},
        {16, 0x7C00, 0x03E0, 0x001F, qRgb(255, 0, 0), {0x00, 0x7C}},
        {16, 0x7C00, 0x03E0, 0x001F, qRgb(0, 0, 255), {0x1F, 0x00}},
        {24, 0xFF0000, 0xFF00, 0xFF, qRgb(0x12, 0x34, 0x56), {0x56, 0x34, 0x12}},
        {32, 0xFF0000, 0xFF00, 0xFF, qRgb(0x12, 0x34, 0x56), {0x56, 0x34, 0x12, 0x00}},
    };
    for (const FillCase& C : Cases) {
        SCOPED_TRACE(C.Bits);
        TDIB DIB = MakeDIB(C.Bits, 3, 2, C.R, C.G, C.B);
        DIB.Fill(C.Color);
        for (int Y = 0; Y < 2; ++Y)
            for (int X = 0; X < 3; ++X)
                for (size_t I = 0; I < C.Pixel.size(); ++I)
                    ASSERT_EQ(DIB.ScanLine(Y)[X * C.Pixel.size() + I], C.Pixel[I]) << X << "," << Y;
        // Reading back through the display picture gives the colour at the depth's precision.
        EXPECT_EQ(DIB.ToImage().pixel(2, 1) & 0xFFFFFF, (C.Bits == 16 ? DIB.ToImage().pixel(0, 0) : C.Color) & 0xFFFFFF);
    }
}

TEST(TDIBDrawing, EightBitDrawingPicksTheNearestColourTableEntry)
{
    TDIB DIB = MakeDIB(8, 4, 1);
    DIB.ColorTable() = DefaultPalette;
    DIB.UpdatePalette();
    QImage Picture(4, 1, QImage::Format_RGB32);
    Picture.setPixel(0, 0, qRgb(255, 0, 0));    // exactly entry 249
    Picture.setPixel(1, 0, qRgb(254, 1, 1));    // nearest is 249 too, not 58 (FB0000)
    Picture.setPixel(2, 0, qRgb(0xC0, 0xC0, 0xC0));  // entry 7
    Picture.setPixel(3, 0, qRgb(1, 1, 1));      // black, entry 0
    DIB.Draw(Picture, 0, 0);
    const uint8_t* Row = DIB.ScanLine(0);
    EXPECT_EQ(Row[0], 249);
    EXPECT_EQ(Row[1], 249);
    EXPECT_EQ(Row[2], 7);
    EXPECT_EQ(Row[3], 0);
    EXPECT_EQ(DIB.ToImage().pixel(1, 0), qRgb(255, 0, 0));
}

TEST(TDIBDrawing, DrawingIsClippedToTheBitmap)
{
    TDIB DIB = MakeDIB(24, 3, 3);
    DIB.Fill(qRgb(0, 0, 0));
    QImage Picture(2, 2, QImage::Format_RGB32);
    Picture.fill(qRgb(9, 9, 9));
    Picture.setPixel(1, 1, qRgb(200, 100, 50));
    DIB.Draw(Picture, -1, -1);  // only the picture's bottom-right pixel lands, at (0, 0)
    DIB.Draw(Picture, 2, 2);    // only its top-left pixel lands, at (2, 2)
    const QImage Shown = DIB.ToImage();
    EXPECT_EQ(Shown.pixel(0, 0), qRgb(200, 100, 50));
    EXPECT_EQ(Shown.pixel(1, 0), qRgb(0, 0, 0));
    EXPECT_EQ(Shown.pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(Shown.pixel(2, 2), qRgb(9, 9, 9));
    DIB.Draw(Picture, 100000, -100000);  // wholly outside: nothing happens
}

TEST(TDIBDrawing, AlphaBlendsOverWhatIsThere)
{
    TDIB DIB = MakeDIB(32, 3, 1);
    DIB.Fill(qRgb(0, 0, 200));
    QImage Picture(3, 1, QImage::Format_ARGB32);
    Picture.setPixel(0, 0, qRgba(255, 255, 255, 0));
    Picture.setPixel(1, 0, qRgba(255, 255, 255, 128));
    Picture.setPixel(2, 0, qRgba(255, 0, 0, 255));
    DIB.Draw(Picture, 0, 0);
    const QImage Shown = DIB.ToImage();
    EXPECT_EQ(Shown.pixel(0, 0), qRgb(0, 0, 200));
    EXPECT_EQ(Shown.pixel(1, 0), qRgb(128, 128, 228));
    EXPECT_EQ(Shown.pixel(2, 0), qRgb(255, 0, 0));
}

TEST(TDIBDrawing, SixteenBitPixelsShowWithFullRangeChannels)
{
    TDIB DIB = MakeDIB(16, 2, 1, 0xF800, 0x07E0, 0x001F);
    test::TBytes Words;
    Words.U16(0xFFFF).U16(0x8410);
    std::copy(Words.Data().begin(), Words.Data().end(), DIB.ScanLine(0));
    const QImage Shown = DIB.ToImage();
    EXPECT_EQ(Shown.format(), QImage::Format_RGB32);
    EXPECT_EQ(Shown.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(Shown.pixel(1, 0), qRgb(0x84, 0x82, 0x84));
}

struct SaveCase {
    int Bits;
    uint32_t InfoSize;
    uint32_t Compression;
    std::vector<uint32_t> Masks;
};

std::vector<uint8_t> Saved(const TDIB& DIB)
{
    TMemoryStream Stream;
    DIB.SaveToStream(Stream);
    return Stream.Bytes();
}

TEST(TDIBSave, BmpFileHasTheExportLayoutForEveryDepth)
{
    const std::vector<SaveCase> Cases = {
        {8, 40 + 1024, 0, {}},
        {16, 52, 3, {0xF800, 0x07E0, 0x001F}},
        {24, 40, 0, {}},
        {32, 52, 3, {0xFF0000, 0x00FF00, 0x0000FF}},
    };
    for (const SaveCase& C : Cases) {
        SCOPED_TRACE(C.Bits);
        TDIB DIB = MakeDIB(C.Bits, 3, 2, C.Bits == 16 ? 0xF800 : 0xFF0000, C.Bits == 16 ? 0x07E0 : 0xFF00,
                           C.Bits == 16 ? 0x1F : 0xFF);
        for (size_t I = 0; I < DIB.PixelBytes(); ++I)
            DIB.PBits()[I] = uint8_t(I * 7 + 1);
        const std::vector<uint8_t> File = Saved(DIB);
        const uint32_t ImageSize = uint32_t(WidthBytes(3, C.Bits) * 2);
        ASSERT_EQ(File.size(), 14 + C.InfoSize + ImageSize);
        EXPECT_EQ(File[0], 'B');
        EXPECT_EQ(File[1], 'M');
        EXPECT_EQ(U32At(File, 2), File.size());
        EXPECT_EQ(U32At(File, 6), 0u);
        EXPECT_EQ(U32At(File, 10), 14 + C.InfoSize);
        EXPECT_EQ(U32At(File, 14), 40u);
        EXPECT_EQ(I32At(File, 18), 3);
        EXPECT_EQ(I32At(File, 22), 2);
        EXPECT_EQ(U16At(File, 26), 1);
        EXPECT_EQ(U16At(File, 28), C.Bits);
        EXPECT_EQ(U32At(File, 30), C.Compression);
        EXPECT_EQ(U32At(File, 34), ImageSize);
        for (size_t Offset = 38; Offset < 54; ++Offset)
            EXPECT_EQ(File[Offset], 0) << Offset;
        for (size_t I = 0; I < C.Masks.size(); ++I)
            EXPECT_EQ(U32At(File, 54 + 4 * I), C.Masks[I]);
        EXPECT_TRUE(std::equal(DIB.PBits(), DIB.PBits() + DIB.PixelBytes(), File.begin() + 14 + C.InfoSize));
    }
}

TEST(TDIBSave, EightBitFileCarriesTheColourTableAndReadsBackElsewhere)
{
    TDIB DIB = MakeDIB(8, 2, 2);
    DIB.ColorTable() = DefaultPalette;
    DIB.ColorTable()[3].rgbReserved = 0x55;  // never written: the fourth byte is always 0
    DIB.ScanLine(0)[0] = 249;
    DIB.ScanLine(1)[1] = 252;
    const std::vector<uint8_t> File = Saved(DIB);
    for (int I = 0; I < 256; ++I) {
        const TRGBQuad& Q = DefaultPalette[I];
        ASSERT_EQ(U32At(File, 54 + 4 * I), uint32_t(Q.rgbBlue | Q.rgbGreen << 8 | Q.rgbRed << 16)) << I;
    }
    QByteArray Bytes(reinterpret_cast<const char*>(File.data()), qsizetype(File.size()));
    QBuffer Buffer(&Bytes);
    const QImage Read = QImageReader(&Buffer, "bmp").read();
    ASSERT_FALSE(Read.isNull());
    EXPECT_EQ(Read.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(Read.pixel(1, 1), qRgb(0, 0, 255));
    EXPECT_EQ(Read.pixel(1, 0), qRgb(0, 0, 0));
}

TEST(TDIBSave, FiveFiveFiveMasksAreWrittenAsTheyAre)
{
    const std::vector<uint8_t> File = Saved(MakeDIB(16, 1, 1, 0x7C00, 0x03E0, 0x001F));
    EXPECT_EQ(U32At(File, 54), 0x7C00u);
    EXPECT_EQ(U32At(File, 58), 0x03E0u);
    EXPECT_EQ(U32At(File, 62), 0x001Fu);
}

}  // namespace
}  // namespace velka

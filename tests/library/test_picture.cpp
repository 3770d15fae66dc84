// LoadBitmapStream and LoadPictureFile on pictures built byte by byte: which depth each stored
// BMP format becomes, the pixels it gets, and how unreadable files are answered.
#include "library/dib.h"
#include "library/errors.h"
#include "library/picturefile.h"
#include "library/pngobject.h"
#include "library/stream.h"

#include "support/bytes.h"
#include "support/tempdir.h"

#include <QBuffer>

#include <functional>
#include <gtest/gtest.h>

namespace velka {
namespace {

using test::TBytes;

// A stored BMP picture: raw pixel values come from Pixel(x, y) with y = 0 the top row (an index
// for palette pictures, a 16-bit word, or 0xRRGGBB for 24 and 32 bits).
struct StoredBmp {
    int Width = 4;
    int Height = 4;
    int Bits = 24;
    uint32_t Compression = 0;
    std::vector<uint32_t> Masks;  // written behind the 40-byte header
    std::vector<QRgb> Palette;
    std::function<uint32_t(int, int)> Pixel = [](int, int) { return 0u; };

    StoredBmp(int W, int H, int B) : Width(W), Height(H), Bits(B) {}
    StoredBmp& BitFields(std::vector<uint32_t> M) { Compression = 3, Masks = std::move(M); return *this; }
    StoredBmp& Colors(std::vector<QRgb> P) { Palette = std::move(P); return *this; }
    StoredBmp& Pixels(std::function<uint32_t(int, int)> F) { Pixel = std::move(F); return *this; }
};

std::vector<uint8_t> MakeBmp(const StoredBmp& Stored)
{
    const uint32_t Row = uint32_t(WidthBytes(Stored.Width, Stored.Bits));
    const uint32_t Offset = uint32_t(14 + 40 + 4 * Stored.Masks.size() + 4 * Stored.Palette.size());
    TBytes Bmp;
    Bmp.Text("BM").U32(Offset + Row * Stored.Height).U32(0).U32(Offset);
    Bmp.U32(40).I32(Stored.Width).I32(Stored.Height).U16(1).U16(uint16_t(Stored.Bits)).U32(Stored.Compression);
    Bmp.U32(Row * Stored.Height).I32(2835).I32(2835).U32(uint32_t(Stored.Palette.size())).U32(0);
    for (const uint32_t Mask : Stored.Masks)
        Bmp.U32(Mask);
    for (const QRgb Color : Stored.Palette)
        Bmp.U8(uint8_t(qBlue(Color))).U8(uint8_t(qGreen(Color))).U8(uint8_t(qRed(Color))).U8(0);
    for (int Y = Stored.Height - 1; Y >= 0; --Y) {
        std::vector<uint8_t> Line(Row, 0);
        for (int X = 0; X < Stored.Width; ++X) {
            const uint32_t V = Stored.Pixel(X, Y);
            switch (Stored.Bits) {
            case 1: Line[X / 8] |= uint8_t(V << (7 - X % 8)); break;
            case 4: Line[X / 2] |= uint8_t(V << (X % 2 == 0 ? 4 : 0)); break;
            case 8: Line[X] = uint8_t(V); break;
            case 16: Line[X * 2] = uint8_t(V), Line[X * 2 + 1] = uint8_t(V >> 8); break;
            default:
                for (int I = 0; I < Stored.Bits / 8; ++I)
                    Line[X * (Stored.Bits / 8) + I] = uint8_t(I < 3 ? V >> (8 * I) : 0);
            }
        }
        Bmp.Raw(Line);
    }
    return Bmp.Take();
}

std::unique_ptr<TDIB> Load(const std::vector<uint8_t>& Bytes)
{
    TMemoryStream Stream(Bytes);
    std::unique_ptr<TDIB> DIB;
    LoadBitmapStream(Stream, DIB);
    return DIB;
}

uint32_t Colorful(int X, int Y) { return uint32_t(X * 40 + 10) << 16 | uint32_t(Y * 50 + 5) << 8 | uint32_t(X ^ Y) * 17; }

TEST(LoadBitmapStream, TwentyFourBitPictureKeepsItsPixels)
{
    const auto DIB = Load(MakeBmp(StoredBmp(5, 3, 24).Pixels(Colorful)));
    ASSERT_EQ(DIB->BitCount(), 24);
    ASSERT_EQ(DIB->Width(), 5);
    ASSERT_EQ(DIB->Height(), 3);
    for (int Y = 0; Y < 3; ++Y)
        for (int X = 0; X < 5; ++X)
            ASSERT_EQ(DIB->ToImage().pixel(X, Y) & 0xFFFFFF, Colorful(X, Y)) << X << "," << Y;
}

TEST(LoadBitmapStream, EightBitPictureIsRemappedToTheDefaultPalette)
{
    StoredBmp Stored(3, 2, 8);
    Stored.Palette = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(1, 2, 3)};
    Stored.Pixel = [](int X, int Y) { return uint32_t((X + Y) % 4); };
    const auto DIB = Load(MakeBmp(Stored));
    ASSERT_EQ(DIB->BitCount(), 8);
    EXPECT_EQ(DIB->ColorTable(), DefaultPalette);
    const uint8_t Red = DIB->ScanLine(0)[1];  // stored index 1: pure red
    EXPECT_EQ(DIB->ColorTable()[Red], (TRGBQuad{0, 0, 0xFF, 0}));
    EXPECT_EQ(DIB->ToImage().pixel(0, 1), qRgb(255, 0, 0));
    EXPECT_EQ(DIB->ToImage().pixel(1, 1), qRgb(0, 0, 255));
    EXPECT_EQ(DIB->ScanLine(1)[2], 0);  // (1, 2, 3) is nearest to black
}

TEST(LoadBitmapStream, SixteenBit565PictureKeepsItsWords)
{
    StoredBmp Stored = StoredBmp(3, 2, 16).BitFields({0xF800, 0x07E0, 0x001F});
    Stored.Pixel = [](int X, int Y) { return X == 0 ? 0xF800u : X == 1 ? 0x07E0u : uint32_t(0x001F + Y * 0x0800); };
    const auto DIB = Load(MakeBmp(Stored));
    ASSERT_EQ(DIB->BitCount(), 16);
    EXPECT_EQ(DIB->RedMask(), 0xF800u);
    EXPECT_EQ(DIB->GreenMask(), 0x07E0u);
    EXPECT_EQ(DIB->BlueMask(), 0x001Fu);
    for (int Y = 0; Y < 2; ++Y)
        for (int X = 0; X < 3; ++X) {
            const uint8_t* P = DIB->ScanLine(Y) + X * 2;
            EXPECT_EQ(uint32_t(P[0] | P[1] << 8), Stored.Pixel(X, Y)) << X << "," << Y;
        }
}

// Which depth each stored format becomes.
struct CodeCase {
    const char* What;
    StoredBmp Stored;
    int Bits;
    bool DefaultColors;  // 8-bit results: DefaultPalette (true) or the grey ramp
};

TEST(LoadBitmapStream, StoredFormatDecidesTheDepth)
{
    const auto Gray = [](int X, int Y) { return uint32_t(X * 60 + Y * 9) * 0x010101u; };
    const std::vector<CodeCase> Cases = {
        {"24 bits", StoredBmp(4, 4, 24).Pixels(Gray), 24, false},
        {"32 bits uncompressed", StoredBmp(4, 4, 32).Pixels(Gray), 32, false},
        {"32 bits, bit fields, file above 4 bytes a pixel",
         StoredBmp(4, 4, 32).BitFields({0xFF0000, 0xFF00, 0xFF}).Pixels(Gray), 32, false},
        {"16 bits uncompressed (5-5-5)", StoredBmp(64, 64, 16), 8, false},
        {"16 bits 5-5-5 bit fields, small: over 4 bytes a pixel",
         StoredBmp(4, 4, 16).BitFields({0x7C00, 0x03E0, 0x001F}), 32, false},
        {"16 bits 5-5-5 bit fields, large: between 2 and 3 bytes a pixel",
         StoredBmp(64, 64, 16).BitFields({0x7C00, 0x03E0, 0x001F}), 8, true},
        {"8 bits", StoredBmp(4, 4, 8).Colors({qRgb(0, 0, 0), qRgb(9, 9, 9)}), 8, true},
        {"4 bits", StoredBmp(4, 4, 4).Colors({qRgb(0, 0, 0), qRgb(255, 255, 255)}), 8, false},
        {"1 bit", StoredBmp(4, 4, 1).Colors({qRgb(0, 0, 0), qRgb(255, 255, 255)}), 8, false},
    };
    TDIB Grey;
    for (const CodeCase& C : Cases) {
        SCOPED_TRACE(C.What);
        const auto DIB = Load(MakeBmp(C.Stored));
        EXPECT_EQ(DIB->BitCount(), C.Bits);
        EXPECT_EQ(DIB->Width(), C.Stored.Width);
        EXPECT_EQ(DIB->Height(), C.Stored.Height);
        if (C.Bits == 8) {
            EXPECT_EQ(DIB->ColorTable(), C.DefaultColors ? DefaultPalette : Grey.ColorTable());
        }
        if (C.Bits >= 24) {
            EXPECT_EQ(DIB->ToImage().pixel(3, 2) & 0xFFFFFF, C.Stored.Pixel(3, 2));
        }
    }
}

TEST(LoadBitmapStream, OneBitPictureLandsOnTheEndsOfTheGreyRamp)
{
    StoredBmp Stored = StoredBmp(9, 2, 1).Colors({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    Stored.Pixel = [](int X, int Y) { return uint32_t((X + Y) % 2); };
    const auto DIB = Load(MakeBmp(Stored));
    EXPECT_EQ(DIB->ScanLine(0)[0], 0);
    EXPECT_EQ(DIB->ScanLine(0)[1], 255);
    EXPECT_EQ(DIB->ScanLine(1)[8], 255);
}

TEST(LoadBitmapStream, DecodesFromTheStreamPositionButWeighsTheWholeStream)
{
    // 16-bit 5-5-5 bit fields of 64 x 64 alone is between 2 and 3 bytes a pixel (8 bits); with
    // 4096 bytes in front the whole stream passes 3 bytes a pixel, so it becomes 24 bits.
    const std::vector<uint8_t> Bmp =
        MakeBmp(StoredBmp(64, 64, 16).BitFields({0x7C00, 0x03E0, 0x001F}));
    TBytes Bytes;
    Bytes.Fill(4096, 0xEE).Raw(Bmp);
    TMemoryStream Stream(Bytes.Take());
    Stream.Seek(4096);
    std::unique_ptr<TDIB> DIB;
    LoadBitmapStream(Stream, DIB);
    EXPECT_EQ(DIB->BitCount(), 24);
    EXPECT_EQ(DIB->Width(), 64);
}

TEST(LoadBitmapStream, DamagedHeadersRaiseFormatErrors)
{
    const std::vector<uint8_t> Good = MakeBmp(StoredBmp(4, 4, 24));
    const auto Patched = [&](size_t Offset, uint32_t Value) {
        TBytes Bytes(Good);
        Bytes.PutU32At(Offset, Value);
        return Bytes.Take();
    };
    struct Case { const char* What; std::vector<uint8_t> Bytes; };
    const std::vector<Case> Cases = {
        {"empty", {}},
        {"text", TBytes().Text("hello, this is not a picture at all").Take()},
        {"cut inside the header", std::vector<uint8_t>(Good.begin(), Good.begin() + 30)},
        {"cut inside the pixels", std::vector<uint8_t>(Good.begin(), Good.end() - 5)},
        {"huge width", Patched(18, 0x7FFFFFFF)},
        {"huge height", Patched(22, 0x40000000)},
        {"negative width", Patched(18, uint32_t(-4))},
        {"unknown header size", Patched(14, 66)},
        {"pixel offset past the end", Patched(10, 100000)},
        {"image size past the end", Patched(34, 0xF0000000)},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.What);
        EXPECT_THROW(Load(C.Bytes), EFormatError);
    }
}

TEST(LoadBitmapStream, RleRunLeavingThePictureIsRefused)
{
    TBytes Bmp;
    const uint32_t Offset = 14 + 40 + 8;
    TBytes Rle;
    Rle.U8(4).U8(1).U8(0).U8(0);    // row 0: four pixels of index 1, end of line
    Rle.U8(9).U8(1);                // row 1: nine pixels in a picture four wide
    Rle.U8(0).U8(1);
    Bmp.Text("BM").U32(uint32_t(Offset + Rle.Size())).U32(0).U32(Offset);
    Bmp.U32(40).I32(4).I32(2).U16(1).U16(8).U32(1).U32(uint32_t(Rle.Size())).U32(0).U32(0).U32(2).U32(0);
    Bmp.U32(0).U32(0x00FF0000).Raw(Rle.Data());
    EXPECT_THROW(Load(Bmp.Data()), EFormatError);
}

TEST(LoadBitmapStream, RleCodesFarTooShortForThePictureAreRefused)
{
    // Codes that end early leave the rest blank: a few bytes of them must not make the decoder
    // build (and spend seconds on) a picture of twenty million pixels.
    const auto RleBmp = [](int32_t Height) {
        const uint32_t Offset = 14 + 40 + 8;
        TBytes Rle;
        Rle.U8(2).U8(1).U8(2).U8(0).U8(0).U8(0).U8(0).U8(1);  // one row, end of line, end
        TBytes Bmp;
        Bmp.Text("BM").U32(uint32_t(Offset + Rle.Size())).U32(0).U32(Offset);
        Bmp.U32(40).I32(4).I32(Height).U16(1).U16(8).U32(1).U32(uint32_t(Rle.Size())).U32(0).U32(0).U32(2).U32(0);
        Bmp.U32(0).U32(0x00FF0000).Raw(Rle.Data());
        return Bmp.Take();
    };
    EXPECT_EQ(Load(RleBmp(2))->Height(), 2);
    EXPECT_THROW(Load(RleBmp(4980738)), EFormatError);
}

// Every header byte of a few stored formats, set to a handful of telling values: the decoder
// either refuses the picture or gives a bitmap of the announced size, never anything else.
TEST(LoadBitmapStream, HeaderBytesSetToExtremesNeverCrash)
{
    const std::vector<std::vector<uint8_t>> Pictures = {
        MakeBmp(StoredBmp(5, 3, 8).Colors({qRgb(0, 0, 0), qRgb(255, 0, 0)}).Pixels([](int X, int) { return uint32_t(X % 2); })),
        MakeBmp(StoredBmp(5, 3, 16).BitFields({0xF800, 0x07E0, 0x001F}).Pixels(Colorful)),
        MakeBmp(StoredBmp(5, 3, 4).Colors({qRgb(0, 0, 0), qRgb(255, 0, 0)})),
        MakeBmp(StoredBmp(5, 3, 32).Pixels(Colorful)),
    };
    int Loaded = 0;
    for (const std::vector<uint8_t>& Picture : Pictures) {
        for (size_t Offset = 0; Offset < 70; ++Offset) {
            for (const uint8_t Value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
                std::vector<uint8_t> Bytes = Picture;
                Bytes[Offset] = Value;
                try {
                    const auto DIB = Load(Bytes);
                    ASSERT_NE(DIB, nullptr);
                    EXPECT_FALSE(DIB->ToImage().isNull());
                    ++Loaded;
                } catch (const EFormatError&) {
                }
            }
        }
    }
    EXPECT_GT(Loaded, 0);
}

class LoadPictureFileTest : public test::TempDirTest {};

TEST_F(LoadPictureFileTest, BmpFileGivesABitmapOfKind0)
{
    const QString Name = Temp.Write("a.bmp", MakeBmp(StoredBmp(2, 2, 24).Pixels(Colorful)));
    uint8_t Kind = 7;
    const auto Graphic = LoadPictureFile(Name, Kind);
    EXPECT_EQ(Kind, KindBitmap);
    ASSERT_NE(dynamic_cast<TDIB*>(Graphic.get()), nullptr);
    EXPECT_EQ(Graphic->ToImage().pixel(1, 1) & 0xFFFFFF, Colorful(1, 1));
}

TEST_F(LoadPictureFileTest, PngFileGivesAPngObjectOfKind2)
{
    QImage Picture(3, 2, QImage::Format_ARGB32);
    Picture.fill(qRgba(10, 20, 30, 128));
    QByteArray Png;
    QBuffer Buffer(&Png);
    Buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(Picture.save(&Buffer, "PNG"));
    const QString Name = Temp.Write("a.bmp", std::vector<uint8_t>(Png.begin(), Png.end()));  // content decides
    uint8_t Kind = 7;
    const auto Graphic = LoadPictureFile(Name, Kind);
    EXPECT_EQ(Kind, KindPNG);
    auto* Loaded = dynamic_cast<TPNGObject*>(Graphic.get());
    ASSERT_NE(Loaded, nullptr);
    EXPECT_EQ(Loaded->Image().pixel(2, 1), qRgba(10, 20, 30, 128));
    EXPECT_EQ(Loaded->PngBytes(), Png);
}

TEST_F(LoadPictureFileTest, UnreadableContentGivesNothing)
{
    struct Case { const char* What; std::vector<uint8_t> Bytes; uint8_t Kind; };
    const std::vector<Case> Cases = {
        {"text named .bmp", TBytes().Text("just some text\r\n").Take(), KindBitmap},
        {"shorter than a signature", TBytes().Text("BM").Take(), KindBitmap},
        {"empty", {}, KindBitmap},
        {"PNG signature, then nothing", TBytes().U8(0x89).Text("PNG\r\n").U8(0x1A).U8(0x0A).Take(), KindPNG},
        {"PNG signature, then junk", TBytes().U8(0x89).Text("PNG\r\n").U8(0x1A).U8(0x0A).Fill(40, 0xFF).Take(), KindPNG},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.What);
        uint8_t Kind = 7;
        EXPECT_EQ(LoadPictureFile(Temp.Write("x.bmp", C.Bytes), Kind), nullptr);
        EXPECT_EQ(Kind, C.Kind);
    }
}

TEST_F(LoadPictureFileTest, MissingFileRaisesTheOpenError)
{
    uint8_t Kind = 7;
    EXPECT_THROW(LoadPictureFile(Temp.File("missing.bmp"), Kind), EFOpenError);
}

TEST(LoadBitmapStream, AnAlphaMaskDoesNotDarkenThePixels)
{
    // A 1 x 1 32-bit picture with a version-4 header whose alpha mask marks the pixel half
    // transparent: only its colour channels are imported, so pure red stays pure red.
    TBytes Bmp;
    Bmp.Text("BM").U32(14 + 108 + 4).U32(0).U32(14 + 108);
    Bmp.U32(108).I32(1).I32(1).U16(1).U16(32).U32(3).U32(4).I32(2835).I32(2835).U32(0).U32(0);
    Bmp.U32(0x00FF0000).U32(0x0000FF00).U32(0x000000FF).U32(0xFF000000);
    Bmp.U32(0x73524742);  // colour space "sRGB"
    Bmp.Raw(std::vector<uint8_t>(36 + 12, 0));
    Bmp.U8(0x00).U8(0x00).U8(0xFF).U8(0x80);
    const auto DIB = Load(Bmp.Take());
    ASSERT_EQ(DIB->BitCount(), 32);
    EXPECT_EQ(DIB->ToImage().pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
}

}  // namespace
}  // namespace velka

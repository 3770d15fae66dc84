// TPNGObject: keeps the PNG bytes it was loaded from, reads a stream exactly up to the end
// chunk, and refuses damaged or oversized files with a format error naming the file.
#include "library/errors.h"
#include "library/pngobject.h"
#include "library/stream.h"

#include "support/bytes.h"
#include "support/tempdir.h"

#include <QBuffer>

#include <gtest/gtest.h>
#include <zlib.h>

namespace velka {
namespace {

using test::TBytes;

QByteArray EncodePng(const QImage& Picture)
{
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(Picture.save(&Buffer, "PNG"));
    return Bytes;
}

QImage Sample()
{
    QImage Picture(4, 3, QImage::Format_ARGB32);
    for (int Y = 0; Y < 3; ++Y)
        for (int X = 0; X < 4; ++X)
            Picture.setPixel(X, Y, qRgba(X * 60, Y * 80, 200, 50 + X * 50));
    return Picture;
}

std::vector<uint8_t> Vector(const QByteArray& Bytes) { return std::vector<uint8_t>(Bytes.begin(), Bytes.end()); }

// A chunk with a correct CRC.
void AppendChunk(TBytes& Png, const char* Type, const std::vector<uint8_t>& Data)
{
    Png.BE32(uint32_t(Data.size())).Text(Type).Raw(Data);
    uLong Crc = crc32(0L, reinterpret_cast<const Bytef*>(Type), 4);
    Crc = crc32(Crc, Data.data(), uInt(Data.size()));
    Png.BE32(uint32_t(Crc));
}

TBytes Signature() { return TBytes().U8(0x89).Text("PNG\r\n").U8(0x1A).U8(0x0A); }

std::vector<uint8_t> Header(uint32_t Width, uint32_t Height, uint8_t Depth = 8, uint8_t ColorType = 6)
{
    return TBytes().BE32(Width).BE32(Height).U8(Depth).U8(ColorType).U8(0).U8(0).U8(0).Take();
}

TEST(TPNGObject, LoadKeepsTheOriginalBytesAndDecodesWithAlpha)
{
    const QByteArray Png = EncodePng(Sample());
    TPNGObject Picture;
    Picture.LoadFromBytes(Png);
    EXPECT_EQ(Picture.Width(), 4);
    EXPECT_EQ(Picture.Height(), 3);
    EXPECT_FALSE(Picture.Empty());
    EXPECT_EQ(Picture.ToImage().format(), QImage::Format_ARGB32);
    EXPECT_EQ(Picture.Image().pixel(3, 2), qRgba(180, 160, 200, 200));
    EXPECT_EQ(Picture.PngBytes(), Png);
    TMemoryStream Saved;
    Picture.SaveToStream(Saved);
    EXPECT_EQ(Saved.Bytes(), Vector(Png));
}

TEST(TPNGObject, StreamIsReadFromItsPositionUpToTheEndChunkAndNoFurther)
{
    const QByteArray Png = EncodePng(Sample());
    TBytes Bytes;
    Bytes.Text("prefix").Raw(Vector(Png)).Text("entry header of the next image");
    TMemoryStream Stream(Bytes.Take());
    Stream.Seek(6);
    TPNGObject Picture;
    Picture.LoadFromStream(Stream);
    EXPECT_EQ(Stream.Position(), 6 + Png.size());
    EXPECT_EQ(Picture.PngBytes(), Png);
}

TEST(TPNGObject, PictureMadeInMemoryIsEncodedOnFirstNeed)
{
    TPNGObject Picture(Sample().convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(Picture.Image().format(), QImage::Format_ARGB32);
    const QByteArray Bytes = Picture.PngBytes();
    ASSERT_FALSE(Bytes.isEmpty());
    TPNGObject Again;
    Again.LoadFromBytes(Bytes);
    EXPECT_EQ(Again.Image(), Picture.Image());
    EXPECT_TRUE(TPNGObject().Empty());
}

class TPNGFileTest : public test::TempDirTest {};

TEST_F(TPNGFileTest, FileRoundTripIsByteForByte)
{
    const QByteArray Png = EncodePng(Sample());
    const QString Name = Temp.Write("in.png", Vector(Png));
    TPNGObject Picture;
    Picture.LoadFromFile(Name);
    Picture.SaveToFile(Temp.File("out.png"));
    EXPECT_EQ(test::ReadFileBytes(Temp.File("out.png")), Vector(Png));
}

TEST_F(TPNGFileTest, DamagedFilesRaiseFormatErrorsNamingTheFile)
{
    const std::vector<uint8_t> Good = Vector(EncodePng(Sample()));
    const auto Cut = [&](size_t Size) { return std::vector<uint8_t>(Good.begin(), Good.begin() + Size); };
    std::vector<uint8_t> BadCrc = Good;
    const QByteArray Idat("IDAT");
    const auto DataAt = std::search(Good.begin(), Good.end(), Idat.begin(), Idat.end()) - Good.begin() + 4;
    BadCrc.at(size_t(DataAt)) ^= 0x01;  // the first byte of the IDAT data: only its CRC tells
    TBytes HugeChunk = Signature();
    HugeChunk.BE32(0xFFFFFFF0).Text("IHDR").Zeros(13);
    TBytes HugePicture = Signature();
    AppendChunk(HugePicture, "IHDR", Header(100000, 100000));
    TBytes BadDepth = Signature();
    AppendChunk(BadDepth, "IHDR", Header(4, 4, 3, 2));
    TBytes NoData = Signature();
    AppendChunk(NoData, "IHDR", Header(4, 4));
    AppendChunk(NoData, "IEND", {});
    TBytes NotFirst = Signature();
    AppendChunk(NotFirst, "tEXt", TBytes().Text("a").U8(0).Text("b").Take());

    struct Case { const char* What; std::vector<uint8_t> Bytes; };
    const std::vector<Case> Cases = {
        {"empty", {}},
        {"signature only", Cut(8)},
        {"cut in a chunk header", Cut(12)},
        {"cut in IHDR", Cut(20)},
        {"cut before IEND", Cut(Good.size() - 12)},
        {"cut in IEND", Cut(Good.size() - 2)},
        {"wrong signature", TBytes(Good).PutU32At(0, 0x474E5088).Take()},
        {"bad IDAT checksum", BadCrc},
        {"chunk length beyond the file", HugeChunk.Take()},
        {"100000 x 100000 picture", HugePicture.Take()},
        {"impossible bit depth", BadDepth.Take()},
        {"no image data", NoData.Take()},
        {"first chunk not IHDR", NotFirst.Take()},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.What);
        const QString Name = Temp.Write("bad.png", C.Bytes);
        TPNGObject Picture;
        try {
            Picture.LoadFromFile(Name);
            ADD_FAILURE() << "loaded";
        } catch (const EFormatError& Error) {
            EXPECT_NE(std::string(Error.what()).find(Name.toStdString()), std::string::npos) << Error.what();
        }
        EXPECT_TRUE(Picture.Empty());
    }
}

TEST(TPNGObject, HeaderBytesSetToExtremesNeverCrash)
{
    const std::vector<uint8_t> Good = Vector(EncodePng(Sample()));
    for (size_t Offset = 16; Offset < 29; ++Offset) {  // the IHDR data, its checksum kept right
        for (const uint8_t Value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
            std::vector<uint8_t> Bytes = Good;
            Bytes[Offset] = Value;
            const uLong Crc = crc32(0L, Bytes.data() + 12, 17);
            TBytes Fixed;
            Fixed.BE32(uint32_t(Crc));
            std::copy(Fixed.Data().begin(), Fixed.Data().end(), Bytes.begin() + 29);
            TPNGObject Picture;
            try {
                Picture.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(Bytes.data()), qsizetype(Bytes.size())));
                EXPECT_EQ(Picture.PngBytes().size(), qsizetype(Bytes.size()));
            } catch (const EFormatError&) {
                EXPECT_TRUE(Picture.Empty());
            }
        }
    }
}

TEST_F(TPNGFileTest, MissingFileIsAnOpenError)
{
    TPNGObject Picture;
    EXPECT_THROW(Picture.LoadFromFile(Temp.File("none.png")), EFOpenError);
}

}  // namespace
}  // namespace velka

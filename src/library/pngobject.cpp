#include "library/pngobject.h"

#include "library/errors.h"
#include "library/picturedecode.h"
#include "library/stream.h"

#include <QBuffer>
#include <QImageWriter>

#include <zlib.h>

#include <array>
#include <cstring>

namespace velka {

namespace {

constexpr std::array<uint8_t, 8> Signature = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
// The PNG format limits chunk lengths to 2^31 - 1.
constexpr uint32_t MaxChunkLength = 0x7FFFFFFF;
constexpr uint32_t IhdrLength = 13;

uint32_t ReadBE32(const uint8_t* Bytes)
{
    return uint32_t(Bytes[0]) << 24 | uint32_t(Bytes[1]) << 16 | uint32_t(Bytes[2]) << 8 | uint32_t(Bytes[3]);
}

[[noreturn]] void Fail(const QString& Name, const char* Reason)
{
    throw EFormatError(("Invalid PNG file " + Name + ": ").toStdString() + Reason);
}

bool IsCritical(const uint8_t* Type) { return (Type[0] & 0x20) == 0; }

bool ValidDepth(uint8_t ColorType, uint8_t Depth)
{
    switch (ColorType) {
    case 0: return Depth == 1 || Depth == 2 || Depth == 4 || Depth == 8 || Depth == 16;
    case 3: return Depth == 1 || Depth == 2 || Depth == 4 || Depth == 8;
    case 2:
    case 4:
    case 6: return Depth == 8 || Depth == 16;
    default: return false;
    }
}

// Checks the 13 bytes of IHDR, so that only a well-formed header reaches the decoder, and that
// the decoded picture (four bytes a pixel) stays within the budget.
void CheckHeader(const uint8_t* Data, const QString& Name)
{
    const uint32_t Width = ReadBE32(Data);
    const uint32_t Height = ReadBE32(Data + 4);
    const uint8_t Depth = Data[8], ColorType = Data[9], Compression = Data[10], Filter = Data[11], Interlace = Data[12];
    if (!ValidDepth(ColorType, Depth) || Compression != 0 || Filter != 0 || Interlace > 1)
        Fail(Name, "invalid header fields");
    if (Width == 0 || Height == 0 || Width > MaxChunkLength || Height > MaxChunkLength ||
        int64_t(Width) * Height > TPNGObject::MaxPixelBytes / 4)
        Fail(Name, "picture size out of range");
}

// Copies one PNG file from Stream into bytes, chunk by chunk up to and including IEND, checking
// each chunk's length against what the stream still holds and the CRC of the critical chunks.
QByteArray ReadPngChunks(TStream& Stream, const QString& Name)
{
    QByteArray Bytes(int(Signature.size()), '\0');
    if (Stream.Read(Bytes.data(), Signature.size()) != Signature.size() ||
        std::memcmp(Bytes.constData(), Signature.data(), Signature.size()) != 0)
        Fail(Name, "no PNG signature");
    bool First = true;
    bool SawData = false;
    for (;;) {
        uint8_t Head[8];
        if (Stream.Read(Head, sizeof Head) != sizeof Head)
            Fail(Name, "truncated before the end chunk");
        const uint32_t Length = ReadBE32(Head);
        const uint8_t* Type = Head + 4;
        const int64_t Left = Stream.Size() - Stream.Position();
        if (Length > MaxChunkLength || int64_t(Length) + 4 > Left)
            Fail(Name, "chunk length beyond the end of the file");
        // A PNG whose file alone exceeds the decoded-picture budget is not loaded at all.
        if (int64_t(Bytes.size()) + int64_t(sizeof Head) + Length + 4 > TPNGObject::MaxPixelBytes)
            Fail(Name, "file too large");
        if (First && (std::memcmp(Type, "IHDR", 4) != 0 || Length != IhdrLength))
            Fail(Name, "the first chunk is not a header");
        const qsizetype Start = Bytes.size();
        Bytes.append(reinterpret_cast<const char*>(Head), sizeof Head);
        Bytes.resize(Start + sizeof Head + Length + 4);
        uint8_t* Data = reinterpret_cast<uint8_t*>(Bytes.data()) + Start + sizeof Head;
        Stream.ReadBuffer(Data, size_t(Length) + 4);
        const uLong Crc = crc32(crc32(0L, Type, 4), Data, Length);
        if (IsCritical(Type) && Crc != ReadBE32(Data + Length))
            Fail(Name, "chunk checksum mismatch");
        if (First) {
            CheckHeader(Data, Name);
            First = false;
        }
        SawData = SawData || std::memcmp(Type, "IDAT", 4) == 0;
        if (std::memcmp(Type, "IEND", 4) == 0) {
            if (!SawData)
                Fail(Name, "no image data");
            return Bytes;
        }
    }
}

QImage DecodePng(const QByteArray& Bytes, const QString& Name)
{
    QString Error;
    const QImage Image = DecodePicture(Bytes, "png", TPNGObject::MaxPixelBytes, Error);
    if (Image.isNull())
        Fail(Name, Error.toUtf8().constData());
    return Image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

TPNGObject::TPNGObject(QImage Picture) : Image_(Picture.convertToFormat(QImage::Format_ARGB32)) {}

void TPNGObject::LoadFromFile(const QString& FileName)
{
    TFileStream File(FileName, TFileStream::Mode::ReadShared);
    LoadFromStream(File);
}

void TPNGObject::LoadFromStream(TStream& Stream)
{
    const QString Name = StreamName(Stream);
    QByteArray Bytes = ReadPngChunks(Stream, Name);
    Image_ = DecodePng(Bytes, Name);
    Bytes_ = std::move(Bytes);
}

void TPNGObject::LoadFromBytes(const QByteArray& Bytes)
{
    TMemoryStream Memory(std::vector<uint8_t>(Bytes.begin(), Bytes.end()));
    LoadFromStream(Memory);
}

void TPNGObject::SaveToFile(const QString& FileName) const
{
    TFileStream File(FileName, TFileStream::Mode::Create);
    SaveToStream(File);
}

void TPNGObject::SaveToStream(TStream& Stream) const
{
    const QByteArray Bytes = PngBytes();
    Stream.WriteBuffer(Bytes.constData(), size_t(Bytes.size()));
}

QByteArray TPNGObject::PngBytes() const
{
    if (Bytes_.isEmpty() && !Image_.isNull()) {
        QBuffer Buffer(&Bytes_);
        Buffer.open(QIODevice::WriteOnly);
        QImageWriter Writer(&Buffer, "png");
        if (!Writer.write(Image_))
            throw EVelkaError("Cannot encode the picture as PNG: " + Writer.errorString().toStdString());
    }
    return Bytes_;
}

}  // namespace velka

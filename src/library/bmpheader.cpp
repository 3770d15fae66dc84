#include "library/bmpheader.h"

#include "library/dib.h"
#include "library/errors.h"
#include "library/littleendian.h"
#include "library/zbuffers.h"

#include <array>
#include <bit>
#include <cstring>
#include <string>

namespace velka {

namespace {

// File header (14 bytes).
constexpr size_t FileTypeOffset = 0;
constexpr size_t FileSizeOffset = 2;
constexpr size_t PixelOffsetOffset = 10;
constexpr size_t FileHeaderSize = 14;
// Info header, from offset 14; its first field is its own size.
constexpr size_t InfoSizeOffset = 14;
constexpr size_t CoreWidthOffset = 18;  // 16-bit fields of the 12-byte header
constexpr size_t CoreHeightOffset = 20;
constexpr size_t CorePlanesOffset = 22;
constexpr size_t CoreBitsOffset = 24;
constexpr size_t WidthOffset = 18;  // 32-bit fields of the longer headers
constexpr size_t HeightOffset = 22;
constexpr size_t PlanesOffset = 26;
constexpr size_t BitsOffset = 28;
constexpr size_t CompressionOffset = 30;
constexpr size_t ImageSizeOffset = 34;
constexpr size_t XDensityOffset = 38;
constexpr size_t YDensityOffset = 42;
constexpr size_t ColorsUsedOffset = 46;
// The masks sit here whether they belong to the info header (52 bytes and more) or follow a
// 40-byte one.
constexpr size_t RedMaskOffset = 54;
constexpr size_t GreenMaskOffset = 58;
constexpr size_t BlueMaskOffset = 62;
constexpr size_t HeadBytes = BlueMaskOffset + 4;

constexpr uint32_t CoreHeaderSize = 12;        // BITMAPCOREHEADER
constexpr uint32_t Os2MinHeaderSize = 16;      // OS/2 2.x headers run from 16 to 64 bytes
constexpr uint32_t Os2MaxHeaderSize = 64;
constexpr uint32_t InfoHeaderSize = 40;        // BITMAPINFOHEADER
constexpr uint32_t V4HeaderSize = 108;         // BITMAPV4HEADER
constexpr uint32_t V5HeaderSize = 124;         // BITMAPV5HEADER
constexpr uint32_t MaskBytes = 12;

// Densities are not used, but a value beyond 1,000,000 pixels per metre (25400 dpi) only comes
// from a damaged header.
constexpr int32_t MaxDensity = 1'000'000;
// Pictures of more than 8 bits per pixel may carry an optional palette; more than 256 colours is
// not a palette.
constexpr uint32_t MaxOptionalPaletteColors = 256;

[[noreturn]] void Fail(const QString& Name, const std::string& Reason)
{
    throw EFormatError("Invalid BMP picture " + Name.toStdString() + ": " + Reason);
}

bool KnownInfoSize(uint32_t Size)
{
    return Size == CoreHeaderSize || (Size >= Os2MinHeaderSize && Size <= Os2MaxHeaderSize) ||
           Size == V4HeaderSize || Size == V5HeaderSize;
}

// A header field exists when the info header is long enough to hold it.
bool HasField(uint32_t InfoSize, size_t Offset, size_t FieldSize)
{
    return InfoSizeOffset + InfoSize >= Offset + FieldSize;
}

bool SeparateChannels(uint32_t Red, uint32_t Green, uint32_t Blue, int Bits)
{
    const uint64_t Limit = uint64_t(1) << Bits;
    for (const uint32_t Mask : {Red, Green, Blue}) {
        if (Mask == 0 || Mask >= Limit)
            return false;
        const uint32_t Low = Mask >> std::countr_zero(Mask);
        if ((Low & (Low + 1)) != 0)  // not one run of bits
            return false;
    }
    return (Red & Green) == 0 && (Red & Blue) == 0 && (Green & Blue) == 0;
}

bool CompressionFits(uint32_t Compression, int Bits)
{
    switch (Compression) {
    case BmpCompressionNone: return true;
    case BmpCompressionRle8: return Bits == 8;
    case BmpCompressionRle4: return Bits == 4;
    case BmpCompressionBitFields:
    case BmpCompressionAlphaBitFields: return Bits == 16 || Bits == 32;
    default: return false;
    }
}

// Walks RLE8/RLE4 codes, refusing runs, literal blocks and moves that leave the picture and
// indices outside the palette. Codes that end early leave the rest of the picture blank.
class TRleChecker {
public:
    TRleChecker(const TBmpInfo& Info, const QString& Name) : Info_(Info), Name_(Name) {}

    void Check(const uint8_t* Data, size_t Size)
    {
        size_t At = 0;
        while (At + 2 <= Size) {
            const uint8_t Count = Data[At], Value = Data[At + 1];
            At += 2;
            if (Count > 0) {
                Run(Count);
                CheckIndex(Value >> (Info_.Bits == 4 ? 4 : 0));
                if (Info_.Bits == 4 && Count > 1)
                    CheckIndex(Value & 15);
                continue;
            }
            if (Value == 0) {
                X_ = 0;
                ++Y_;
            } else if (Value == 1) {
                return;
            } else if (Value == 2) {
                if (At + 2 > Size)
                    return;
                X_ += Data[At];
                Y_ += Data[At + 1];
                At += 2;
                if (X_ > Info_.Width || Y_ > Info_.Height)
                    Fail(Name_, "RLE move outside the picture");
            } else {
                At = Literal(Data, Size, At, Value);
            }
        }
    }

private:
    void Run(int64_t Count)
    {
        if (Y_ >= Info_.Height || X_ + Count > Info_.Width)
            Fail(Name_, "RLE run outside the picture");
        X_ += Count;
    }

    size_t Literal(const uint8_t* Data, size_t Size, size_t At, uint8_t Count)
    {
        Run(Count);
        const bool Nibbles = Info_.Bits == 4;
        const size_t Bytes = Nibbles ? (size_t(Count) + 1) / 2 : Count;
        for (size_t I = 0; I < Count; ++I) {
            const size_t ByteAt = At + (Nibbles ? I / 2 : I);
            if (ByteAt >= Size)
                break;
            const uint8_t Byte = Data[ByteAt];
            CheckIndex(Nibbles ? (I % 2 == 0 ? Byte >> 4 : Byte & 15) : Byte);
        }
        return At + Bytes + (Bytes & 1);  // literal blocks are padded to 16 bits
    }

    void CheckIndex(uint32_t Index) const
    {
        if (Index >= Info_.PaletteColors)
            Fail(Name_, "palette index outside the palette");
    }

    const TBmpInfo& Info_;
    const QString& Name_;
    int64_t X_ = 0;
    int64_t Y_ = 0;
};

void CheckUncompressedIndices(const uint8_t* Pixels, const TBmpInfo& Info, const QString& Name)
{
    if (Info.PaletteColors >= (1u << Info.Bits))
        return;
    const int64_t Row = WidthBytes(int32_t(Info.Width), Info.Bits);
    for (int64_t Y = 0; Y < Info.Height; ++Y) {
        const uint8_t* Line = Pixels + Y * Row;
        for (int64_t X = 0; X < Info.Width; ++X) {
            const int64_t Bit = X * Info.Bits;
            const uint32_t Index = (Line[Bit / 8] >> (8 - Info.Bits - Bit % 8)) & ((1u << Info.Bits) - 1);
            if (Index >= Info.PaletteColors)
                Fail(Name, "palette index outside the palette");
        }
    }
}

void ReadSizes(const uint8_t* Head, TBmpInfo& Info, const QString& Name)
{
    int Planes = 0;
    if (Info.InfoSize == CoreHeaderSize) {
        Info.Width = ReadLE<uint16_t>(Head, CoreWidthOffset);
        Info.Height = ReadLE<uint16_t>(Head, CoreHeightOffset);
        Planes = ReadLE<uint16_t>(Head, CorePlanesOffset);
        Info.Bits = ReadLE<uint16_t>(Head, CoreBitsOffset);
    } else {
        Info.Width = ReadLE<int32_t>(Head, WidthOffset);
        Info.Height = ReadLE<int32_t>(Head, HeightOffset);
        Planes = ReadLE<uint16_t>(Head, PlanesOffset);
        Info.Bits = ReadLE<uint16_t>(Head, BitsOffset);
    }
    if (Info.Height < 0) {
        Info.TopDown = true;
        Info.Height = -Info.Height;
    }
    if (Planes != 1)
        Fail(Name, "plane count " + std::to_string(Planes));
    if (Info.Bits != 1 && Info.Bits != 4 && Info.Bits != 8 && Info.Bits != 16 && Info.Bits != 24 && Info.Bits != 32)
        Fail(Name, "unsupported depth of " + std::to_string(Info.Bits) + " bits");
    // Decoding works in 32 bits per pixel, so that is the size that must stay within budget.
    if (Info.Width <= 0 || Info.Height <= 0 || !TDIB::SizeAllowed(Info.Width, Info.Height, 32))
        Fail(Name, "picture size " + std::to_string(Info.Width) + " x " + std::to_string(Info.Height) + " out of range");
}

void ReadFormat(const uint8_t* Head, TBmpInfo& Info, const QString& Name)
{
    const uint32_t Size = Info.InfoSize;
    if (HasField(Size, CompressionOffset, 4))
        Info.Compression = ReadLE<uint32_t>(Head, CompressionOffset);
    if (!CompressionFits(Info.Compression, Info.Bits))
        Fail(Name, "compression " + std::to_string(Info.Compression) + " with " + std::to_string(Info.Bits) + " bits");
    if (Info.TopDown && (Info.Compression == BmpCompressionRle8 || Info.Compression == BmpCompressionRle4))
        Fail(Name, "top-down rows with RLE compression");
    if (HasField(Size, YDensityOffset, 4)) {
        const int32_t X = ReadLE<int32_t>(Head, XDensityOffset), Y = ReadLE<int32_t>(Head, YDensityOffset);
        if (X < 0 || Y < 0 || X > MaxDensity || Y > MaxDensity)
            Fail(Name, "absurd pixel density");
    }
    if (Info.Compression == BmpCompressionBitFields || Info.Compression == BmpCompressionAlphaBitFields) {
        Info.RedMask = ReadLE<uint32_t>(Head, RedMaskOffset);
        Info.GreenMask = ReadLE<uint32_t>(Head, GreenMaskOffset);
        Info.BlueMask = ReadLE<uint32_t>(Head, BlueMaskOffset);
        if (!SeparateChannels(Info.RedMask, Info.GreenMask, Info.BlueMask, Info.Bits))
            Fail(Name, "colour masks do not describe three colour channels");
    }
}

void ReadPalette(const uint8_t* Head, size_t FileSize, TBmpInfo& Info, const QString& Name)
{
    const uint32_t Size = Info.InfoSize;
    const uint32_t Used = HasField(Size, ColorsUsedOffset, 4) ? ReadLE<uint32_t>(Head, ColorsUsedOffset) : 0;
    const bool MasksFollow = Size == InfoHeaderSize && Info.RedMask != 0;
    const uint64_t PaletteStart = FileHeaderSize + Size + (MasksFollow ? MaskBytes : 0);
    Info.PixelOffset = ReadLE<uint32_t>(Head, PixelOffsetOffset);
    if (Info.PixelOffset < PaletteStart || Info.PixelOffset >= FileSize)
        Fail(Name, "pixel data offset outside the file");
    if (Info.Bits > 8) {
        if (Used > MaxOptionalPaletteColors)
            Fail(Name, "palette of " + std::to_string(Used) + " colours");
        return;
    }
    const uint32_t Full = 1u << Info.Bits;
    if (Used > Full)
        Fail(Name, "palette of " + std::to_string(Used) + " colours for " + std::to_string(Info.Bits) + " bits");
    Info.PaletteColors = Used == 0 ? Full : Used;
    const uint64_t EntrySize = Size == CoreHeaderSize ? 3 : 4;
    if (PaletteStart + EntrySize * Info.PaletteColors > Info.PixelOffset)
        Fail(Name, "palette overlaps the pixel data");
}

void CheckPixelData(const uint8_t* File, size_t Size, const uint8_t* Head, const TBmpInfo& Info, const QString& Name)
{
    const size_t Available = Size - Info.PixelOffset;
    if (HasField(Info.InfoSize, ImageSizeOffset, 4) && ReadLE<uint32_t>(Head, ImageSizeOffset) > Available)
        Fail(Name, "image size beyond the end of the file");
    const uint8_t* Pixels = File + Info.PixelOffset;
    const uint64_t Needed = uint64_t(WidthBytes(int32_t(Info.Width), Info.Bits)) * uint64_t(Info.Height);
    if (Info.Compression == BmpCompressionRle8 || Info.Compression == BmpCompressionRle4) {
        // Codes that end early leave the rest blank, so a few bytes could otherwise announce a
        // picture of millions of pixels; the budget of the compressed library entries applies.
        if (!PayloadCouldFill(int64_t(Available), size_t(Needed)))
            Fail(Name, "RLE data far too short for the picture size");
        TRleChecker(Info, Name).Check(Pixels, Available);
        return;
    }
    if (Needed > Available)
        Fail(Name, "pixel data cut short");
    if (Info.Bits <= 8)
        CheckUncompressedIndices(Pixels, Info, Name);
}

}  // namespace

TBmpInfo ReadBmpInfo(const uint8_t* File, size_t Size, const QString& Name)
{
    std::array<uint8_t, HeadBytes> Head{};  // header bytes past the end of a short file read as 0
    std::memcpy(Head.data(), File, std::min(Head.size(), Size));
    if (Size < FileHeaderSize + 4 || Head[FileTypeOffset] != 'B' || Head[FileTypeOffset + 1] != 'M')
        Fail(Name, "no BMP file header");
    const uint32_t FileSize = ReadLE<uint32_t>(Head.data(), FileSizeOffset);
    if (FileSize > Size)
        Fail(Name, "the file is shorter than its header says");
    TBmpInfo Info;
    Info.InfoSize = ReadLE<uint32_t>(Head.data(), InfoSizeOffset);
    if (!KnownInfoSize(Info.InfoSize))
        Fail(Name, "unknown info header size " + std::to_string(Info.InfoSize));
    if (FileHeaderSize + Info.InfoSize > Size)
        Fail(Name, "the file ends inside its header");
    ReadSizes(Head.data(), Info, Name);
    ReadFormat(Head.data(), Info, Name);
    ReadPalette(Head.data(), Size, Info, Name);
    CheckPixelData(File, Size, Head.data(), Info, Name);
    return Info;
}

}  // namespace velka

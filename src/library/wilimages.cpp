#include "library/wilimages.h"

#include "library/dib.h"
#include "library/errors.h"
#include "library/littleendian.h"
#include "library/zbuffers.h"

#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cstring>

namespace velka {

namespace {

constexpr int64_t HeaderSize = 60;
constexpr size_t ImageCountOffset = 44;
constexpr size_t ColorCountOffset = 48;
constexpr size_t VersionMarkerOffset = 56;
constexpr int32_t MarkerVersion1 = 0;
constexpr int32_t MarkerVersion2 = 32;
constexpr int64_t PaletteOffsetVersion0 = 60;
constexpr int64_t PaletteOffsetOther = 56;
constexpr size_t IndexCountOffset = 44;
constexpr int64_t IndexHeaderVersion1 = 48;
constexpr int64_t IndexHeaderOther = 52;
constexpr size_t SizeHeaderBytes = 8;
// Size queries and decoding want this many bytes from the entry to the end of the file, whatever
// the entry header's real size.
constexpr int64_t EntrySafetyBytes = 16;
constexpr size_t IndexTitleSize = 44;

// Reads Count bytes at Position; whatever lies past the end of the stream reads as zero.
size_t ReadZeroFilled(TStream& Stream, int64_t Position, uint8_t* Buffer, size_t Count)
{
    if (Count == 0)  // an empty vector's buffer may be no pointer at all
        return 0;
    std::memset(Buffer, 0, Count);
    if (Position >= Stream.Size())
        return 0;
    Stream.Seek(Position);
    return Stream.Read(Buffer, Count);
}

int EntryHeaderSize(uint8_t Version)
{
    switch (Version) {
    case 1: return 8;
    case 2: return 16;
    default: return 12;
    }
}

void WriteNewFile(const QString& Name, const std::vector<uint8_t>& Bytes)
{
    TFileStream File(Name, TFileStream::Mode::Create);
    if (!Bytes.empty())
        File.WriteBuffer(Bytes.data(), Bytes.size());
}

}  // namespace

TWILImages::TWILImages() { Editable = false; }

void TWILImages::Initialize()
{
    TWMImages::Initialize();
    if (!Stream)
        Stream = std::make_unique<TFileStream>(FileName, TFileStream::Mode::ReadShared);
    if (UpperExtension(FileName) == u".WIS") {
        PixelFormat = 3;
        ImageCount = WisImageCount;
        IndexList.clear();
        AllocateCache();
        return;
    }
    std::array<uint8_t, HeaderSize> Header{};
    ReadZeroFilled(*Stream, 0, Header.data(), Header.size());
    const int32_t Count = ReadLE<int32_t>(Header.data(), ImageCountOffset);
    const int32_t Marker = ReadLE<int32_t>(Header.data(), VersionMarkerOffset);
    Version = Marker == MarkerVersion1 ? 1 : Marker == MarkerVersion2 ? 2 : 0;
    SetPixelFormatFromColorCount(ReadLE<int32_t>(Header.data(), ColorCountOffset));
    if (Version == 2) {
        PixelFormat = 5;
        BytesPerPixel = 2;
        BitCount = 16;
    }
    const QString IndexName = CompanionFileName(FileName, QStringLiteral(".wix"));
    CheckImageCount(Count, IndexName);
    ImageCount = Count;
    AllocateCache();
    if (Version != 2)
        ReadPalette();
    ReadIndexFile(IndexName);
}

void TWILImages::SetPixelFormatFromColorCount(int32_t ColorCount)
{
    if (ColorCount == 256) {
        PixelFormat = 3, BytesPerPixel = 1, BitCount = 8;
    } else if (ColorCount == 65536) {
        PixelFormat = 5, BytesPerPixel = 2, BitCount = 16;
    } else if (ColorCount == 16777216) {
        PixelFormat = 6, BytesPerPixel = 4, BitCount = 24;
    } else if (ColorCount > 16777216) {
        PixelFormat = 7, BytesPerPixel = 4, BitCount = 32;
    }
}

// The cache holds one entry per announced image, so the count is checked before anything is
// allocated: it must lie in 0..MaxImageCount, and every image number needs at least one byte of
// the data or index file (real libraries spend 4 index bytes and 8 or more data bytes on each),
// so a count beyond both files' sizes together can only come from a damaged header.
void TWILImages::CheckImageCount(int32_t Count, const QString& IndexName) const
{
    const QString Name = FileName;
    if (Count < 0 || Count > MaxImageCount)
        throw EFormatError("Not a WIL library: " + Name.toStdString() + " announces " + std::to_string(Count) +
                           " images");
    const QFileInfo Index(IndexName);
    const int64_t Room = Stream->Size() + (Index.isFile() ? Index.size() : 0);
    if (Count > Room)
        throw EFormatError("Damaged WIL library: " + Name.toStdString() + " announces " + std::to_string(Count) +
                           " images but holds only " + std::to_string(Room) + " bytes");
}

void TWILImages::ReadPalette()
{
    if (PixelFormat != 3)
        return;
    ReadZeroFilled(*Stream, Version != 0 ? PaletteOffsetOther : PaletteOffsetVersion0, Palette.data(), Palette.size());
}

void TWILImages::ReadIndexFile(const QString& IndexName)
{
    IndexList.clear();
    if (IndexName.isEmpty() || !QFileInfo(IndexName).isFile())
        return;
    std::unique_ptr<TFileStream> Index;
    try {
        Index = std::make_unique<TFileStream>(IndexName, TFileStream::Mode::ReadShared);
    } catch (const EFOpenError&) {
        return;
    }
    const int64_t IndexHeaderSize = Version == 1 ? IndexHeaderVersion1 : IndexHeaderOther;
    std::array<uint8_t, IndexHeaderOther> Header{};
    ReadZeroFilled(*Index, 0, Header.data(), size_t(IndexHeaderSize));
    const int32_t Count = ReadLE<int32_t>(Header.data(), IndexCountOffset);
    if (Count <= 0)
        return;
    // Positions past the end of the file would read as 0, which is what image numbers past the
    // end of IndexList read as anyway, so only the positions the file holds are kept (never more
    // than MaxImageCount): a damaged count cannot make the list outgrow the file.
    const int64_t Stored = std::max<int64_t>(0, (Index->Size() - IndexHeaderSize) / 4);
    const size_t Kept = size_t(std::min<int64_t>({Count, Stored, MaxImageCount}));
    std::vector<uint8_t> Bytes(Kept * 4);
    ReadZeroFilled(*Index, IndexHeaderSize, Bytes.data(), Bytes.size());
    IndexList.resize(Kept);
    for (size_t I = 0; I < Kept; ++I)
        IndexList[I] = ReadLE<int32_t>(Bytes.data(), I * 4);
}

void TWILImages::ReadImageSize(int32_t Position, int32_t& Width, int32_t& Height)
{
    int32_t X = 0, Y = 0;
    ReadImageInfo(Position, Width, Height, X, Y);
}

void TWILImages::ReadImageInfo(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y)
{
    Width = Height = X = Y = 0;
    if (!Stream || Position < 0 || int64_t(Position) + EntrySafetyBytes > Stream->Size())
        return;
    std::array<uint8_t, SizeHeaderBytes> Header{};
    ReadZeroFilled(*Stream, Position, Header.data(), Header.size());
    Width = ReadLE<int16_t>(Header.data(), 0);
    Height = ReadLE<int16_t>(Header.data(), 2);
    X = ReadLE<int16_t>(Header.data(), 4);
    Y = ReadLE<int16_t>(Header.data(), 6);
}

void TWILImages::ReadImageInfoEx(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y,
                                 uint8_t& Flag)
{
    ReadImageInfo(Position, Width, Height, X, Y);
    Flag = 0;
}

int64_t TWILImages::PixelBlockSize(int Width, int Height) const
{
    if (PixelFormat == 3)
        return int64_t(WidthBytes(Width, 8)) * Height;
    return int64_t(Width) * Height * (BitCount / 8);
}

void TWILImages::LoadDIBAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic)
{
    Graphic.reset();
    LastDecodeDamaged = false;
    if (!Stream || Position <= 0)
        return;
    const size_t HeaderBytes = size_t(EntryHeaderSize(Version));
    std::array<uint8_t, 16> Header{};
    if (ReadZeroFilled(*Stream, Position, Header.data(), HeaderBytes) != HeaderBytes)
        return;
    const int16_t Width = ReadLE<int16_t>(Header.data(), 0);
    const int16_t Height = ReadLE<int16_t>(Header.data(), 2);
    if (Width < 2 || Height < 2)
        return;
    const int Bits = PixelFormat == 5 ? 16 : PixelFormat == 6 ? 24 : PixelFormat == 7 ? 32 : 8;
    // Entries too large for a bitmap give no graphic, like any other damaged entry.
    if (!TDIB::SizeAllowed(Width, Height, Bits)) {
        LastDecodeDamaged = true;
        return;
    }
    const int64_t BlockStart = int64_t(Position) + int64_t(HeaderBytes);
    const int64_t Available = std::max<int64_t>(0, Stream->Size() - BlockStart);
    // Nor does an entry whose file holds too few bytes behind it to ever fill the bitmap (the
    // rule of the other readers), so a header alone cannot allocate hundreds of megabytes.
    if (!PayloadCouldFill(Available, size_t(WidthBytes(Width, Bits)) * size_t(Height))) {
        LastDecodeDamaged = true;
        return;
    }
    std::vector<uint8_t> Block;
    if (Version != 2) {
        Block.resize(size_t(std::min(PixelBlockSize(Width, Height), Available)));
        Block.resize(ReadZeroFilled(*Stream, BlockStart, Block.data(), Block.size()));
        LastDecodeDamaged = int64_t(Block.size()) < PixelBlockSize(Width, Height);
    }
    LastWilHeader = Header;
    if (int64_t(Position) + EntrySafetyBytes > Stream->Size())
        return;

    auto DIB = std::make_unique<TDIB>();
    switch (PixelFormat) {
    case 3: DIB->SetMasks(0xFF0000, 0x00FF00, 0x0000FF); DIB->SetBitCount(8); break;
    case 5: DIB->SetMasks(0xF800, 0x07E0, 0x001F); DIB->SetBitCount(16); break;
    case 6: DIB->SetMasks(0xFF0000, 0x00FF00, 0x0000FF); DIB->SetBitCount(24); break;
    case 7: DIB->SetMasks(0xFF0000, 0x00FF00, 0x0000FF); DIB->SetBitCount(32); break;
    default: break;
    }
    DIB->SetWidth(Width);
    DIB->SetHeight(Height);
    if (PixelFormat == 3) {
        for (size_t I = 0; I < DIB->ColorTable().size(); ++I)
            DIB->ColorTable()[I] = TRGBQuad{Palette[I * 4], Palette[I * 4 + 1], Palette[I * 4 + 2], Palette[I * 4 + 3]};
        DIB->UpdatePalette();
    }
    DIB->Fill(qRgb(0, 0, 0));
    if (!Block.empty())  // Version 2 reads no pixels: an empty block has no data pointer to copy from
        std::memcpy(DIB->PBits(), Block.data(), std::min(Block.size(), DIB->PixelBytes()));
    Graphic = std::move(DIB);
}

bool TWILImages::DeleteImages(int32_t, int32_t) { return false; }

bool TWILImages::BlankImages(int32_t, int32_t) { return false; }

void TWILImages::CreateEmptyFile(const QString& FileName)
{
    static constexpr char Title[] = "Velka image index";
    std::vector<uint8_t> Index(size_t(IndexHeaderOther), 0);
    Index[0] = uint8_t(sizeof Title - 1);
    std::memcpy(Index.data() + 1, Title, sizeof Title - 1);
    static_assert(sizeof Title <= IndexTitleSize);
    WriteNewFile(ChangeFileExt(FileName, QStringLiteral(".wix")), Index);
    WriteNewFile(ChangeFileExt(FileName, QStringLiteral(".wil")), {});
}

}  // namespace velka

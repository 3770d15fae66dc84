#include "library/wzlimages.h"

#include "library/compaction.h"
#include "library/dib.h"
#include "library/errors.h"
#include "library/littleendian.h"
#include "library/tempfiles.h"
#include "library/zbuffers.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <limits>

namespace velka {

namespace {

constexpr size_t FileHeaderSize = 64;
constexpr size_t IndexHeaderSize = 48;
constexpr size_t EntryHeaderSize = 16;
constexpr size_t TitleSize = 44;
constexpr size_t CountOffset = 44;
constexpr uint8_t MaxIndexTitleLength = 43;
constexpr int MaxSide = std::numeric_limits<int16_t>::max();
constexpr uint8_t FlagSet = 9;
constexpr uint8_t FlagCleared = 1;

using TEntryBytes = std::array<uint8_t, EntryHeaderSize>;
using THeaderBytes = std::array<uint8_t, FileHeaderSize>;

struct TPixelFormat {
    int Bits;
    uint8_t BytesPerPixel;
    uint32_t RedMask, GreenMask, BlueMask;
};

// What the reader builds for a format code; every unknown code reads as 16-bit 5-6-5.
TPixelFormat FormatOfCode(uint8_t Code)
{
    switch (Code) {
    case 3: return {8, 1, 0xFF0000, 0x00FF00, 0x0000FF};
    case 6: return {24, 3, 0xFF0000, 0x00FF00, 0x0000FF};
    case 7: return {32, 4, 0xFF0000, 0x00FF00, 0x0000FF};
    default: return {16, 2, 0xF800, 0x07E0, 0x001F};
    }
}

uint8_t CodeOfBits(int Bits)
{
    switch (Bits) {
    case 8: return 3;
    case 16: return 5;
    case 24: return 6;
    case 32: return 7;
    default: return 0;
    }
}

int16_t Low16(int32_t Value) { return static_cast<int16_t>(static_cast<uint16_t>(Value)); }

WzlEntryHeader DecodeEntry(const uint8_t* Bytes)
{
    WzlEntryHeader Entry;
    Entry.Format = Bytes[0];
    Entry.Flag = Bytes[1];
    Entry.Reserved = ReadLE<uint16_t>(Bytes, 2);
    Entry.Width = ReadLE<int16_t>(Bytes, 4);
    Entry.Height = ReadLE<int16_t>(Bytes, 6);
    Entry.OffsetX = ReadLE<int16_t>(Bytes, 8);
    Entry.OffsetY = ReadLE<int16_t>(Bytes, 10);
    Entry.Length = ReadLE<uint32_t>(Bytes, 12);
    return Entry;
}

TEntryBytes EncodeEntry(const WzlEntryHeader& Entry)
{
    TEntryBytes Bytes{};
    Bytes[0] = Entry.Format;
    Bytes[1] = Entry.Flag;
    WriteLE(Bytes.data(), 2, Entry.Reserved);
    WriteLE(Bytes.data(), 4, Entry.Width);
    WriteLE(Bytes.data(), 6, Entry.Height);
    WriteLE(Bytes.data(), 8, Entry.OffsetX);
    WriteLE(Bytes.data(), 10, Entry.OffsetY);
    WriteLE(Bytes.data(), 12, Entry.Length);
    return Bytes;
}

THeaderBytes EncodeFileHeader(const WzlHeader& Header)
{
    THeaderBytes Bytes{};
    std::copy(Header.Title.begin(), Header.Title.end(), Bytes.begin());
    WriteLE(Bytes.data(), CountOffset, Header.Count);
    std::copy(Header.Reserved.begin(), Header.Reserved.end(), Bytes.begin() + CountOffset + 4);
    return Bytes;
}

WzlHeader DecodeFileHeader(const THeaderBytes& Bytes)
{
    WzlHeader Header;
    std::copy_n(Bytes.begin(), TitleSize, Header.Title.begin());
    Header.Count = ReadLE<int32_t>(Bytes.data(), CountOffset);
    std::copy_n(Bytes.begin() + CountOffset + 4, Header.Reserved.size(), Header.Reserved.begin());
    return Header;
}

// The index file: the data file's title as a length-prefixed text, the count, the positions.
std::vector<uint8_t> EncodeIndex(const WzlHeader& DataHeader, const std::vector<int32_t>& Positions)
{
    std::vector<uint8_t> Bytes(IndexHeaderSize + 4 * Positions.size(), 0);
    const uint8_t TitleLength = std::min(MaxIndexTitleLength, DataHeader.Title[0]);
    Bytes[0] = TitleLength;
    std::copy_n(DataHeader.Title.begin() + 1, TitleLength, Bytes.begin() + 1);
    WriteLE(Bytes.data(), CountOffset, static_cast<int32_t>(Positions.size()));
    for (size_t I = 0; I < Positions.size(); ++I)
        WriteLE(Bytes.data(), IndexHeaderSize + 4 * I, Positions[I]);
    return Bytes;
}

// Bytes of raw pixels behind an entry whose Length is 0; none for an entry that keeps offsets only.
int64_t RawPixelBytes(const WzlEntryHeader& Entry)
{
    if (Entry.Width <= 0 || Entry.Height <= 0)
        return 0;
    return int64_t(Entry.Width) * Entry.Height * FormatOfCode(Entry.Format).BytesPerPixel;
}

// Without an index every image number reads as empty. A count beyond any real library is damage:
// no positions back it, so it presents no images instead of allocating a huge cache.
int32_t CountWithoutIndex(int32_t Announced)
{
    return Announced >= 0 && Announced <= MaxPlausibleImageCount ? Announced : 0;
}

std::string Utf8(const QString& Text) { return Text.toUtf8().toStdString(); }

void WriteNewFile(TReplacementFile& File, const std::vector<uint8_t>& Bytes)
{
    File.Stream().WriteBuffer(Bytes.data(), Bytes.size());
}

}  // namespace

TWZLImages::TWZLImages() = default;

QString TWZLImages::IndexFileName(const QString& DataFileName)
{
    return CompanionFileName(DataFileName, QStringLiteral(".wzx"));
}

void TWZLImages::RequireOpen() const
{
    if (!Stream)
        throw EStreamError("The library " + Utf8(FileName) + " is not open");
}

void TWZLImages::CheckImageNumber(int32_t Index) const
{
    const int64_t Numbers = std::max<int64_t>(ImageCount, int64_t(IndexList.size()));
    if (Index < 0 || Index >= Numbers)
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

// ---- Reading ----

void TWZLImages::Initialize()
{
    TWMImages::Initialize();
    if (!Stream)
        Stream = std::make_unique<TFileStream>(FileName, TFileStream::Mode::ReadWrite);
    StoredEnd_ = Stream->Size();
    Appended_.clear();
    ReadFileHeader();
    ImageCount = CountWithoutIndex(Header.Count);
    ReadIndexFile(IndexFileName(FileName));
    AllocateCache();
}

void TWZLImages::ReadFileHeader()
{
    // A file shorter than the header keeps the rest of Header as it was.
    THeaderBytes Bytes = EncodeFileHeader(Header);
    Stream->Seek(0);
    Stream->Read(Bytes.data(), Bytes.size());
    Header = DecodeFileHeader(Bytes);
}

void TWZLImages::ReadIndexFile(const QString& IndexName)
{
    IndexList.clear();
    if (!QFileInfo(IndexName).isFile())
        return;
    try {
        TFileStream Index(IndexName, TFileStream::Mode::ReadShared);
        const int64_t Size = Index.Size();
        if (Size < int64_t(IndexHeaderSize))
            return;
        std::array<uint8_t, IndexHeaderSize> HeaderBytes{};
        Index.ReadBuffer(HeaderBytes.data(), HeaderBytes.size());
        // Positions the file does not hold read as 0. A count beyond any real library is trusted
        // only as far as the file holds positions, so it cannot allocate a huge index.
        const int64_t Held = (Size - int64_t(IndexHeaderSize)) / 4;
        const int32_t Announced = ReadLE<int32_t>(HeaderBytes.data(), CountOffset);
        const int64_t Count = Announced >= 0 && Announced <= MaxPlausibleImageCount
                                  ? Announced
                                  : std::clamp<int64_t>(Announced, 0, Held);
        const auto Stored = static_cast<size_t>(std::min(Count, Held));
        std::vector<uint8_t> Raw(4 * Stored);
        Index.ReadBuffer(Raw.data(), Raw.size());
        std::vector<int32_t> Positions(static_cast<size_t>(Count), 0);
        for (size_t I = 0; I < Stored; ++I)
            Positions[I] = ReadLE<int32_t>(Raw.data(), 4 * I);
        IndexList = std::move(Positions);
        ImageCount = static_cast<int32_t>(Count);
    } catch (const EVelkaError&) {
        // An index that cannot be opened or read counts as missing.
        IndexList.clear();
    }
}

bool TWZLImages::HeaderInFile(int32_t Position) const
{
    if (Position <= 0 || !Stream)
        return false;
    return int64_t(Position) + int64_t(EntryHeaderSize) <= StoredEnd_ ||
           std::binary_search(Appended_.begin(), Appended_.end(), Position);
}

std::vector<int32_t> TWZLImages::PositionsToSave() const
{
    std::vector<int32_t> Positions(IndexList);
    for (int32_t& Position : Positions)
        if (Position > 0 && !HeaderInFile(Position))
            Position = 0;
    return Positions;
}

bool TWZLImages::ReadEntryHeader(int32_t Position, WzlEntryHeader& Entry)
{
    if (!HeaderInFile(Position))
        return false;
    TEntryBytes Bytes{};
    Stream->Seek(Position);
    if (Stream->Read(Bytes.data(), Bytes.size()) != Bytes.size())
        return false;
    Entry = DecodeEntry(Bytes.data());
    return true;
}

void TWZLImages::ReadImageSize(int32_t Position, int32_t& Width, int32_t& Height)
{
    int32_t X = 0, Y = 0;
    ReadImageInfo(Position, Width, Height, X, Y);
}

void TWZLImages::ReadImageInfo(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y)
{
    uint8_t Flag = 0;
    ReadImageInfoEx(Position, Width, Height, X, Y, Flag);
}

void TWZLImages::ReadImageInfoEx(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y,
                                 uint8_t& Flag)
{
    Width = Height = X = Y = 0;
    Flag = 0;
    WzlEntryHeader Entry;
    if (!ReadEntryHeader(Position, Entry))
        return;
    Width = Entry.Width;
    Height = Entry.Height;
    X = Entry.OffsetX;
    Y = Entry.OffsetY;
    Flag = Entry.Flag == FlagSet ? 1 : 0;
}

uint8_t TWZLImages::GetImageKind(int32_t Index)
{
    CheckImageNumber(Index);
    WzlEntryHeader Entry;
    if (!ReadEntryHeader(PositionOf(Index), Entry))
        return 0;
    return Entry.Flag == FlagSet ? 1 : 0;
}

void TWZLImages::LoadDIBAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic)
{
    Graphic.reset();
    LastDecodeDamaged = false;
    WzlEntryHeader Entry;
    if (!ReadEntryHeader(Position, Entry))
        return;
    const TPixelFormat Format = FormatOfCode(Entry.Format);
    BytesPerPixel = Format.BytesPerPixel;
    LastWzlHeader = EncodeEntry(Entry);
    // A header asking for more than a bitmap may hold (or for negative sides) gives no graphic.
    if (!TDIB::SizeAllowed(Entry.Width, Entry.Height, Format.Bits))
        return;
    const int64_t PayloadStart = int64_t(Position) + int64_t(EntryHeaderSize);
    // Raw pixels are held to the same rule as compressed ones: the bitmap is not allocated when
    // the bytes the file holds for it could never fill it.
    const int64_t Announced = Entry.Length > 0 ? int64_t(Entry.Length) : RawPixelBytes(Entry);
    const int64_t Stored = std::min<int64_t>(Announced, Stream->Size() - PayloadStart);
    if (!PayloadCouldFill(Stored, size_t(WidthBytes(Entry.Width, Format.Bits)) * size_t(Entry.Height)))
        return;
    auto DIB = std::make_unique<TDIB>();
    DIB->SetMasks(Format.RedMask, Format.GreenMask, Format.BlueMask);
    DIB->SetBitCount(Format.Bits);
    DIB->SetSize(Entry.Width, Entry.Height);
    if (Format.Bits == 8) {
        DIB->ColorTable() = DefaultPalette;
        DIB->UpdatePalette();
    }
    if (Entry.Length > 0)
        ReadCompressedPixels(PayloadStart, Entry.Length, *DIB);
    else
        ReadRawPixels(PayloadStart, RawPixelBytes(Entry), *DIB);
    Graphic = std::move(DIB);
}

void TWZLImages::ReadCompressedPixels(int64_t Start, uint32_t Length, TDIB& DIB)
{
    // Stored rows run bottom row first, which is the bitmap's memory order: the inflated bytes go
    // straight to the start of the pixel memory. A payload past the end of the file stays blank.
    if (DIB.PixelBytes() == 0)
        return;
    if (Start + int64_t(Length) > Stream->Size()) {
        LastDecodeDamaged = true;
        return;
    }
    std::vector<uint8_t> Payload(std::min<size_t>(Length, LongestUsefulPayload(DIB.PixelBytes())));
    Stream->Seek(Start);
    if (Stream->Read(Payload.data(), Payload.size()) != Payload.size()) {
        LastDecodeDamaged = true;
        return;
    }
    try {
        ZDecompressInto(Payload.data(), Payload.size(), DIB.PBits(), DIB.PixelBytes());
    } catch (const EFormatError&) {
        // Damaged data reads as a blank bitmap; whatever was inflated before the damage goes.
        std::fill_n(DIB.PBits(), DIB.PixelBytes(), uint8_t(0));
        LastDecodeDamaged = true;
    }
}

void TWZLImages::ReadRawPixels(int64_t Start, int64_t Length, TDIB& DIB)
{
    // Raw rows lie back to back without padding, copied as one block like the stored form.
    if (Length <= 0)
        return;
    if (Start + Length > Stream->Size()) {
        LastDecodeDamaged = true;
        return;
    }
    Stream->Seek(Start);
    Stream->Read(DIB.PBits(), std::min<size_t>(size_t(Length), DIB.PixelBytes()));
}

// ---- Editing entry headers in place ----

std::optional<WzlEntryHeader> TWZLImages::EntryForUpdate(int32_t Index, int32_t& Position)
{
    CheckImageNumber(Index);
    Position = PositionOf(Index);
    // No entry starts inside the file header: a position there is damage, and writing an entry
    // header at it would overwrite the library's count.
    if (Position < int32_t(FileHeaderSize))
        return std::nullopt;
    WzlEntryHeader Entry;
    if (!ReadEntryHeader(Position, Entry))
        throw EStreamError("The entry header of image " + std::to_string(Index) + " lies past the end of " +
                           Utf8(FileName));
    return Entry;
}

void TWZLImages::WriteEntryHeader(int32_t Position, const WzlEntryHeader& Entry)
{
    const TEntryBytes Bytes = EncodeEntry(Entry);
    Stream->Seek(Position);
    Stream->WriteBuffer(Bytes.data(), Bytes.size());
}

void TWZLImages::SetImageFlag(int32_t Index, uint8_t Flag)
{
    int32_t Position = 0;
    std::optional<WzlEntryHeader> Entry = EntryForUpdate(Index, Position);
    if (!Entry)
        return;
    if (Flag == 0)
        Entry->Flag = FlagCleared;
    else if (Flag == 1)
        Entry->Flag = FlagSet;
    WriteEntryHeader(Position, *Entry);
}

void TWZLImages::SetImageOffset(int32_t Index, int32_t X, int32_t Y)
{
    int32_t Position = 0;
    std::optional<WzlEntryHeader> Entry = EntryForUpdate(Index, Position);
    if (!Entry)
        return;
    Entry->OffsetX = Low16(X);
    Entry->OffsetY = Low16(Y);
    WriteEntryHeader(Position, *Entry);
}

// ---- Writers ----

TPreparedImage TWZLImages::PrepareImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t) const
{
    TPreparedImage Prepared;
    WzlEntryHeader Entry;
    Entry.OffsetX = Low16(X);
    Entry.OffsetY = Low16(Y);
    if (!Graphic || Graphic->Empty()) {
        // An empty image keeps a header only when it has offsets to keep.
        if (X == 0 && Y == 0) {
            Prepared.What = TPreparedImage::Action::Empty;
        } else {
            const TEntryBytes Bytes = EncodeEntry(Entry);
            Prepared.What = TPreparedImage::Action::Store;
            Prepared.Bytes.assign(Bytes.begin(), Bytes.end());
        }
        return Prepared;
    }
    auto* DIB = dynamic_cast<TDIB*>(Graphic);
    if (!DIB)
        return Prepared;  // a PNG picture has no place in a WZL library
    if (DIB->Width() > MaxSide || DIB->Height() > MaxSide)
        throw EFormatError("A WZL image can be at most " + std::to_string(MaxSide) + " pixels wide and high, not " +
                           std::to_string(DIB->Width()) + " x " + std::to_string(DIB->Height()));
    // Stored rows run bottom row first; the callers hand in pictures already upside down, and
    // this flip of their bitmap is what they rely on.
    DIB->FlipVertical();
    Entry.Format = CodeOfBits(DIB->BitCount());
    Entry.Width = Low16(DIB->Width());
    Entry.Height = Low16(DIB->Height());
    Prepared.Bytes.resize(EntryHeaderSize);
    Entry.Length = static_cast<uint32_t>(ZCompressAppend(DIB->PBits(), DIB->PixelBytes(), Prepared.Bytes));
    const TEntryBytes Bytes = EncodeEntry(Entry);
    std::copy(Bytes.begin(), Bytes.end(), Prepared.Bytes.begin());
    Prepared.What = TPreparedImage::Action::Store;
    return Prepared;
}

std::optional<int32_t> TWZLImages::StorePrepared(const TPreparedImage& Image)
{
    switch (Image.What) {
    case TPreparedImage::Action::Ignore: return std::nullopt;
    case TPreparedImage::Action::Empty: return 0;
    case TPreparedImage::Action::Store: break;
    }
    RequireOpen();
    // New entries go behind everything stored, never into the file header of a short file.
    const int64_t End = std::max<int64_t>(Stream->Size(), int64_t(FileHeaderSize));
    if (End > std::numeric_limits<int32_t>::max())
        throw EStreamError("The library " + Utf8(FileName) + " has reached the 2 GB its positions can address");
    Stream->Seek(End);
    Stream->WriteBuffer(Image.Bytes.data(), Image.Bytes.size());
    Appended_.push_back(static_cast<int32_t>(End));  // appends only ever grow the file: stays sorted
    return static_cast<int32_t>(End);
}

void TWZLImages::CountOneMore() { Header.Count = static_cast<int32_t>(static_cast<uint32_t>(Header.Count) + 1); }

bool TWZLImages::AddPreparedImage(const TPreparedImage& Image)
{
    const std::optional<int32_t> Position = StorePrepared(Image);
    if (Position) {
        IndexList.push_back(*Position);
        CountOneMore();
    }
    return true;
}

bool TWZLImages::AddImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind)
{
    return AddPreparedImage(PrepareImage(Graphic, X, Y, Kind));
}

bool TWZLImages::InsertImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind)
{
    if (Index < 0 || size_t(Index) > IndexList.size())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    const std::optional<int32_t> Position = StorePrepared(PrepareImage(Graphic, X, Y, Kind));
    if (Position) {
        IndexList.insert(IndexList.begin() + Index, *Position);
        CountOneMore();
    }
    return true;
}

bool TWZLImages::ReplaceImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind)
{
    if (Index < 0 || size_t(Index) >= IndexList.size())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    const std::optional<int32_t> Position = StorePrepared(PrepareImage(Graphic, X, Y, Kind));
    if (Position)
        IndexList[size_t(Index)] = *Position;
    Modified = true;
    return true;
}

// ---- Files ----

void TWZLImages::CreateEmptyFile(const QString& FileName)
{
    std::vector<uint8_t> Data(FileHeaderSize, 0), Index(IndexHeaderSize, 0);
    std::memcpy(Data.data(), NewFileTitle, sizeof(NewFileTitle) - 1);
    std::memcpy(Index.data(), NewFileTitle, sizeof(NewFileTitle) - 1);
    TReplacementFile NewData(FileName), NewIndex(IndexFileName(FileName));
    WriteNewFile(NewData, Data);
    WriteNewFile(NewIndex, Index);
    TReplacementFile::CommitAll({&NewData, &NewIndex});
}

void TWZLImages::Save()
{
    RequireOpen();
    if (Modified)
        SaveCompacted();
    else
        SaveAfterAppends();
    Modified = false;
    Finalize();
    Initialize();
}

void TWZLImages::CopyEntry(int32_t Position, TStream& Output)
{
    TEntryBytes Bytes{};
    Stream->Seek(Position);
    Stream->ReadBuffer(Bytes.data(), Bytes.size());
    const WzlEntryHeader Entry = DecodeEntry(Bytes.data());
    // Entries stored raw (Length 0 with a size) keep their pixels as well.
    const int64_t Payload = Entry.Length != 0 ? int64_t(Entry.Length) : RawPixelBytes(Entry);
    if (int64_t(Position) + int64_t(EntryHeaderSize) + Payload > Stream->Size())
        throw EStreamError("Stream read error: the entry at " + std::to_string(Position) + " runs past the end of " +
                           Utf8(FileName));
    Output.WriteBuffer(Bytes.data(), Bytes.size());
    Output.CopyFrom(*Stream, Payload);
}

void TWZLImages::SaveCompacted()
{
    // Both files are built beside the library and renamed over it only when complete, so a
    // failure anywhere leaves the old library as it was.
    WzlHeader NewHeader = Header;
    NewHeader.Count = static_cast<int32_t>(IndexList.size());
    const THeaderBytes HeaderBytes = EncodeFileHeader(NewHeader);
    TReplacementFile Data(FileName);
    Data.Stream().WriteBuffer(HeaderBytes.data(), HeaderBytes.size());
    const std::vector<int32_t> Positions = CopyEntriesCompacted(
        PositionsToSave(), Data.Stream(), [this](int32_t Position, TStream& Output) { CopyEntry(Position, Output); });
    TReplacementFile Index(IndexFileName(FileName));
    WriteNewFile(Index, EncodeIndex(Header, Positions));
    TReplacementFile::CommitAll({&Data, &Index});
}

void TWZLImages::SaveAfterAppends()
{
    // The appended entries are already behind the stored ones: only the header and the index
    // change. The data file reaches the disk before the new index refers to its entries.
    TReplacementFile Index(IndexFileName(FileName));
    WriteNewFile(Index, EncodeIndex(Header, PositionsToSave()));
    THeaderBytes Previous{};
    Stream->Seek(0);
    const size_t PreviousLength = Stream->Read(Previous.data(), Previous.size());
    const THeaderBytes HeaderBytes = EncodeFileHeader(Header);
    try {
        Stream->Seek(0);
        Stream->WriteBuffer(HeaderBytes.data(), HeaderBytes.size());
        Stream->Flush();
        Index.Commit();
    } catch (...) {
        try {
            Stream->Seek(0);
            Stream->WriteBuffer(Previous.data(), PreviousLength);
        } catch (const EVelkaError&) {
            // The first failure is the one to report.
        }
        throw;
    }
}

bool TWZLImages::CanStore(const TGraphic* Graphic) const
{
    return Graphic == nullptr || Graphic->Empty() || dynamic_cast<const TDIB*>(Graphic) != nullptr;
}

}  // namespace velka

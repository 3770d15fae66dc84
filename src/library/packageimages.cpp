// Opening DATA packages and reading their entries.
#include "library/packageimages.h"

#include "library/dib.h"
#include "library/errors.h"
#include "library/gbk.h"
#include "library/littleendian.h"
#include "library/picturefile.h"
#include "library/pngobject.h"
#include "library/zbuffers.h"

#include <algorithm>

namespace velka {

namespace {

// The depth a bitmap entry decodes at: unknown bit counts read as 24.
int DecodedBitCount(uint8_t BitCount)
{
    switch (BitCount) {
    case 8:
    case 16:
    case 24:
    case 32: return BitCount;
    default: return 24;
    }
}

std::unique_ptr<TDIB> BlankBitmap(const DataEntryHeader& Entry)
{
    const int Bits = DecodedBitCount(Entry.BitCount);
    auto DIB = std::make_unique<TDIB>();
    if (Bits == 16)
        DIB->SetMasks(0xF800, 0x07E0, 0x001F);
    else
        DIB->SetMasks(0xFF0000, 0x00FF00, 0x0000FF);
    DIB->SetBitCount(Bits);
    DIB->SetSize(Entry.Width, Entry.Height);
    if (Bits == 8) {
        DIB->ColorTable() = DefaultPalette;
        DIB->UpdatePalette();
    }
    return DIB;
}

}  // namespace

TWMPackageImages::TWMPackageImages() { Version = 10; }

// ---- File header and index ---------------------------------------------------------------

DataHeader TWMPackageImages::ReadHeader()
{
    std::vector<uint8_t> Stored(StoredDataHeaderSize);
    Stream->Seek(0);
    Stream->ReadBuffer(Stored.data(), Stored.size());
    return LoadDataHeader(Stored.data());
}

void TWMPackageImages::WriteHeader(TStream& Target, const DataHeader& Header)
{
    const std::vector<uint8_t> Stored = StoreDataHeader(Header);
    Target.Seek(0);
    Target.WriteBuffer(Stored.data(), Stored.size());
}

void TWMPackageImages::CreateEmptyFile(const QString& FileName)
{
    TFileStream File(FileName, TFileStream::Mode::Create);
    WriteHeader(File, NewDataHeader());
}

void TWMPackageImages::CheckPlausibleHeader(int64_t FileSize) const
{
    const auto Refuse = [&](const std::string& Why) {
        throw EFormatError(FileNameText() + " is not a DATA library (" + Why + ")");
    };
    if (StoredEntrySize(Header.EntryVersion) == 0)
        Refuse("unknown entry version " + std::to_string(Header.EntryVersion));
    if (Header.IndexOffset < FirstEntryPosition || Header.IndexOffset > FileSize)
        Refuse("index position " + std::to_string(Header.IndexOffset) + " outside the file");
    // Every image number has a 4-byte position in the index, so a file cannot announce more
    // images than it has bytes, nor more than any real library holds (a large sparse file would
    // otherwise allocate a cache of gigabytes); a merely short index stays readable.
    if (Header.Count < 0 || Header.Count > FileSize || Header.Count > MaxPlausibleImageCount)
        Refuse("image count " + std::to_string(Header.Count) + " impossible for the file size");
}

void TWMPackageImages::AskForPassword()
{
    QString Entered;
    if (OnPassword)
        OnPassword(*this, Entered);
    PasswordOK = ToGBK(Entered) == PasswordBytes(Header);
    if (!PasswordOK)
        Header.Count = 0;
}

void TWMPackageImages::Initialize()
{
    TWMImages::Initialize();
    try {
        if (!Stream)
            Stream = std::make_unique<TFileStream>(FileName, TFileStream::Mode::ReadWrite);
        Header = ReadHeader();
        if (Header.IndexOffset == 0)
            Header.IndexOffset = FirstEntryPosition;
        const int64_t FileSize = Stream->Size();
        CheckPlausibleHeader(FileSize);
        const int32_t StoredCount = Header.Count;
        const bool Protected = Header.EntryVersion == EncipheredEntries && !PasswordBytes(Header).empty();
        if (!PasswordChecked && Protected)
            AskForPassword();
        Editable = PasswordOK || !Protected;
        ImageCount = Header.Count;
        PixelFormat = 5;
        BytesPerPixel = 2;
        ReleaseCache();
        AllocateCache();
        IndexList.clear();
        if (ImageCount > 0)
            ReadIndex();
        NoteStoredLayout(FileSize, StoredCount);
    } catch (...) {
        Finalize();
        throw;
    }
}

void TWMPackageImages::NoteStoredLayout(int64_t FileSize, int32_t StoredCount)
{
    const int64_t IndexEnd = int64_t(Header.IndexOffset) + int64_t(StoredCount) * IndexEntrySize;
    LiveIndexBytes_ = std::min(IndexEnd, FileSize) - Header.IndexOffset;
    // Behind the file's last byte, and behind the whole index even where the file holds only part
    // of it, so the positions a short index lacks keep reading as 0 after an append.
    AppendOffset_ = Header.IndexOffset == FirstEntryPosition ? FileSize : std::max(FileSize, IndexEnd);
    IndexChanged_ = false;
    TargetVersion_ = Header.EntryVersion;
}

void TWMPackageImages::ReadIndex()
{
    IndexList.clear();
    const size_t Count = size_t(std::max(ImageCount, 0));
    if (Header.IndexOffset == FirstEntryPosition) {
        IndexList.assign(Count, 0);
        return;
    }
    const int64_t Room = std::max<int64_t>(0, (Stream->Size() - Header.IndexOffset) / IndexEntrySize);
    const size_t Stored = size_t(std::min<int64_t>(int64_t(Count), Room));
    std::vector<uint8_t> Bytes(Stored * IndexEntrySize);
    Stream->Seek(Header.IndexOffset);
    Stream->ReadBuffer(Bytes.data(), Bytes.size());
    IndexList.reserve(Count);
    for (size_t I = 0; I < Stored; ++I)
        IndexList.push_back(PositionInFile(ReadLE<int32_t>(Bytes.data(), I * IndexEntrySize)));
    IndexList.resize(Count, 0);
}

// A position whose entry header runs past the end of the file reads as an empty image, and is
// kept as one: entries appended later would land where it points, and an edit of its "header"
// would overwrite them.
int32_t TWMPackageImages::PositionInFile(int32_t Position) const
{
    const int32_t Size = StoredEntrySize(Header.EntryVersion);
    return Position > 0 && int64_t(Position) + Size > Stream->Size() ? 0 : Position;
}

// ---- Entry headers ----------------------------------------------------------------------

bool TWMPackageImages::EntryFits(int32_t Position) const
{
    const int32_t Size = StoredEntrySize(Header.EntryVersion);
    // Nothing is stored inside the file header, whatever an index says.
    return Stream && Size > 0 && Position >= FirstEntryPosition && int64_t(Position) + Size <= Stream->Size();
}

DataEntryHeader TWMPackageImages::ReadEntryHeader(int32_t Position)
{
    std::vector<uint8_t> Stored(size_t(StoredEntrySize(Header.EntryVersion)));
    if (Stored.empty())
        throw EFormatError("Unknown DATA entry version " + std::to_string(Header.EntryVersion));
    Stream->Seek(Position);
    Stream->ReadBuffer(Stored.data(), Stored.size());
    return LoadEntryHeader(Stored.data(), Header.EntryVersion);
}

void TWMPackageImages::WriteEntryHeader(TStream& Target, int64_t Position, const DataEntryHeader& Entry,
                                        uint16_t EntryVersion)
{
    const std::vector<uint8_t> Stored = StoreEntryHeader(Entry, EntryVersion);
    Target.Seek(Position);
    Target.WriteBuffer(Stored.data(), Stored.size());
}

void TWMPackageImages::ReadImageSize(int32_t Position, int32_t& Width, int32_t& Height)
{
    int32_t X = 0, Y = 0;
    ReadImageInfo(Position, Width, Height, X, Y);
}

void TWMPackageImages::ReadImageInfo(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y)
{
    uint8_t Flag = 0;
    ReadImageInfoEx(Position, Width, Height, X, Y, Flag);
}

void TWMPackageImages::ReadImageInfoEx(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y,
                                       uint8_t& Flag)
{
    Width = Height = X = Y = 0;
    Flag = 0;
    if (!EntryFits(Position))
        return;
    const DataEntryHeader Entry = ReadEntryHeader(Position);
    Width = Entry.Width;
    Height = Entry.Height;
    X = Entry.OffsetX;
    Y = Entry.OffsetY;
    Flag = Entry.Kind;
}

uint8_t TWMPackageImages::GetImageKind(int32_t Index)
{
    constexpr uint8_t NoEntry = 3;
    const int32_t Position = PositionOf(Index);
    if (Position <= 0 || !EntryFits(Position))
        return NoEntry;
    return ReadEntryHeader(Position).Kind;
}

// ---- Decoding ---------------------------------------------------------------------------

std::optional<DataEntryHeader> TWMPackageImages::StartDecoding(int32_t Position, std::unique_ptr<TGraphic>& Graphic)
{
    Graphic.reset();
    LastDecodeDamaged = false;
    if (!EntryFits(Position))
        return std::nullopt;
    const DataEntryHeader Entry = ReadEntryHeader(Position);
    if (Entry.Width == 0 || Entry.Height == 0)
        return std::nullopt;
    return Entry;
}

void TWMPackageImages::LoadDIBAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic)
{
    const std::optional<DataEntryHeader> Found = StartDecoding(Position, Graphic);
    if (!Found)
        return;
    const DataEntryHeader& Entry = *Found;
    const int Bits = DecodedBitCount(Entry.BitCount);
    if (!TDIB::SizeAllowed(Entry.Width, Entry.Height, Bits))
        return;
    const int64_t PayloadStart = Stream->Position();
    const int64_t FileSize = Stream->Size();
    const int64_t Stored = std::min<int64_t>(Entry.Length, FileSize - PayloadStart);
    if (!PayloadCouldFill(Stored, size_t(WidthBytes(Entry.Width, Bits)) * Entry.Height))
        return;
    std::unique_ptr<TDIB> DIB = BlankBitmap(Entry);
    if (PayloadStart + int64_t(Entry.Length) <= FileSize) {
        const size_t Useful = std::min<size_t>(Entry.Length, LongestUsefulPayload(DIB->PixelBytes()));
        std::vector<uint8_t> Payload(Useful);
        Stream->ReadBuffer(Payload.data(), Payload.size());
        try {
            ZDecompressInto(Payload.data(), Payload.size(), DIB->PBits(), DIB->PixelBytes());
            // Stored top row first; the bitmap keeps the bottom row first.
            DIB->FlipVertical();
        } catch (const EFormatError&) {
            // A damaged payload shows as a blank picture of the entry's size.
            std::fill(DIB->PBits(), DIB->PBits() + DIB->PixelBytes(), uint8_t(0));
            LastDecodeDamaged = true;
        }
    } else {
        LastDecodeDamaged = true;
    }
    Graphic = std::move(DIB);
}

void TWMPackageImages::LoadPNGAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic)
{
    const std::optional<DataEntryHeader> Entry = StartDecoding(Position, Graphic);
    if (!Entry)
        return;
    if (Entry->Kind != KindPNG) {
        LoadDIBAt(Position, Graphic);
        return;
    }
    auto Png = std::make_unique<TPNGObject>();
    Png->LoadFromStream(*Stream);  // right behind the entry header
    Graphic = std::move(Png);
}

std::string TWMPackageImages::FileNameText() const { return FileName.toUtf8().toStdString(); }

}  // namespace velka

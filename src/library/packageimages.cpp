#include "library/packageimages.h"

#include "library/compaction.h"
#include "library/dib.h"
#include "library/errors.h"
#include "library/gbk.h"
#include "library/littleendian.h"
#include "library/picturefile.h"
#include "library/pngobject.h"
#include "library/tempfiles.h"
#include "library/zbuffers.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace velka {

namespace {

constexpr int32_t PositionSize = 4;
constexpr uint16_t LargestSide = std::numeric_limits<uint16_t>::max();
constexpr int64_t LargestPosition = std::numeric_limits<int32_t>::max();

std::string Utf8(const QString& Text) { return Text.toUtf8().toStdString(); }

bool IsPng(const DataEntryHeader& Entry) { return Entry.Kind == KindPNG; }

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

// No zlib stream of a bitmap's pixels needs more than this, so a header claiming a longer
// payload cannot make the reader load more than the picture could use.
size_t LongestUsefulPayload(size_t PixelBytes) { return PixelBytes + PixelBytes / 8 + 65536; }

// Deflate never expands more than 1032-fold, so an entry whose stored bytes could not fill its
// bitmap was not written by any writer of the format; refusing it keeps a damaged or hostile
// header from allocating a bitmap of hundreds of megabytes out of a few bytes.
bool PayloadCouldFill(int64_t StoredBytes, size_t PixelBytes)
{
    constexpr int64_t LargestDeflateRatio = 1032;
    constexpr int64_t Slack = 65536;
    return int64_t(PixelBytes) <= std::max<int64_t>(StoredBytes, 0) * LargestDeflateRatio + Slack;
}

void RequireSide(int Side)
{
    if (Side < 0 || Side > LargestSide)
        throw EVelkaError("A DATA library holds pictures of at most 65535 x 65535 pixels, not " +
                          std::to_string(Side));
}

// Header and payload as one block: the payload is produced first, since the (possibly
// enciphered) header carries its length.
TPreparedImage StoredEntry(DataEntryHeader Entry, uint16_t EntryVersion, std::vector<uint8_t> Bytes)
{
    const size_t HeaderSize = size_t(StoredEntrySize(EntryVersion));
    Entry.Length = static_cast<uint32_t>(Bytes.size() - HeaderSize);
    const std::vector<uint8_t> Stored = StoreEntryHeader(Entry, EntryVersion);
    std::copy(Stored.begin(), Stored.end(), Bytes.begin());
    return {TPreparedImage::Action::Store, std::move(Bytes)};
}

std::vector<uint8_t> EncodeIndex(const std::vector<int32_t>& Positions)
{
    std::vector<uint8_t> Bytes(Positions.size() * PositionSize);
    for (size_t I = 0; I < Positions.size(); ++I)
        WriteLE(Bytes.data(), I * PositionSize, Positions[I]);
    return Bytes;
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
        throw EFormatError(Utf8(FileName) + " is not a DATA library (" + Why + ")");
    };
    if (StoredEntrySize(Header.EntryVersion) == 0)
        Refuse("unknown entry version " + std::to_string(Header.EntryVersion));
    if (Header.IndexOffset < FirstEntryPosition || Header.IndexOffset > FileSize)
        Refuse("index position " + std::to_string(Header.IndexOffset) + " outside the file");
    // Every image number has a 4-byte position in the index, so a file cannot announce more
    // images than it has bytes; a merely short index stays readable.
    if (Header.Count < 0 || Header.Count > FileSize)
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
    const int64_t IndexEnd = int64_t(Header.IndexOffset) + int64_t(StoredCount) * PositionSize;
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
    const int64_t Room = std::max<int64_t>(0, (Stream->Size() - Header.IndexOffset) / PositionSize);
    const size_t Stored = size_t(std::min<int64_t>(int64_t(Count), Room));
    std::vector<uint8_t> Bytes(Stored * PositionSize);
    Stream->Seek(Header.IndexOffset);
    Stream->ReadBuffer(Bytes.data(), Bytes.size());
    IndexList.reserve(Count);
    for (size_t I = 0; I < Stored; ++I)
        IndexList.push_back(ReadLE<int32_t>(Bytes.data(), I * PositionSize));
    IndexList.resize(Count, 0);
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
    Width = Height = 0;
    if (!EntryFits(Position))
        return;
    const DataEntryHeader Entry = ReadEntryHeader(Position);
    Width = Entry.Width;
    Height = Entry.Height;
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

void TWMPackageImages::SetImageFlag(int32_t Index, uint8_t Flag)
{
    RequireEditable();
    RequireIndex(Index, IndexList.size());
    const int32_t Position = IndexList[size_t(Index)];
    if (Position <= 0 || !EntryFits(Position))
        return;
    DataEntryHeader Entry = ReadEntryHeader(Position);
    if (IsPng(Entry) || Flag == KindPNG)
        return;
    Entry.Kind = Flag;
    WriteEntryHeader(*Stream, Position, Entry, Header.EntryVersion);
}

void TWMPackageImages::SetImageOffset(int32_t Index, int32_t X, int32_t Y)
{
    RequireEditable();
    RequireIndex(Index, IndexList.size());
    const int32_t Position = IndexList[size_t(Index)];
    if (Position <= 0 || !EntryFits(Position))
        return;
    DataEntryHeader Entry = ReadEntryHeader(Position);
    Entry.OffsetX = static_cast<int16_t>(X);
    Entry.OffsetY = static_cast<int16_t>(Y);
    WriteEntryHeader(*Stream, Position, Entry, Header.EntryVersion);
}

// ---- Decoding ---------------------------------------------------------------------------

void TWMPackageImages::LoadDIBAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic)
{
    Graphic.reset();
    LastDecodeDamaged = false;
    if (!EntryFits(Position))
        return;
    const DataEntryHeader Entry = ReadEntryHeader(Position);
    if (Entry.Width == 0 || Entry.Height == 0)
        return;
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
    Graphic.reset();
    LastDecodeDamaged = false;
    if (!EntryFits(Position))
        return;
    const DataEntryHeader Entry = ReadEntryHeader(Position);
    if (Entry.Width == 0 || Entry.Height == 0)
        return;
    if (!IsPng(Entry)) {
        LoadDIBAt(Position, Graphic);
        return;
    }
    auto Png = std::make_unique<TPNGObject>();
    Png->LoadFromStream(*Stream);  // right behind the entry header
    Graphic = std::move(Png);
}

// ---- Writers ----------------------------------------------------------------------------

void TWMPackageImages::RequireEditable() const
{
    if (!Stream)
        throw EVelkaError("The DATA library " + Utf8(FileName) + " is not open");
    if (!Editable)
        throw EReadOnlyError("The DATA library " + Utf8(FileName) +
                             " is read-only: it was opened without its image password");
}

void TWMPackageImages::RequireIndex(int32_t Index, size_t Limit) const
{
    if (Index < 0 || size_t(Index) >= Limit)
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

TPreparedImage TWMPackageImages::PrepareImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) const
{
    const uint16_t EntryVersion = Header.EntryVersion;
    const size_t HeaderSize = size_t(StoredEntrySize(EntryVersion));
    DataEntryHeader Entry;
    Entry.OffsetX = static_cast<int16_t>(X);
    Entry.OffsetY = static_cast<int16_t>(Y);

    if (!Graphic || Graphic->Empty()) {
        if (X == 0 && Y == 0)
            return {TPreparedImage::Action::Empty, {}};
        Entry.BitCount = OffsetsOnlyBitCount;
        Entry.Kind = KindOffsetsOnly;
        return StoredEntry(Entry, EntryVersion, std::vector<uint8_t>(HeaderSize));
    }
    if (const auto* DIB = dynamic_cast<const TDIB*>(Graphic)) {
        RequireSide(DIB->Width());
        RequireSide(DIB->Height());
        Entry.Width = static_cast<uint16_t>(DIB->Width());
        Entry.Height = static_cast<uint16_t>(DIB->Height());
        Entry.BitCount = static_cast<uint8_t>(DIB->BitCount());
        Entry.Kind = Kind == KindPNG ? KindBitmap : Kind;
        std::vector<uint8_t> Bytes(HeaderSize);
        ZCompressAppend(DIB->PBits(), DIB->PixelBytes(), Bytes);  // stored as it lies in memory
        return StoredEntry(Entry, EntryVersion, std::move(Bytes));
    }
    if (const auto* Png = dynamic_cast<const TPNGObject*>(Graphic)) {
        RequireSide(Png->Width());
        RequireSide(Png->Height());
        Entry.Width = static_cast<uint16_t>(Png->Width());
        Entry.Height = static_cast<uint16_t>(Png->Height());
        Entry.BitCount = 0;
        Entry.Kind = KindPNG;
        const QByteArray PngBytes = Png->PngBytes();
        std::vector<uint8_t> Bytes(HeaderSize);
        Bytes.insert(Bytes.end(), PngBytes.begin(), PngBytes.end());
        return StoredEntry(Entry, EntryVersion, std::move(Bytes));
    }
    return {};
}

bool TWMPackageImages::StorePrepared(const TPreparedImage& Image, int32_t& Position)
{
    Position = 0;
    switch (Image.What) {
    case TPreparedImage::Action::Ignore: return false;
    case TPreparedImage::Action::Empty: return true;
    case TPreparedImage::Action::Store: break;
    }
    // Prepared before a change of the entry form (or for another library) it would be unreadable.
    const size_t HeaderSize = size_t(StoredEntrySize(Header.EntryVersion));
    if (Image.Bytes.size() < HeaderSize ||
        LoadEntryHeader(Image.Bytes.data(), Header.EntryVersion).Length != Image.Bytes.size() - HeaderSize)
        throw EFormatError("A prepared image does not match the entry form of " + Utf8(FileName));
    if (AppendOffset_ + int64_t(Image.Bytes.size()) > LargestPosition)
        throw EStreamError("The DATA library " + Utf8(FileName) + " would grow past the 2 GB its positions can address");
    Stream->Seek(AppendOffset_);
    Stream->WriteBuffer(Image.Bytes.data(), Image.Bytes.size());
    Position = static_cast<int32_t>(AppendOffset_);
    AppendOffset_ += int64_t(Image.Bytes.size());
    return true;
}

bool TWMPackageImages::AddPreparedImage(const TPreparedImage& Image)
{
    RequireEditable();
    int32_t Position = 0;
    if (!StorePrepared(Image, Position))
        return true;
    IndexList.push_back(Position);
    ++Header.Count;
    IndexChanged_ = true;
    return true;
}

bool TWMPackageImages::AddImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind)
{
    RequireEditable();
    return AddPreparedImage(PrepareImage(Graphic, X, Y, Kind));
}

bool TWMPackageImages::InsertImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind)
{
    RequireEditable();
    RequireIndex(Index, IndexList.size() + 1);
    int32_t Position = 0;
    if (!StorePrepared(PrepareImage(Graphic, X, Y, Kind), Position))
        return true;
    IndexList.insert(IndexList.begin() + Index, Position);
    ++Header.Count;
    IndexChanged_ = true;
    return true;
}

bool TWMPackageImages::ReplaceImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind)
{
    RequireEditable();
    RequireIndex(Index, IndexList.size());
    int32_t Position = 0;
    const bool Stored = StorePrepared(PrepareImage(Graphic, X, Y, Kind), Position);
    Modified = true;
    if (Stored)
        IndexList[size_t(Index)] = Position;
    return true;
}

bool TWMPackageImages::DeleteImages(int32_t First, int32_t Last)
{
    RequireEditable();
    return TWMImages::DeleteImages(First, Last);
}

bool TWMPackageImages::BlankImages(int32_t First, int32_t Last)
{
    RequireEditable();
    return TWMImages::BlankImages(First, Last);
}

// ---- Password and saving ----------------------------------------------------------------

void TWMPackageImages::SetPassword(const QString& Password)
{
    RequireEditable();
    const std::string Bytes = TruncateGBK(ToGBK(Password), MaxPasswordLength);
    if (Bytes == PasswordBytes(Header))
        return;
    const DataHeader OldHeader = Header;
    const QString OldSession = SessionPassword;
    const bool OldModified = Modified;
    SessionPassword = Password;
    TargetVersion_ = Bytes.empty() ? PlainEntries : EncipheredEntries;
    // Switching protection on or off changes the stored form of every entry header.
    if (TargetVersion_ != Header.EntryVersion)
        Modified = true;
    SetPasswordBytes(Header, Bytes);
    BeforeSave();
    try {
        WriteChanges();
    } catch (...) {
        Header = OldHeader;
        SessionPassword = OldSession;
        Modified = OldModified;
        TargetVersion_ = Header.EntryVersion;
        throw;
    }
    Reload();
}

void TWMPackageImages::Save()
{
    RequireEditable();
    WriteChanges();
    Reload();
}

void TWMPackageImages::WriteChanges()
{
    const int64_t Dead = DeadBytes_ + (IndexChanged_ ? LiveIndexBytes_ : 0);
    const bool MuchDeadSpace = Dead >= DeadBytesBeforeCompaction && Dead * 4 >= Stream->Size();
    if (Modified || TargetVersion_ != Header.EntryVersion || MuchDeadSpace)
        Compact();
    else
        SaveIndexOnly();
}

void TWMPackageImages::Reload()
{
    Modified = false;
    PasswordChecked = true;
    Finalize();
    Initialize();
}

void TWMPackageImages::SaveIndexOnly()
{
    DataHeader Stored = Header;
    if (IndexChanged_) {
        const std::vector<uint8_t> Index = EncodeIndex(IndexList);
        if (AppendOffset_ + int64_t(Index.size()) > LargestPosition)
            throw EStreamError("The DATA library " + Utf8(FileName) + " would grow past the 2 GB its positions can address");
        Stream->Seek(AppendOffset_);
        Stream->WriteBuffer(Index.data(), Index.size());
        // The new index must be on the disk before the header points at it.
        Stream->Flush();
        Stored.IndexOffset = static_cast<int32_t>(AppendOffset_);
        Stored.Count = static_cast<int32_t>(IndexList.size());
    }
    WriteHeader(*Stream, Stored);  // the commit point
    Stream->Flush();
    if (IndexChanged_)
        DeadBytes_ += LiveIndexBytes_;
}

void TWMPackageImages::CopyEntry(int32_t Position, TStream& Output, uint16_t EntryVersion)
{
    if (!EntryFits(Position))
        throw EStreamError("Stream read error: the entry at " + std::to_string(Position) + " of " + Utf8(FileName) +
                           " lies outside the file");
    const DataEntryHeader Entry = ReadEntryHeader(Position);
    WriteEntryHeader(Output, Output.Position(), Entry, EntryVersion);
    Output.CopyFrom(*Stream, Entry.Length);
}

void TWMPackageImages::Compact()
{
    DataHeader Target;
    SetTitleBytes(Target, TitleBytes(Header));
    Target.EntryVersion = TargetVersion_;
    SetPasswordBytes(Target, PasswordBytes(Header));
    Target.Count = static_cast<int32_t>(IndexList.size());
    Target.IndexOffset = FirstEntryPosition;

    TReplacementFile Replacement(FileName);
    TFileStream& Output = Replacement.Stream();
    WriteHeader(Output, Target);  // reserves the first 80 bytes
    const std::vector<int32_t> Positions = CopyEntriesCompacted(
        IndexList, Output, [&](int32_t Position, TStream& To) { CopyEntry(Position, To, Target.EntryVersion); });
    if (Output.Position() > LargestPosition)
        throw EStreamError("The DATA library " + Utf8(FileName) + " would grow past the 2 GB its positions can address");
    Target.IndexOffset = static_cast<int32_t>(Output.Position());
    const std::vector<uint8_t> Index = EncodeIndex(Positions);
    Output.WriteBuffer(Index.data(), Index.size());
    WriteHeader(Output, Target);
    Replacement.Commit();
    DeadBytes_ = 0;
}

}  // namespace velka

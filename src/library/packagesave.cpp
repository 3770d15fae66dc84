// Writing DATA packages: new entries, in-place header edits, passwords, saving and compaction.
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
#include <limits>

namespace velka {

namespace {

constexpr uint16_t LargestSide = std::numeric_limits<uint16_t>::max();
constexpr int64_t LargestPosition = std::numeric_limits<int32_t>::max();

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
    std::vector<uint8_t> Bytes(Positions.size() * IndexEntrySize);
    for (size_t I = 0; I < Positions.size(); ++I)
        WriteLE(Bytes.data(), I * IndexEntrySize, Positions[I]);
    return Bytes;
}

}  // namespace

std::optional<DataEntryHeader> TWMPackageImages::EntryForUpdate(int32_t Index, int32_t& Position)
{
    RequireEditable();
    RequireIndex(Index, IndexList.size());
    Position = IndexList[size_t(Index)];
    if (Position <= 0 || !EntryFits(Position))
        return std::nullopt;
    return ReadEntryHeader(Position);
}

void TWMPackageImages::SetImageFlag(int32_t Index, uint8_t Flag)
{
    int32_t Position = 0;
    std::optional<DataEntryHeader> Entry = EntryForUpdate(Index, Position);
    if (!Entry || Entry->Kind == KindPNG || Flag == KindPNG)
        return;
    Entry->Kind = Flag;
    WriteEntryHeader(*Stream, Position, *Entry, Header.EntryVersion);
}

void TWMPackageImages::SetImageOffset(int32_t Index, int32_t X, int32_t Y)
{
    int32_t Position = 0;
    std::optional<DataEntryHeader> Entry = EntryForUpdate(Index, Position);
    if (!Entry)
        return;
    Entry->OffsetX = static_cast<int16_t>(X);
    Entry->OffsetY = static_cast<int16_t>(Y);
    WriteEntryHeader(*Stream, Position, *Entry, Header.EntryVersion);
}


void TWMPackageImages::RequireEditable() const
{
    if (!Stream)
        throw EVelkaError("The DATA library " + FileNameText() + " is not open");
    if (!Editable)
        throw EReadOnlyError("The DATA library " + FileNameText() +
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
        throw EFormatError("A prepared image does not match the entry form of " + FileNameText());
    if (AppendOffset_ + int64_t(Image.Bytes.size()) > LargestPosition)
        throw EStreamError("The DATA library " + FileNameText() + " would grow past the 2 GB its positions can address");
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
            throw EStreamError("The DATA library " + FileNameText() + " would grow past the 2 GB its positions can address");
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
        throw EStreamError("Stream read error: the entry at " + std::to_string(Position) + " of " + FileNameText() +
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
        throw EStreamError("The DATA library " + FileNameText() + " would grow past the 2 GB its positions can address");
    Target.IndexOffset = static_cast<int32_t>(Output.Position());
    const std::vector<uint8_t> Index = EncodeIndex(Positions);
    Output.WriteBuffer(Index.data(), Index.size());
    WriteHeader(Output, Target);
    Replacement.Commit();
    DeadBytes_ = 0;
}

bool TWMPackageImages::CanStore(const TGraphic* Graphic) const
{
    if (!Editable)
        return false;
    return Graphic == nullptr || Graphic->Empty() || dynamic_cast<const TDIB*>(Graphic) != nullptr ||
           dynamic_cast<const TPNGObject*>(Graphic) != nullptr;
}

}  // namespace velka

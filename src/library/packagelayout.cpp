#include "library/packagelayout.h"

#include "library/cipher.h"
#include "library/errors.h"
#include "library/littleendian.h"

#include <algorithm>
#include <cstring>

namespace velka {

namespace {

constexpr int32_t PlainDataHeaderSize = 72;
constexpr int32_t PlainEntrySize = 14;
constexpr int32_t EncipheredEntrySize = 22;

// "Drakmoor" and 资源文件 in code page 936.
constexpr char NewFileTitle[] = "Drakmoor\xD7\xCA\xD4\xB4\xCE\xC4\xBC\xFE";

// Both keys are fixed, so their schedules are built once and shared (read-only) by all threads.
const TCipherKey& HeaderKey()
{
    static const TCipherKey Key(HeaderPassword);
    return Key;
}

const TCipherKey& EntryKey()
{
    static const TCipherKey Key(EntryPassword);
    return Key;
}

template <size_t N>
std::string FieldText(const std::array<uint8_t, N>& Field)
{
    const size_t Length = std::min<size_t>(Field[0], N - 1);
    return std::string(reinterpret_cast<const char*>(Field.data() + 1), Length);
}

template <size_t N>
void SetFieldText(std::array<uint8_t, N>& Field, const std::string& Text)
{
    const size_t Length = std::min(Text.size(), N - 1);
    Field.fill(0);
    Field[0] = static_cast<uint8_t>(Length);
    std::memcpy(Field.data() + 1, Text.data(), Length);
}

std::array<uint8_t, PlainDataHeaderSize> EncodeDataHeader(const DataHeader& Header)
{
    std::array<uint8_t, PlainDataHeaderSize> Bytes{};
    std::copy(Header.Title.begin(), Header.Title.end(), Bytes.begin());
    std::copy(Header.Padding1.begin(), Header.Padding1.end(), Bytes.begin() + 41);
    WriteLE(Bytes.data(), 44, Header.Count);
    WriteLE(Bytes.data(), 48, Header.IndexOffset);
    WriteLE(Bytes.data(), 52, Header.EntryVersion);
    std::copy(Header.Password.begin(), Header.Password.end(), Bytes.begin() + 54);
    Bytes[71] = Header.Padding2;
    return Bytes;
}

DataHeader DecodeDataHeader(const uint8_t* Bytes)
{
    DataHeader Header;
    std::copy(Bytes, Bytes + 41, Header.Title.begin());
    std::copy(Bytes + 41, Bytes + 44, Header.Padding1.begin());
    Header.Count = ReadLE<int32_t>(Bytes, 44);
    Header.IndexOffset = ReadLE<int32_t>(Bytes, 48);
    Header.EntryVersion = ReadLE<uint16_t>(Bytes, 52);
    std::copy(Bytes + 54, Bytes + 71, Header.Password.begin());
    Header.Padding2 = Bytes[71];
    return Header;
}

std::array<uint8_t, PlainEntrySize> EncodeEntryHeader(const DataEntryHeader& Entry)
{
    std::array<uint8_t, PlainEntrySize> Bytes{};
    WriteLE(Bytes.data(), 0, Entry.Width);
    WriteLE(Bytes.data(), 2, Entry.Height);
    Bytes[4] = Entry.BitCount;
    WriteLE(Bytes.data(), 5, Entry.OffsetX);
    WriteLE(Bytes.data(), 7, Entry.OffsetY);
    WriteLE(Bytes.data(), 9, Entry.Length);
    Bytes[13] = Entry.Kind;
    return Bytes;
}

DataEntryHeader DecodeEntryHeader(const uint8_t* Bytes)
{
    DataEntryHeader Entry;
    Entry.Width = ReadLE<uint16_t>(Bytes, 0);
    Entry.Height = ReadLE<uint16_t>(Bytes, 2);
    Entry.BitCount = Bytes[4];
    Entry.OffsetX = ReadLE<int16_t>(Bytes, 5);
    Entry.OffsetY = ReadLE<int16_t>(Bytes, 7);
    Entry.Length = ReadLE<uint32_t>(Bytes, 9);
    Entry.Kind = Bytes[13];
    return Entry;
}

void RequireKnownVersion(uint16_t EntryVersion)
{
    if (StoredEntrySize(EntryVersion) == 0)
        throw EFormatError("Unknown DATA entry version " + std::to_string(EntryVersion));
}

}  // namespace

DataHeader NewDataHeader()
{
    DataHeader Header;
    SetTitleBytes(Header, NewFileTitle);
    Header.Count = 0;
    Header.IndexOffset = FirstEntryPosition;
    Header.EntryVersion = PlainEntries;
    return Header;
}

std::vector<uint8_t> StoreDataHeader(const DataHeader& Header)
{
    const auto Plain = EncodeDataHeader(Header);
    return HeaderKey().Encrypt(Plain.data(), PlainDataHeaderSize);
}

DataHeader LoadDataHeader(const uint8_t* Stored)
{
    const std::vector<uint8_t> Plain = HeaderKey().Decrypt(Stored, StoredDataHeaderSize);
    return DecodeDataHeader(Plain.data());
}

int32_t StoredEntrySize(uint16_t EntryVersion)
{
    switch (EntryVersion) {
    case PlainEntries: return PlainEntrySize;
    case EncipheredEntries: return EncipheredEntrySize;
    default: return 0;
    }
}

std::vector<uint8_t> StoreEntryHeader(const DataEntryHeader& Entry, uint16_t EntryVersion)
{
    RequireKnownVersion(EntryVersion);
    const auto Plain = EncodeEntryHeader(Entry);
    if (EntryVersion == PlainEntries)
        return std::vector<uint8_t>(Plain.begin(), Plain.end());
    return EntryKey().Encrypt(Plain.data(), PlainEntrySize);
}

DataEntryHeader LoadEntryHeader(const uint8_t* Stored, uint16_t EntryVersion)
{
    RequireKnownVersion(EntryVersion);
    if (EntryVersion == PlainEntries)
        return DecodeEntryHeader(Stored);
    const std::vector<uint8_t> Plain = EntryKey().Decrypt(Stored, EncipheredEntrySize);
    return DecodeEntryHeader(Plain.data());
}

std::string TitleBytes(const DataHeader& Header) { return FieldText(Header.Title); }
std::string PasswordBytes(const DataHeader& Header) { return FieldText(Header.Password); }
void SetTitleBytes(DataHeader& Header, const std::string& Title) { SetFieldText(Header.Title, Title); }
void SetPasswordBytes(DataHeader& Header, const std::string& Password) { SetFieldText(Header.Password, Password); }

}  // namespace velka

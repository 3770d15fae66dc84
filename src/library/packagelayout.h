#pragma once
// The byte layout of DATA packages: the enciphered file header and the plain or enciphered entry
// headers, independent of any open library.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velka {

#pragma pack(push, 1)
struct DataHeader {
    std::array<uint8_t, 41> Title{};  // length byte, then at most 40 GBK bytes
    std::array<uint8_t, 3> Padding1{};
    int32_t Count = 0;
    int32_t IndexOffset = 0;
    uint16_t EntryVersion = 0;
    std::array<uint8_t, 17> Password{};  // length byte, then at most 16 GBK bytes
    uint8_t Padding2 = 0;
};
struct DataEntryHeader {
    uint16_t Width = 0;
    uint16_t Height = 0;
    uint8_t BitCount = 0;
    int16_t OffsetX = 0;
    int16_t OffsetY = 0;
    uint32_t Length = 0;
    uint8_t Kind = 0;
};
#pragma pack(pop)
static_assert(sizeof(DataHeader) == 72 && sizeof(DataEntryHeader) == 14);

// Fixed passwords every copy of the format shares: one for the file header, one for the entry
// headers of password-protected libraries.
inline constexpr char HeaderPassword[] = "E1D35C08-9B4E-4D7A-A1C3-5E60B97F2D14";
inline constexpr char EntryPassword[] = "3A7C0E92-D5B1-4E68-8F24-B1C9A0D63E57";

constexpr int32_t StoredDataHeaderSize = 80;  // 8-byte IV + 72 enciphered bytes
constexpr int32_t FirstEntryPosition = StoredDataHeaderSize;
constexpr int32_t IndexEntrySize = 4;  // one signed 32-bit position per image number
constexpr uint16_t PlainEntries = 0;
constexpr uint16_t EncipheredEntries = 1;
constexpr int32_t MaxTitleLength = 40;
constexpr int32_t MaxPasswordLength = 16;
constexpr uint8_t KindOffsetsOnly = 0;
constexpr uint8_t OffsetsOnlyBitCount = 16;

// The header of a new file: the fixed title, no images, the index right behind the header.
DataHeader NewDataHeader();

// 80 bytes: a fresh IV and the header enciphered under HeaderPassword.
std::vector<uint8_t> StoreDataHeader(const DataHeader& Header);
// Deciphers the first 80 bytes of a file.
DataHeader LoadDataHeader(const uint8_t* Stored);

// Stored size of one entry header: 14 (plain), 22 (enciphered), 0 for an unknown version.
int32_t StoredEntrySize(uint16_t EntryVersion);
// The 14 or 22 stored bytes of Entry; Version must be 0 or 1.
std::vector<uint8_t> StoreEntryHeader(const DataEntryHeader& Entry, uint16_t EntryVersion);
// Reads StoredEntrySize(EntryVersion) bytes back; Version must be 0 or 1.
DataEntryHeader LoadEntryHeader(const uint8_t* Stored, uint16_t EntryVersion);

// The length-prefixed text fields of the header, as GBK bytes (lengths beyond the field's room
// are clipped, as a hostile file may claim any).
std::string TitleBytes(const DataHeader& Header);
std::string PasswordBytes(const DataHeader& Header);
void SetTitleBytes(DataHeader& Header, const std::string& Title);        // clipped to 40 bytes
void SetPasswordBytes(DataHeader& Header, const std::string& Password);  // clipped to 16 bytes

}  // namespace velka

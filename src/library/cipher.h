#pragma once
// The resource cipher of DATA headers: Blowfish, CBC with its own final-partial-block scheme,
// CFB-8 below one block, a random 8-byte IV in front. Passwords are byte strings.

#include <cstdint>
#include <string>
#include <vector>

namespace velka {

// Count + 8 bytes (empty for Count 0).
std::vector<uint8_t> EncryptBuffer(const uint8_t* Data, int32_t Count, const std::string& Password);
// Count - 8 bytes (empty for Count <= 8).
std::vector<uint8_t> DecryptBuffer(const uint8_t* Data, int32_t Count, const std::string& Password);

}  // namespace velka

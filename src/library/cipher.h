#pragma once
// The resource cipher of DATA headers: Blowfish, CBC with its own final-partial-block scheme,
// CFB-8 below one block, a random 8-byte IV in front. Passwords are byte strings.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct blowfish_ctx;

namespace velka {

constexpr int32_t CipherBlockSize = 8;

// The key schedule of one password, built once. Enciphering through it produces exactly the
// bytes of EncryptBuffer / DecryptBuffer with the same password; the schedule is read-only after
// construction, so one key may be shared by several threads.
class TCipherKey {
public:
    // Key = the password's bytes (1 to 56), or their SHA-1 digest when longer.
    // Raises EVelkaError for an empty password.
    explicit TCipherKey(const std::string& Password);
    ~TCipherKey();
    TCipherKey(const TCipherKey&) = delete;
    TCipherKey& operator=(const TCipherKey&) = delete;

    // Count + 8 bytes (empty for Count <= 0).
    std::vector<uint8_t> Encrypt(const uint8_t* Data, int32_t Count) const;
    // Count - 8 bytes (empty for Count <= 8).
    std::vector<uint8_t> Decrypt(const uint8_t* Data, int32_t Count) const;

    // The bare block cipher on one 8-byte block, in place (big-endian halves, as published).
    void EncryptBlock(uint8_t* Block) const;
    void DecryptBlock(uint8_t* Block) const;

private:
    std::unique_ptr<blowfish_ctx> Context_;
};

// Count + 8 bytes (empty for Count 0).
std::vector<uint8_t> EncryptBuffer(const uint8_t* Data, int32_t Count, const std::string& Password);
// Count - 8 bytes (empty for Count <= 8).
std::vector<uint8_t> DecryptBuffer(const uint8_t* Data, int32_t Count, const std::string& Password);

}  // namespace velka

#include "library/cipher.h"

#include "library/errors.h"

#include <nettle/blowfish.h>
#include <nettle/sha1.h>

#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace velka {

namespace {

using TBlock = std::array<uint8_t, CipherBlockSize>;

constexpr size_t LongestDirectKey = 56;

// The IV only has to be unpredictable; getrandom is a system call, so concurrent callers need no
// lock and no shared generator state.
TBlock RandomIV()
{
    TBlock IV{};
    size_t Done = 0;
    while (Done < IV.size()) {
        const ssize_t Got = ::getrandom(IV.data() + Done, IV.size() - Done, 0);
        if (Got < 0) {
            if (errno == EINTR)
                continue;
            throw EVelkaError(std::string("No random bytes for the cipher: ") + std::strerror(errno));
        }
        Done += static_cast<size_t>(Got);
    }
    return IV;
}

TBlock Xor(const TBlock& A, const uint8_t* B)
{
    TBlock Result;
    for (size_t i = 0; i < Result.size(); ++i)
        Result[i] = A[i] ^ B[i];
    return Result;
}

TBlock BlockAt(const uint8_t* Bytes)
{
    TBlock Block;
    std::memcpy(Block.data(), Bytes, Block.size());
    return Block;
}

void Append(std::vector<uint8_t>& Output, const uint8_t* Bytes, size_t Count)
{
    Output.insert(Output.end(), Bytes, Bytes + Count);
}

}  // namespace

TCipherKey::TCipherKey(const std::string& Password) : Context_(std::make_unique<blowfish_ctx>())
{
    if (Password.empty())
        throw EVelkaError("The cipher needs a password");
    const auto* Key = reinterpret_cast<const uint8_t*>(Password.data());
    std::array<uint8_t, SHA1_DIGEST_SIZE> Digest{};
    size_t KeyLength = Password.size();
    if (KeyLength > LongestDirectKey) {
        sha1_ctx Hash;
        sha1_init(&Hash);
        sha1_update(&Hash, Password.size(), Key);
        sha1_digest(&Hash, Digest.size(), Digest.data());
        Key = Digest.data();
        KeyLength = Digest.size();
    }
    // nettle runs the published schedule for any length, cycling short keys through the P-array;
    // its result only flags "weak" keys (repeated S-box entries), whose schedule is still complete
    // and is what every other implementation of the format computes, so it is used regardless.
    (void)blowfish_set_key(Context_.get(), KeyLength, Key);
}

TCipherKey::~TCipherKey() = default;

void TCipherKey::EncryptBlock(uint8_t* Block) const
{
    blowfish_encrypt(Context_.get(), CipherBlockSize, Block, Block);
}

void TCipherKey::DecryptBlock(uint8_t* Block) const
{
    blowfish_decrypt(Context_.get(), CipherBlockSize, Block, Block);
}

std::vector<uint8_t> TCipherKey::Encrypt(const uint8_t* Data, int32_t Count) const
{
    std::vector<uint8_t> Output;
    if (Count <= 0)
        return Output;
    const size_t Length = static_cast<size_t>(Count);
    Output.reserve(Length + CipherBlockSize);
    const TBlock IV = RandomIV();
    Append(Output, IV.data(), IV.size());

    if (Length < CipherBlockSize) {  // CFB-8
        TBlock Shift = IV;
        for (size_t i = 0; i < Length; ++i) {
            TBlock Stream = Shift;
            EncryptBlock(Stream.data());
            const uint8_t C = Data[i] ^ Stream[0];
            Output.push_back(C);
            std::memmove(Shift.data(), Shift.data() + 1, Shift.size() - 1);
            Shift.back() = C;
        }
        return Output;
    }

    const size_t Blocks = Length / CipherBlockSize;
    const size_t Tail = Length % CipherBlockSize;
    TBlock Chain = IV;
    for (size_t i = 0; i + 1 < Blocks; ++i) {
        Chain = Xor(Chain, Data + i * CipherBlockSize);
        EncryptBlock(Chain.data());
        Append(Output, Chain.data(), Chain.size());
    }
    const uint8_t* Last = Data + (Blocks - 1) * CipherBlockSize;
    TBlock F = Xor(Chain, Last);
    EncryptBlock(F.data());
    if (Tail == 0) {
        Append(Output, F.data(), F.size());
        return Output;
    }
    // Final partial block: the tail borrows F's last bytes, and both steps chain from the same R.
    TBlock Q = F;
    std::memcpy(Q.data(), Last + CipherBlockSize, Tail);
    TBlock G = Xor(Chain, Q.data());
    EncryptBlock(G.data());
    Append(Output, G.data(), G.size());
    Append(Output, F.data(), Tail);
    return Output;
}

std::vector<uint8_t> TCipherKey::Decrypt(const uint8_t* Data, int32_t Count) const
{
    std::vector<uint8_t> Output;
    if (Count <= CipherBlockSize)
        return Output;
    const TBlock IV = BlockAt(Data);
    const uint8_t* Body = Data + CipherBlockSize;
    const size_t Length = static_cast<size_t>(Count) - CipherBlockSize;
    Output.reserve(Length);

    if (Length < CipherBlockSize) {  // CFB-8
        TBlock Shift = IV;
        for (size_t i = 0; i < Length; ++i) {
            TBlock Stream = Shift;
            EncryptBlock(Stream.data());
            Output.push_back(Body[i] ^ Stream[0]);
            std::memmove(Shift.data(), Shift.data() + 1, Shift.size() - 1);
            Shift.back() = Body[i];
        }
        return Output;
    }

    const size_t Blocks = Length / CipherBlockSize;
    const size_t Tail = Length % CipherBlockSize;
    TBlock Chain = IV;
    for (size_t i = 0; i + 1 < Blocks; ++i) {
        TBlock Plain = BlockAt(Body + i * CipherBlockSize);
        DecryptBlock(Plain.data());
        Plain = Xor(Plain, Chain.data());
        Append(Output, Plain.data(), Plain.size());
        Chain = BlockAt(Body + i * CipherBlockSize);
    }
    TBlock Q = BlockAt(Body + (Blocks - 1) * CipherBlockSize);
    DecryptBlock(Q.data());
    Q = Xor(Q, Chain.data());
    if (Tail == 0) {
        Append(Output, Q.data(), Q.size());
        return Output;
    }
    TBlock F = Q;
    std::memcpy(F.data(), Body + Blocks * CipherBlockSize, Tail);
    DecryptBlock(F.data());
    F = Xor(F, Chain.data());
    Append(Output, F.data(), F.size());
    Append(Output, Q.data(), Tail);
    return Output;
}

std::vector<uint8_t> EncryptBuffer(const uint8_t* Data, int32_t Count, const std::string& Password)
{
    if (Count <= 0)
        return {};
    return TCipherKey(Password).Encrypt(Data, Count);
}

std::vector<uint8_t> DecryptBuffer(const uint8_t* Data, int32_t Count, const std::string& Password)
{
    if (Count <= CipherBlockSize)
        return {};
    return TCipherKey(Password).Decrypt(Data, Count);
}

}  // namespace velka

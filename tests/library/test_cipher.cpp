// The resource cipher: the Blowfish block layer against the published known answers, then the
// chaining scheme's sizes, structure and round trips.
#include "library/cipher.h"

#include <gtest/gtest.h>

#include <nettle/sha1.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velka {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes FromHex(const std::string& Hex)
{
    Bytes Result;
    for (size_t i = 0; i + 1 < Hex.size(); i += 2)
        Result.push_back(static_cast<uint8_t>(std::stoul(Hex.substr(i, 2), nullptr, 16)));
    return Result;
}

std::string AsKey(const Bytes& Key) { return std::string(Key.begin(), Key.end()); }

Bytes Sequence(size_t Count, uint8_t Seed)
{
    Bytes Result(Count);
    for (size_t i = 0; i < Count; ++i)
        Result[i] = static_cast<uint8_t>(Seed + i * 37);
    return Result;
}

Bytes EncipherBlock(const TCipherKey& Key, Bytes Block)
{
    Key.EncryptBlock(Block.data());
    return Block;
}

struct KnownAnswer {
    const char* Key;
    const char* Plain;
    const char* Cipher;
};

// Eric Young's ECB test vectors for Blowfish.
constexpr KnownAnswer EcbVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

TEST(CipherBlock, EcbKnownAnswersBothWays)
{
    for (const KnownAnswer& Vector : EcbVectors) {
        SCOPED_TRACE(Vector.Key);
        const TCipherKey Key(AsKey(FromHex(Vector.Key)));
        Bytes Block = FromHex(Vector.Plain);
        Key.EncryptBlock(Block.data());
        EXPECT_EQ(Block, FromHex(Vector.Cipher));
        Key.DecryptBlock(Block.data());
        EXPECT_EQ(Block, FromHex(Vector.Plain));
    }
}

// The same test set's variable-length keys: prefixes 1..24 of one key on one block. Keys shorter
// than 8 bytes are where a library that refused or padded them would go wrong.
TEST(CipherBlock, KeysOfEveryLengthFollowThePublishedSchedule)
{
    const Bytes FullKey = FromHex("F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677");
    const Bytes Plain = FromHex("FEDCBA9876543210");
    const char* Expected[] = {
        "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05",
        "B39E44481BDB1E6E", "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82",
        "15750E7A4F4EC577", "122BA70B3AB64AE0", "3A833C9AFFC537F6", "9409DA87A90F6BF2",
        "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F", "93142887EE3BE15C",
        "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
        "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
    };
    for (size_t Length = 1; Length <= FullKey.size(); ++Length) {
        SCOPED_TRACE(Length);
        const TCipherKey Key(AsKey(Bytes(FullKey.begin(), FullKey.begin() + Length)));
        EXPECT_EQ(EncipherBlock(Key, Plain), FromHex(Expected[Length - 1]));
    }
}

TEST(CipherBlock, EmptyPasswordIsRefused)
{
    EXPECT_ANY_THROW(TCipherKey(std::string()));
}

const std::string Password = "E1D35C08-9B4E-4D7A-A1C3-5E60B97F2D14";

TEST(CipherBuffer, SizesFollowThePlaintext)
{
    struct Case {
        int32_t Plain;
        size_t Enciphered;
    };
    for (const Case& C : {Case{72, 80}, Case{14, 22}, Case{8, 16}, Case{5, 13}, Case{1, 9}, Case{0, 0}}) {
        SCOPED_TRACE(C.Plain);
        const Bytes Plain = Sequence(static_cast<size_t>(C.Plain), 3);
        const Bytes Enciphered = EncryptBuffer(Plain.data(), C.Plain, Password);
        EXPECT_EQ(Enciphered.size(), C.Enciphered);
        EXPECT_EQ(DecryptBuffer(Enciphered.data(), static_cast<int32_t>(Enciphered.size()), Password), Plain);
    }
}

TEST(CipherBuffer, InputsOfAtMostOneBlockDecipherToNothing)
{
    const Bytes Junk = Sequence(8, 9);
    for (int32_t Count = 0; Count <= 8; ++Count)
        EXPECT_TRUE(DecryptBuffer(Junk.data(), Count, Password).empty()) << Count;
}

TEST(CipherBuffer, FourteenBytesUseTheSameChainingValueTwice)
{
    const Bytes Plain = Sequence(14, 11);
    const Bytes Out = EncryptBuffer(Plain.data(), 14, Password);
    ASSERT_EQ(Out.size(), 22u);
    const TCipherKey Key(Password);
    const Bytes IV(Out.begin(), Out.begin() + 8);

    Bytes F(8);
    for (int i = 0; i < 8; ++i)
        F[i] = IV[i] ^ Plain[i];
    F = EncipherBlock(Key, F);
    EXPECT_EQ(Bytes(Out.begin() + 16, Out.end()), Bytes(F.begin(), F.begin() + 6));

    Bytes Q(Plain.begin() + 8, Plain.end());
    Q.push_back(F[6]);
    Q.push_back(F[7]);
    for (int i = 0; i < 8; ++i)
        Q[i] ^= IV[i];
    EXPECT_EQ(Bytes(Out.begin() + 8, Out.begin() + 16), EncipherBlock(Key, Q));
}

TEST(CipherBuffer, WholeBlocksChainAsCbc)
{
    const Bytes Plain = Sequence(24, 5);
    const Bytes Out = EncryptBuffer(Plain.data(), 24, Password);
    const TCipherKey Key(Password);
    Bytes Chain(Out.begin(), Out.begin() + 8);
    for (int Block = 0; Block < 3; ++Block) {
        Bytes X(8);
        for (int i = 0; i < 8; ++i)
            X[i] = Chain[i] ^ Plain[Block * 8 + i];
        Chain = EncipherBlock(Key, X);
        EXPECT_EQ(Bytes(Out.begin() + 8 + Block * 8, Out.begin() + 16 + Block * 8), Chain) << Block;
    }
}

TEST(CipherBuffer, ShortMessagesUseEightBitFeedback)
{
    const Bytes Plain = Sequence(5, 200);
    const Bytes Out = EncryptBuffer(Plain.data(), 5, Password);
    const TCipherKey Key(Password);
    Bytes Shift(Out.begin(), Out.begin() + 8);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Out[8 + i], Plain[i] ^ EncipherBlock(Key, Shift)[0]) << i;
        Shift.erase(Shift.begin());
        Shift.push_back(Out[8 + i]);
    }
}

TEST(CipherBuffer, EveryLengthRoundTripsWithFreshIVs)
{
    for (const std::string& Key : {std::string("k"), std::string("3A7C0E92-D5B1-4E68-8F24-B1C9A0D63E57"),
                                   std::string(80, 'x')}) {
        const TCipherKey Cached(Key);
        for (int32_t Length = 1; Length <= 40; ++Length) {
            SCOPED_TRACE(Length);
            const Bytes Plain = Sequence(static_cast<size_t>(Length), static_cast<uint8_t>(Length));
            const Bytes First = EncryptBuffer(Plain.data(), Length, Key);
            const Bytes Second = Cached.Encrypt(Plain.data(), Length);
            EXPECT_NE(First, Second);  // different IVs
            EXPECT_EQ(DecryptBuffer(First.data(), Length + 8, Key), Plain);
            EXPECT_EQ(Cached.Decrypt(Second.data(), Length + 8), Plain);
            EXPECT_EQ(DecryptBuffer(Second.data(), Length + 8, Key), Plain);
        }
    }
}

TEST(CipherBuffer, WrongPasswordGivesOtherBytesOfTheRightLength)
{
    const Bytes Plain = Sequence(72, 1);
    const Bytes Out = EncryptBuffer(Plain.data(), 72, Password);
    const Bytes Wrong = DecryptBuffer(Out.data(), 80, "E1D35C08-9B4E-4D7A-A1C3-5E60B97F2D15");
    ASSERT_EQ(Wrong.size(), 72u);
    EXPECT_NE(Wrong, Plain);
}

Bytes Sha1(const std::string& Text)
{
    sha1_ctx Hash;
    sha1_init(&Hash);
    sha1_update(&Hash, Text.size(), reinterpret_cast<const uint8_t*>(Text.data()));
    Bytes Digest(SHA1_DIGEST_SIZE);
    sha1_digest(&Hash, Digest.size(), Digest.data());
    return Digest;
}

TEST(CipherKey, FiftySixBytesAreTheKeyAndLongerPasswordsAreHashed)
{
    const Bytes Block = Sequence(8, 77);
    const std::string Fifty6(56, 'p');
    std::string Fifty6Changed = Fifty6;
    Fifty6Changed.back() = 'q';
    // Every one of the 56 bytes counts, and they are not hashed.
    EXPECT_NE(EncipherBlock(TCipherKey(Fifty6), Block), EncipherBlock(TCipherKey(Fifty6Changed), Block));
    EXPECT_NE(EncipherBlock(TCipherKey(Fifty6), Block), EncipherBlock(TCipherKey(AsKey(Sha1(Fifty6))), Block));

    const std::string Fifty7(57, 'p');
    EXPECT_EQ(EncipherBlock(TCipherKey(Fifty7), Block), EncipherBlock(TCipherKey(AsKey(Sha1(Fifty7))), Block));
    EXPECT_NE(EncipherBlock(TCipherKey(Fifty7), Block), EncipherBlock(TCipherKey(Fifty6), Block));
}

}  // namespace
}  // namespace velka

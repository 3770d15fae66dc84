#pragma once
// Helpers of the DATA package tests: they read produced files with their own byte offsets and
// the fixed passwords typed in again, so a fault in the library's layout code cannot hide itself.

#include "library/cipher.h"
#include "library/dib.h"
#include "library/errors.h"
#include "library/packageimages.h"
#include "support/bytes.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velka::test {

using Bytes = std::vector<uint8_t>;

inline const std::string TypedHeaderPassword = "E1D35C08-9B4E-4D7A-A1C3-5E60B97F2D14";
inline const std::string TypedEntryPassword = "3A7C0E92-D5B1-4E68-8F24-B1C9A0D63E57";

// The deciphered 72-byte file header, field by field.
struct THeaderView {
    Bytes Plain;
    int32_t Count() const { return I32At(Plain, 44); }
    int32_t IndexOffset() const { return I32At(Plain, 48); }
    uint16_t EntryVersion() const { return U16At(Plain, 52); }
    std::string Title() const { return std::string(Plain.begin() + 1, Plain.begin() + 1 + Plain[0]); }
    std::string Password() const { return std::string(Plain.begin() + 55, Plain.begin() + 55 + Plain[54]); }
};

inline THeaderView HeaderOf(const Bytes& File)
{
    EXPECT_GE(File.size(), 80u);
    return {DecryptBuffer(File.data(), 80, TypedHeaderPassword)};
}

// One entry header as stored at Position: 14 plain bytes, or 22 enciphered ones.
struct TEntryView {
    Bytes Plain;
    uint16_t Width() const { return U16At(Plain, 0); }
    uint16_t Height() const { return U16At(Plain, 2); }
    uint8_t BitCount() const { return Plain[4]; }
    int16_t OffsetX() const { return I16At(Plain, 5); }
    int16_t OffsetY() const { return I16At(Plain, 7); }
    uint32_t Length() const { return U32At(Plain, 9); }
    uint8_t Kind() const { return Plain[13]; }
};

inline TEntryView EntryAt(const Bytes& File, size_t Position, bool Enciphered)
{
    if (!Enciphered)
        return {Bytes(File.begin() + Position, File.begin() + Position + 14)};
    return {DecryptBuffer(File.data() + Position, 22, TypedEntryPassword)};
}

inline Bytes Slice(const Bytes& File, size_t From, size_t Count)
{
    return Bytes(File.begin() + From, File.begin() + From + Count);
}

inline Bytes Inflate(const Bytes& Compressed, size_t Expected)
{
    Bytes Out(Expected + 16);
    uLongf Length = uLongf(Out.size());
    EXPECT_EQ(uncompress(Out.data(), &Length, Compressed.data(), uLong(Compressed.size())), Z_OK);
    Out.resize(Length);
    return Out;
}

inline Bytes Deflate(const Bytes& Plain)
{
    Bytes Out(compressBound(uLong(Plain.size())));
    uLongf Length = uLongf(Out.size());
    EXPECT_EQ(compress2(Out.data(), &Length, Plain.data(), uLong(Plain.size()), 9), Z_OK);
    Out.resize(Length);
    return Out;
}

// A bitmap whose every byte differs from its neighbours, so row order and padding show.
inline std::unique_ptr<TDIB> PatternBitmap(int Width, int Height, int Bits, uint8_t Seed = 1)
{
    auto DIB = std::make_unique<TDIB>();
    if (Bits == 16)
        DIB->SetMasks(0xF800, 0x07E0, 0x001F);
    DIB->SetBitCount(Bits);
    DIB->SetSize(Width, Height);
    for (size_t I = 0; I < DIB->PixelBytes(); ++I)
        DIB->PBits()[I] = uint8_t(Seed + I * 7);
    return DIB;
}

inline Bytes PixelsOf(const TDIB& DIB) { return Bytes(DIB.PBits(), DIB.PBits() + DIB.PixelBytes()); }

// Opens FileName; Answer is what the password prompt returns (nullopt: no handler at all).
inline std::unique_ptr<TWMPackageImages> OpenPackage(const QString& FileName, std::optional<QString> Answer = {},
                                                     int* Prompts = nullptr)
{
    auto Library = std::make_unique<TWMPackageImages>();
    Library->SetFileName(FileName);
    if (Answer)
        Library->OnPassword = [Answer, Prompts](TWMImages&, QString& Password) {
            if (Prompts)
                ++*Prompts;
            Password = *Answer;
        };
    Library->Initialize();
    return Library;
}

inline std::unique_ptr<TWMPackageImages> NewPackage(const QString& FileName)
{
    TWMPackageImages::CreateEmptyFile(FileName);
    return OpenPackage(FileName);
}

// A plain header enciphered as every DATA file stores it.
inline Bytes StoredHeader(int32_t Count, int32_t IndexOffset, uint16_t EntryVersion = 0,
                          const std::string& Password = "")
{
    TBytes Plain;
    Plain.U8(0).PadTo(44).I32(Count).I32(IndexOffset).U16(EntryVersion).U8(uint8_t(Password.size())).Text(Password).PadTo(72);
    const Bytes Raw = Plain.Take();
    return EncryptBuffer(Raw.data(), 72, TypedHeaderPassword);
}

inline Bytes PlainEntry(uint16_t Width, uint16_t Height, uint8_t BitCount, int16_t X, int16_t Y, uint32_t Length,
                        uint8_t Kind)
{
    return TBytes().U16(Width).U16(Height).U8(BitCount).I16(X).I16(Y).U32(Length).U8(Kind).Take();
}

}  // namespace velka::test

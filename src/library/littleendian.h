#pragma once
// Little-endian integers in byte buffers: every integer in the library and picture files is one.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

namespace velka {

// Reads a T stored little-endian at Bytes + Offset; the caller guarantees sizeof(T) bytes there.
template <typename T>
T ReadLE(const uint8_t* Bytes, size_t Offset = 0)
{
    static_assert(std::is_integral_v<T>);
    std::make_unsigned_t<T> Value = 0;
    for (size_t I = 0; I < sizeof(T); ++I)
        Value |= static_cast<std::make_unsigned_t<T>>(Bytes[Offset + I]) << (8 * I);
    return static_cast<T>(Value);
}

// Stores Value little-endian at Bytes + Offset.
template <typename T>
void WriteLE(uint8_t* Bytes, size_t Offset, T Value)
{
    static_assert(std::is_integral_v<T>);
    const auto Raw = static_cast<std::make_unsigned_t<T>>(Value);
    for (size_t I = 0; I < sizeof(T); ++I)
        Bytes[Offset + I] = static_cast<uint8_t>(Raw >> (8 * I));
}

// Appends Value little-endian to Buffer.
template <typename T>
void AppendLE(std::vector<uint8_t>& Buffer, T Value)
{
    const size_t Offset = Buffer.size();
    Buffer.resize(Offset + sizeof(T));
    WriteLE(Buffer.data(), Offset, Value);
}

}  // namespace velka

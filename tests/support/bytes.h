#pragma once
// Builds test fixtures byte by byte: little-endian integers, as every library file stores them,
// plus big-endian words for PNG chunks.

#include <QByteArray>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace velka::test {

class TBytes {
public:
    TBytes() = default;
    explicit TBytes(std::vector<uint8_t> Start) : Data_(std::move(Start)) {}

    TBytes& U8(uint8_t Value) { Data_.push_back(Value); return *this; }
    TBytes& U16(uint16_t Value) { return Little(Value, 2); }
    TBytes& I16(int16_t Value) { return Little(uint16_t(Value), 2); }
    TBytes& U32(uint32_t Value) { return Little(Value, 4); }
    TBytes& I32(int32_t Value) { return Little(uint32_t(Value), 4); }
    TBytes& BE32(uint32_t Value)
    {
        for (int Shift = 24; Shift >= 0; Shift -= 8)
            Data_.push_back(uint8_t(Value >> Shift));
        return *this;
    }
    TBytes& Zeros(size_t Count) { Data_.resize(Data_.size() + Count, 0); return *this; }
    TBytes& Fill(size_t Count, uint8_t Value) { Data_.resize(Data_.size() + Count, Value); return *this; }
    TBytes& Raw(const void* Bytes, size_t Count)
    {
        const auto* From = static_cast<const uint8_t*>(Bytes);
        Data_.insert(Data_.end(), From, From + Count);
        return *this;
    }
    TBytes& Raw(const std::vector<uint8_t>& Bytes) { return Raw(Bytes.data(), Bytes.size()); }
    TBytes& Text(const std::string& Bytes) { return Raw(Bytes.data(), Bytes.size()); }
    // Pads with zeros up to Size bytes (a fixed-size header field, a title).
    TBytes& PadTo(size_t Size)
    {
        if (Data_.size() < Size)
            Data_.resize(Size, 0);
        return *this;
    }
    // Overwrites a little-endian 32-bit value already written at Offset.
    TBytes& PutU32At(size_t Offset, uint32_t Value)
    {
        for (int I = 0; I < 4; ++I)
            Data_.at(Offset + I) = uint8_t(Value >> (8 * I));
        return *this;
    }

    size_t Size() const { return Data_.size(); }
    const std::vector<uint8_t>& Data() const { return Data_; }
    std::vector<uint8_t> Take() { return std::move(Data_); }
    QByteArray ToByteArray() const { return QByteArray(reinterpret_cast<const char*>(Data_.data()), qsizetype(Data_.size())); }

private:
    TBytes& Little(uint32_t Value, int Count)
    {
        for (int I = 0; I < Count; ++I)
            Data_.push_back(uint8_t(Value >> (8 * I)));
        return *this;
    }

    std::vector<uint8_t> Data_;
};

// Reads little-endian values back out of produced bytes.
inline uint32_t U32At(const std::vector<uint8_t>& Bytes, size_t Offset)
{
    uint32_t Value = 0;
    for (int I = 0; I < 4; ++I)
        Value |= uint32_t(Bytes.at(Offset + I)) << (8 * I);
    return Value;
}
inline int32_t I32At(const std::vector<uint8_t>& Bytes, size_t Offset) { return int32_t(U32At(Bytes, Offset)); }
inline uint16_t U16At(const std::vector<uint8_t>& Bytes, size_t Offset)
{
    return uint16_t(Bytes.at(Offset) | Bytes.at(Offset + 1) << 8);
}
inline int16_t I16At(const std::vector<uint8_t>& Bytes, size_t Offset) { return int16_t(U16At(Bytes, Offset)); }

}  // namespace velka::test

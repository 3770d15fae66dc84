#pragma once
// Whole-buffer zlib (RFC 1950) compression at level 9 and bounded decompression.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velka {

// Raises EVelkaError when the codec fails.
std::vector<uint8_t> ZCompressBuffer(const uint8_t* Input, int32_t InputLength);

// Inflates one zlib stream. Estimate 0 = no estimate. Output never grows past Limit bytes;
// corrupt, truncated or non-zlib input (a PNG stored under a bitmap kind) raises EFormatError.
std::vector<uint8_t> ZDecompressBuffer(const uint8_t* Input, int32_t InputLength, int32_t Estimate,
                                       size_t Limit);

}  // namespace velka

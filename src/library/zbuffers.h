#pragma once
// Whole-buffer zlib (RFC 1950) compression at level 9 and bounded decompression.
//
// Compression runs through libdeflate: one compressor per thread, so worker threads may compress
// at the same time. Its output is an ordinary zlib stream that any inflater reads.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velka {

// Compresses Input into a new zlib stream. Raises EVelkaError when the codec fails.
std::vector<uint8_t> ZCompressBuffer(const uint8_t* Input, int32_t InputLength);

// Appends the zlib stream of Input behind what Output already holds (an entry header, say) and
// returns the stream's length; saves a copy when a header and its payload go out as one block.
size_t ZCompressAppend(const uint8_t* Input, size_t InputLength, std::vector<uint8_t>& Output);

// Inflates one zlib stream. Estimate is the expected output size (0 = unknown); the output never
// grows past Limit bytes: a stream that inflates to more yields its first Limit bytes. Corrupt,
// truncated or non-zlib input (a PNG stored under a bitmap kind) raises EFormatError.
std::vector<uint8_t> ZDecompressBuffer(const uint8_t* Input, int32_t InputLength, int32_t Estimate,
                                       size_t Limit);

// Inflates one zlib stream straight into Output (a bitmap's pixel memory): at most Capacity
// bytes, the first Capacity bytes of a longer stream. Returns the bytes written; raises
// EFormatError as ZDecompressBuffer does.
size_t ZDecompressInto(const uint8_t* Input, size_t InputLength, uint8_t* Output, size_t Capacity);

// The most payload bytes worth reading for a bitmap of PixelBytes: a longer stored stream
// cannot contribute more, so a huge Length in a damaged header cannot make a reader load it.
size_t LongestUsefulPayload(size_t PixelBytes);

// Deflate never expands more than 1032-fold, so an entry whose StoredBytes could not fill a bitmap
// of PixelBytes was not written by any writer of the formats; refusing it keeps a damaged or
// hostile header from allocating a bitmap of hundreds of megabytes out of a few bytes.
bool PayloadCouldFill(int64_t StoredBytes, size_t PixelBytes);

}  // namespace velka

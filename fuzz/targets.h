#pragma once
// The bodies of the fuzz harnesses as plain functions: the libFuzzer programs call them, and the
// replay test of the normal suite runs them over fixed mutations of the seeds, so both check the
// same thing. Each one returns 0 (libFuzzer's convention); a broken invariant prints what broke
// and aborts, and crashes, hangs and sanitizer reports speak for themselves. Errors the library
// raises on purpose (EVelkaError and its kin) are answers, not failures.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velka::fuzz {

using TInput = std::vector<uint8_t>;

using TFuzzFunction = int (*)(const uint8_t* Data, size_t Size);

struct TTarget {
    const char* Name;
    TFuzzFunction Run;
    // Small valid inputs in the harness's own input layout, made by the project's writers.
    std::vector<TInput> (*Seeds)();
};

// Every harness, by name: wil, wis, wzl, data, data_password, picture_bmp, picture_png,
// png_stream, zlib, cipher.
const std::vector<TTarget>& Targets();
const TTarget* FindTarget(const std::string& Name);

// Two-file libraries (WIL/WIX, WZL/WZX) take one input: a 32-bit little-endian word, then the
// data file, then the index file. The word's low 31 bits are the data file's length (clipped to
// what follows); with its top bit set no index file is written at all.
TInput JoinFiles(const TInput& Data, const TInput& Index, bool WithIndex = true);

// The DATA harnesses take the file with its 80-byte enciphered header replaced by the 72 bytes
// it deciphers to; PlainDataFile turns a stored file into that form.
TInput PlainDataFile(const TInput& Stored);

// One length byte, Text, then Rest: the input of the DATA harness with a password answer (the
// GBK answer, at most 16 bytes of it used, then the library file in the form above) and of the
// cipher harness (the password, then the enciphered buffer).
TInput PrefixedText(const std::string& Text, const TInput& Rest);

// The PNG stream harness: one byte N, N bytes before the picture, then the PNG file.
TInput AtOffset(uint8_t Offset, const TInput& Png);

}  // namespace velka::fuzz

#pragma once
// Synthetic game sprites and the library files the benchmarks run on.

#include <QString>

#include <cstdint>
#include <random>
#include <vector>

namespace velka::bench {

// One 16-bit (RGB565) sprite: rows of WidthBytes(Width, 16) bytes, bottom row first.
struct TSprite {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Rows;
};

// Sprites around 64 x 96: a mostly dark background with a few shaded shapes and some noise,
// deterministic for a seed.
class TSpriteMaker {
public:
    explicit TSpriteMaker(uint32_t Seed) : Random_(Seed) {}
    TSprite Next();

private:
    int Uniform(int Low, int High) { return std::uniform_int_distribution<int>(Low, High)(Random_); }
    std::mt19937 Random_;
};

// A Version 1, 16-bit WIL library (.wil and .wix) of Count sprites.
void WriteWilLibrary(const QString& FileName, int Count, uint32_t Seed);

// A WZL library (.wzl and .wzx) whose Count images of Width x Height are stored with level-0
// zlib streams of noise: big files made quickly, for the benchmarks that only move bytes.
void WriteBulkWzlLibrary(const QString& FileName, int Count, int Width, int Height);

}  // namespace velka::bench

#pragma once
// Reading and checking the headers of a BMP file before its pixels are decoded, so that a damaged
// or hostile file is refused up front instead of being half-decoded.

#include <QString>

#include <cstddef>
#include <cstdint>

namespace velka {

constexpr uint32_t BmpCompressionNone = 0;
constexpr uint32_t BmpCompressionRle8 = 1;
constexpr uint32_t BmpCompressionRle4 = 2;
constexpr uint32_t BmpCompressionBitFields = 3;
constexpr uint32_t BmpCompressionAlphaBitFields = 6;

struct TBmpInfo {
    uint32_t InfoSize = 0;
    int64_t Width = 0;
    int64_t Height = 0;  // always positive; TopDown tells the stored row order
    bool TopDown = false;
    int Bits = 0;
    uint32_t Compression = BmpCompressionNone;
    uint32_t RedMask = 0;  // the masks are set for bit-field compression only
    uint32_t GreenMask = 0;
    uint32_t BlueMask = 0;
    uint32_t PaletteColors = 0;  // colours in the palette of a 1, 4 or 8-bit picture
    uint32_t PixelOffset = 0;
};

// Parses the file and info headers of the BMP file in File[0, Size) and checks that the picture
// is consistent: a known header size, one plane, a supported depth and compression, sane sizes
// within TDIB::MaxPixelBytes, masks that describe three separate colour channels, a palette that
// fits, pixel data inside the file, palette indices inside the palette and RLE codes that stay
// inside the picture. Raises EFormatError naming Name otherwise.
TBmpInfo ReadBmpInfo(const uint8_t* File, size_t Size, const QString& Name);

}  // namespace velka

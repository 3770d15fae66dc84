#pragma once
// TDIB: a device-independent bitmap of 8, 16, 24 or 32 bits per pixel, rows padded to
// 4 bytes and stored bottom row first, with a 256-entry colour table.

#include "library/graphic.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace velka {

class TStream;

struct TRGBQuad {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
    bool operator==(const TRGBQuad&) const = default;
};

using TColorTable = std::array<TRGBQuad, 256>;

// The built-in 256-colour table of 8-bit WZL and DATA images and imported 8-bit pictures.
extern const TColorTable DefaultPalette;

// Row size in bytes: ((Width * Bits + 31) div 32) * 4.
int32_t WidthBytes(int32_t Width, int32_t Bits);

class TDIB : public TGraphic {
public:
    // Largest pixel block a bitmap may allocate (256 MiB). Sizes read from files beyond it are
    // refused, so no header can make the program allocate gigabytes.
    static constexpr int64_t MaxPixelBytes = int64_t(256) << 20;
    // True when a Width x Height bitmap of Bits per pixel stays within MaxPixelBytes.
    static bool SizeAllowed(int64_t Width, int64_t Height, int Bits);

    TDIB();  // empty: no pixels, no depth, grey-ramp colour table

    // Masks take effect when the bit depth is next set.
    void SetMasks(uint32_t RedMask, uint32_t GreenMask, uint32_t BlueMask);
    uint32_t RedMask() const { return RedMask_; }
    uint32_t GreenMask() const { return GreenMask_; }
    uint32_t BlueMask() const { return BlueMask_; }

    // 8, 16, 24 or 32; on an empty bitmap this makes it 1 x 1. Other values raise EVelkaError.
    void SetBitCount(int Bits);
    int BitCount() const { return BitCount_; }  // 0 while never set

    // Recreate the (zeroed) pixel block at the new size; an unset depth becomes 8 bits.
    // Raises EVelkaError for negative sizes or sizes beyond MaxPixelBytes.
    void SetWidth(int Width);
    void SetHeight(int Height);
    void SetSize(int Width, int Height);
    int Width() const override { return Width_; }
    int Height() const override { return Height_; }
    bool Empty() const override { return Width_ == 0 || Height_ == 0; }

    TColorTable& ColorTable() { return ColorTable_; }
    const TColorTable& ColorTable() const { return ColorTable_; }
    // Applies the written colour table to the bitmap (display and nearest-colour drawing).
    void UpdatePalette();

    int RowBytes() const { return WidthBytes(Width_, BitCount_); }
    uint8_t* PBits() { return Pixels_.data(); }
    const uint8_t* PBits() const { return Pixels_.data(); }
    size_t PixelBytes() const { return Pixels_.size(); }
    // Scan line Y, 0 = top row.
    uint8_t* ScanLine(int Y);
    const uint8_t* ScanLine(int Y) const;

    // Fills the whole bitmap with one colour (0xAARRGGBB; mapped to the depth as drawing does).
    void Fill(QRgb Color);
    // Draws Picture with its top-left corner at (X, Y), clipped to the bitmap: nearest
    // colour-table entry for 8 bits, 5-6-5 (or 5-5-5 by the masks) for 16 bits, alpha blended.
    void Draw(const QImage& Picture, int X, int Y);
    // Swaps scan line Y with Height - 1 - Y.
    void FlipVertical();

    // BMP file in the layout of the exports (BITMAPINFOHEADER, bit fields for 16 and 32 bits).
    void SaveToStream(TStream& Stream) const;
    void SaveToFile(const QString& FileName) const;

    QImage ToImage() const override;

private:
    void Reallocate();

    int Width_ = 0;
    int Height_ = 0;
    int BitCount_ = 0;
    uint32_t RedMask_ = 0xFF0000;
    uint32_t GreenMask_ = 0x00FF00;
    uint32_t BlueMask_ = 0x0000FF;
    uint32_t PendingRedMask_ = 0xFF0000;
    uint32_t PendingGreenMask_ = 0x00FF00;
    uint32_t PendingBlueMask_ = 0x0000FF;
    TColorTable ColorTable_;
    std::vector<uint8_t> Pixels_;
};

}  // namespace velka

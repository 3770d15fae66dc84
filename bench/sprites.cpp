#include "sprites.h"

#include "library/dib.h"
#include "library/stream.h"
#include "library/wmimages.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace velka::bench {

namespace {

uint16_t Rgb565(int Red, int Green, int Blue)
{
    return uint16_t((std::clamp(Red, 0, 31) << 11) | (std::clamp(Green, 0, 63) << 5) | std::clamp(Blue, 0, 31));
}

void Put16(std::vector<uint8_t>& Out, int Value)
{
    Out.push_back(uint8_t(Value));
    Out.push_back(uint8_t(unsigned(Value) >> 8));
}

void Put32(std::vector<uint8_t>& Out, int64_t Value)
{
    for (int I = 0; I < 4; ++I) Out.push_back(uint8_t(uint64_t(Value) >> (8 * I)));
}

void WriteAll(TFileStream& File, const std::vector<uint8_t>& Bytes) { File.WriteBuffer(Bytes.data(), Bytes.size()); }

}  // namespace

TSprite TSpriteMaker::Next()
{
    TSprite Sprite;
    Sprite.Width = 56 + 2 * Uniform(0, 8);
    Sprite.Height = 88 + Uniform(0, 16);
    const int RowBytes = WidthBytes(Sprite.Width, 16);
    Sprite.Rows.assign(size_t(RowBytes) * Sprite.Height, 0);
    std::vector<uint16_t> Pixels(size_t(Sprite.Width) * Sprite.Height, 0);
    // Dark background, a few pixels of dust.
    for (uint16_t& Pixel : Pixels)
        if (Uniform(0, 99) < 4) Pixel = Rgb565(Uniform(0, 2), Uniform(0, 4), Uniform(0, 2));
    // Shaded ellipses and bars: a body, limbs, a weapon.
    const int Shapes = Uniform(3, 6);
    for (int S = 0; S < Shapes; ++S) {
        const int CenterX = Uniform(8, Sprite.Width - 8), CenterY = Uniform(8, Sprite.Height - 8);
        const int RadiusX = Uniform(4, Sprite.Width / 3), RadiusY = Uniform(4, Sprite.Height / 3);
        const int Red = Uniform(4, 31), Green = Uniform(8, 63), Blue = Uniform(4, 31);
        const bool Ellipse = Uniform(0, 2) != 0;
        for (int Y = std::max(0, CenterY - RadiusY); Y < std::min(Sprite.Height, CenterY + RadiusY); ++Y)
            for (int X = std::max(0, CenterX - RadiusX); X < std::min(Sprite.Width, CenterX + RadiusX); ++X) {
                const double DX = double(X - CenterX) / RadiusX, DY = double(Y - CenterY) / RadiusY;
                if (Ellipse && DX * DX + DY * DY > 1.0) continue;
                const int Shade = int(6 * (DY + 1)) + Uniform(-1, 1);  // light from above, grain
                Pixels[size_t(Y) * Sprite.Width + X] = Rgb565(Red - Shade, Green - 2 * Shade, Blue - Shade);
            }
    }
    for (int Y = 0; Y < Sprite.Height; ++Y)
        std::memcpy(Sprite.Rows.data() + size_t(Y) * RowBytes, Pixels.data() + size_t(Sprite.Height - 1 - Y) * Sprite.Width,
                    size_t(Sprite.Width) * 2);
    return Sprite;
}

void WriteWilLibrary(const QString& FileName, int Count, uint32_t Seed)
{
    TFileStream Data(FileName, TFileStream::Mode::Create);
    std::vector<uint8_t> Header(44, 0);
    Put32(Header, Count);
    Put32(Header, 65536);  // 16 bits per pixel
    Put32(Header, 0);
    Put32(Header, 0);  // version marker 0: 8-byte entry headers, 48-byte index header
    WriteAll(Data, Header);
    std::vector<uint8_t> Index(44, 0);
    Put32(Index, Count);
    TSpriteMaker Maker(Seed);
    std::vector<uint8_t> Entry;
    for (int K = 0; K < Count; ++K) {
        const TSprite Sprite = Maker.Next();
        Put32(Index, Data.Position());
        Entry.clear();
        Put16(Entry, Sprite.Width);
        Put16(Entry, Sprite.Height);
        Put16(Entry, -Sprite.Width / 2);
        Put16(Entry, -Sprite.Height + 8);
        // A WIL block has no row padding (the widths are even, so rows are already aligned).
        Entry.insert(Entry.end(), Sprite.Rows.begin(), Sprite.Rows.end());
        WriteAll(Data, Entry);
    }
    WriteAll(Data, std::vector<uint8_t>(16, 0));
    TFileStream IndexFile(ChangeFileExt(FileName, QStringLiteral(".wix")), TFileStream::Mode::Create);
    WriteAll(IndexFile, Index);
}

void WriteBulkWzlLibrary(const QString& FileName, int Count, int Width, int Height)
{
    const size_t PixelBytes = size_t(WidthBytes(Width, 16)) * Height;
    std::vector<std::vector<uint8_t>> Payloads;
    std::mt19937 Random(7);
    for (int Variant = 0; Variant < 8; ++Variant) {
        std::vector<uint8_t> Pixels(PixelBytes);
        for (uint8_t& Byte : Pixels) Byte = uint8_t(Random());
        std::vector<uint8_t> Stream(compressBound(uLong(PixelBytes)));
        uLongf Length = uLongf(Stream.size());
        if (compress2(Stream.data(), &Length, Pixels.data(), uLong(PixelBytes), 0) != Z_OK)
            throw std::runtime_error("zlib failed");
        Stream.resize(Length);
        Payloads.push_back(std::move(Stream));
    }
    TFileStream Data(FileName, TFileStream::Mode::Create);
    std::vector<uint8_t> Header(44, 0);
    std::memcpy(Header.data(), "bench.library.velka", 19);
    Put32(Header, Count);
    Header.resize(64, 0);
    WriteAll(Data, Header);
    std::vector<uint8_t> Index(Header.begin(), Header.begin() + 44);
    Put32(Index, Count);
    std::vector<uint8_t> Entry;
    for (int K = 0; K < Count; ++K) {
        const std::vector<uint8_t>& Payload = Payloads[K % Payloads.size()];
        Put32(Index, Data.Position());
        Entry = {5, 0, 0, 0};
        Put16(Entry, Width);
        Put16(Entry, Height);
        Put16(Entry, K % 50);
        Put16(Entry, -(K % 70));
        Put32(Entry, int64_t(Payload.size()));
        Entry.insert(Entry.end(), Payload.begin(), Payload.end());
        WriteAll(Data, Entry);
    }
    TFileStream IndexFile(ChangeFileExt(FileName, QStringLiteral(".wzx")), TFileStream::Mode::Create);
    WriteAll(IndexFile, Index);
}

}  // namespace velka::bench

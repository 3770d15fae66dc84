#pragma once
// Writes WIL/WIX library pairs byte by byte (the system only reads them), for the batch,
// command-line and editor tests. Header-only and free of test-framework code.

#include <QFile>
#include <QString>

#include <cstdint>
#include <cstring>
#include <vector>

namespace velka::test {

struct TWilImage {
    int16_t Width = 0;  // 0: an empty image (index position 0)
    int16_t Height = 0;
    int16_t X = 0;
    int16_t Y = 0;
    std::vector<uint8_t> Pixels;  // the stored block, bottom row first
};

class TWilWriter {
public:
    // Version 1 (marker 0, 8-byte entry headers, 48-byte index header) or Version 0 (marker 7,
    // 12-byte entry headers, 52-byte index header); BitCount 8 or 16.
    TWilWriter(int Version, int BitCount) : Version_(Version), BitCount_(BitCount) {}

    // The stored block size of a Width x Height image of this library.
    size_t BlockSize(int Width, int Height) const
    {
        if (BitCount_ == 8) return size_t(((Width * 8 + 31) / 32) * 4) * Height;
        return size_t(Width) * Height * (BitCount_ / 8);
    }

    void Add(TWilImage Image) { Images_.push_back(std::move(Image)); }
    void AddEmpty() { Images_.push_back({}); }

    // Writes Name (.wil) and the .wix beside it; false when a file cannot be written.
    bool Write(const QString& Name) const
    {
        std::vector<uint8_t> Data(44, 0);
        Put32(Data, int32_t(Images_.size()));
        Put32(Data, BitCount_ == 8 ? 256 : 65536);
        Put32(Data, 0);
        if (Version_ == 0) {
            Put32(Data, 7);  // version marker
            if (BitCount_ == 8) AppendPalette(Data);
        } else if (BitCount_ == 8) {
            AppendPalette(Data);  // its first entry is the (zero) marker
        } else {
            Put32(Data, 0);
        }
        std::vector<int32_t> Positions;
        for (const TWilImage& Image : Images_) {
            if (Image.Width == 0) {
                Positions.push_back(0);
                continue;
            }
            Positions.push_back(int32_t(Data.size()));
            Put16(Data, Image.Width);
            Put16(Data, Image.Height);
            Put16(Data, Image.X);
            Put16(Data, Image.Y);
            if (Version_ == 0) Put32(Data, 0);
            Data.insert(Data.end(), Image.Pixels.begin(), Image.Pixels.end());
        }
        Data.resize(Data.size() + 16, 0);  // entries near the end of the file give no bitmap
        std::vector<uint8_t> Index(44, 0);
        Put32(Index, int32_t(Positions.size()));
        if (Version_ == 0) Put32(Index, 0);
        for (int32_t Position : Positions) Put32(Index, Position);
        QString IndexName = Name;
        IndexName.replace(IndexName.size() - 4, 4, QStringLiteral(".wix"));
        return WriteAll(Name, Data) && WriteAll(IndexName, Index);
    }

private:
    static void Put16(std::vector<uint8_t>& Out, int16_t Value)
    {
        Out.push_back(uint8_t(Value));
        Out.push_back(uint8_t(uint16_t(Value) >> 8));
    }
    static void Put32(std::vector<uint8_t>& Out, int32_t Value)
    {
        for (int I = 0; I < 4; ++I) Out.push_back(uint8_t(uint32_t(Value) >> (8 * I)));
    }
    // A recognisable palette: entry i is (blue i, green 255 - i, red i / 2); entry 0 is black,
    // because in Version 1 files its four bytes are also the version marker 0.
    static void AppendPalette(std::vector<uint8_t>& Out)
    {
        Out.insert(Out.end(), 4, 0);
        for (int I = 1; I < 256; ++I) {
            Out.push_back(uint8_t(I));
            Out.push_back(uint8_t(255 - I));
            Out.push_back(uint8_t(I / 2));
            Out.push_back(0);
        }
    }
    static bool WriteAll(const QString& Name, const std::vector<uint8_t>& Bytes)
    {
        QFile File(Name);
        if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        return File.write(reinterpret_cast<const char*>(Bytes.data()), qint64(Bytes.size())) == qint64(Bytes.size());
    }

    int Version_;
    int BitCount_;
    std::vector<TWilImage> Images_;
};

}  // namespace velka::test

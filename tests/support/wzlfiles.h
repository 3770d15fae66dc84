#pragma once
// Builds WZL data and index files byte by byte for the WZL tests, with zlib's own deflate as the
// reference encoder of payloads (so the reader is not only checked against our own writer).

#include "library/dib.h"
#include "library/wzlimages.h"
#include "support/bytes.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velka::test {

inline std::vector<uint8_t> ZlibDeflate(const std::vector<uint8_t>& Data)
{
    std::vector<uint8_t> Output(compressBound(uLong(Data.size())));
    uLongf Length = uLongf(Output.size());
    EXPECT_EQ(compress2(Output.data(), &Length, Data.data(), uLong(Data.size()), 9), Z_OK);
    Output.resize(Length);
    return Output;
}

// zlib's own inflate of a whole stream; fails the test when the stream is not valid.
inline std::vector<uint8_t> ZlibInflate(const uint8_t* Data, size_t Length, size_t Expected)
{
    std::vector<uint8_t> Output(Expected + 64);
    uLongf OutputLength = uLongf(Output.size());
    EXPECT_EQ(uncompress(Output.data(), &OutputLength, Data, uLong(Length)), Z_OK);
    Output.resize(OutputLength);
    return Output;
}

// One stored entry: its 16-byte header and whatever bytes follow it.
struct TWzlEntry {
    uint8_t Format = 6;
    uint8_t Flag = 0;
    int16_t Width = 0;
    int16_t Height = 0;
    int16_t X = 0;
    int16_t Y = 0;
    uint32_t Length = 0;
    std::vector<uint8_t> Payload;
};

inline std::vector<uint8_t> WzlEntryBytes(const TWzlEntry& Entry)
{
    TBytes Bytes;
    Bytes.U8(Entry.Format).U8(Entry.Flag).U16(0).I16(Entry.Width).I16(Entry.Height).I16(Entry.X).I16(Entry.Y);
    Bytes.U32(Entry.Length);
    return Bytes.Take();
}

// A compressed entry whose payload inflates to Pixels.
inline TWzlEntry CompressedEntry(uint8_t Format, int16_t Width, int16_t Height, const std::vector<uint8_t>& Pixels,
                                 int16_t X = 0, int16_t Y = 0)
{
    TWzlEntry Entry{Format, 0, Width, Height, X, Y, 0, ZlibDeflate(Pixels)};
    Entry.Length = uint32_t(Entry.Payload.size());
    return Entry;
}

// A data file: the 64-byte header, then entries one after another.
class TWzlBuilder {
public:
    explicit TWzlBuilder(int32_t Count = 0, const std::string& Title = "imagelib.velka.test")
    {
        Bytes_.Text(Title).PadTo(44).I32(Count).Zeros(16);
    }
    // Appends the entry and returns its position.
    int32_t Add(const TWzlEntry& Entry)
    {
        const auto Position = int32_t(Bytes_.Size());
        Bytes_.Raw(WzlEntryBytes(Entry)).Raw(Entry.Payload);
        return Position;
    }
    TBytes& Bytes() { return Bytes_; }
    std::vector<uint8_t> Data() const { return Bytes_.Data(); }

private:
    TBytes Bytes_;
};

// An index file: title, Count (the number of positions unless given), positions.
inline std::vector<uint8_t> WzxBytes(const std::vector<int32_t>& Positions, std::optional<int32_t> Count = std::nullopt,
                                     const std::string& Title = "imagelib.velka.test")
{
    TBytes Bytes;
    Bytes.Text(Title).PadTo(44).I32(Count.value_or(int32_t(Positions.size())));
    for (int32_t Position : Positions)
        Bytes.I32(Position);
    return Bytes.Take();
}

// d.wzl and d.wzx in Temp: image 0 a good 4 x 2 16-bit picture at (1, 1); image 1 announces a
// 4 x 2 picture at (3, 3) whose payload is no zlib stream. Returns the data file's path.
inline QString WriteDamagedWzl(const TTempDir& Temp)
{
    TWzlBuilder Data;
    const int32_t Good = Data.Add(CompressedEntry(5, 4, 2, std::vector<uint8_t>(16, 9), 1, 1));
    const int32_t Broken = Data.Add(TWzlEntry{5, 0, 4, 2, 3, 3, 5, {1, 2, 3, 4, 5}});
    Data.Bytes().PutU32At(44, 2);
    Temp.Write("d.wzx", WzxBytes({Good, Broken}));
    return Temp.Write("d.wzl", Data.Data());
}

// A Bits-deep bitmap whose picture bytes (not the row padding, which stays 0) follow a pattern
// unique to Seed; 8-bit bitmaps carry DefaultPalette as the WZL reader builds them.
inline std::unique_ptr<TDIB> PatternDIB(int Bits, int Width, int Height, uint8_t Seed)
{
    auto DIB = std::make_unique<TDIB>();
    if (Bits == 16)
        DIB->SetMasks(0xF800, 0x07E0, 0x001F);
    DIB->SetBitCount(Bits);
    DIB->SetSize(Width, Height);
    if (Bits == 8)
        DIB->ColorTable() = DefaultPalette;
    const int Used = Width * Bits / 8;
    for (int Y = 0; Y < Height; ++Y)
        for (int I = 0; I < Used; ++I)
            DIB->ScanLine(Y)[I] = uint8_t(Seed + 31 * Y + 7 * I + 1);
    return DIB;
}

inline std::vector<uint8_t> PixelsOf(const TDIB& DIB)
{
    return std::vector<uint8_t>(DIB.PBits(), DIB.PBits() + DIB.PixelBytes());
}

// A library lib.wzl / lib.wzx in a fresh folder.
class WzlLibraryTest : public TempDirTest {
protected:
    QString DataName() const { return Temp.File("lib.wzl"); }
    QString IndexName() const { return Temp.File("lib.wzx"); }
    std::vector<uint8_t> DataBytes() const { return ReadFileBytes(DataName()); }
    std::vector<uint8_t> IndexBytes() const { return ReadFileBytes(IndexName()); }

    void WriteLibrary(const std::vector<uint8_t>& Data, const std::vector<int32_t>& Positions) const
    {
        Temp.Write("lib.wzl", Data);
        Temp.Write("lib.wzx", WzxBytes(Positions));
    }
    std::unique_ptr<TWZLImages> Open() const
    {
        auto Library = std::make_unique<TWZLImages>();
        Library->SetFileName(DataName());
        Library->Initialize();
        return Library;
    }
    std::unique_ptr<TWZLImages> CreateAndOpen() const
    {
        TWZLImages::CreateEmptyFile(DataName());
        return Open();
    }
};

}  // namespace velka::test

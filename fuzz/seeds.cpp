#include "seeds.h"

#include "scratch.h"

#include "library/cipher.h"
#include "library/dib.h"
#include "library/littleendian.h"
#include "library/packageimages.h"
#include "library/pngobject.h"
#include "library/stream.h"
#include "library/wzlimages.h"
#include "library/zbuffers.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <string>

namespace velka::fuzz {

namespace {

void AddU16(TInput& Bytes, uint16_t Value) { AppendLE(Bytes, Value); }
void AddU32(TInput& Bytes, uint32_t Value) { AppendLE(Bytes, Value); }
void PadTo(TInput& Bytes, size_t Size) { Bytes.resize(std::max(Bytes.size(), Size), 0); }

std::unique_ptr<TDIB> PatternBitmap(int Bits, int Width, int Height)
{
    auto DIB = std::make_unique<TDIB>();
    if (Bits == 16)
        DIB->SetMasks(0xF800, 0x07E0, 0x001F);
    DIB->SetBitCount(Bits);
    DIB->SetSize(Width, Height);
    if (Bits == 8)
        DIB->ColorTable() = DefaultPalette;
    for (size_t I = 0; I < DIB->PixelBytes(); ++I)
        DIB->PBits()[I] = uint8_t(I * 13 + Bits);
    return DIB;
}

QImage PatternImage(int Width, int Height)
{
    QImage Image(Width, Height, QImage::Format_ARGB32);
    for (int Y = 0; Y < Height; ++Y)
        for (int X = 0; X < Width; ++X)
            Image.setPixel(X, Y, qRgba(X * 40, Y * 60, (X + Y) * 20, 128 + X * 30));
    return Image;
}

// ---- WIL and WIS, byte by byte (the format has no writer) ----

struct TWilLayout {
    int32_t Marker;      // 0: Version 1, 32: Version 2, else Version 0
    int32_t ColorCount;  // 256, 65536, 16777216 or more
};

int WilVersion(int32_t Marker) { return Marker == 0 ? 1 : Marker == 32 ? 2 : 0; }

int WilBytesPerPixel(int32_t ColorCount)
{
    return ColorCount == 256 ? 1 : ColorCount == 65536 ? 2 : ColorCount == 16777216 ? 3 : 4;
}

TInput WilLibrary(const TWilLayout& Layout, bool WithIndex)
{
    const int Version = WilVersion(Layout.Marker);
    const int Bytes = Version == 2 ? 2 : WilBytesPerPixel(Layout.ColorCount);
    const int EntryHeader = Version == 1 ? 8 : Version == 2 ? 16 : 12;
    const struct { int16_t Width, Height, X, Y; } Entries[] = {{4, 3, -2, 5}, {2, 2, 0, 0}, {5, 2, 7, -1}};

    TInput Data = {'w', 'i', 'l'};
    PadTo(Data, 44);
    AddU32(Data, uint32_t(std::size(Entries) + 1));  // one more image than entries: an empty one
    AddU32(Data, uint32_t(Layout.ColorCount));
    AddU32(Data, 0);
    if (Version == 1) {
        for (int I = 0; I < 1024; ++I)
            Data.push_back(uint8_t(I < 4 ? 0 : I * 5));
    } else {
        AddU32(Data, uint32_t(Layout.Marker));
        if (Version == 0 && Bytes == 1)
            for (int I = 0; I < 1024; ++I)
                Data.push_back(uint8_t(I * 3));
    }
    std::vector<int32_t> Positions;
    for (const auto& Entry : Entries) {
        Positions.push_back(int32_t(Data.size()));
        AddU16(Data, uint16_t(Entry.Width));
        AddU16(Data, uint16_t(Entry.Height));
        AddU16(Data, uint16_t(Entry.X));
        AddU16(Data, uint16_t(Entry.Y));
        PadTo(Data, Data.size() + size_t(EntryHeader - 8));
        const size_t Block = Bytes == 1 ? size_t(WidthBytes(Entry.Width, 8)) * size_t(Entry.Height)
                                        : size_t(Entry.Width) * size_t(Entry.Height) * size_t(Bytes);
        if (Version != 2)
            for (size_t I = 0; I < Block; ++I)
                Data.push_back(uint8_t(I * 11 + 1));
    }
    Positions.push_back(0);
    PadTo(Data, Data.size() + 16);

    TInput Index = {'w', 'i', 'x'};
    PadTo(Index, 44);
    AddU32(Index, uint32_t(Positions.size()));
    if (Version != 1)
        AddU32(Index, 0);
    for (const int32_t Position : Positions)
        AddU32(Index, uint32_t(Position));
    return JoinFiles(Data, Index, WithIndex);
}

// ---- WZL and DATA through the library's writers ----

// Adds one image of every kind the format stores, saves, and returns the saved file.
void AddSampleImages(TWMImages& Library, bool WithPng)
{
    Library.BeforeSave();
    for (const int Bits : {8, 16, 24, 32}) {
        std::unique_ptr<TDIB> DIB = PatternBitmap(Bits, 3 + Bits / 8, 2);
        Library.AddImage(DIB.get(), Bits, -Bits, 0);
    }
    Library.AddImage(nullptr, 0, 0, 0);   // empty
    Library.AddImage(nullptr, 6, -7, 0);  // offsets only
    if (WithPng) {
        TPNGObject Png(PatternImage(3, 2));
        Library.AddImage(&Png, 1, 2, 2);
    }
    Library.Save();
}

// A new library named Name in the emptied scratch folder, open, with the sample images if asked.
std::unique_ptr<TWMImages> NewSeedLibrary(const QString& Name, bool WithImages, bool WithPng)
{
    TScratch& Scratch = TScratch::Instance();
    Scratch.Clear();
    std::unique_ptr<TWMImages> Library = CreateImageLibrary(Scratch.Path(Name));
    Library->Initialize();
    if (WithImages)
        AddSampleImages(*Library, WithPng);
    return Library;
}

std::pair<TInput, TInput> WzlFiles(bool WithImages)
{
    NewSeedLibrary(QStringLiteral("seed.wzl"), WithImages, false);
    const TScratch& Scratch = TScratch::Instance();
    return {Scratch.Read(QStringLiteral("seed.wzl")), Scratch.Read(QStringLiteral("seed.wzx"))};
}

// Password empty: a plain library. Compacted: saved once more after a deletion, so the index
// lies behind the entries instead of being appended.
TInput DataFile(bool WithImages, const std::string& Password, bool Compacted)
{
    std::unique_ptr<TWMImages> Library = NewSeedLibrary(QStringLiteral("seed.data"), WithImages, true);
    if (!Password.empty())
        Library->SetPassword(QString::fromLatin1(Password.c_str()));
    if (Compacted) {
        Library->DeleteImages(0, 0);
        Library->Save();
    }
    Library.reset();
    return PlainDataFile(TScratch::Instance().Read(QStringLiteral("seed.data")));
}

// ---- Pictures ----

TInput BmpOf(const TDIB& DIB)
{
    TMemoryStream Stream;
    DIB.SaveToStream(Stream);
    return Stream.TakeBytes();
}

// A 4 x 2 picture of Bits (1 or 8) per pixel with a two-colour palette; RLE8 when asked.
TInput PalettedBmp(int Bits, bool Rle)
{
    TInput Pixels;
    if (Rle) {
        Pixels = {2, 1, 2, 0, 0, 0, 0, 3, 1, 0, 1, 0, 0, 1};  // runs, a literal, end of line, end
    } else {
        for (int Row = 0; Row < 2; ++Row) {
            const TInput Line = Bits == 1 ? TInput{0xA0, 0, 0, 0} : TInput{0, 1, 0, 1};
            Pixels.insert(Pixels.end(), Line.begin(), Line.end());
        }
    }
    const uint32_t PixelOffset = 14 + 40 + 2 * 4;
    TInput File = {'B', 'M'};
    AddU32(File, PixelOffset + uint32_t(Pixels.size()));
    AddU32(File, 0);
    AddU32(File, PixelOffset);
    AddU32(File, 40);
    AddU32(File, 4);
    AddU32(File, 2);
    AddU16(File, 1);
    AddU16(File, uint16_t(Bits));
    AddU32(File, Rle ? 1 : 0);
    AddU32(File, uint32_t(Pixels.size()));
    AddU32(File, 2835);
    AddU32(File, 2835);
    AddU32(File, 2);
    AddU32(File, 0);
    for (const uint32_t Color : {0x00102030u, 0x00F0E0D0u})
        AddU32(File, Color);
    File.insert(File.end(), Pixels.begin(), Pixels.end());
    return File;
}

TInput PngOf(const QImage& Image)
{
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    QImageWriter(&Buffer, "png").write(Image);
    return TInput(Bytes.begin(), Bytes.end());
}

std::vector<TInput> PngFiles()
{
    const QImage Colour = PatternImage(3, 2);
    QImage Indexed = Colour.convertToFormat(QImage::Format_Indexed8);
    return {PngOf(Colour), PngOf(Colour.convertToFormat(QImage::Format_RGB888)),
            PngOf(Colour.convertToFormat(QImage::Format_Grayscale8)), PngOf(Indexed),
            PngOf(Colour.convertToFormat(QImage::Format_RGBA64)), PngOf(PatternImage(17, 1))};
}

TInput Text(const std::string& Bytes) { return TInput(Bytes.begin(), Bytes.end()); }

}  // namespace

std::vector<TInput> WilSeeds()
{
    std::vector<TInput> Seeds;
    for (const TWilLayout Layout : {TWilLayout{7, 256}, TWilLayout{0, 256}, TWilLayout{32, 65536},
                                    TWilLayout{7, 65536}, TWilLayout{7, 16777216}, TWilLayout{7, 16777217}})
        Seeds.push_back(WilLibrary(Layout, true));
    Seeds.push_back(WilLibrary({0, 256}, false));
    return Seeds;
}

std::vector<TInput> WisSeeds() { return {TInput(), Text("not read at all")}; }

std::vector<TInput> WzlSeeds()
{
    const auto [Data, Index] = WzlFiles(true);
    const auto [EmptyData, EmptyIndex] = WzlFiles(false);
    return {JoinFiles(Data, Index), JoinFiles(Data, Index, false), JoinFiles(EmptyData, EmptyIndex)};
}

std::vector<TInput> DataSeeds()
{
    return {DataFile(true, "", false), DataFile(true, "", true), DataFile(false, "", false),
            DataFile(true, SeedPassword, false)};
}

std::vector<TInput> DataPasswordSeeds()
{
    const TInput Protected = DataFile(true, SeedPassword, false);
    return {PrefixedText(SeedPassword, Protected), PrefixedText("wrong", Protected),
            PrefixedText(SeedPassword, DataFile(true, SeedPassword, true)),
            PrefixedText("", DataFile(true, "", false))};
}

std::vector<TInput> BmpSeeds()
{
    std::vector<TInput> Seeds;
    for (const int Bits : {8, 16, 24, 32})
        Seeds.push_back(BmpOf(*PatternBitmap(Bits, 5, 3)));
    Seeds.push_back(PalettedBmp(1, false));
    Seeds.push_back(PalettedBmp(8, false));
    Seeds.push_back(PalettedBmp(8, true));
    return Seeds;
}

std::vector<TInput> PngSeeds() { return PngFiles(); }

std::vector<TInput> PngStreamSeeds()
{
    std::vector<TInput> Seeds;
    const std::vector<TInput> Files = PngFiles();
    for (size_t I = 0; I < Files.size(); ++I) {
        TInput Seed = AtOffset(uint8_t(I * 3), Files[I]);
        Seed.insert(Seed.end(), {0xDE, 0xAD, 0xBE, 0xEF});  // whatever follows in the library file
        Seeds.push_back(Seed);
    }
    return Seeds;
}

std::vector<TInput> ZlibSeeds()
{
    std::vector<TInput> Seeds;
    const TInput Plain = Text("rows of pixels, rows of pixels, rows of pixels and a few more bytes");
    for (const size_t Length : {size_t(0), size_t(1), Plain.size()}) {
        for (const auto& [Estimate, Limit] : {std::pair<uint32_t, uint32_t>{0, 4096}, {uint32_t(Length), uint32_t(Length)},
                                             {8, 16}}) {
            TInput Seed;
            AddU32(Seed, Estimate);
            AddU32(Seed, Limit);
            const std::vector<uint8_t> Stream = ZCompressBuffer(Plain.data(), int32_t(Length));
            Seed.insert(Seed.end(), Stream.begin(), Stream.end());
            Seeds.push_back(Seed);
        }
    }
    return Seeds;
}

std::vector<TInput> CipherSeeds()
{
    std::vector<TInput> Seeds;
    const TInput Plain = Text("a header of seventy-two bytes, give or take: the title, count, and more..");
    const std::string LongPassword(60, 'k');  // longer than a key: its digest is used
    for (const std::string& Password : {std::string(HeaderPassword), std::string("pw"), LongPassword}) {
        for (const size_t Length : {size_t(1), size_t(7), size_t(8), size_t(13), size_t(16), Plain.size()}) {
            Seeds.push_back(PrefixedText(Password, EncryptBuffer(Plain.data(), int32_t(Length), Password)));
        }
    }
    return Seeds;
}

}  // namespace velka::fuzz

// velka-bench: the speed figures of the engines, each as a ratio to a baseline measured in the
// same run on the same data. Usage: velka-bench --help.
#include "sprites.h"

#include "batch/converter.h"
#include "batch/decodedimage.h"
#include "library/dib.h"
#include "library/stream.h"
#include "library/wmimages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace velka;
using namespace velka::bench;

namespace {

struct TSettings {
    int Images = 20000;        // sprites of the convert and decode figures
    int CompactMegabytes = 320;
    int OpenImages = 200000;
    int Repeat = 3;            // each short timing is the best of this many runs
    int ConvertRepeat = 1;     // the conversion figure runs for many seconds: once is enough
    int Workers = 2;
    QString Only;              // run one figure: convert, decode, compact or open
    QString Folder;            // where the libraries go (default: a fresh temporary folder)
};

double Seconds(const std::function<void()>& Work)
{
    const auto Start = std::chrono::steady_clock::now();
    Work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

double BestOf(int Repeat, const std::function<void()>& Work)
{
    double Best = 1e300;
    for (int I = 0; I < std::max(1, Repeat); ++I) Best = std::min(Best, Seconds(Work));
    return Best;
}

void Report(const char* Name, double Measured, double Baseline, const char* BaselineName, const char* Target)
{
    std::printf("%-8s %10.2f ms   baseline (%s) %10.2f ms   ratio %.3f   target %s\n", Name, Measured * 1e3,
                BaselineName, Baseline * 1e3, Measured / Baseline, Target);
    std::fflush(stdout);
}

std::vector<int32_t> ReadPositions(const QString& IndexFile, size_t HeaderBytes)
{
    TFileStream Index(IndexFile, TFileStream::Mode::ReadShared);
    std::vector<uint8_t> Bytes(size_t(Index.Size()));
    Index.ReadBuffer(Bytes.data(), Bytes.size());
    std::vector<int32_t> Positions((Bytes.size() - HeaderBytes) / 4);
    std::memcpy(Positions.data(), Bytes.data() + HeaderBytes, Positions.size() * 4);
    return Positions;
}

// The pixel blocks the converter compresses: each WIL sprite as the bitmap that holds it.
std::vector<std::vector<uint8_t>> SpriteBlocks(int Count, uint32_t Seed)
{
    std::vector<std::vector<uint8_t>> Blocks;
    TSpriteMaker Maker(Seed);
    for (int K = 0; K < Count; ++K) Blocks.push_back(Maker.Next().Rows);
    return Blocks;
}

void ZlibCompressAll(const std::vector<std::vector<uint8_t>>& Blocks)
{
    std::vector<uint8_t> Out;
    for (const std::vector<uint8_t>& Block : Blocks) {
        Out.resize(compressBound(uLong(Block.size())));
        uLongf Length = uLongf(Out.size());
        if (compress2(Out.data(), &Length, Block.data(), uLong(Block.size()), 9) != Z_OK) throw std::runtime_error("zlib");
    }
}

void BenchConvert(const TSettings& Settings, const QString& Folder)
{
    const QString Wil = Folder + QStringLiteral("/sprites.wil");
    std::printf("convert: writing %d sprites ...\n", Settings.Images);
    WriteWilLibrary(Wil, Settings.Images, 1);
    const std::vector<std::vector<uint8_t>> Blocks = SpriteBlocks(Settings.Images, 1);
    size_t Raw = 0;
    for (const auto& Block : Blocks) Raw += Block.size();
    const double Baseline = BestOf(Settings.ConvertRepeat, [&] { ZlibCompressAll(Blocks); });
    const QString Wzl = Folder + QStringLiteral("/sprites.wzl");
    TConvertOptions Options;
    Options.Conversion = TConversion::WilToWzl;
    Options.WorkerCount = Settings.Workers;
    TConverterCallbacks Callbacks;
    Callbacks.ConfirmOverwrite = [](const QString&) { return true; };
    const double Converted = BestOf(Settings.ConvertRepeat, [&] {
        if (!ConvertLibrary(Wil, Wzl, Options, Callbacks).Ok()) throw std::runtime_error("conversion failed");
    });
    std::printf("convert: %d images, %.1f MB of pixels -> %.1f MB WZL\n", Settings.Images, Raw / 1e6,
                QFile(Wzl).size() / 1e6);
    Report("convert", Converted, Baseline, "zlib -9, one thread", "<= 0.5");
}

// Inflates every payload of a WZL with plain zlib, reading each entry as the reader does.
void ZlibInflateAll(const QString& Wzl, const std::vector<int32_t>& Positions)
{
    TFileStream Data(Wzl, TFileStream::Mode::ReadShared);
    std::vector<uint8_t> Payload, Pixels;
    for (const int32_t Position : Positions) {
        if (Position <= 0) continue;
        uint8_t Header[16];
        Data.Seek(Position);
        Data.ReadBuffer(Header, sizeof Header);
        int16_t Width, Height;
        uint32_t Length;
        std::memcpy(&Width, Header + 4, 2);
        std::memcpy(&Height, Header + 6, 2);
        std::memcpy(&Length, Header + 12, 4);
        Payload.resize(Length);
        Data.ReadBuffer(Payload.data(), Length);
        Pixels.resize(size_t(WidthBytes(Width, 16)) * Height);
        uLongf Size = uLongf(Pixels.size());
        if (uncompress(Pixels.data(), &Size, Payload.data(), uLong(Length)) != Z_OK) throw std::runtime_error("inflate");
    }
}

void DecodeAll(const QString& Wzl)
{
    std::unique_ptr<TWMImages> Library = OpenImageLibrary(Wzl, true);
    Library->Initialize();
    for (int32_t N = 0; N < Library->ImageCount; ++N)
        if (!DecodeImage(*Library, N).Damage.isEmpty()) throw std::runtime_error("damaged image");
}

void BenchDecode(const TSettings& Settings, const QString& Folder)
{
    const QString Wzl = Folder + QStringLiteral("/sprites.wzl");
    if (!QFile::exists(Wzl)) {
        std::printf("decode: building the WZL library ...\n");
        WriteWilLibrary(Folder + QStringLiteral("/sprites.wil"), Settings.Images, 1);
        TConvertOptions Options;
        Options.Conversion = TConversion::WilToWzl;
        if (!ConvertLibrary(Folder + QStringLiteral("/sprites.wil"), Wzl, Options).Ok()) throw std::runtime_error("convert");
    }
    const std::vector<int32_t> Positions = ReadPositions(ChangeFileExt(Wzl, QStringLiteral(".wzx")), 48);
    const double Baseline = BestOf(Settings.Repeat, [&] { ZlibInflateAll(Wzl, Positions); });
    const double Decoded = BestOf(Settings.Repeat, [&] { DecodeAll(Wzl); });
    std::printf("decode: %zu images\n", Positions.size());
    Report("decode", Decoded, Baseline, "zlib inflate", "<= 1.1");
}

void CopyOnce(const QString& From, const QString& To)
{
    TFileStream Source(From, TFileStream::Mode::ReadShared);
    TFileStream Target(To, TFileStream::Mode::Create);
    std::vector<uint8_t> Buffer(1 << 20);
    for (;;) {
        const size_t Got = Source.Read(Buffer.data(), Buffer.size());
        if (Got == 0) break;
        Target.WriteBuffer(Buffer.data(), Got);
    }
    Target.Flush();  // the compacting save makes its new file durable before renaming it
}

void BenchCompact(const TSettings& Settings, const QString& Folder)
{
    constexpr int Width = 256, Height = 256;
    const int64_t EntryBytes = int64_t(WidthBytes(Width, 16)) * Height + 16 + 64;
    const int Count = int(int64_t(Settings.CompactMegabytes) * 1000000 / EntryBytes) + 1;
    const QString Wzl = Folder + QStringLiteral("/bulk.wzl");
    std::printf("compact: writing %d images ...\n", Count);
    double Baseline = 1e300, Saved = 1e300;
    for (int I = 0; I < std::max(1, Settings.Repeat); ++I) {
        WriteBulkWzlLibrary(Wzl, Count, Width, Height);
        Baseline = std::min(Baseline, Seconds([&] { CopyOnce(Wzl, Folder + QStringLiteral("/bulk-copy.wzl")); }));
        QFile::remove(Folder + QStringLiteral("/bulk-copy.wzl"));
        std::unique_ptr<TWMImages> Library = OpenImageLibrary(Wzl, true);
        Library->Initialize();
        Library->BeforeSave();
        Library->DeleteImages(Count / 2, Count / 2);
        Saved = std::min(Saved, Seconds([&] { Library->Save(); }));
        if (Library->ImageCount != Count - 1) throw std::runtime_error("save lost images");
    }
    std::printf("compact: %.1f MB library\n", QFile(Wzl).size() / 1e6);
    Report("compact", Saved, Baseline, "copy + fsync", "<= 1.3");
}

void BenchOpen(const TSettings& Settings, const QString& Folder)
{
    const QString Wzl = Folder + QStringLiteral("/many.wzl");
    WriteBulkWzlLibrary(Wzl, Settings.OpenImages, 2, 2);
    const QString Index = ChangeFileExt(Wzl, QStringLiteral(".wzx"));
    const double Baseline = BestOf(Settings.Repeat * 3, [&] {
        TFileStream File(Index, TFileStream::Mode::ReadShared);
        std::vector<uint8_t> Bytes(size_t(File.Size()));
        File.ReadBuffer(Bytes.data(), Bytes.size());
    });
    const double Opened = BestOf(Settings.Repeat * 3, [&] {
        std::unique_ptr<TWMImages> Library = OpenImageLibrary(Wzl, true);
        Library->Initialize();
        if (Library->ImageCount != Settings.OpenImages) throw std::runtime_error("open");
    });
    std::printf("open: %d images\n", Settings.OpenImages);
    Report("open", Opened, Baseline, "read the index", "report");
}

void PrintHelp()
{
    std::puts("usage: velka-bench [--images N] [--compact-mb M] [--open-images N] [--repeat R] [--convert-repeat C]\n"
              "                   [--workers W] [--only convert|decode|compact|open] [--dir FOLDER]\n"
              "Each figure is a ratio to a baseline timed in the same run on the same data; the short\n"
              "timings are the best of R runs (default 3), the conversion the best of C (default 1).\n"
              "  --images N       sprites (about 64 x 96, 16 bits) for convert and decode (default 20000)\n"
              "  --compact-mb M   size of the library the compacting save runs on (default 320)\n"
              "  --open-images N  images of the library that is opened (default 200000)\n"
              "  --workers W      compressing threads of the converter (default 2)\n"
              "  --dir FOLDER     where the libraries are written (default: a temporary folder)");
}

bool ParseSettings(const QStringList& Arguments, TSettings& Settings)
{
    const std::map<QString, int*> Numbers = {{QStringLiteral("--images"), &Settings.Images},
                                             {QStringLiteral("--compact-mb"), &Settings.CompactMegabytes},
                                             {QStringLiteral("--open-images"), &Settings.OpenImages},
                                             {QStringLiteral("--repeat"), &Settings.Repeat},
                                             {QStringLiteral("--convert-repeat"), &Settings.ConvertRepeat},
                                             {QStringLiteral("--workers"), &Settings.Workers}};
    for (qsizetype I = 0; I < Arguments.size(); ++I) {
        const QString& Word = Arguments[I];
        if (Word == QStringLiteral("--help")) return false;
        if (I + 1 >= Arguments.size()) throw std::runtime_error("missing value after " + Word.toStdString());
        const QString Value = Arguments[++I];
        if (const auto Found = Numbers.find(Word); Found != Numbers.end()) {
            bool Ok = false;
            *Found->second = Value.toInt(&Ok);
            if (!Ok || *Found->second <= 0) throw std::runtime_error("not a positive number: " + Value.toStdString());
        } else if (Word == QStringLiteral("--only")) {
            Settings.Only = Value;
        } else if (Word == QStringLiteral("--dir")) {
            Settings.Folder = Value;
        } else {
            throw std::runtime_error("unknown option " + Word.toStdString());
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication Application(argc, argv);
    TSettings Settings;
    try {
        if (!ParseSettings(Application.arguments().mid(1), Settings)) {
            PrintHelp();
            return 0;
        }
        QTemporaryDir Temporary(QDir::tempPath() + QStringLiteral("/velka-bench-XXXXXX"));
        const QString Folder = Settings.Folder.isEmpty() ? Temporary.path() : Settings.Folder;
        QDir().mkpath(Folder);
        const std::pair<const char*, void (*)(const TSettings&, const QString&)> Figures[] = {
            {"convert", BenchConvert}, {"decode", BenchDecode}, {"compact", BenchCompact}, {"open", BenchOpen}};
        for (const auto& [Name, Run] : Figures)
            if (Settings.Only.isEmpty() || Settings.Only == QLatin1String(Name)) Run(Settings, Folder);
        return 0;
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "velka-bench: %s\n", Error.what());
        return 1;
    }
}

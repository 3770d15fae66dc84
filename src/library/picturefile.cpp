#include "library/picturefile.h"

#include "library/bmpheader.h"
#include "library/dib.h"
#include "library/errors.h"
#include "library/picturedecode.h"
#include "library/pngobject.h"
#include "library/stream.h"

#include <array>
#include <optional>

namespace velka {

namespace {

// The whole BMP file is held in memory while it is decoded; beyond the pixel budget plus room
// for headers and palettes it cannot be a picture this program can take.
constexpr int64_t MaxBmpFileBytes = TDIB::MaxPixelBytes + (int64_t(1) << 20);

constexpr std::array<uint8_t, 8> PngSignature = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

[[noreturn]] void Fail(const QString& Name, const std::string& Reason)
{
    throw EFormatError("Invalid BMP picture " + Name.toStdString() + ": " + Reason);
}

// The pixel format code for the stored format; nullopt = leave the depth unset.
std::optional<uint8_t> ChooseCode(const TBmpInfo& Format, int64_t StreamSize, int Width, int Height)
{
    switch (Format.Bits) {
    case 8: return 3;
    case 24: return 6;
    case 1:
    case 4: return std::nullopt;
    default: break;
    }
    if (Format.Bits == 16 && Format.Compression == BmpCompressionBitFields && Format.GreenMask == 0x07E0)
        return 5;
    if (Format.Bits == 16 && Format.Compression == BmpCompressionNone)
        return std::nullopt;
    if (Format.Bits == 32 && Format.Compression == BmpCompressionNone)
        return 7;
    // Other layouts: guess the depth from how many bytes the file spends per pixel. The pixel
    // count is a 32-bit product, as the stored sizes always were.
    const int64_t Area = static_cast<int32_t>(uint32_t(Width) * uint32_t(Height));
    if (StreamSize > 4 * Area)
        return 7;
    if (StreamSize > 3 * Area)
        return 6;
    if (StreamSize > 2 * Area)
        return 3;
    return std::nullopt;
}

QImage DecodeBmp(const QByteArray& File, const QString& Name)
{
    QString Error;
    QImage Picture = DecodePicture(File, "bmp", TDIB::MaxPixelBytes, Error);
    if (Picture.isNull())
        Fail(Name, Error.toStdString());
    return Picture;
}

void ApplyCode(TDIB& DIB, std::optional<uint8_t> Code)
{
    if (!Code)
        return;
    switch (*Code) {
    case 3: DIB.SetMasks(0xFF0000, 0x00FF00, 0x0000FF); DIB.SetBitCount(8); break;
    case 5: DIB.SetMasks(0xF800, 0x07E0, 0x001F); DIB.SetBitCount(16); break;
    case 6: DIB.SetMasks(0xFF0000, 0x00FF00, 0x0000FF); DIB.SetBitCount(24); break;
    default: DIB.SetMasks(0xFF0000, 0x00FF00, 0x0000FF); DIB.SetBitCount(32); break;
    }
}

}  // namespace

void LoadBitmapStream(TStream& Stream, std::unique_ptr<TDIB>& DIB)
{
    const QString Name = StreamName(Stream);
    const int64_t StreamSize = Stream.Size();
    const int64_t Left = StreamSize - Stream.Position();
    if (Left <= 0)
        Fail(Name, "empty");
    if (Left > MaxBmpFileBytes)
        Fail(Name, "file too large");
    QByteArray File(qsizetype(Left), '\0');
    File.resize(qsizetype(Stream.Read(File.data(), size_t(Left))));

    const TBmpInfo Format = ReadBmpInfo(reinterpret_cast<const uint8_t*>(File.constData()), size_t(File.size()), Name);
    const QImage Picture = DecodeBmp(File, Name);

    auto Result = std::make_unique<TDIB>();
    ApplyCode(*Result, ChooseCode(Format, StreamSize, Picture.width(), Picture.height()));
    if (Result->BitCount() == 8) {
        Result->ColorTable() = DefaultPalette;
        Result->UpdatePalette();
    }
    Result->SetWidth(Picture.width());
    Result->SetHeight(Picture.height());
    Result->Fill(qRgb(0, 0, 0));
    // Only the colour channels count: a BMP's alpha mask must not blend its pixels onto black.
    Result->Draw(Picture.convertToFormat(QImage::Format_RGB32), 0, 0);
    DIB = std::move(Result);
}

std::unique_ptr<TGraphic> LoadPictureFile(const QString& FileName, uint8_t& Kind)
{
    TFileStream File(FileName, TFileStream::Mode::ReadShared);
    Kind = KindBitmap;
    try {
        std::array<uint8_t, PngSignature.size()> Start{};
        const size_t Got = File.Read(Start.data(), Start.size());
        File.Seek(0);
        if (Got == Start.size() && Start == PngSignature) {
            Kind = KindPNG;
            auto Png = std::make_unique<TPNGObject>();
            Png->LoadFromStream(File);
            return Png;
        }
        std::unique_ptr<TDIB> DIB;
        LoadBitmapStream(File, DIB);
        return DIB;
    } catch (const std::exception&) {
        // An unreadable picture is reported as no picture; the callers only test for that.
        return nullptr;
    }
}

}  // namespace velka

#pragma once
// Small libraries and pictures for the tests above the core, built with the core's own writers,
// and what a library shows of its images.

#include "library/dib.h"
#include "library/pngobject.h"
#include "library/wmimages.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace velka::test {

// A bitmap whose every pixel depends on (Seed, x, y), so that a lost row order, size or
// content shows in a comparison. Bits: 8, 16, 24 or 32.
inline std::unique_ptr<TDIB> PatternBitmap(int Width, int Height, int Bits, int Seed)
{
    auto Bitmap = std::make_unique<TDIB>();
    if (Bits == 16) Bitmap->SetMasks(0xF800, 0x07E0, 0x001F);
    Bitmap->SetBitCount(Bits);
    if (Bits == 8) {
        Bitmap->ColorTable() = DefaultPalette;
        Bitmap->UpdatePalette();
    }
    Bitmap->SetSize(Width, Height);
    const int BytesPerPixel = Bits / 8;
    for (int Y = 0; Y < Height; ++Y) {
        uint8_t* Row = Bitmap->ScanLine(Y);
        for (int I = 0; I < Width * BytesPerPixel; ++I) Row[I] = uint8_t(Seed * 37 + Y * 11 + I * 3 + 1);
    }
    return Bitmap;
}

inline QImage PatternImage(int Width, int Height, int Seed)
{
    QImage Image(Width, Height, QImage::Format_ARGB32);
    for (int Y = 0; Y < Height; ++Y)
        for (int X = 0; X < Width; ++X)
            Image.setPixel(X, Y, qRgba((Seed * 40 + X * 9) & 255, (Y * 13) & 255, (X + Y) & 255, 128 + (X & 127)));
    return Image;
}

// Opens and initialises a library; Password answers a protected DATA library's question.
inline std::unique_ptr<TWMImages> OpenLibraryFile(const QString& FileName, const QString& Password = QString())
{
    std::unique_ptr<TWMImages> Library = OpenImageLibrary(FileName, true);
    EXPECT_TRUE(Library) << FileName.toStdString();
    if (!Library) return nullptr;
    Library->OnPassword = [Password](TWMImages&, QString& Entered) { Entered = Password; };
    Library->Initialize();
    return Library;
}

// A new empty WZL or DATA library, opened.
inline std::unique_ptr<TWMImages> NewLibrary(const QString& FileName)
{
    EXPECT_TRUE(CreateImageLibrary(FileName)) << FileName.toStdString();
    return OpenLibraryFile(FileName);
}

// Appends Picture the way the editor's callers do: bitmaps handed over upside down.
inline void AddUpright(TWMImages& Library, const TGraphic* Picture, int X, int Y, uint8_t Kind = 0)
{
    if (const auto* Bitmap = dynamic_cast<const TDIB*>(Picture)) {
        TDIB Copy = *Bitmap;
        Copy.FlipVertical();
        ASSERT_TRUE(Library.AddImage(&Copy, X, Y, Kind));
    } else if (const auto* Png = dynamic_cast<const TPNGObject*>(Picture)) {
        TPNGObject Copy = *Png;
        ASSERT_TRUE(Library.AddImage(&Copy, X, Y, Kind));
    } else {
        ASSERT_TRUE(Library.AddImage(nullptr, X, Y, Kind));
    }
}

// What a library shows of one image: its stored values and its decoded picture.
struct TImageView {
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t X = 0;
    int32_t Y = 0;
    uint8_t Flag = 0;
    bool HasGraphic = false;
    bool Png = false;
    int BitCount = 0;
    QImage Picture;
    bool operator==(const TImageView&) const = default;
};

inline void PrintTo(const TImageView& View, std::ostream* Out)
{
    *Out << View.Width << "x" << View.Height << " at " << View.X << "," << View.Y << " flag " << int(View.Flag)
         << (View.HasGraphic ? (View.Png ? " png" : " bmp") : " none") << View.BitCount;
}

inline TImageView ViewImage(TWMImages& Library, int32_t Number)
{
    TImageView View;
    EXPECT_TRUE(Library.GetImageInfoEx(Number, View.Width, View.Height, View.X, View.Y, View.Flag)) << Number;
    const TGraphic* Graphic = Library.GetGraphic(Number);
    View.HasGraphic = Graphic != nullptr;
    if (Graphic) {
        View.Png = dynamic_cast<const TPNGObject*>(Graphic) != nullptr;
        if (const auto* Bitmap = dynamic_cast<const TDIB*>(Graphic)) View.BitCount = Bitmap->BitCount();
        View.Picture = Graphic->ToImage();
    }
    return View;
}

inline std::vector<TImageView> ViewLibrary(TWMImages& Library)
{
    std::vector<TImageView> Views;
    for (int32_t N = 0; N < Library.ImageCount; ++N) Views.push_back(ViewImage(Library, N));
    return Views;
}

}  // namespace velka::test

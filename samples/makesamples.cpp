// Writes two small sample libraries of generated sprites into the folder given:
// sample.wzl (bitmaps of every depth, a few empty images) and sample.data (PNG sprites with
// transparency beside 16-bit bitmaps).
#include "library/dib.h"
#include "library/picturefile.h"
#include "library/pngobject.h"
#include "library/wmimages.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <numbers>

namespace {

using velka::TDIB;
using velka::TGraphic;
using velka::TPNGObject;
using velka::TWMImages;

enum class TShape { Orb, Gem, Star, Ring, Banner, Tree };

struct TSprite {
    TShape Shape;
    int Width;
    int Height;
    int Hue;  // 0 to 359
};

QColor Tint(int Hue, int Saturation, int Value) { return QColor::fromHsv(Hue % 360, Saturation, Value); }

QPainterPath StarPath(const QRectF& Box, int Points)
{
    QPainterPath Path;
    const QPointF Centre = Box.center();
    const double Outer = std::min(Box.width(), Box.height()) / 2;
    for (int I = 0; I < 2 * Points; ++I) {
        const double Radius = I % 2 ? Outer * 0.45 : Outer;
        const double Angle = std::numbers::pi * I / Points - std::numbers::pi / 2;
        const QPointF At(Centre.x() + Radius * std::cos(Angle), Centre.y() + Radius * std::sin(Angle));
        I == 0 ? Path.moveTo(At) : Path.lineTo(At);
    }
    Path.closeSubpath();
    return Path;
}

void PaintSprite(QPainter& Painter, const TSprite& Sprite)
{
    const QRectF Box(1, 1, Sprite.Width - 2, Sprite.Height - 2);
    Painter.setRenderHint(QPainter::Antialiasing);
    Painter.setPen(QPen(Tint(Sprite.Hue, 255, 90), 1.5));
    switch (Sprite.Shape) {
    case TShape::Orb: {
        QRadialGradient Light(Box.center() - QPointF(Box.width() / 5, Box.height() / 5), Box.width() / 1.6);
        Light.setColorAt(0, Qt::white);
        Light.setColorAt(0.3, Tint(Sprite.Hue, 200, 255));
        Light.setColorAt(1, Tint(Sprite.Hue, 255, 110));
        Painter.setBrush(Light);
        Painter.drawEllipse(Box);
        break;
    }
    case TShape::Gem: {
        QLinearGradient Shine(Box.topLeft(), Box.bottomRight());
        Shine.setColorAt(0, Tint(Sprite.Hue, 80, 255));
        Shine.setColorAt(1, Tint(Sprite.Hue, 255, 150));
        Painter.setBrush(Shine);
        const QPolygonF Diamond{QPointF(Box.center().x(), Box.top()), QPointF(Box.right(), Box.top() + Box.height() / 3),
                                QPointF(Box.center().x(), Box.bottom()), QPointF(Box.left(), Box.top() + Box.height() / 3)};
        Painter.drawPolygon(Diamond);
        break;
    }
    case TShape::Star:
        Painter.setBrush(Tint(Sprite.Hue, 230, 255));
        Painter.drawPath(StarPath(Box, 5 + Sprite.Hue % 3));
        break;
    case TShape::Ring:
        Painter.setBrush(Qt::NoBrush);
        Painter.setPen(QPen(Tint(Sprite.Hue, 220, 240), std::max(3.0, Box.width() / 7)));
        Painter.drawEllipse(Box.adjusted(Box.width() / 8, Box.height() / 8, -Box.width() / 8, -Box.height() / 8));
        break;
    case TShape::Banner: {
        QLinearGradient Stripes(Box.topLeft(), Box.topRight());
        for (int I = 0; I <= 6; ++I) Stripes.setColorAt(I / 6.0, Tint(Sprite.Hue + 50 * I, 220, 240));
        Painter.setBrush(Stripes);
        Painter.drawRoundedRect(Box, 6, 6);
        break;
    }
    case TShape::Tree: {
        const double TrunkWidth = Box.width() / 6;
        Painter.setBrush(QColor(120, 72, 30));
        Painter.drawRect(QRectF(Box.center().x() - TrunkWidth / 2, Box.top() + Box.height() * 0.6, TrunkWidth,
                                Box.height() * 0.4));
        Painter.setBrush(Tint(Sprite.Hue, 200, 200));
        for (int Tier = 0; Tier < 3; ++Tier) {
            const double Top = Box.top() + Box.height() * 0.2 * Tier;
            const QPolygonF Crown{QPointF(Box.center().x(), Top),
                                  QPointF(Box.right() - Tier * 2, Top + Box.height() * 0.35),
                                  QPointF(Box.left() + Tier * 2, Top + Box.height() * 0.35)};
            Painter.drawPolygon(Crown);
        }
        break;
    }
    }
}

QImage PaintedSprite(const TSprite& Sprite, const QColor& Background)
{
    QImage Picture(Sprite.Width, Sprite.Height, QImage::Format_ARGB32);
    Picture.fill(Background);
    QPainter Painter(&Picture);
    PaintSprite(Painter, Sprite);
    Painter.end();
    return Picture;
}

// Game sprites sit on black, which the client draws as transparent.
std::unique_ptr<TDIB> BitmapSprite(const TSprite& Sprite, int Bits)
{
    const QImage Picture = PaintedSprite(Sprite, Qt::black);
    auto Dib = std::make_unique<TDIB>();
    if (Bits == 16) Dib->SetMasks(0xF800, 0x07E0, 0x001F);
    Dib->SetBitCount(Bits);
    Dib->SetSize(Sprite.Width, Sprite.Height);
    if (Bits == 8) {
        Dib->ColorTable() = velka::DefaultPalette;
        Dib->UpdatePalette();
    }
    Dib->Draw(Picture, 0, 0);
    // Libraries take bitmaps with the bottom row first.
    Dib->FlipVertical();
    return Dib;
}

std::unique_ptr<TPNGObject> PngSprite(const TSprite& Sprite)
{
    return std::make_unique<TPNGObject>(PaintedSprite(Sprite, Qt::transparent));
}

constexpr TShape Shapes[] = {TShape::Orb, TShape::Gem, TShape::Star, TShape::Ring, TShape::Banner, TShape::Tree};

TSprite SpriteNumber(int I)
{
    // Mostly thumbnail-sized, with some that the grid must scale down to fit its cells.
    static constexpr int Sizes[][2] = {{32, 32}, {48, 40}, {64, 64}, {24, 56}, {80, 80}, {160, 40},
                                       {100, 300}, {72, 48}, {120, 120}, {40, 90}, {16, 16}, {200, 110}};
    const auto& Size = Sizes[I % std::size(Sizes)];
    return {Shapes[I % std::size(Shapes)], Size[0], Size[1], (I * 47) % 360};
}

void Append(TWMImages& Library, TGraphic* Graphic, int X, int Y, uint8_t Kind)
{
    if (!Library.AddImage(Graphic, X, Y, Kind)) throw std::runtime_error("the library refused a sample image");
}

// Creates the library FileName and saves it with the images Fill appends.
void WriteSample(const QString& FileName, const std::function<void(TWMImages&)>& Fill)
{
    std::unique_ptr<TWMImages> Library = velka::CreateImageLibrary(FileName);
    Library->Initialize();
    Library->BeforeSave();
    Fill(*Library);
    Library->Save();
}

void FillWzlSample(TWMImages& Library)
{
    static constexpr int Depths[] = {16, 24, 32, 8};
    for (int I = 0; I < 42; ++I) {
        if (I == 7 || I == 19 || I == 33) {
            Append(Library, nullptr, 0, 0, 0);
            continue;
        }
        const TSprite Sprite = SpriteNumber(I);
        const std::unique_ptr<TDIB> Dib = BitmapSprite(Sprite, Depths[I % std::size(Depths)]);
        Append(Library, Dib.get(), -Sprite.Width / 2 + I % 5, -Sprite.Height + I % 3, 0);
    }
}

void FillDataSample(TWMImages& Library)
{
    for (int I = 0; I < 24; ++I) {
        const TSprite Sprite = SpriteNumber(I + 3);
        if (I == 11) {
            Append(Library, nullptr, 0, 0, 0);
        } else if (I % 3 == 2) {
            const std::unique_ptr<TDIB> Dib = BitmapSprite(Sprite, 16);
            Append(Library, Dib.get(), -Sprite.Width / 2, -Sprite.Height, 0);
        } else {
            const std::unique_ptr<TPNGObject> Png = PngSprite(Sprite);
            Append(Library, Png.get(), -Sprite.Width / 2, -Sprite.Height, velka::KindPNG);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: velka-make-samples FOLDER\n", stderr);
        return 2;
    }
    const QDir Folder(QString::fromLocal8Bit(argv[1]));
    try {
        QDir().mkpath(Folder.path());
        WriteSample(Folder.filePath(QStringLiteral("sample.wzl")), FillWzlSample);
        WriteSample(Folder.filePath(QStringLiteral("sample.data")), FillDataSample);
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "velka-make-samples: %s\n", Error.what());
        return 1;
    }
    return 0;
}

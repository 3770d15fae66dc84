#pragma once
// TPNGObject: a decoded PNG picture that keeps the PNG file bytes it came from, so a PNG stored
// in a library is written back byte for byte.

#include "library/graphic.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace velka {

class TStream;

class TPNGObject : public TGraphic {
public:
    // Largest decoded picture accepted (the same budget as TDIB::MaxPixelBytes).
    static constexpr int64_t MaxPixelBytes = int64_t(256) << 20;

    TPNGObject() = default;
    // A picture made in memory; its PNG bytes are encoded on first need.
    explicit TPNGObject(QImage Picture);

    // Loading raises EFormatError (naming the file) on a damaged or oversized PNG.
    void LoadFromFile(const QString& FileName);
    // Reads chunk by chunk from the stream's position up to and including IEND, no further.
    void LoadFromStream(TStream& Stream);
    void LoadFromBytes(const QByteArray& Bytes);

    void SaveToFile(const QString& FileName) const;
    void SaveToStream(TStream& Stream) const;
    // The PNG file bytes: the original ones when loaded, else a fresh encoding.
    QByteArray PngBytes() const;

    int Width() const override { return Image_.width(); }
    int Height() const override { return Image_.height(); }
    bool Empty() const override { return Image_.isNull(); }
    QImage ToImage() const override { return Image_; }
    const QImage& Image() const { return Image_; }

private:
    QImage Image_;  // Format_ARGB32
    mutable QByteArray Bytes_;
};

}  // namespace velka

#pragma once
// Decoding a whole picture file held in memory through Qt's image readers, within the program's
// pixel budget.

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>

namespace velka {

// Decodes Bytes as a picture of Format ("bmp", "png"); a picture beyond MaxPixelBytes is refused
// before its pixels are allocated. A null image when it cannot be decoded, with Qt's reason in
// Error.
QImage DecodePicture(const QByteArray& Bytes, const char* Format, int64_t MaxPixelBytes, QString& Error);

}  // namespace velka

#include "batch/decodedimage.h"

#include "library/wmimages.h"

#include <exception>

namespace velka {

TDecodedImage DecodeImage(TWMImages& Library, int32_t Number)
{
    TDecodedImage Decoded;
    Library.TakeGraphic(Number);  // a cached copy would not tell whether it decoded cleanly
    try {
        if (Library.GetGraphic(Number)) Decoded.Graphic = Library.TakeGraphic(Number);
    } catch (const std::exception& Error) {
        Library.TakeGraphic(Number);
        Decoded.Damage = QString::fromUtf8(Error.what());
        return Decoded;
    }
    if (Decoded.Graphic) {
        if (Library.LastDecodeDamaged) Decoded.Damage = QStringLiteral("the stored pixels are damaged");
        return Decoded;
    }
    // Entries smaller than 2 x 2 legitimately give no picture in some formats; a stored entry
    // that announces a real size and gives none could not be read.
    int32_t Width = 0, Height = 0, X = 0, Y = 0;
    Library.GetImageInfo(Number, Width, Height, X, Y);
    if (Library.PositionOf(Number) > 0 && Width >= 2 && Height >= 2)
        Decoded.Damage = QStringLiteral("the stored image cannot be read");
    return Decoded;
}

}  // namespace velka

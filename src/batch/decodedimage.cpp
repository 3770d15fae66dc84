#include "batch/decodedimage.h"

#include "library/picturefile.h"
#include "library/wmimages.h"

#include <exception>

namespace velka {

TImageInfo ReadImageInfo(TWMImages& Library, int32_t Number)
{
    TImageInfo Info;
    Library.GetImageInfoEx(Number, Info.Width, Info.Height, Info.X, Info.Y, Info.Flag);
    return Info;
}

TDecodedImage DecodeImage(TWMImages& Library, int32_t Number)
{
    TDecodedImage Decoded;
    const int32_t Position = Library.PositionOf(Number);
    if (Number < 0 || Number >= Library.ImageCount || Position <= 0) return Decoded;
    // The loaders GetGraphic would call, without the cache: the image is the caller's at once,
    // and no cache purge runs per PNG picture (a sweep over every image number each time).
    try {
        if (Library.GetImageKind(Number) == KindPNG)
            Library.LoadPNGAt(Position, Decoded.Graphic);
        else
            Library.LoadDIBAt(Position, Decoded.Graphic);
    } catch (const std::exception& Error) {
        Decoded.Graphic.reset();
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
    if (Width >= 2 && Height >= 2) Decoded.Damage = QStringLiteral("the stored image cannot be read");
    return Decoded;
}

}  // namespace velka

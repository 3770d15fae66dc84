#pragma once
// One image read afresh for a run over a library: its stored values, and its picture with what
// went wrong while decoding it.

#include "library/graphic.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace velka {

class TWMImages;

struct TDecodedImage {
    std::unique_ptr<TGraphic> Graphic;  // nullptr: an empty image, or one that could not be read
    QString Damage;                     // why the stored image is damaged; empty when it is not
};

// An image's stored size, offset and flag byte.
struct TImageInfo {
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t X = 0;
    int32_t Y = 0;
    uint8_t Flag = 0;
};

// The stored values of image Number, as GetImageInfoEx gives them (zeros for an empty image).
TImageInfo ReadImageInfo(TWMImages& Library, int32_t Number);

// Decodes image Number as GetGraphic would, but into the caller's hands instead of the
// library's cache: the damage report belongs to this decode, a run over many images holds one
// at a time, and the cache (the editor's thumbnails) is left alone. Never raises for a damaged
// image: the failure goes into Damage.
TDecodedImage DecodeImage(TWMImages& Library, int32_t Number);

}  // namespace velka

#pragma once
// A picture from a file or another library made ready for a library's writer.

#include "library/graphic.h"

#include <memory>

namespace velka {

// With OneByOneAsEmpty a 1 x 1 picture becomes no picture (an empty image): other tools
// export empty images as 1 x 1 pictures. A bitmap is turned upside down, as the library
// writers take bitmaps.
void PrepareForLibrary(std::unique_ptr<TGraphic>& Picture, bool OneByOneAsEmpty);

}  // namespace velka

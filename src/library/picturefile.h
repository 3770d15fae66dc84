#pragma once
// Loading BMP and PNG picture files for import.

#include "library/graphic.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace velka {

class TDIB;
class TStream;

// Picture kinds reported by LoadPictureFile (and the PNG kind of GetImageKind).
constexpr uint8_t KindBitmap = 0;
constexpr uint8_t KindPNG = 2;

// Decodes the BMP picture in Stream (from its position; the whole stream's size enters the
// depth decision) into a new TDIB. Raises EFormatError when the picture cannot be decoded.
void LoadBitmapStream(TStream& Stream, std::unique_ptr<TDIB>& DIB);

// Opens a BMP or PNG file; returns a TDIB or TPNGObject, or nullptr when the content is not a
// loadable picture. Kind becomes 2 for a PNG signature, else 0. Raises EFOpenError when the file
// cannot be opened.
std::unique_ptr<TGraphic> LoadPictureFile(const QString& FileName, uint8_t& Kind);

}  // namespace velka

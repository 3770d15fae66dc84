#pragma once
// Placement files: "Placements/<picture name>.txt" beside a picture, three lines holding the
// picture's offset X, offset Y and flag byte.

#include <QPoint>
#include <QString>

#include <cstdint>

namespace velka {

// Name of the placement sub-folder next to the pictures.
inline constexpr char PlacementFolderName[] = "Placements";

// The placement file written for the picture path PictureFile (name lower-cased).
QString PlacementFileName(const QString& PictureFile);

// Offset becomes (0, 0), then the values of the picture's placement file when there is one.
// Flag comes in as the picture's kind (2 = PNG, which is kept) and takes line 3 otherwise.
// A placement file that exists but cannot be read raises EFOpenError or EStreamError.
void ReadPlacement(const QString& PictureFile, QPoint& Offset, uint8_t& Flag);

// Writes the placement file of the picture to be exported as PictureFile, creating the
// placement folder when needed. Raises EFOpenError or EStreamError when it cannot.
void WritePlacement(const QString& PictureFile, QPoint Offset, uint8_t Flag);

}  // namespace velka

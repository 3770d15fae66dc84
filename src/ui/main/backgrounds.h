#pragma once
// The checkerboards drawn under PNG previews so that their transparency shows.

#include <QColor>
#include <QImage>

namespace velka::ui {

constexpr int BackgroundWidth = 1920;
constexpr int BackgroundHeight = 1080;
constexpr int CheckerSquare = 8;

// A 24-bit BackgroundWidth x BackgroundHeight board of 8 x 8 squares, the top-left one in A.
QImage BuildBackground(QColor A, QColor B);

inline QImage BuildLightBackground() { return BuildBackground(QColor(204, 204, 204), QColor(255, 255, 255)); }
inline QImage BuildDarkBackground() { return BuildBackground(QColor(16, 16, 16), QColor(33, 48, 66)); }

}  // namespace velka::ui

#pragma once
// The common base of the two decoded picture types the image cache holds.

#include <QImage>

namespace velka {

class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // True when the graphic holds no pixels at all.
    virtual bool Empty() const = 0;
    // The picture for display and drawing: Format_ARGB32 (PNG, with alpha) or Format_RGB32 (DIB).
    virtual QImage ToImage() const = 0;
};

}  // namespace velka

#include "batch/librarypicture.h"

#include "library/dib.h"

namespace velka {

void PrepareForLibrary(std::unique_ptr<TGraphic>& Picture, bool OneByOneAsEmpty)
{
    if (OneByOneAsEmpty && Picture && Picture->Width() == 1 && Picture->Height() == 1) Picture.reset();
    if (auto* Bitmap = dynamic_cast<TDIB*>(Picture.get())) Bitmap->FlipVertical();
}

}  // namespace velka

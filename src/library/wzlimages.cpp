// Placeholder until the format is implemented: every operation keeps the base behaviour.
#include "library/wzlimages.h"

#include "library/errors.h"

namespace velka {

TWZLImages::TWZLImages() = default;
void TWZLImages::LoadDIBAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic) { TWMImages::LoadDIBAt(Position, Graphic); }
void TWZLImages::ReadImageSize(int32_t Position, int32_t& Width, int32_t& Height) { TWMImages::ReadImageSize(Position, Width, Height); }
void TWZLImages::ReadImageInfo(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y) { TWMImages::ReadImageInfo(Position, Width, Height, X, Y); }
void TWZLImages::ReadImageInfoEx(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y, uint8_t& Flag) { TWMImages::ReadImageInfoEx(Position, Width, Height, X, Y, Flag); }
uint8_t TWZLImages::GetImageKind(int32_t Index) { return TWMImages::GetImageKind(Index); }
void TWZLImages::SetImageFlag(int32_t Index, uint8_t Flag) { TWMImages::SetImageFlag(Index, Flag); }
void TWZLImages::CreateEmptyFile(const QString&) { throw EVelkaError("not implemented yet"); }
void TWZLImages::Initialize() { TWMImages::Initialize(); throw EVelkaError("not implemented yet"); }
void TWZLImages::SetImageOffset(int32_t Index, int32_t X, int32_t Y) { TWMImages::SetImageOffset(Index, X, Y); }
void TWZLImages::Save() { TWMImages::Save(); }
bool TWZLImages::AddImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) { return TWMImages::AddImage(Graphic, X, Y, Kind); }
bool TWZLImages::InsertImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) { return TWMImages::InsertImage(Index, Graphic, X, Y, Kind); }
bool TWZLImages::ReplaceImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) { return TWMImages::ReplaceImage(Index, Graphic, X, Y, Kind); }
TPreparedImage TWZLImages::PrepareImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) const { return TWMImages::PrepareImage(Graphic, X, Y, Kind); }
bool TWZLImages::AddPreparedImage(const TPreparedImage& Image) { return TWMImages::AddPreparedImage(Image); }
}  // namespace velka

// Placeholder until the format is implemented: every operation keeps the base behaviour.
#include "library/packageimages.h"

#include "library/errors.h"

namespace velka {

TWMPackageImages::TWMPackageImages() = default;
void TWMPackageImages::LoadDIBAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic) { TWMImages::LoadDIBAt(Position, Graphic); }
void TWMPackageImages::ReadImageSize(int32_t Position, int32_t& Width, int32_t& Height) { TWMImages::ReadImageSize(Position, Width, Height); }
void TWMPackageImages::ReadImageInfo(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y) { TWMImages::ReadImageInfo(Position, Width, Height, X, Y); }
void TWMPackageImages::ReadImageInfoEx(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y, uint8_t& Flag) { TWMImages::ReadImageInfoEx(Position, Width, Height, X, Y, Flag); }
uint8_t TWMPackageImages::GetImageKind(int32_t Index) { return TWMImages::GetImageKind(Index); }
void TWMPackageImages::SetImageFlag(int32_t Index, uint8_t Flag) { TWMImages::SetImageFlag(Index, Flag); }
void TWMPackageImages::CreateEmptyFile(const QString&) { throw EVelkaError("not implemented yet"); }
void TWMPackageImages::Initialize() { TWMImages::Initialize(); throw EVelkaError("not implemented yet"); }
void TWMPackageImages::SetImageOffset(int32_t Index, int32_t X, int32_t Y) { TWMImages::SetImageOffset(Index, X, Y); }
void TWMPackageImages::Save() { TWMImages::Save(); }
bool TWMPackageImages::AddImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) { return TWMImages::AddImage(Graphic, X, Y, Kind); }
bool TWMPackageImages::InsertImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) { return TWMImages::InsertImage(Index, Graphic, X, Y, Kind); }
bool TWMPackageImages::ReplaceImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) { return TWMImages::ReplaceImage(Index, Graphic, X, Y, Kind); }
void TWMPackageImages::LoadPNGAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic) { TWMImages::LoadPNGAt(Position, Graphic); }
void TWMPackageImages::SetPassword(const QString& Password) { TWMImages::SetPassword(Password); }
TPreparedImage TWMPackageImages::PrepareImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) const { return TWMImages::PrepareImage(Graphic, X, Y, Kind); }
bool TWMPackageImages::AddPreparedImage(const TPreparedImage& Image) { return TWMImages::AddPreparedImage(Image); }
}  // namespace velka

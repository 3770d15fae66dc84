#pragma once
// TWILImages: read-only WIL/WIX libraries and WIS files (presented as 300000 empty images).

#include "library/wmimages.h"

namespace velka {

class TWILImages : public TWMImages {
public:
    // A WIL header may announce at most this many images; more is refused as not a WIL file.
    static constexpr int32_t MaxImageCount = MaxPlausibleImageCount;
    static constexpr int32_t WisImageCount = 300000;

    TWILImages();

    void LoadDIBAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic) override;
    void ReadImageSize(int32_t Position, int32_t& Width, int32_t& Height) override;
    void ReadImageInfo(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y) override;
    void ReadImageInfoEx(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y,
                         uint8_t& Flag) override;
    static void CreateEmptyFile(const QString& FileName);
    void Initialize() override;
    bool DeleteImages(int32_t First, int32_t Last) override;
    bool BlankImages(int32_t First, int32_t Last) override;

    void ReadIndexFile(const QString& IndexName);
    void ReadPalette();

private:
    void SetPixelFormatFromColorCount(int32_t ColorCount);
    // Raises EFormatError naming the file for a count no WIL library of this size can hold.
    void CheckImageCount(int32_t Count, const QString& IndexName) const;
    int64_t PixelBlockSize(int Width, int Height) const;
};

}  // namespace velka

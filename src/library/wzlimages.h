#pragma once
// TWZLImages: WZL data files (.wzl) with their WZX index files (.wzx), zlib-compressed entries.

#include "library/wmimages.h"

#include <array>

namespace velka {

#pragma pack(push, 1)
struct WzlHeader {
    std::array<uint8_t, 44> Title{};
    int32_t Count = 0;
    std::array<uint8_t, 16> Reserved{};
};
struct WzxHeader {
    std::array<uint8_t, 44> Title{};
    int32_t Count = 0;
};
struct WzlEntryHeader {
    uint8_t Format = 0;
    uint8_t Flag = 0;
    uint16_t Reserved = 0;
    int16_t Width = 0;
    int16_t Height = 0;
    int16_t OffsetX = 0;
    int16_t OffsetY = 0;
    uint32_t Length = 0;
};
#pragma pack(pop)
static_assert(sizeof(WzlHeader) == 64 && sizeof(WzxHeader) == 48 && sizeof(WzlEntryHeader) == 16);

class TWZLImages : public TWMImages {
public:
    TWZLImages();

    WzlHeader Header;

    void LoadDIBAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic) override;
    void ReadImageSize(int32_t Position, int32_t& Width, int32_t& Height) override;
    void ReadImageInfo(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y) override;
    void ReadImageInfoEx(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y,
                         uint8_t& Flag) override;
    uint8_t GetImageKind(int32_t Index) override;
    void SetImageFlag(int32_t Index, uint8_t Flag) override;
    static void CreateEmptyFile(const QString& FileName);
    void Initialize() override;
    void SetImageOffset(int32_t Index, int32_t X, int32_t Y) override;
    void Save() override;
    bool AddImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) override;
    bool InsertImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) override;
    bool ReplaceImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) override;
    TPreparedImage PrepareImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) const override;
    bool AddPreparedImage(const TPreparedImage& Image) override;

    void ReadIndexFile(const QString& IndexName);
};

}  // namespace velka

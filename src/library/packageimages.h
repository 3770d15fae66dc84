#pragma once
// TWMPackageImages: DATA packages (.data): an enciphered header, PNG or zlib bitmap entries,
// optionally behind an image password.

#include "library/wmimages.h"

#include <array>

namespace velka {

#pragma pack(push, 1)
struct DataHeader {
    std::array<uint8_t, 41> Title{};
    std::array<uint8_t, 3> Padding1{};
    int32_t Count = 0;
    int32_t IndexOffset = 0;
    uint16_t EntryVersion = 0;
    std::array<uint8_t, 17> Password{};
    uint8_t Padding2 = 0;
};
struct DataEntryHeader {
    uint16_t Width = 0;
    uint16_t Height = 0;
    uint8_t BitCount = 0;
    int16_t OffsetX = 0;
    int16_t OffsetY = 0;
    uint32_t Length = 0;
    uint8_t Kind = 0;
};
#pragma pack(pop)
static_assert(sizeof(DataHeader) == 72 && sizeof(DataEntryHeader) == 14);

class TWMPackageImages : public TWMImages {
public:
    TWMPackageImages();

    DataHeader Header;
    QString SessionPassword;
    bool PasswordChecked = false;

    void LoadDIBAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic) override;
    void ReadImageSize(int32_t Position, int32_t& Width, int32_t& Height) override;
    void ReadImageInfo(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y) override;
    void ReadImageInfoEx(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y,
                         uint8_t& Flag) override;
    uint8_t GetImageKind(int32_t Index) override;
    void SetImageFlag(int32_t Index, uint8_t Flag) override;
    void LoadPNGAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic) override;
    static void CreateEmptyFile(const QString& FileName);
    void Initialize() override;
    void SetPassword(const QString& Password) override;
    void SetImageOffset(int32_t Index, int32_t X, int32_t Y) override;
    void Save() override;
    bool AddImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) override;
    bool InsertImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) override;
    bool ReplaceImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) override;
    TPreparedImage PrepareImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) const override;
    bool AddPreparedImage(const TPreparedImage& Image) override;
};

}  // namespace velka

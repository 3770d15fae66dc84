#pragma once
// TWZLImages: WZL data files (.wzl) with their WZX index files (.wzx), zlib-compressed entries.

#include "library/wmimages.h"

#include <array>
#include <optional>

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
    // The title text at the start of new data and index files (19 characters, no length byte).
    static constexpr char NewFileTitle[] = "imagelib.velka.test";
    static_assert(sizeof(NewFileTitle) == 20);

    TWZLImages();

    WzlHeader Header;

    void LoadDIBAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic) override;
    void ReadImageSize(int32_t Position, int32_t& Width, int32_t& Height) override;
    void ReadImageInfo(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y) override;
    void ReadImageInfoEx(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y,
                         uint8_t& Flag) override;
    // Image numbers past the end of IndexList but below ImageCount read as empty images (kind 0);
    // numbers beyond both raise EListError.
    uint8_t GetImageKind(int32_t Index) override;
    // An empty image (position 0) has no entry header to hold a flag or offsets: the file stays
    // as it is. An entry header past the end of the file raises EStreamError.
    void SetImageFlag(int32_t Index, uint8_t Flag) override;
    static void CreateEmptyFile(const QString& FileName);
    void Initialize() override;
    void SetImageOffset(int32_t Index, int32_t X, int32_t Y) override;
    // A failed save leaves both files and IndexList as they were.
    void Save() override;
    bool AddImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) override;
    bool InsertImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) override;
    bool ReplaceImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) override;
    // Flips a TDIB in place and compresses it; touches no member, so worker threads may call it.
    // A bitmap wider or taller than 32767 pixels (the entry's signed 16-bit sides) raises
    // EFormatError before anything is flipped.
    TPreparedImage PrepareImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) const override;
    bool AddPreparedImage(const TPreparedImage& Image) override;
    // Bitmaps and empty images; a WZL library holds no PNG pictures.
    bool CanStore(const TGraphic* Graphic) const override;

    void ReadIndexFile(const QString& IndexName);

    // The index file of a data file: an existing one whatever the case of its extension, else the
    // name with ".wzx" (".WZX" beside an upper-case ".WZL").
    static QString IndexFileName(const QString& DataFileName);

private:
    void RequireOpen() const;
    void CheckImageNumber(int32_t Index) const;
    void ReadFileHeader();
    // An entry header is read only where the file held it when it was opened, or where this
    // object appended one: a position that pointed past the end of the file must not come to
    // read, or let an edit overwrite, the entries appended since.
    bool HeaderInFile(int32_t Position) const;
    // IndexList with every position whose header is not in the file saved as 0 (an empty image,
    // which is what it reads as), so it cannot point into entries in a later session either.
    std::vector<int32_t> PositionsToSave() const;
    bool ReadEntryHeader(int32_t Position, WzlEntryHeader& Entry);
    // The header of an image that must have one: nullopt for an empty image, EStreamError for a
    // header past the end of the file.
    std::optional<WzlEntryHeader> EntryForUpdate(int32_t Index, int32_t& Position);
    void WriteEntryHeader(int32_t Position, const WzlEntryHeader& Entry);
    void ReadCompressedPixels(int64_t Start, uint32_t Length, TDIB& DIB);
    void ReadRawPixels(int64_t Start, int64_t Length, TDIB& DIB);
    // Writes a prepared entry behind the stored ones; the position for the index, or nullopt
    // when the image is to be ignored.
    std::optional<int32_t> StorePrepared(const TPreparedImage& Image);
    void CountOneMore();
    void CopyEntry(int32_t Position, TStream& Output);
    void SaveCompacted();
    void SaveAfterAppends();

    int64_t StoredEnd_ = 0;            // the data file's size when it was opened
    std::vector<int32_t> Appended_;    // positions of the entries appended since, ascending
};

}  // namespace velka

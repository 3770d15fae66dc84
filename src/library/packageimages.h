#pragma once
// TWMPackageImages: DATA packages (.data): an enciphered header, PNG or zlib bitmap entries,
// optionally behind an image password.
//
// Crash safety: new entries are written behind everything the file already holds, never over
// the stored index, and a Save writes the new index behind them before the file header is
// pointed at it. Until that header write the file on disk is the library as last saved; the
// index left behind is dead space that the next compaction reclaims (one runs by itself once
// such space has grown large).

#include "library/packagelayout.h"
#include "library/wmimages.h"

#include <optional>

namespace velka {

class TWMPackageImages : public TWMImages {
public:
    // An index-only Save compacts instead once the dead index copies it has left behind reach
    // this size and a quarter of the file.
    static constexpr int64_t DeadBytesBeforeCompaction = int64_t(1) << 20;

    TWMPackageImages();

    // The file header as stored, except that Count grows with AddImage and InsertImage (and is 0
    // while a protected library was opened without its password), a stored IndexOffset of 0
    // reads as 80, and SetPassword puts its new password here.
    DataHeader Header;
    QString SessionPassword;
    bool PasswordChecked = false;

    // No graphic for an entry whose stored bytes could never fill a bitmap of its size.
    void LoadDIBAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic) override;
    void ReadImageSize(int32_t Position, int32_t& Width, int32_t& Height) override;
    void ReadImageInfo(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y) override;
    void ReadImageInfoEx(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y,
                         uint8_t& Flag) override;
    // 3 when the image has no entry (position 0 or less, past the index, header not in the file).
    uint8_t GetImageKind(int32_t Index) override;
    // Sets the entry's Kind byte in place. Whether an entry holds a PNG is not a flag: a PNG
    // entry keeps Kind 2 and a bitmap entry never takes it. Empty images are left alone.
    void SetImageFlag(int32_t Index, uint8_t Flag) override;
    void LoadPNGAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic) override;
    static void CreateEmptyFile(const QString& FileName);
    // Raises EFormatError ("not a DATA library") for a header no DATA file can have.
    void Initialize() override;
    // GBK, at most 16 bytes (cut before a double-byte character that would not fit).
    void SetPassword(const QString& Password) override;
    // Empty images are left alone: they have no entry header to hold offsets.
    void SetImageOffset(int32_t Index, int32_t X, int32_t Y) override;
    void Save() override;
    // A PNG picture is always stored with Kind 2, a bitmap never with it (it gets 0 instead).
    bool AddImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) override;
    bool InsertImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) override;
    bool ReplaceImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) override;
    bool DeleteImages(int32_t First, int32_t Last) override;
    bool BlankImages(int32_t First, int32_t Last) override;
    // Builds the stored entry header (in the library's current entry form) and payload; reads
    // nothing but Header.EntryVersion, so worker threads may call it while one thread appends.
    // Raises EVelkaError for a picture wider or higher than 65535 pixels.
    TPreparedImage PrepareImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) const override;
    // Raises EFormatError when the prepared bytes are not in the library's current entry form.
    bool AddPreparedImage(const TPreparedImage& Image) override;
    // Bitmaps, PNG pictures and empty images, while the library is editable.
    bool CanStore(const TGraphic* Graphic) const override;

    // While a protected library was opened without its password, every writer above (and
    // SetPassword, Save, DeleteImages, BlankImages, SetImageFlag, SetImageOffset) raises
    // EReadOnlyError and changes nothing.

    DataHeader ReadHeader();
    static void WriteHeader(TStream& Target, const DataHeader& Header);
    bool EntryFits(int32_t Position) const;
    // Leaves the stream right behind the stored entry header; raises EStreamError past the end.
    DataEntryHeader ReadEntryHeader(int32_t Position);
    static void WriteEntryHeader(TStream& Target, int64_t Position, const DataEntryHeader& Entry,
                                 uint16_t EntryVersion);
    // Positions whose entry header lies past the end of the file are read as 0.
    void ReadIndex();

private:
    std::string FileNameText() const;  // for messages
    void RequireEditable() const;
    void RequireIndex(int32_t Index, size_t Limit) const;
    // Clears Graphic and LastDecodeDamaged; the entry header of an image with pixels (the stream
    // right behind it), nullopt for no entry or a 0-sided one.
    std::optional<DataEntryHeader> StartDecoding(int32_t Position, std::unique_ptr<TGraphic>& Graphic);
    // The header of an entry an in-place edit changes, with its Position; nullopt for an empty
    // image or one whose header lies outside the file. Checks editability and Index first.
    std::optional<DataEntryHeader> EntryForUpdate(int32_t Index, int32_t& Position);
    void CheckPlausibleHeader(int64_t FileSize) const;
    void AskForPassword();
    int32_t PositionInFile(int32_t Position) const;
    void NoteStoredLayout(int64_t FileSize, int32_t StoredCount);
    // Writes a prepared image behind everything stored; false when it asks for no index change.
    bool StorePrepared(const TPreparedImage& Image, int32_t& Position);
    void WriteChanges();
    void SaveIndexOnly();
    void Compact();
    void CopyEntry(int32_t Position, TStream& Output, uint16_t EntryVersion);
    void Reload();

    int64_t AppendOffset_ = FirstEntryPosition;  // where the next entry goes
    int64_t LiveIndexBytes_ = 0;                 // the stored index the header points at
    int64_t DeadBytes_ = 0;                      // index copies left behind by this object's saves
    bool IndexChanged_ = false;
    uint16_t TargetVersion_ = PlainEntries;      // the entry form the next compaction writes
};

}  // namespace velka

#pragma once
// TWMImages: the in-memory model of an open image library, shared by every format class.

#include "library/graphic.h"
#include "library/stream.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace velka {

class TDIB;
class TWMImages;

// An image encoded for a library ahead of time (compressed on a worker thread), appended later
// in order with AddPreparedImage; AddImage is PrepareImage followed by AddPreparedImage.
struct TPreparedImage {
    enum class Action {
        Ignore,  // the format does not take this graphic: nothing is written, the index is unchanged
        Empty,   // no bytes are written; the index position is 0
        Store,   // Bytes (stored entry header and payload) are written behind the stored entries
    };
    Action What = Action::Ignore;
    std::vector<uint8_t> Bytes;
};

struct ImageCacheEntry {
    std::unique_ptr<TGraphic> Graphic;
    uint32_t LastAccess = 0;
};

// Asks the user for a library's password; Password is empty on entry, empty on cancel.
using TPasswordEvent = std::function<void(TWMImages& Sender, QString& Password)>;
// Millisecond tick counter of the image cache (injectable so tests never sleep).
using TTickSource = std::function<uint32_t()>;

// No real library holds more images; a larger count read from a file is damage or hostile input,
// and trusting it would allocate a cache of gigabytes.
constexpr int32_t MaxPlausibleImageCount = 4'000'000;

// Cached graphics idle for more than this many milliseconds are freed by PurgeCache.
constexpr uint32_t CacheIdleMilliseconds = 5000;

class TWMImages {
public:
    TWMImages();
    virtual ~TWMImages();
    TWMImages(const TWMImages&) = delete;
    TWMImages& operator=(const TWMImages&) = delete;

    // Fields, in declaration order.
    uint8_t Version = 0;
    uint8_t PixelFormat = 0;
    uint8_t BytesPerPixel = 0;
    uint8_t BitCount = 0;
    QString FileName;
    int32_t ImageCount = 0;
    std::vector<ImageCacheEntry> ImageCache;
    std::vector<int32_t> IndexList;
    std::unique_ptr<TFileStream> Stream;
    bool Modified = false;
    bool Editable = true;
    bool PasswordOK = true;
    TPasswordEvent OnPassword;
    std::array<uint8_t, 16> LastWilHeader{};
    std::array<uint8_t, 16> LastWzlHeader{};
    std::array<uint8_t, 1024> Palette{};
    // Set by the format's LoadDIBAt and LoadPNGAt (cleared at their start) when the stored
    // image was damaged: its pixels did not fit the file or did not inflate, so the graphic it
    // gave is blank or partial. Verify, export and the converter report such images.
    bool LastDecodeDamaged = false;

    // Virtual operations, in slot order. Positions are absolute byte offsets in the data file.
    virtual void Idle();
    virtual void LoadDIBAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic);
    virtual void ReadImageSize(int32_t Position, int32_t& Width, int32_t& Height);
    virtual void ReadImageInfo(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y);
    virtual void ReadImageInfoEx(int32_t Position, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y,
                                 uint8_t& Flag);
    virtual uint8_t GetImageKind(int32_t Index);
    virtual void SetImageFlag(int32_t Index, uint8_t Flag);
    virtual void LoadPNGAt(int32_t Position, std::unique_ptr<TGraphic>& Graphic);
    // CreateEmptyFile is class-level: a static member of each format class.
    virtual void Initialize();
    virtual void Finalize();
    virtual void SetPassword(const QString& Password);
    virtual void SetImageOffset(int32_t Index, int32_t X, int32_t Y);
    virtual void BeforeSave();
    virtual void Save();
    // Graphic: a TDIB, a TPNGObject or nullptr (an empty image); it stays the caller's.
    virtual bool AddImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind);
    virtual bool InsertImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind);
    virtual bool ReplaceImage(int32_t Index, TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind);
    virtual bool DeleteImages(int32_t First, int32_t Last);
    virtual bool BlankImages(int32_t First, int32_t Last);

    // Encodes Graphic as AddImage would store it, without touching the library's state, so it may
    // run on worker threads while one thread uses the library. May flip a TDIB in place exactly as
    // AddImage does. Base: Ignore.
    virtual TPreparedImage PrepareImage(TGraphic* Graphic, int32_t X, int32_t Y, uint8_t Kind) const;
    // Appends a prepared image exactly as AddImage would have. Base: false.
    virtual bool AddPreparedImage(const TPreparedImage& Image);
    // True when the writers store Graphic (nullptr and empty graphics ask for an empty image);
    // false when they would pass over it, so callers can say so instead of reporting success.
    // Base: false.
    virtual bool CanStore(const TGraphic* Graphic) const;

    // Non-virtual operations.
    void SetFileName(const QString& Name);
    TGraphic* GetGraphic(int32_t Index);
    // Raises EInvalidCast when the cached graphic is a PNG picture.
    TDIB* GetDIB(int32_t Index);
    bool GetImageInfo(int32_t Index, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y);
    bool GetImageInfoEx(int32_t Index, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y, uint8_t& Flag);
    void PurgeCache();
    // Hands the cached graphic of Index to the caller and clears the entry (the converter's
    // one-image-at-a-time rule); nullptr when nothing is cached.
    std::unique_ptr<TGraphic> TakeGraphic(int32_t Index);

    void SetTickSource(TTickSource Source);
    uint32_t CurrentTick() const;

    // The position of image Index, or 0 when Index lies past the end of IndexList.
    int32_t PositionOf(int32_t Index) const;

protected:
    // Allocates ImageCache with ImageCount zeroed entries (ImageCount must be sane already).
    void AllocateCache();
    void ReleaseCache();

private:
    TTickSource Tick_;
};

// Chooses the format class by extension (.wil/.wis, .wzl, .data, any case) and sets FileName;
// nullptr for a missing file or an unknown extension. Does not call Initialize.
std::unique_ptr<TWMImages> OpenImageLibrary(const QString& FileName, bool ExactName);
// Writes a new empty WZL or DATA library and returns an object named after it; nullptr (and no
// file written) for any other extension. Does not call Initialize.
std::unique_ptr<TWMImages> CreateImageLibrary(const QString& FileName);

// Upper-cased extension of a path, from its last '.', with '/' and '\\' as separators (".WZL").
QString UpperExtension(const QString& FileName);
// FileName with its extension replaced by NewExtension (which includes the dot).
QString ChangeFileExt(const QString& FileName, const QString& NewExtension);
// The companion file (the index) of a data file: DataFileName with Extension, upper-cased when the
// data file's extension is upper case. When that file does not exist, one whose name differs only
// in case is taken instead (a.WIX beside a.wil copied from a case-blind disk), unless another data
// file whose name differs only in case (a.WIL beside a.wil) could own it.
QString CompanionFileName(const QString& DataFileName, const QString& Extension);

}  // namespace velka

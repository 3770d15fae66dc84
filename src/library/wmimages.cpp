#include "library/wmimages.h"

#include "library/dib.h"
#include "library/errors.h"
#include "library/packageimages.h"
#include "library/wilimages.h"
#include "library/wzlimages.h"

#include <QDir>
#include <QFileInfo>

#include <chrono>

namespace velka {

namespace {

uint32_t SystemTick()
{
    using namespace std::chrono;
    // Truncated to 32 bits like a millisecond tick counter; the cache compares unsigned differences.
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool FileExists(const QString& Name)
{
    return !Name.isEmpty() && QFileInfo(Name).isFile();
}

// Index of the '.' that starts the extension of the last path component, or -1.
qsizetype ExtensionDot(const QString& FileName)
{
    for (qsizetype I = FileName.size() - 1; I >= 0; --I) {
        const QChar C = FileName[I];
        if (C == u'.')
            return I;
        if (C == u'/' || C == u'\\')
            break;
    }
    return -1;
}

QString ProbeLibraryName(const QString& FileName)
{
    for (const char* Extension : {".wzl", ".wil", ".wis"}) {
        const QString Candidate = ChangeFileExt(FileName, QString::fromLatin1(Extension));
        if (FileExists(Candidate))
            return Candidate;
    }
    return ChangeFileExt(FileName, QStringLiteral(".data"));
}

}  // namespace

TWMImages::TWMImages() : Tick_(SystemTick) {}

TWMImages::~TWMImages() = default;

void TWMImages::Idle() {}
void TWMImages::LoadDIBAt(int32_t, std::unique_ptr<TGraphic>&) {}
void TWMImages::ReadImageSize(int32_t, int32_t&, int32_t&) {}
void TWMImages::ReadImageInfo(int32_t, int32_t&, int32_t&, int32_t&, int32_t&) {}
void TWMImages::ReadImageInfoEx(int32_t, int32_t&, int32_t&, int32_t&, int32_t&, uint8_t&) {}
uint8_t TWMImages::GetImageKind(int32_t) { return 0; }
void TWMImages::SetImageFlag(int32_t, uint8_t) {}
void TWMImages::LoadPNGAt(int32_t, std::unique_ptr<TGraphic>&) {}

void TWMImages::Initialize()
{
    if (FileName.isEmpty())
        throw EVelkaError("FileName not assigned..");
    if (!FileExists(FileName))
        throw EVelkaError("File not found:" + FileName.toStdString());
}

void TWMImages::Finalize()
{
    IndexList.clear();
    ReleaseCache();
    Stream.reset();
}

void TWMImages::SetPassword(const QString&) {}
void TWMImages::SetImageOffset(int32_t, int32_t, int32_t) {}
void TWMImages::BeforeSave() {}
void TWMImages::Save() {}
bool TWMImages::AddImage(TGraphic*, int32_t, int32_t, uint8_t) { return false; }
bool TWMImages::InsertImage(int32_t, TGraphic*, int32_t, int32_t, uint8_t) { return false; }
bool TWMImages::ReplaceImage(int32_t, TGraphic*, int32_t, int32_t, uint8_t) { return false; }

bool TWMImages::DeleteImages(int32_t First, int32_t Last)
{
    const int64_t Count = int64_t(IndexList.size());
    if (Count <= 0 || First > Last || First < 0 || Last >= Count)
        return false;
    IndexList.erase(IndexList.begin() + First, IndexList.begin() + Last + 1);
    Modified = true;
    return true;
}

bool TWMImages::BlankImages(int32_t First, int32_t Last)
{
    const int64_t Count = int64_t(IndexList.size());
    if (Count <= 0 || First > Last || First < 0 || Last >= Count)
        return false;
    std::fill(IndexList.begin() + First, IndexList.begin() + Last + 1, 0);
    Modified = true;
    return true;
}

TPreparedImage TWMImages::PrepareImage(TGraphic*, int32_t, int32_t, uint8_t) const { return {}; }

bool TWMImages::AddPreparedImage(const TPreparedImage&) { return false; }

bool TWMImages::CanStore(const TGraphic*) const { return false; }

void TWMImages::SetFileName(const QString& Name) { FileName = Name; }

TGraphic* TWMImages::GetGraphic(int32_t Index)
{
    if (Index < 0 || Index >= ImageCount || size_t(Index) >= ImageCache.size())
        return nullptr;
    const uint8_t Kind = GetImageKind(Index);
    ImageCacheEntry& Entry = ImageCache[size_t(Index)];
    if (Entry.Graphic) {
        Entry.LastAccess = CurrentTick();
        return Entry.Graphic.get();
    }
    const int32_t Position = PositionOf(Index);
    if (Position <= 0)
        return nullptr;
    if (Kind == 2) {
        LoadPNGAt(Position, Entry.Graphic);
        Entry.LastAccess = CurrentTick();
        TGraphic* Result = Entry.Graphic.get();
        PurgeCache();
        return Result;
    }
    LoadDIBAt(Position, Entry.Graphic);
    Entry.LastAccess = CurrentTick();
    return Entry.Graphic.get();
}

TDIB* TWMImages::GetDIB(int32_t Index)
{
    if (Index < 0 || Index >= ImageCount || size_t(Index) >= ImageCache.size())
        return nullptr;
    ImageCacheEntry& Entry = ImageCache[size_t(Index)];
    const auto AsDIB = [](TGraphic* Graphic) -> TDIB* {
        if (!Graphic)
            return nullptr;
        auto* DIB = dynamic_cast<TDIB*>(Graphic);
        if (!DIB)
            throw EInvalidCast("Invalid class typecast");
        return DIB;
    };
    if (Entry.Graphic) {
        Entry.LastAccess = CurrentTick();
        return AsDIB(Entry.Graphic.get());
    }
    const int32_t Position = PositionOf(Index);
    if (Position <= 0)
        return nullptr;
    LoadDIBAt(Position, Entry.Graphic);
    Entry.LastAccess = CurrentTick();
    TDIB* Result = AsDIB(Entry.Graphic.get());
    PurgeCache();
    return Result;
}

bool TWMImages::GetImageInfo(int32_t Index, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y)
{
    if (Index < 0 || Index >= ImageCount)
        return false;
    const int32_t Position = PositionOf(Index);
    if (Position <= 0) {
        Width = Height = X = Y = 0;
        return true;
    }
    ReadImageInfo(Position, Width, Height, X, Y);
    return true;
}

bool TWMImages::GetImageInfoEx(int32_t Index, int32_t& Width, int32_t& Height, int32_t& X, int32_t& Y,
                               uint8_t& Flag)
{
    if (Index < 0 || Index >= ImageCount)
        return false;
    const int32_t Position = PositionOf(Index);
    if (Position <= 0) {
        Width = Height = X = Y = 0;
        Flag = 0;
        return true;
    }
    ReadImageInfoEx(Position, Width, Height, X, Y, Flag);
    return true;
}

void TWMImages::PurgeCache()
{
    const uint32_t Now = CurrentTick();
    const size_t Count = std::min(ImageCache.size(), size_t(std::max(ImageCount, 0)));
    for (size_t I = 0; I < Count; ++I) {
        ImageCacheEntry& Entry = ImageCache[I];
        if (Entry.Graphic && uint32_t(Now - Entry.LastAccess) > CacheIdleMilliseconds)
            Entry.Graphic.reset();
    }
}

std::unique_ptr<TGraphic> TWMImages::TakeGraphic(int32_t Index)
{
    if (Index < 0 || size_t(Index) >= ImageCache.size())
        return nullptr;
    return std::move(ImageCache[size_t(Index)].Graphic);
}

void TWMImages::SetTickSource(TTickSource Source) { Tick_ = Source ? std::move(Source) : TTickSource(SystemTick); }

uint32_t TWMImages::CurrentTick() const { return Tick_(); }

int32_t TWMImages::PositionOf(int32_t Index) const
{
    if (Index < 0 || size_t(Index) >= IndexList.size())
        return 0;
    return IndexList[size_t(Index)];
}

void TWMImages::AllocateCache()
{
    ImageCache = std::vector<ImageCacheEntry>(size_t(std::max(ImageCount, 0)));
}

void TWMImages::ReleaseCache() { ImageCache = std::vector<ImageCacheEntry>(); }

std::unique_ptr<TWMImages> OpenImageLibrary(const QString& FileName, bool ExactName)
{
    const QString Name = ExactName ? FileName : ProbeLibraryName(FileName);
    const QString Extension = UpperExtension(Name);
    if (!FileExists(Name))
        return nullptr;
    std::unique_ptr<TWMImages> Library;
    if (Extension == u".WIL" || Extension == u".WIS")
        Library = std::make_unique<TWILImages>();
    else if (Extension == u".WZL")
        Library = std::make_unique<TWZLImages>();
    else if (Extension == u".DATA")
        Library = std::make_unique<TWMPackageImages>();
    else
        return nullptr;
    Library->SetFileName(Name);
    return Library;
}

std::unique_ptr<TWMImages> CreateImageLibrary(const QString& FileName)
{
    const QString Extension = UpperExtension(FileName);
    std::unique_ptr<TWMImages> Library;
    if (Extension == u".WZL") {
        TWZLImages::CreateEmptyFile(FileName);
        Library = std::make_unique<TWZLImages>();
    } else if (Extension == u".DATA") {
        TWMPackageImages::CreateEmptyFile(FileName);
        Library = std::make_unique<TWMPackageImages>();
    } else {
        return nullptr;
    }
    Library->SetFileName(FileName);
    return Library;
}

QString UpperExtension(const QString& FileName)
{
    const qsizetype Dot = ExtensionDot(FileName);
    return Dot < 0 ? QString() : FileName.mid(Dot).toUpper();
}

QString ChangeFileExt(const QString& FileName, const QString& NewExtension)
{
    const qsizetype Dot = ExtensionDot(FileName);
    return (Dot < 0 ? FileName : FileName.left(Dot)) + NewExtension;
}

QString CompanionFileName(const QString& DataFileName, const QString& Extension)
{
    const QString DataExtension = UpperExtension(DataFileName);
    const bool Upper = !DataExtension.isEmpty() && DataFileName.endsWith(DataExtension, Qt::CaseSensitive);
    const QString Exact = ChangeFileExt(DataFileName, Upper ? Extension.toUpper() : Extension.toLower());
    if (FileExists(Exact))
        return Exact;
    const QFileInfo Data(DataFileName);
    const QString ExactName = QFileInfo(Exact).fileName();
    QString Found;
    for (const QString& Name : Data.dir().entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        // Another library's index must never be taken (and later rewritten) as this one's.
        if (Name != Data.fileName() && Name.compare(Data.fileName(), Qt::CaseInsensitive) == 0)
            return Exact;
        if (Found.isEmpty() && Name.compare(ExactName, Qt::CaseInsensitive) == 0)
            Found = Name;
    }
    return Found.isEmpty() ? Exact : Data.dir().filePath(Found);
}

}  // namespace velka

#include "targets.h"

#include "scratch.h"
#include "seeds.h"

#include "library/cipher.h"
#include "library/dib.h"
#include "library/errors.h"
#include "library/gbk.h"
#include "library/littleendian.h"
#include "library/packagelayout.h"
#include "library/picturefile.h"
#include "library/pngobject.h"
#include "library/stream.h"
#include "library/wmimages.h"
#include "library/zbuffers.h"

#include <QString>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>

namespace velka::fuzz {

namespace {

// Image numbers every library harness visits: the first ones, and a few that probe the edges.
constexpr int32_t FirstImages = 64;
// Limits a caller of the codec passes; a hostile stream must stay within them.
constexpr size_t LargestInflateLimit = size_t(1) << 22;
constexpr int32_t PlainDataHeaderSize = StoredDataHeaderSize - CipherBlockSize;

[[noreturn]] void Broken(const char* What, const char* File, int Line)
{
    std::fprintf(stderr, "fuzz invariant broken at %s:%d: %s\n", File, Line, What);
    std::abort();
}

#define VELKA_FUZZ_CHECK(Condition) \
    do { \
        if (!(Condition)) \
            Broken(#Condition, __FILE__, __LINE__); \
    } while (0)

// Runs Step; an error the library raises on purpose ends it, anything else is a finding.
bool Attempt(const std::function<void()>& Step)
{
    try {
        Step();
        return true;
    } catch (const EVelkaError&) {
        return false;
    }
}

// Splits the input of a harness into its leading fields and the rest.
class TReader {
public:
    TReader(const uint8_t* Data, size_t Size) : Data_(Data), Size_(Size) {}

    uint32_t Word()
    {
        uint8_t Bytes[4] = {};
        const size_t Step = std::min<size_t>(4, Left());
        std::memcpy(Bytes, Data_ + At_, Step);
        At_ += Step;
        return ReadLE<uint32_t>(Bytes);
    }
    uint8_t Byte() { return Left() > 0 ? Data_[At_++] : 0; }
    TInput Take(size_t Count)
    {
        const size_t Step = std::min(Count, Left());
        TInput Part(Data_ + At_, Data_ + At_ + Step);
        At_ += Step;
        return Part;
    }
    TInput Rest() { return Take(Left()); }
    size_t Left() const { return Size_ - At_; }

private:
    const uint8_t* Data_;
    size_t Size_;
    size_t At_ = 0;
};

void CheckPicture(const TGraphic& Graphic)
{
    const QImage Image = Graphic.ToImage();
    if (Graphic.Empty())
        return;
    VELKA_FUZZ_CHECK(Image.width() == Graphic.Width() && Image.height() == Graphic.Height());
}

void CheckDIB(const TDIB& DIB)
{
    VELKA_FUZZ_CHECK(DIB.PixelBytes() == size_t(DIB.RowBytes()) * size_t(DIB.Height()) || DIB.Empty());
    CheckPicture(DIB);
}

void ExerciseImage(TWMImages& Library, int32_t Index)
{
    int32_t Width = 0, Height = 0, X = 0, Y = 0;
    uint8_t Flag = 0;
    Attempt([&] { Library.GetImageInfoEx(Index, Width, Height, X, Y, Flag); });
    uint8_t Kind = 0;
    Attempt([&] { Kind = Library.GetImageKind(Index); });
    // Whatever the kind says, the picture is asked for both ways, as the browser and the
    // exporters do; each result is dropped at once, as the converter does.
    Attempt([&] {
        if (const TGraphic* Graphic = Library.GetGraphic(Index))
            CheckPicture(*Graphic);
    });
    Library.TakeGraphic(Index);
    Attempt([&] {
        if (const TDIB* DIB = Library.GetDIB(Index))
            CheckDIB(*DIB);
    });
    Library.TakeGraphic(Index);
    (void)Kind;
}

void ExerciseLibrary(TWMImages& Library, uint32_t Salt)
{
    const int32_t Count = Library.ImageCount;
    VELKA_FUZZ_CHECK(Count >= 0 && Count <= MaxPlausibleImageCount);
    VELKA_FUZZ_CHECK(Library.ImageCache.size() == size_t(Count));
    for (int32_t Index = 0; Index < std::min(Count, FirstImages); ++Index)
        ExerciseImage(Library, Index);
    const int64_t Numbers = std::max<int64_t>(Count, int64_t(Library.IndexList.size()));
    for (const int64_t Index : {int64_t(-1), Numbers - 1, Numbers, Numbers / 2, int64_t(INT32_MAX),
                                Numbers > 0 ? int64_t(Salt % uint64_t(Numbers)) : int64_t(0)})
        if (Index >= INT32_MIN && Index <= INT32_MAX)
            ExerciseImage(Library, int32_t(Index));
}

using TPasswordAnswer = std::optional<QString>;

// Opens Name as the editor does; nullptr when it refuses the file.
std::unique_ptr<TWMImages> Open(const QString& Name, const TPasswordAnswer& Answer)
{
    std::unique_ptr<TWMImages> Library = OpenImageLibrary(Name, true);
    if (!Library)
        return nullptr;
    if (Answer)
        Library->OnPassword = [Answer](TWMImages&, QString& Password) { Password = *Answer; };
    if (!Attempt([&] { Library->Initialize(); }))
        return nullptr;
    return Library;
}

std::unique_ptr<TDIB> SmallBitmap()
{
    auto DIB = std::make_unique<TDIB>();
    DIB->SetMasks(0xF800, 0x07E0, 0x001F);
    DIB->SetBitCount(16);
    DIB->SetSize(3, 2);
    for (size_t I = 0; I < DIB->PixelBytes(); ++I)
        DIB->PBits()[I] = uint8_t(I * 37 + 5);
    return DIB;
}

// A few edits on a copy and a save; when the save succeeds the copy must open again and end
// with the added picture.
void EditAndReopen(const QString& Name, const TPasswordAnswer& Answer, uint32_t Salt)
{
    std::unique_ptr<TWMImages> Library = Open(Name, Answer);
    if (!Library)
        return;
    std::unique_ptr<TDIB> Added = SmallBitmap();
    bool Saved = false;
    Attempt([&] {
        Library->BeforeSave();
        Library->AddImage(Added.get(), -4, 7, 0);
        const int32_t Count = int32_t(Library->IndexList.size());
        if (Count > 1)
            Library->SetImageOffset(int32_t(Salt % uint32_t(Count - 1)), 11, -12);
        if ((Salt & 1) != 0 && Count > 1)
            Library->DeleteImages(0, 0);
        Library->Save();
        Saved = true;
    });
    if (!Saved)
        return;
    const int32_t Count = Library->ImageCount;
    Library.reset();
    std::unique_ptr<TWMImages> Reopened = Open(Name, Answer);
    VELKA_FUZZ_CHECK(Reopened != nullptr);
    VELKA_FUZZ_CHECK(Reopened->ImageCount == Count && Count > 0);
    int32_t Width = 0, Height = 0, X = 0, Y = 0;
    VELKA_FUZZ_CHECK(Reopened->GetImageInfo(Count - 1, Width, Height, X, Y));
    VELKA_FUZZ_CHECK(Width == 3 && Height == 2 && X == -4 && Y == 7);
    ExerciseLibrary(*Reopened, Salt);
}

uint32_t SaltOf(const uint8_t* Data, size_t Size)
{
    uint32_t Hash = 2166136261u;
    for (size_t I = 0; I < Size; ++I)
        Hash = (Hash ^ Data[I]) * 16777619u;
    return Hash;
}

void OpenAndExercise(const QString& Name, const TPasswordAnswer& Answer, uint32_t Salt)
{
    if (std::unique_ptr<TWMImages> Library = Open(Name, Answer))
        ExerciseLibrary(*Library, Salt);
}

// Writes a data file (and its index) under a fresh name, explores it, then edits a copy when the
// format is writable.
int RunLibrary(const char* DataExtension, const char* IndexExtension, const TInput& Data,
               const std::optional<TInput>& Index, const TPasswordAnswer& Answer, uint32_t Salt)
{
    TScratch& Scratch = TScratch::Instance();
    Scratch.Clear();
    const QString Name = Scratch.Write(QStringLiteral("lib") + DataExtension, Data);
    if (Index)
        Scratch.Write(QStringLiteral("lib") + IndexExtension, *Index);
    OpenAndExercise(Name, Answer, Salt);
    const QString Upper = UpperExtension(Name);
    if (Upper == u".WZL" || Upper == u".DATA")
        EditAndReopen(Name, Answer, Salt);
    return 0;
}

int RunTwoFiles(const uint8_t* Data, size_t Size, const char* DataExtension, const char* IndexExtension)
{
    TReader Reader(Data, Size);
    const uint32_t Split = Reader.Word();
    const TInput DataFile = Reader.Take(Split & 0x7FFFFFFFu);
    std::optional<TInput> IndexFile;
    if ((Split & 0x80000000u) == 0)
        IndexFile = Reader.Rest();
    return RunLibrary(DataExtension, IndexExtension, DataFile, IndexFile, std::nullopt, SaltOf(Data, Size));
}

int FuzzWil(const uint8_t* Data, size_t Size) { return RunTwoFiles(Data, Size, ".wil", ".wix"); }

int FuzzWzl(const uint8_t* Data, size_t Size) { return RunTwoFiles(Data, Size, ".wzl", ".wzx"); }

int FuzzWis(const uint8_t* Data, size_t Size)
{
    return RunLibrary(".wis", "", TInput(Data, Data + Size), std::nullopt, std::nullopt, SaltOf(Data, Size));
}

// The DATA header is enciphered, so mutations of its stored bytes would only ever make noise of
// it: the harnesses take it deciphered and encipher it before writing the file. An input shorter
// than the header is written as it is (a truncated file).
TInput StoredDataFile(TInput Plain)
{
    if (Plain.size() < size_t(PlainDataHeaderSize))
        return Plain;
    TInput File = EncryptBuffer(Plain.data(), PlainDataHeaderSize, HeaderPassword);
    File.insert(File.end(), Plain.begin() + PlainDataHeaderSize, Plain.end());
    return File;
}

int FuzzData(const uint8_t* Data, size_t Size)
{
    return RunLibrary(".data", "", StoredDataFile(TInput(Data, Data + Size)), std::nullopt, std::nullopt,
                      SaltOf(Data, Size));
}

int FuzzDataWithPassword(const uint8_t* Data, size_t Size)
{
    TReader Reader(Data, Size);
    const TInput Answer = Reader.Take(std::min<size_t>(Reader.Byte(), 16));
    const QString Text = FromGBK(std::string(Answer.begin(), Answer.end()));
    return RunLibrary(".data", "", StoredDataFile(Reader.Rest()), std::nullopt, Text, SaltOf(Data, Size));
}

// A loaded bitmap survives a round trip through its own BMP writer.
void CheckBitmapRoundTrip(const TDIB& DIB)
{
    TMemoryStream Written;
    DIB.SaveToStream(Written);
    Written.Seek(0);
    std::unique_ptr<TDIB> Again;
    VELKA_FUZZ_CHECK(Attempt([&] { LoadBitmapStream(Written, Again); }));
    VELKA_FUZZ_CHECK(Again && Again->Width() == DIB.Width() && Again->Height() == DIB.Height());
}

void CheckPngRoundTrip(const TPNGObject& Png)
{
    TPNGObject Again;
    VELKA_FUZZ_CHECK(Attempt([&] { Again.LoadFromBytes(Png.PngBytes()); }));
    VELKA_FUZZ_CHECK(Again.Width() == Png.Width() && Again.Height() == Png.Height());
}

int RunPicture(const uint8_t* Data, size_t Size, const char* Extension)
{
    TScratch& Scratch = TScratch::Instance();
    Scratch.Clear();
    const QString Name = Scratch.Write(QStringLiteral("picture") + Extension, TInput(Data, Data + Size));
    uint8_t Kind = 0xFF;
    std::unique_ptr<TGraphic> Picture = LoadPictureFile(Name, Kind);
    VELKA_FUZZ_CHECK(Kind == KindBitmap || Kind == KindPNG);
    if (!Picture)
        return 0;
    CheckPicture(*Picture);
    if (const auto* DIB = dynamic_cast<const TDIB*>(Picture.get())) {
        VELKA_FUZZ_CHECK(Kind == KindBitmap);
        CheckDIB(*DIB);
        CheckBitmapRoundTrip(*DIB);
    } else if (const auto* Png = dynamic_cast<const TPNGObject*>(Picture.get())) {
        VELKA_FUZZ_CHECK(Kind == KindPNG);
        CheckPngRoundTrip(*Png);
    }
    return 0;
}

int FuzzPictureBmp(const uint8_t* Data, size_t Size) { return RunPicture(Data, Size, ".bmp"); }

int FuzzPicturePng(const uint8_t* Data, size_t Size) { return RunPicture(Data, Size, ".png"); }

// A PNG read from inside a larger stream (a DATA entry) consumes its own chunks and no more.
int FuzzPngStream(const uint8_t* Data, size_t Size)
{
    TReader Reader(Data, Size);
    const uint8_t Offset = Reader.Byte();
    TMemoryStream Stream(Reader.Rest());
    Stream.Seek(Offset);
    TPNGObject Png;
    if (!Attempt([&] { Png.LoadFromStream(Stream); }))
        return 0;
    VELKA_FUZZ_CHECK(Offset < Stream.Size() && Stream.Position() <= Stream.Size());
    VELKA_FUZZ_CHECK(Stream.Position() - Offset == int64_t(Png.PngBytes().size()));
    CheckPicture(Png);
    return 0;
}

// Input: 32-bit estimate, 32-bit limit (reduced to LargestInflateLimit), the zlib stream.
int FuzzZlib(const uint8_t* Data, size_t Size)
{
    TReader Reader(Data, Size);
    const int32_t Estimate = int32_t(Reader.Word());
    const size_t Limit = Reader.Word() % (LargestInflateLimit + 1);
    const TInput Stream = Reader.Rest();
    std::optional<std::vector<uint8_t>> Whole;
    Attempt([&] { Whole = ZDecompressBuffer(Stream.data(), int32_t(Stream.size()), Estimate, Limit); });
    if (Whole)
        VELKA_FUZZ_CHECK(Whole->size() <= Limit);
    std::vector<uint8_t> Room(Limit);
    std::optional<size_t> Written;
    Attempt([&] { Written = ZDecompressInto(Stream.data(), Stream.size(), Room.data(), Room.size()); });
    if (Written)
        VELKA_FUZZ_CHECK(*Written <= Limit);
    // Both give the first Limit bytes of the same stream.
    if (Whole && Written)
        VELKA_FUZZ_CHECK(std::equal(Whole->begin(), Whole->end(), Room.begin(), Room.begin() + *Written));
    return 0;
}

// Input: one length byte, that many bytes of password, the enciphered buffer.
int FuzzCipher(const uint8_t* Data, size_t Size)
{
    TReader Reader(Data, Size);
    const TInput PasswordBytes = Reader.Take(Reader.Byte());
    const std::string Password(PasswordBytes.begin(), PasswordBytes.end());
    const TInput Buffer = Reader.Rest();
    const auto Count = int32_t(Buffer.size());
    std::vector<uint8_t> Plain;
    if (!Attempt([&] { Plain = DecryptBuffer(Buffer.data(), Count, Password); }))
        return 0;
    VELKA_FUZZ_CHECK(Plain.size() == (Count > CipherBlockSize ? size_t(Count - CipherBlockSize) : 0));
    if (Plain.empty())
        return 0;
    const std::vector<uint8_t> Again = EncryptBuffer(Plain.data(), int32_t(Plain.size()), Password);
    VELKA_FUZZ_CHECK(DecryptBuffer(Again.data(), int32_t(Again.size()), Password) == Plain);
    return 0;
}

}  // namespace

TInput JoinFiles(const TInput& Data, const TInput& Index, bool WithIndex)
{
    TInput Joined(4);
    WriteLE(Joined.data(), 0, uint32_t(Data.size()) | (WithIndex ? 0 : 0x80000000u));
    Joined.insert(Joined.end(), Data.begin(), Data.end());
    if (WithIndex)
        Joined.insert(Joined.end(), Index.begin(), Index.end());
    return Joined;
}

TInput PrefixedText(const std::string& Text, const TInput& Rest)
{
    TInput Joined;
    Joined.reserve(1 + Text.size() + Rest.size());
    Joined.push_back(uint8_t(Text.size()));
    Joined.insert(Joined.end(), Text.begin(), Text.end());
    Joined.insert(Joined.end(), Rest.begin(), Rest.end());
    return Joined;
}

TInput PlainDataFile(const TInput& Stored)
{
    if (Stored.size() < size_t(StoredDataHeaderSize))
        return Stored;
    TInput Plain = DecryptBuffer(Stored.data(), StoredDataHeaderSize, HeaderPassword);
    Plain.insert(Plain.end(), Stored.begin() + StoredDataHeaderSize, Stored.end());
    return Plain;
}

TInput AtOffset(uint8_t Offset, const TInput& Png)
{
    TInput Joined(size_t(Offset) + 1, 0x5A);
    Joined[0] = Offset;
    Joined.insert(Joined.end(), Png.begin(), Png.end());
    return Joined;
}

const std::vector<TTarget>& Targets()
{
    static const std::vector<TTarget> All = {
        {"wil", FuzzWil, WilSeeds},
        {"wis", FuzzWis, WisSeeds},
        {"wzl", FuzzWzl, WzlSeeds},
        {"data", FuzzData, DataSeeds},
        {"data_password", FuzzDataWithPassword, DataPasswordSeeds},
        {"picture_bmp", FuzzPictureBmp, BmpSeeds},
        {"picture_png", FuzzPicturePng, PngSeeds},
        {"png_stream", FuzzPngStream, PngStreamSeeds},
        {"zlib", FuzzZlib, ZlibSeeds},
        {"cipher", FuzzCipher, CipherSeeds},
    };
    return All;
}

const TTarget* FindTarget(const std::string& Name)
{
    for (const TTarget& Target : Targets())
        if (Name == Target.Name)
            return &Target;
    return nullptr;
}

}  // namespace velka::fuzz

// DATA packages: the bytes the writers produce and what the readers make of stored bytes,
// including damaged and hostile files.
#include "test_package_support.h"

#include "library/picturefile.h"

#include <QFile>
#include <QScopeGuard>
#include "library/pngobject.h"

namespace velka::test {
namespace {

class PackageLayout : public TempDirTest {
protected:
    QString Name = Temp.File(QStringLiteral("lib.data"));
};

TEST_F(PackageLayout, NewFileIsOneEncipheredHeader)
{
    TWMPackageImages::CreateEmptyFile(Name);
    const Bytes File = ReadFileBytes(Name);
    ASSERT_EQ(File.size(), 80u);
    const THeaderView Header = HeaderOf(File);
    EXPECT_EQ(Header.Title(), "Drakmoor\xD7\xCA\xD4\xB4\xCE\xC4\xBC\xFE");
    EXPECT_EQ(Header.Count(), 0);
    EXPECT_EQ(Header.IndexOffset(), 80);
    EXPECT_EQ(Header.EntryVersion(), 0);
    EXPECT_EQ(Header.Password(), "");
    EXPECT_EQ(Slice(Header.Plain, 17, 27), Bytes(27, 0));  // rest of the title and padding
    EXPECT_EQ(Slice(Header.Plain, 54, 18), Bytes(18, 0));  // password field and padding

    int Prompts = 0;
    auto Library = OpenPackage(Name, QStringLiteral("x"), &Prompts);
    EXPECT_EQ(Library->ImageCount, 0);
    EXPECT_EQ(Library->Header.IndexOffset, 80);
    EXPECT_EQ(Library->Header.EntryVersion, 0);
    EXPECT_EQ(Prompts, 0);
    EXPECT_EQ(Library->Version, 10);
    EXPECT_EQ(Library->PixelFormat, 5);
    EXPECT_EQ(Library->BytesPerPixel, 2);
    EXPECT_TRUE(Library->Editable);
    EXPECT_TRUE(Library->PasswordOK);
}

TEST_F(PackageLayout, OneEmptyImageSavesAsAnIndexOfOneZero)
{
    auto Library = NewPackage(Name);
    Library->BeforeSave();
    ASSERT_TRUE(Library->AddImage(nullptr, 0, 0, 0));
    Library->Save();
    const Bytes File = ReadFileBytes(Name);
    ASSERT_EQ(File.size(), 84u);
    EXPECT_EQ(I32At(File, 80), 0);
    EXPECT_EQ(HeaderOf(File).Count(), 1);
    EXPECT_EQ(HeaderOf(File).IndexOffset(), 80);

    auto Reopened = OpenPackage(Name);
    EXPECT_EQ(Reopened->ImageCount, 1);
    EXPECT_EQ(Reopened->IndexList, std::vector<int32_t>{0});
    EXPECT_EQ(Reopened->GetGraphic(0), nullptr);
    EXPECT_EQ(Reopened->GetImageKind(0), 3);
}

// The 3 x 2 bitmap of the format description, stored plain and behind a password.
TEST_F(PackageLayout, BitmapEntrySitsRightBehindTheHeader)
{
    for (const bool Protected : {false, true}) {
        SCOPED_TRACE(Protected ? "protected" : "plain");
        auto Library = NewPackage(Name);
        if (Protected)
            Library->SetPassword(QStringLiteral("pw"));
        auto Picture = PatternBitmap(3, 2, 24);
        const Bytes Pixels = PixelsOf(*Picture);
        Library->BeforeSave();
        ASSERT_TRUE(Library->AddImage(Picture.get(), 4, -2, 0));
        EXPECT_EQ(PixelsOf(*Picture), Pixels);  // the caller's bitmap is not touched
        Library->Save();

        const Bytes File = ReadFileBytes(Name);
        const size_t HeaderSize = Protected ? 22 : 14;
        const TEntryView Entry = EntryAt(File, 80, Protected);
        EXPECT_EQ(Entry.Width(), 3);
        EXPECT_EQ(Entry.Height(), 2);
        EXPECT_EQ(Entry.BitCount(), 24);
        EXPECT_EQ(Entry.OffsetX(), 4);
        EXPECT_EQ(uint16_t(Entry.OffsetY()), 0xFFFE);
        EXPECT_EQ(Entry.Kind(), 0);
        const size_t L = Entry.Length();
        const size_t PayloadStart = 80 + HeaderSize;
        ASSERT_EQ(File.size(), PayloadStart + L + 4);
        // Rows as the bitmap holds them in memory: 2 rows of 12 bytes (9 pixel bytes + padding).
        EXPECT_EQ(Inflate(Slice(File, PayloadStart, L), 24), Pixels);
        EXPECT_EQ(I32At(File, PayloadStart + L), 80);
        const THeaderView Header = HeaderOf(File);
        EXPECT_EQ(Header.Count(), 1);
        EXPECT_EQ(Header.IndexOffset(), int32_t(PayloadStart + L));
        EXPECT_EQ(Header.EntryVersion(), Protected ? 1 : 0);
        EXPECT_EQ(Header.Password(), Protected ? "pw" : "");
    }
}

TEST_F(PackageLayout, FlippedBitmapsComeBackTheRightWayUpAtEveryDepth)
{
    for (const int Bits : {8, 16, 24, 32}) {
        SCOPED_TRACE(Bits);
        auto Library = NewPackage(Name);
        auto Picture = PatternBitmap(5, 3, Bits, uint8_t(Bits));
        TDIB Handed = *Picture;
        Handed.FlipVertical();  // what every caller does before handing a bitmap in
        Library->BeforeSave();
        Library->AddImage(&Handed, 0, 0, 0);
        Library->Save();
        auto Reader = OpenPackage(Name);
        TDIB* Loaded = Reader->GetDIB(0);
        ASSERT_NE(Loaded, nullptr);
        EXPECT_EQ(Loaded->BitCount(), Bits);
        EXPECT_EQ(Loaded->Width(), 5);
        EXPECT_EQ(Loaded->Height(), 3);
        EXPECT_EQ(PixelsOf(*Loaded), PixelsOf(*Picture));
        if (Bits == 8) {
            EXPECT_EQ(Loaded->ColorTable(), DefaultPalette);
        }
        if (Bits == 16) {
            EXPECT_EQ(Loaded->GreenMask(), 0x07E0u);
        }
    }
}

TEST_F(PackageLayout, PngPicturesAreStoredAsTheirFileBytes)
{
    const QString Source = QStringLiteral(VELKA_TESTDATA_DIR "/pngsuite/png/basn6a08.png");
    const Bytes Original = ReadFileBytes(Source);
    ASSERT_FALSE(Original.empty());
    uint8_t Kind = 0;
    std::unique_ptr<TGraphic> Picture = LoadPictureFile(Source, Kind);
    ASSERT_NE(dynamic_cast<TPNGObject*>(Picture.get()), nullptr);

    auto Library = NewPackage(Name);
    Library->BeforeSave();
    Library->AddImage(Picture.get(), 7, -1, 0);  // a PNG is stored with Kind 2 whatever the caller says
    Library->Save();

    const Bytes File = ReadFileBytes(Name);
    const TEntryView Entry = EntryAt(File, 80, false);
    EXPECT_EQ(Entry.Kind(), 2);
    EXPECT_EQ(Entry.BitCount(), 0);
    EXPECT_EQ(Entry.Width(), 32);
    EXPECT_EQ(Entry.Height(), 32);
    ASSERT_EQ(Entry.Length(), Original.size());
    EXPECT_EQ(Slice(File, 94, Original.size()), Original);

    auto Reopened = OpenPackage(Name);
    EXPECT_EQ(Reopened->GetImageKind(0), 2);
    auto* Loaded = dynamic_cast<TPNGObject*>(Reopened->GetGraphic(0));
    ASSERT_NE(Loaded, nullptr);
    EXPECT_EQ(Loaded->ToImage(), Picture->ToImage());
    int32_t W = 0, H = 0, X = 0, Y = 0;
    ASSERT_TRUE(Reopened->GetImageInfo(0, W, H, X, Y));
    EXPECT_EQ(std::vector<int32_t>({W, H, X, Y}), std::vector<int32_t>({32, 32, 7, -1}));
}

TEST_F(PackageLayout, BitmapsNeverTakeThePngKind)
{
    auto Library = NewPackage(Name);
    auto Picture = PatternBitmap(2, 2, 24);
    Library->BeforeSave();
    Library->AddImage(Picture.get(), 0, 0, 2);
    Library->AddImage(Picture.get(), 0, 0, 9);  // other kinds are the caller's flag and kept
    Library->Save();
    auto Reopened = OpenPackage(Name);
    EXPECT_EQ(Reopened->GetImageKind(0), 0);
    EXPECT_EQ(Reopened->GetImageKind(1), 9);
    EXPECT_NE(Reopened->GetDIB(0), nullptr);
}

TEST_F(PackageLayout, OffsetsOnlyEntries)
{
    auto Library = NewPackage(Name);
    Library->BeforeSave();
    Library->AddImage(nullptr, 5, -3, 7);
    Library->Save();
    const Bytes File = ReadFileBytes(Name);
    EXPECT_EQ(Slice(File, 80, 14), PlainEntry(0, 0, 16, 5, -3, 0, 0));
    EXPECT_EQ(File.size(), 98u);
    EXPECT_EQ(I32At(File, 94), 80);

    auto Reopened = OpenPackage(Name);
    int32_t W = 1, H = 1, X = 0, Y = 0;
    uint8_t Flag = 1;
    ASSERT_TRUE(Reopened->GetImageInfoEx(0, W, H, X, Y, Flag));
    EXPECT_EQ(std::vector<int32_t>({W, H, X, Y, Flag}), std::vector<int32_t>({0, 0, 5, -3, 0}));
    EXPECT_EQ(Reopened->GetGraphic(0), nullptr);
}

// Hand-made files: one entry at 80, then the index.
class PackageReader : public PackageLayout {
protected:
    void WriteLibrary(const Bytes& Entries, const std::vector<int32_t>& Positions, int32_t Count = -1)
    {
        TBytes File(StoredHeader(Count < 0 ? int32_t(Positions.size()) : Count, int32_t(80 + Entries.size())));
        File.Raw(Entries);
        for (const int32_t Position : Positions)
            File.I32(Position);
        WriteFileBytes(Name, File.Take());
    }
};

TEST_F(PackageReader, ImageKindIsThreeWithoutAnEntry)
{
    WriteLibrary(PlainEntry(1, 1, 24, 0, 0, 0, 2), {80, 0, 100, -5});  // file ends at 110
    auto Library = OpenPackage(Name);
    EXPECT_EQ(Library->GetImageKind(0), 2);
    EXPECT_EQ(Library->GetImageKind(1), 3);  // position 0
    EXPECT_EQ(Library->GetImageKind(2), 3);  // header would run past the end of the file
    EXPECT_EQ(Library->GetImageKind(3), 3);  // negative position
    EXPECT_EQ(Library->GetImageKind(4), 3);  // past the index
    int32_t W = 9, H = 9, X = 9, Y = 9;
    ASSERT_TRUE(Library->GetImageInfo(2, W, H, X, Y));
    EXPECT_EQ(std::vector<int32_t>({W, H, X, Y}), std::vector<int32_t>({0, 0, 0, 0}));
}

TEST_F(PackageReader, APositionPastTheEndNeverReachesEntriesAppendedLater)
{
    // Image 1 points two bytes before the end of the file: the next entry is appended right where
    // its "header" would be. Editing image 1 must not overwrite the new entry, before or after a
    // save.
    WriteLibrary(PlainEntry(0, 0, 16, 1, 1, 0, 0), {80, 100});  // file ends at 102
    auto Library = OpenPackage(Name);
    const std::unique_ptr<TDIB> Bitmap = PatternBitmap(3, 2, 16);
    Library->BeforeSave();
    Library->AddImage(Bitmap.get(), -4, 7, 0);
    ASSERT_EQ(Library->PositionOf(2), 102);
    Library->SetImageOffset(1, 9, 9);
    Library->SetImageFlag(1, 5);
    Library->Save();
    TDIB Expected = *Bitmap;
    Expected.FlipVertical();  // stored top row first, as it lay in memory
    const auto Reopened = OpenPackage(Name);
    for (TWMPackageImages* Opened : {Library.get(), Reopened.get()}) {
        int32_t W = 0, H = 0, X = 0, Y = 0;
        ASSERT_TRUE(Opened->GetImageInfo(2, W, H, X, Y));
        EXPECT_EQ(std::vector<int32_t>({W, H, X, Y}), std::vector<int32_t>({3, 2, -4, 7}));
        ASSERT_NE(Opened->GetDIB(2), nullptr);
        EXPECT_EQ(PixelsOf(*Opened->GetDIB(2)), PixelsOf(Expected));
        EXPECT_EQ(Opened->GetImageKind(1), 3);
    }
}

TEST_F(PackageReader, UnknownBitCountDecodesAsTwentyFourBits)
{
    const Bytes Rows = TBytes().Fill(6, 0x11).Zeros(2).Fill(6, 0x22).Zeros(2).Take();  // top row first
    const Bytes Payload = Deflate(Rows);
    Bytes Entries = PlainEntry(2, 2, 12, 0, 0, uint32_t(Payload.size()), 0);
    Entries.insert(Entries.end(), Payload.begin(), Payload.end());
    WriteLibrary(Entries, {80});
    auto Reader = OpenPackage(Name);
    TDIB* DIB = Reader->GetDIB(0);
    ASSERT_NE(DIB, nullptr);
    EXPECT_EQ(DIB->BitCount(), 24);
    EXPECT_EQ(DIB->ScanLine(0)[0], 0x11);
    EXPECT_EQ(DIB->ScanLine(1)[0], 0x22);
}

TEST_F(PackageReader, DamagedPayloadsGiveBlankBitmapsOfTheHeadersSize)
{
    const Bytes Garbage = TBytes().Fill(20, 0xAB).Take();
    struct Case {
        const char* What;
        uint32_t Length;
    };
    for (const Case& C : {Case{"not zlib", 20}, Case{"past the end of the file", 4000}}) {
        SCOPED_TRACE(C.What);
        Bytes Entries = PlainEntry(4, 3, 32, 0, 0, C.Length, 0);
        Entries.insert(Entries.end(), Garbage.begin(), Garbage.end());
        WriteLibrary(Entries, {80});
        auto Reader = OpenPackage(Name);
        TDIB* DIB = Reader->GetDIB(0);
        ASSERT_NE(DIB, nullptr);
        EXPECT_EQ(DIB->Width(), 4);
        EXPECT_EQ(DIB->Height(), 3);
        EXPECT_EQ(PixelsOf(*DIB), Bytes(48, 0));
    }
}

TEST_F(PackageReader, SizesTheStoredBytesCannotFillGiveNoBitmap)
{
    struct Case {
        const char* What;
        uint16_t Side;
        uint32_t Length;
    };
    const Bytes Payload = Deflate(Bytes(64, 0));
    for (const Case& C : {Case{"beyond any bitmap", 65535, uint32_t(Payload.size())},
                          Case{"64 MB from a few bytes", 4096, uint32_t(Payload.size())},
                          Case{"64 MB from bytes past the end", 4096, 100000000}}) {
        SCOPED_TRACE(C.What);
        Bytes Entries = PlainEntry(C.Side, C.Side, 32, 0, 0, C.Length, 0);
        Entries.insert(Entries.end(), Payload.begin(), Payload.end());
        WriteLibrary(Entries, {80});
        auto Reader = OpenPackage(Name);
        EXPECT_EQ(Reader->GetDIB(0), nullptr);
        int32_t W = 0, H = 0, X = 0, Y = 0;
        Reader->GetImageInfo(0, W, H, X, Y);
        EXPECT_EQ(W, C.Side);  // the header itself still reads as stored
    }
}

TEST_F(PackageReader, DamagedPngRaisesTheReadersError)
{
    Bytes Entries = PlainEntry(4, 4, 0, 0, 0, 12, 2);
    const Bytes NotPng = TBytes().Fill(12, 0x55).Take();
    Entries.insert(Entries.end(), NotPng.begin(), NotPng.end());
    WriteLibrary(Entries, {80});
    auto Library = OpenPackage(Name);
    EXPECT_THROW(Library->GetGraphic(0), EFormatError);
}

TEST_F(PackageReader, ShortIndexReadsTheMissingPositionsAsEmpty)
{
    WriteLibrary(PlainEntry(0, 0, 16, 3, 4, 0, 0), {80, 80, 80}, 5);
    auto Library = OpenPackage(Name);
    EXPECT_EQ(Library->ImageCount, 5);
    EXPECT_EQ(Library->IndexList, std::vector<int32_t>({80, 80, 80, 0, 0}));
}

TEST_F(PackageReader, StoredIndexOffsetZeroReadsAsEighty)
{
    TBytes File(StoredHeader(2, 0));
    File.I32(123).I32(456);  // behind the header, but offset 80 means no index is read
    WriteFileBytes(Name, File.Take());
    auto Library = OpenPackage(Name);
    EXPECT_EQ(Library->Header.IndexOffset, 80);
    EXPECT_EQ(Library->IndexList, std::vector<int32_t>({0, 0}));
}

TEST_F(PackageReader, HeadersNoDataFileCanHaveAreRefused)
{
    struct Case {
        const char* What;
        Bytes Header;
    };
    const Case Cases[] = {
        {"entry version 2", StoredHeader(1, 84, 2)},
        {"index inside the header", StoredHeader(1, 40)},
        {"index past the end", StoredHeader(1, 85)},
        {"negative count", StoredHeader(-1, 84)},
        {"more images than bytes", StoredHeader(100000, 84)},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.What);
        TBytes File(C.Header);
        File.I32(0);
        WriteFileBytes(Name, File.Take());
        auto Library = std::make_unique<TWMPackageImages>();
        Library->SetFileName(Name);
        try {
            Library->Initialize();
            ADD_FAILURE() << "accepted";
        } catch (const EFormatError& Error) {
            EXPECT_NE(std::string(Error.what()).find("not a DATA library"), std::string::npos) << Error.what();
        }
        EXPECT_EQ(Library->Stream, nullptr);
        EXPECT_EQ(Library->GetGraphic(0), nullptr);
    }
}

TEST_F(PackageReader, ACountBeyondAnyLibraryIsRefusedEvenInALargeFile)
{
    // A file big enough to "hold" the count must still not make the reader allocate a cache
    // for millions of images.
    TBytes File(StoredHeader(MaxPlausibleImageCount + 1, 84));
    File.Raw(Bytes(size_t(MaxPlausibleImageCount) + 8, 0));
    WriteFileBytes(Name, File.Take());
    auto Library = std::make_unique<TWMPackageImages>();
    Library->SetFileName(Name);
    EXPECT_THROW(Library->Initialize(), EFormatError);
}

TEST_F(PackageReader, FileShorterThanItsHeaderRaisesAReadError)
{
    WriteFileBytes(Name, Bytes(79, 0));
    auto Library = std::make_unique<TWMPackageImages>();
    Library->SetFileName(Name);
    EXPECT_THROW(Library->Initialize(), EStreamError);
}

// Every truncation and every single-byte corruption of a small library opens or is refused
// cleanly, and each image then decodes, shows blank or raises the library's own error.
TEST_F(PackageLayout, DamagedFilesNeverCrashTheReader)
{
    for (const bool Protected : {false, true}) {
        SCOPED_TRACE(Protected);
        auto Library = NewPackage(Name);
        if (Protected)
            Library->SetPassword(QStringLiteral("pw"));
        auto Picture = PatternBitmap(3, 2, 8);
        TPNGObject Png(QImage(QStringLiteral(VELKA_TESTDATA_DIR "/pngsuite/png/basn0g01.png")));
        Library->BeforeSave();
        Library->AddImage(Picture.get(), 1, 1, 0);
        Library->AddImage(nullptr, 2, 2, 0);
        Library->AddImage(&Png, 3, 3, 2);
        Library->Save();
        Library.reset();
        const Bytes Good = ReadFileBytes(Name);

        int Round = 0;
        const auto ReadEverything = [&](const Bytes& File) {
            // A fresh name each time: rewriting one file in place makes the file system flush it.
            const QString Copy = Temp.Write(QStringLiteral("damaged%1.data").arg(Round++), File);
            const auto Cleanup = qScopeGuard([&] { QFile::remove(Copy); });
            try {
                auto Damaged = OpenPackage(Copy, QStringLiteral("pw"));
                for (int32_t I = 0; I < Damaged->ImageCount; ++I) {
                    int32_t W, H, X, Y;
                    Damaged->GetImageInfo(I, W, H, X, Y);
                    Damaged->GetImageKind(I);
                    try {
                        Damaged->GetGraphic(I);
                    } catch (const EVelkaError&) {
                    }
                }
            } catch (const EVelkaError&) {
            }
        };
        for (size_t Length = 0; Length < Good.size(); ++Length)
            ReadEverything(Slice(Good, 0, Length));
        for (size_t At = 0; At < Good.size(); ++At) {
            Bytes File = Good;
            File[At] ^= 0xFF;
            ReadEverything(File);
        }
    }
}

}  // namespace
}  // namespace velka::test

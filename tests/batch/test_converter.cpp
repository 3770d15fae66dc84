// The converter: single files, folder runs, offsets by source kind, overwrite answers,
// failures, and the parallel encoding giving the bytes of the sequential run.
#include "batch/converter.h"
#include "library/packageimages.h"
#include "support/libraryfixtures.h"
#include "support/tempdir.h"
#include "support/wilwriter.h"
#include "support/wzlfiles.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace velka;
using namespace velka::test;

namespace {

// A 16-bit WIL image of Width x 2 whose pixels depend on Seed (stored bottom row first).
TWilImage WilImage(int16_t Width, int16_t X, int16_t Y, uint8_t Seed)
{
    TWilImage Image{Width, 2, X, Y, {}};
    for (int I = 0; I < Width * 2 * 2; ++I) Image.Pixels.push_back(uint8_t(Seed + I * 5));
    return Image;
}

class ConverterTest : public TempDirTest {
protected:
    // Eight images: 0..5 of widths 4..9 with offsets (k, -k), 6 at (-20, -30), 7 empty.
    QString WriteWil(const QString& Name, int Version = 1)
    {
        TWilWriter Wil(Version, 16);
        for (int K = 0; K < 6; ++K) Wil.Add(WilImage(int16_t(4 + K), int16_t(K), int16_t(-K), uint8_t(K * 10)));
        Wil.Add(WilImage(6, -20, -30, 99));
        Wil.AddEmpty();
        const QString Path = Temp.File(Name);
        EXPECT_TRUE(Wil.Write(Path));
        return Path;
    }

    std::vector<std::string> Log;
    std::vector<QString> Asked;
    bool Answer = true;

    TConverterCallbacks Callbacks()
    {
        TConverterCallbacks Result;
        Result.Log = [this](const QString& Line) { Log.push_back(Line.toStdString()); };
        Result.ConfirmOverwrite = [this](const QString& Target) {
            Asked.push_back(Target);
            return Answer;
        };
        return Result;
    }

    TConvertOptions Options(TConversion Conversion, int Workers = 2) const
    {
        TConvertOptions Result;
        Result.Conversion = Conversion;
        Result.WorkerCount = Workers;
        return Result;
    }

    static QPoint OffsetOf(TWMImages& Library, int32_t N)
    {
        int32_t W, H, X, Y;
        EXPECT_TRUE(Library.GetImageInfo(N, W, H, X, Y));
        return {X, Y};
    }
};

TEST_F(ConverterTest, WilToEachTargetKeepsPicturesAndOffsets)
{
    const QString Source = WriteWil(QStringLiteral("Hum.wil"));
    auto Wil = OpenLibraryFile(Source);
    for (const auto& [Conversion, Extension] : {std::pair{TConversion::WilToData, ".DATA"}, {TConversion::WilToWzl, ".WZL"}}) {
        SCOPED_TRACE(Extension);
        const QString Target = Temp.File(QStringLiteral("Hum") + QLatin1String(Extension));
        const TConvertFileResult Result = ConvertLibrary(Source, Target, Options(Conversion), Callbacks());
        ASSERT_TRUE(Result.Ok()) << Result.Error.toStdString();
        EXPECT_EQ(Result.Images, 8);
        auto Converted = OpenLibraryFile(Target);
        ASSERT_EQ(Converted->ImageCount, 8);
        for (int32_t N = 0; N < 7; ++N) {
            SCOPED_TRACE(N);
            const TImageView Before = ViewImage(*Wil, N);
            const TImageView After = ViewImage(*Converted, N);
            EXPECT_EQ(After.Picture, Before.Picture) << "stored the right way up";
            EXPECT_EQ(After.BitCount, 16);
            EXPECT_EQ(QPoint(After.X, After.Y), QPoint(Before.X, Before.Y));
            EXPECT_EQ(After.Flag, 0);
        }
        // Image 7 is empty and carries no offset, though image 6 had one.
        EXPECT_FALSE(ViewImage(*Converted, 7).HasGraphic);
        EXPECT_EQ(OffsetOf(*Converted, 7), QPoint(0, 0));
        EXPECT_EQ(Converted->PositionOf(7), 0);
    }
    EXPECT_TRUE(Log.empty()) << "single files log nothing when they succeed";
}

TEST_F(ConverterTest, EightBitWilImagesKeepTheirOwnPalette)
{
    TWilWriter Wil(0, 8);
    TWilImage Image{5, 3, 2, 3, {}};
    for (int I = 0; I < 8 * 3; ++I) Image.Pixels.push_back(uint8_t(I * 9 + 1));
    Wil.Add(Image);
    ASSERT_TRUE(Wil.Write(Temp.File(QStringLiteral("p.wil"))));
    auto Source = OpenLibraryFile(Temp.File(QStringLiteral("p.wil")));
    const TConvertFileResult Result =
        ConvertLibrary(Temp.File(QStringLiteral("p.wil")), Temp.File(QStringLiteral("p.data")), Options(TConversion::WilToData));
    ASSERT_TRUE(Result.Ok());
    auto Target = OpenLibraryFile(Temp.File(QStringLiteral("p.data")));
    const TImageView Before = ViewImage(*Source, 0);
    const TImageView After = ViewImage(*Target, 0);
    EXPECT_EQ(After.BitCount, 8);
    EXPECT_EQ(QPoint(After.X, After.Y), QPoint(2, 3));
    // The target stores the pixel bytes; 8-bit DATA images show them through DefaultPalette.
    auto* Original = dynamic_cast<TDIB*>(Source->GetGraphic(0));
    auto* Copied = dynamic_cast<TDIB*>(Target->GetGraphic(0));
    ASSERT_TRUE(Original && Copied);
    EXPECT_TRUE(std::equal(Original->PBits(), Original->PBits() + Original->PixelBytes(), Copied->PBits()));
    EXPECT_NE(Before.Picture, QImage());
}

TEST_F(ConverterTest, OneByOneSourceImageBecomesEmptyKeepingItsOffset)
{
    auto Wzl = NewLibrary(Temp.File(QStringLiteral("s.wzl")));
    Wzl->BeforeSave();
    AddUpright(*Wzl, PatternBitmap(1, 1, 16, 1).get(), 7, -7);
    AddUpright(*Wzl, PatternBitmap(3, 3, 16, 2).get(), 1, 2);
    Wzl->Save();
    ASSERT_TRUE(ConvertLibrary(Temp.File(QStringLiteral("s.wzl")), Temp.File(QStringLiteral("s.data")),
                               Options(TConversion::WzlToData))
                    .Ok());
    auto Target = OpenLibraryFile(Temp.File(QStringLiteral("s.data")));
    EXPECT_FALSE(ViewImage(*Target, 0).HasGraphic);
    EXPECT_EQ(OffsetOf(*Target, 0), QPoint(7, -7));
    EXPECT_EQ(OffsetOf(*Target, 1), QPoint(1, 2));
}

TEST_F(ConverterTest, WzlOffsetsOnlyEntryKeepsItsOffset)
{
    auto Wzl = NewLibrary(Temp.File(QStringLiteral("o.wzl")));
    Wzl->BeforeSave();
    AddUpright(*Wzl, nullptr, 5, -3);
    Wzl->Save();
    ASSERT_TRUE(ConvertLibrary(Temp.File(QStringLiteral("o.wzl")), Temp.File(QStringLiteral("o.data")),
                               Options(TConversion::WzlToData))
                    .Ok());
    EXPECT_EQ(OffsetOf(*OpenLibraryFile(Temp.File(QStringLiteral("o.data"))), 0), QPoint(5, -3));
}

TEST_F(ConverterTest, OffsetsComeFromTheConversionsSourceKindUnlessAskedOtherwise)
{
    auto Wzl = NewLibrary(Temp.File(QStringLiteral("k.wzl")));
    Wzl->BeforeSave();
    AddUpright(*Wzl, PatternBitmap(3, 3, 16, 2).get(), 11, 12);
    Wzl->Save();
    // "WIL to DATA" with a WZL source: offsets are read from the WIL header copy, which the WZL
    // reader never fills.
    ASSERT_TRUE(ConvertLibrary(Temp.File(QStringLiteral("k.wzl")), Temp.File(QStringLiteral("k1.data")),
                               Options(TConversion::WilToData))
                    .Ok());
    EXPECT_EQ(OffsetOf(*OpenLibraryFile(Temp.File(QStringLiteral("k1.data"))), 0), QPoint(0, 0));
    TConvertOptions BySource = Options(TConversion::WilToData);
    BySource.OffsetsBySourceType = true;
    ASSERT_TRUE(ConvertLibrary(Temp.File(QStringLiteral("k.wzl")), Temp.File(QStringLiteral("k2.data")), BySource).Ok());
    EXPECT_EQ(OffsetOf(*OpenLibraryFile(Temp.File(QStringLiteral("k2.data"))), 0), QPoint(11, 12));
    // A DATA source gives its stored offsets only when asked to.
    ASSERT_TRUE(ConvertLibrary(Temp.File(QStringLiteral("k2.data")), Temp.File(QStringLiteral("k3.wzl")), BySource).Ok());
    EXPECT_EQ(OffsetOf(*OpenLibraryFile(Temp.File(QStringLiteral("k3.wzl"))), 0), QPoint(11, 12));
}

TEST_F(ConverterTest, ParallelRunWritesTheBytesOfTheSequentialRun)
{
    TWilWriter Wil(1, 16);
    for (int K = 0; K < 120; ++K) {
        if (K % 17 == 3)
            Wil.AddEmpty();
        else
            Wil.Add(WilImage(int16_t(8 + K % 13), int16_t(K), int16_t(-K), uint8_t(K)));
    }
    ASSERT_TRUE(Wil.Write(Temp.File(QStringLiteral("big.wil"))));
    for (const char* Extension : {".wzl", ".data"}) {
        SCOPED_TRACE(Extension);
        std::vector<std::vector<uint8_t>> Outputs;
        for (int Workers : {1, 2, 3}) {
            const QString Target = Temp.File(QStringLiteral("big%1%2").arg(Workers).arg(QLatin1String(Extension)));
            ASSERT_TRUE(ConvertLibrary(Temp.File(QStringLiteral("big.wil")), Target, Options(TConversion::WilToWzl, Workers)).Ok());
            std::vector<uint8_t> Bytes = ReadFileBytes(Target);
            // A DATA header is enciphered under a fresh random IV each time: compare what follows.
            if (QLatin1String(Extension) == QLatin1String(".data")) Bytes.erase(Bytes.begin(), Bytes.begin() + 80);
            Outputs.push_back(std::move(Bytes));
            if (QLatin1String(Extension) == QLatin1String(".wzl")) {
                const std::vector<uint8_t> Index = ReadFileBytes(ChangeFileExt(Target, QStringLiteral(".wzx")));
                ASSERT_FALSE(Index.empty());
                Outputs.back().insert(Outputs.back().end(), Index.begin(), Index.end());
            }
        }
        ASSERT_GT(Outputs[0].size(), 1000u);
        EXPECT_EQ(Outputs[1], Outputs[0]);
        EXPECT_EQ(Outputs[2], Outputs[0]);
    }
}

TEST_F(ConverterTest, ExistingTargetIsReplacedOnlyWhenConfirmed)
{
    const QString Source = WriteWil(QStringLiteral("a.wil"));
    const QString Target = Temp.File(QStringLiteral("a.data"));
    Temp.Write(QStringLiteral("a.data"), {1, 2, 3});
    Answer = false;
    const TConvertFileResult Declined = ConvertLibrary(Source, Target, Options(TConversion::WilToData), Callbacks());
    EXPECT_EQ(Declined.Status, TConvertFileResult::TStatus::Declined);
    EXPECT_EQ(ReadFileBytes(Target), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(Asked, std::vector<QString>{Target});
    EXPECT_TRUE(Log.empty()) << "a declined overwrite logs no failure";

    Answer = true;
    ASSERT_TRUE(ConvertLibrary(Source, Target, Options(TConversion::WilToData), Callbacks()).Ok());
    EXPECT_EQ(OpenLibraryFile(Target)->ImageCount, 8);
    EXPECT_EQ(QDir(Temp.Path()).entryList(QDir::Files).filter(QStringLiteral("partial")).size(), 0);
}

TEST_F(ConverterTest, FailuresAreReportedAndLeaveNoTarget)
{
    const QString Source = WriteWil(QStringLiteral("f.wil"));
    Temp.Write(QStringLiteral("notes.txt"), {1});
    struct TCase {
        QString Source;
        QString Target;
    } const Cases[] = {
        {Temp.File(QStringLiteral("missing.wil")), Temp.File(QStringLiteral("m.data"))},
        {Temp.File(QStringLiteral("notes.txt")), Temp.File(QStringLiteral("n.data"))},
        {Source, Temp.File(QStringLiteral("f.bmp"))},
        {Source, Temp.File(QStringLiteral("F.WIL"))},
        {Source, Temp.File(QStringLiteral("no/such/folder/f.data"))},
        {Temp.Write(QStringLiteral("junk.data"), {1, 2, 3, 4, 5}), Temp.File(QStringLiteral("j.wzl"))},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Target.toStdString());
        Log.clear();
        const TConvertFileResult Result = ConvertLibrary(Case.Source, Case.Target, Options(TConversion::WilToData), Callbacks());
        EXPECT_EQ(Result.Status, TConvertFileResult::TStatus::Failed);
        EXPECT_FALSE(Result.Error.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(Case.Target));
        ASSERT_EQ(Log.size(), 1u);
        const std::string Named = "effor " + Case.Source.toStdString() + ": ";
        EXPECT_EQ(Log[0].rfind(Named, 0), 0u) << Log[0];
        EXPECT_GT(Log[0].size(), Named.size()) << "with a reason";
    }
}

// A WZL target cannot hold PNG pictures: skipping one would renumber every later image, so the
// file fails, is logged and leaves no target.
TEST_F(ConverterTest, PngSourceImageFailsAWzlTargetAndIsLogged)
{
    const QString Source = Temp.File(QStringLiteral("m.data"));
    auto Data = NewLibrary(Source);
    Data->BeforeSave();
    AddUpright(*Data, PatternBitmap(4, 3, 16, 1).get(), 0, 0);
    TPNGObject Png(PatternImage(5, 4, 2));
    ASSERT_TRUE(Data->AddImage(&Png, 0, 0, 2));
    AddUpright(*Data, PatternBitmap(6, 3, 16, 3).get(), 0, 0);
    Data->Save();
    Data.reset();
    const QString Target = Temp.File(QStringLiteral("m.wzl"));
    const TConvertFileResult Result = ConvertLibrary(Source, Target, Options(TConversion::WzlToData), Callbacks());
    EXPECT_EQ(Result.Status, TConvertFileResult::TStatus::Failed);
    EXPECT_FALSE(Result.Ok());
    EXPECT_TRUE(Result.Error.contains(QStringLiteral("image 1"))) << Result.Error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Target));
    ASSERT_EQ(Log.size(), 1u);
    EXPECT_EQ(Log[0].rfind("effor " + Source.toStdString() + ": ", 0), 0u) << Log[0];
    ASSERT_TRUE(ConvertLibrary(Source, Temp.File(QStringLiteral("m2.data")), Options(TConversion::WzlToData)).Ok())
        << "a DATA target takes it";
}

TEST_F(ConverterTest, ProtectedDataSourceNeedsItsPassword)
{
    auto Data = NewLibrary(Temp.File(QStringLiteral("p.data")));
    Data->BeforeSave();
    AddUpright(*Data, PatternBitmap(3, 3, 16, 2).get(), 1, 1);
    Data->Save();
    Data->SetPassword(QStringLiteral("secret"));
    Data.reset();
    TConvertOptions Convert = Options(TConversion::WzlToData);
    EXPECT_EQ(ConvertLibrary(Temp.File(QStringLiteral("p.data")), Temp.File(QStringLiteral("p.wzl")), Convert).Status,
              TConvertFileResult::TStatus::Failed);
    Convert.OnPassword = [](TWMImages&, QString& Password) { Password = QStringLiteral("secret"); };
    ASSERT_TRUE(ConvertLibrary(Temp.File(QStringLiteral("p.data")), Temp.File(QStringLiteral("p.wzl")), Convert).Ok());
    EXPECT_EQ(OpenLibraryFile(Temp.File(QStringLiteral("p.wzl")))->ImageCount, 1);
}

TEST_F(ConverterTest, DamagedSourceImagesAreListed)
{
    const TConvertFileResult Result = ConvertLibrary(WriteDamagedWzl(Temp), Temp.File(QStringLiteral("d.data")),
                                                     Options(TConversion::WzlToData), Callbacks());
    EXPECT_FALSE(Result.Ok());
    EXPECT_EQ(Result.Status, TConvertFileResult::TStatus::Converted);
    ASSERT_EQ(Result.DamagedImages.size(), 1u);
    EXPECT_EQ(Result.DamagedImages[0].Number, 1);
    ASSERT_EQ(Log.size(), 1u);
    EXPECT_EQ(Log[0].rfind("effor ", 0), 0u);
    EXPECT_EQ(OpenLibraryFile(Temp.File(QStringLiteral("d.data")))->ImageCount, 2);
}

TEST_F(ConverterTest, StopLeavesNoTarget)
{
    const QString Source = WriteWil(QStringLiteral("s.wil"));
    TConverterCallbacks Stopping = Callbacks();
    Stopping.ImageProgress = [](int Current, int) { return Current < 3; };
    const TConvertFileResult Result = ConvertLibrary(Source, Temp.File(QStringLiteral("s.wzl")), Options(TConversion::WilToWzl), Stopping);
    EXPECT_EQ(Result.Status, TConvertFileResult::TStatus::Stopped);
    EXPECT_FALSE(QFileInfo::exists(Temp.File(QStringLiteral("s.wzl"))));
    EXPECT_EQ(QDir(Temp.Path()).entryList(QDir::Files).filter(QStringLiteral("partial")).size(), 0);
}

TEST_F(ConverterTest, WisSourceGivesAllEmptyImages)
{
    Temp.Write(QStringLiteral("w.wis"), {0, 1, 2, 3});
    const TConvertFileResult Result =
        ConvertLibrary(Temp.File(QStringLiteral("w.wis")), Temp.File(QStringLiteral("w.wzl")), Options(TConversion::WisToWzl));
    ASSERT_TRUE(Result.Ok());
    auto Target = OpenLibraryFile(Temp.File(QStringLiteral("w.wzl")));
    EXPECT_EQ(Target->ImageCount, 300000);
    EXPECT_EQ(Target->PositionOf(299999), 0);
}

TEST_F(ConverterTest, FolderRunConvertsEveryListedFile)
{
    ASSERT_TRUE(QDir(Temp.Path()).mkdir(QStringLiteral("in")));
    ASSERT_TRUE(QDir(Temp.Path()).mkdir(QStringLiteral("out")));
    WriteWil(QStringLiteral("in/Hum.wil"));
    WriteWil(QStringLiteral("in/Hair.WIL"), 0);
    Temp.Write(QStringLiteral("in/other.wzl"), {1});
    QStringList Sources = ListSourceFiles(Temp.File(QStringLiteral("in")), TConversion::WilToData);
    Sources.sort();
    ASSERT_EQ(Sources.size(), 2);
    // The list was made for WIL to DATA; the run uses WIS to WZL, which reads WIL offsets too.
    const QString Out = Temp.File(QStringLiteral("out")) + u'/';
    const TConvertFolderResult Result = ConvertFolder(Sources, Out, Options(TConversion::WisToWzl), Callbacks());
    ASSERT_TRUE(Result.Ok());
    ASSERT_EQ(Result.Files.size(), 2u);
    EXPECT_EQ(Log, (std::vector<std::string>{(Sources[0] + QStringLiteral(" -> ") + Out + QStringLiteral("Hair.WZL")).toStdString(),
                                              (Sources[1] + QStringLiteral(" -> ") + Out + QStringLiteral("Hum.WZL")).toStdString()}));
    auto Hum = OpenLibraryFile(Out + QStringLiteral("Hum.WZL"));
    EXPECT_EQ(OffsetOf(*Hum, 6), QPoint(-20, -30));
    EXPECT_TRUE(QFileInfo::exists(Out + QStringLiteral("Hair.WZL")));
}

TEST_F(ConverterTest, FolderRunTargetNames)
{
    EXPECT_EQ(FolderTargetName(QStringLiteral("/out/"), QStringLiteral("/in/Hum.wil"), TConversion::WilToData),
              QStringLiteral("/out/Hum.DATA"));
    EXPECT_EQ(FolderTargetName(QStringLiteral("/out"), QStringLiteral("/in/a.wil.wil"), TConversion::WilToWzl),
              QStringLiteral("/out/a.WZL"));
    EXPECT_EQ(FolderTargetName(QStringLiteral("/out/"), QStringLiteral("/in/x.WIS"), TConversion::WisToData),
              QStringLiteral("/out/x.DATA"));
}

TEST_F(ConverterTest, SameNamedSourcesAskBeforeTheSecondOverwritesTheFirst)
{
    ASSERT_TRUE(QDir(Temp.Path()).mkdir(QStringLiteral("in")));
    WriteWil(QStringLiteral("in/a.wil"));
    WriteWil(QStringLiteral("in/a.wil.wil"));
    QStringList Sources = ListSourceFiles(Temp.File(QStringLiteral("in")), TConversion::WilToData);
    Sources.sort();
    Answer = false;
    const TConvertFolderResult Result = ConvertFolder(Sources, Temp.Path(), Options(TConversion::WilToData), Callbacks());
    ASSERT_EQ(Result.Files.size(), 2u);
    EXPECT_TRUE(Result.Files[0].Ok());
    EXPECT_EQ(Result.Files[1].Status, TConvertFileResult::TStatus::Declined);
    EXPECT_EQ(Asked, std::vector<QString>{Temp.File(QStringLiteral("a.DATA"))});
    EXPECT_TRUE(Result.Ok()) << "a declined overwrite is the user's choice";
}

TEST_F(ConverterTest, FolderRunGoesOnAfterAFailedFile)
{
    ASSERT_TRUE(QDir(Temp.Path()).mkdir(QStringLiteral("in")));
    WriteWil(QStringLiteral("in/b.wil"));
    const QStringList Sources{Temp.File(QStringLiteral("in/gone.wil")), Temp.File(QStringLiteral("in/b.wil"))};
    const TConvertFolderResult Result = ConvertFolder(Sources, Temp.Path(), Options(TConversion::WilToWzl), Callbacks());
    ASSERT_EQ(Result.Files.size(), 2u);
    EXPECT_FALSE(Result.Ok());
    EXPECT_EQ(Result.Files[0].Status, TConvertFileResult::TStatus::Failed);
    EXPECT_TRUE(Result.Files[1].Ok());
    ASSERT_EQ(Log.size(), 3u);  // " -> ", "effor ...", " -> "
    EXPECT_EQ(Log[1].rfind("effor ", 0), 0u);
}

}  // namespace

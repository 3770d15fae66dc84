// velka-tool through its real binary: exit codes, output formats, errors.
#include "batch/placement.h"
#include "library/packageimages.h"
#include "support/libraryfixtures.h"
#include "support/tempdir.h"
#include "support/wilwriter.h"
#include "support/wzlfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

using namespace velka;
using namespace velka::test;

namespace {

struct TRun {
    int Exit = -1;
    QString Out;
    QString Err;
};

TRun RunTool(const QStringList& Arguments)
{
    QProcess Process;
    Process.start(QStringLiteral(VELKA_TOOL_PATH), Arguments);
    TRun Run;
    if (!Process.waitForFinished(120000) || Process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "velka-tool did not finish: " << VELKA_TOOL_PATH;
        return Run;
    }
    Run.Exit = Process.exitCode();
    Run.Out = QString::fromUtf8(Process.readAllStandardOutput());
    Run.Err = QString::fromUtf8(Process.readAllStandardError());
    return Run;
}

class CliTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        ASSERT_TRUE(QFileInfo(QStringLiteral(VELKA_TOOL_PATH)).isExecutable()) << "build velka-tool first";
    }

    // Image 0: 16-bit 6 x 4 at (-20, -30); 1: empty; 2: 24-bit 5 x 3 at (7, 8); (DATA) 3: PNG.
    QString SmallLibrary(const QString& Name)
    {
        auto Library = NewLibrary(Temp.File(Name));
        Library->BeforeSave();
        AddUpright(*Library, PatternBitmap(6, 4, 16, 0).get(), -20, -30);
        AddUpright(*Library, nullptr, 0, 0);
        AddUpright(*Library, PatternBitmap(5, 3, 24, 2).get(), 7, 8);
        if (Name.endsWith(QStringLiteral(".data"))) {
            const TPNGObject Png(PatternImage(4, 4, 5));
            AddUpright(*Library, &Png, 1, 2, 2);
        }
        Library->Save();
        return Temp.File(Name);
    }

    QString ProtectedLibrary()
    {
        const QString Name = SmallLibrary(QStringLiteral("locked.data"));
        OpenLibraryFile(Name)->SetPassword(QStringLiteral("sesame"));
        return Name;
    }

    static void ExpectError(const TRun& Run, int Exit, const char* Fragment)
    {
        EXPECT_EQ(Run.Exit, Exit) << Run.Err.toStdString();
        EXPECT_TRUE(Run.Err.startsWith(QStringLiteral("velka-tool: "))) << Run.Err.toStdString();
        EXPECT_TRUE(Run.Err.contains(QLatin1String(Fragment))) << Run.Err.toStdString();
    }
};

TEST_F(CliTest, HelpAndUsageErrors)
{
    const TRun Help = RunTool({QStringLiteral("--help")});
    EXPECT_EQ(Help.Exit, 0);
    for (const char* Command : {"info", "list", "export", "import", "convert", "create", "delete", "offset", "password", "verify"}) {
        SCOPED_TRACE(Command);
        EXPECT_TRUE(Help.Out.contains(QStringLiteral("  ") + QLatin1String(Command) + u' '));
        const TRun CommandHelp = RunTool({QLatin1String(Command), QStringLiteral("--help")});
        EXPECT_EQ(CommandHelp.Exit, 0);
        EXPECT_TRUE(CommandHelp.Out.startsWith(QStringLiteral("usage: velka-tool")));
        EXPECT_TRUE(CommandHelp.Err.isEmpty()) << "no progress or noise on a pipe";
    }
    ExpectError(RunTool({}), 2, "no command");
    ExpectError(RunTool({QStringLiteral("frobnicate")}), 2, "unknown command");
    ExpectError(RunTool({QStringLiteral("info")}), 2, "missing");
    ExpectError(RunTool({QStringLiteral("list"), QStringLiteral("x.wzl"), QStringLiteral("--bogus")}), 2, "unknown option");
    ExpectError(RunTool({QStringLiteral("list"), QStringLiteral("x.wzl"), QStringLiteral("--range")}), 2, "needs a value");
    ExpectError(RunTool({QStringLiteral("delete"), QStringLiteral("x.wzl"), QStringLiteral("1"), QStringLiteral("z")}), 2, "not an integer");
    ExpectError(RunTool({QStringLiteral("import"), QStringLiteral("x.wzl"), QStringLiteral("d"), QStringLiteral("--mode"), QStringLiteral("sideways")}),
                2, "--mode");
}

TEST_F(CliTest, FailuresExitWithOne)
{
    ExpectError(RunTool({QStringLiteral("info"), Temp.File(QStringLiteral("missing.wzl"))}), 1, "file not found");
    Temp.Write(QStringLiteral("pic.bmp"), {1, 2});
    ExpectError(RunTool({QStringLiteral("info"), Temp.File(QStringLiteral("pic.bmp"))}), 1, "not a library");
    ExpectError(RunTool({QStringLiteral("create"), Temp.File(QStringLiteral("new.wil"))}), 1, ".wzl and .data");
    EXPECT_FALSE(QFileInfo::exists(Temp.File(QStringLiteral("new.wil"))));
}

TEST_F(CliTest, InfoPrintsKeyValueLines)
{
    const TRun Data = RunTool({QStringLiteral("info"), SmallLibrary(QStringLiteral("a.data"))});
    EXPECT_EQ(Data.Exit, 0);
    EXPECT_EQ(Data.Out, QStringLiteral("format: DATA\nimages: 4\nindex entries: 4\neditable: yes\npassword: none\n"));
    const TRun Wzl = RunTool({QStringLiteral("info"), SmallLibrary(QStringLiteral("a.wzl"))});
    EXPECT_EQ(Wzl.Out, QStringLiteral("format: WZL\nimages: 3\nindex entries: 3\neditable: yes\n"));
    TWilWriter Wil(1, 16);
    Wil.Add({4, 2, 0, 0, std::vector<uint8_t>(16, 1)});
    ASSERT_TRUE(Wil.Write(Temp.File(QStringLiteral("w.wil"))));
    EXPECT_EQ(RunTool({QStringLiteral("info"), Temp.File(QStringLiteral("w.wil"))}).Out,
              QStringLiteral("format: WIL\nimages: 1\nindex entries: 1\neditable: no\n"));
    Temp.Write(QStringLiteral("w.wis"), {0});
    EXPECT_EQ(RunTool({QStringLiteral("info"), Temp.File(QStringLiteral("w.wis"))}).Out,
              QStringLiteral("format: WIS\nimages: 300000\nindex entries: 0\neditable: no\n"));
}

TEST_F(CliTest, ListAsTabsAndAsJson)
{
    const QString Library = SmallLibrary(QStringLiteral("l.data"));
    const TRun Tabs = RunTool({QStringLiteral("list"), Library});
    EXPECT_EQ(Tabs.Exit, 0);
    EXPECT_EQ(Tabs.Out, QStringLiteral("0\t6\t4\t-20\t-30\t0\tbmp16\n"
                                       "1\t0\t0\t0\t0\t0\tempty\n"
                                       "2\t5\t3\t7\t8\t0\tbmp24\n"
                                       "3\t4\t4\t1\t2\t2\tpng\n"));
    EXPECT_EQ(RunTool({QStringLiteral("list"), Library, QStringLiteral("--range"), QStringLiteral("2:2")}).Out,
              QStringLiteral("2\t5\t3\t7\t8\t0\tbmp24\n"));
    const TRun Json = RunTool({QStringLiteral("list"), Library, QStringLiteral("--json"), QStringLiteral("--range"), QStringLiteral("0:1")});
    ASSERT_EQ(Json.Exit, 0);
    QJsonParseError Error;
    const QJsonDocument Document = QJsonDocument::fromJson(Json.Out.toUtf8(), &Error);
    ASSERT_EQ(Error.error, QJsonParseError::NoError) << Json.Out.toStdString();
    const QJsonArray Images = Document.array();
    ASSERT_EQ(Images.size(), 2);
    const QJsonObject First = Images[0].toObject();
    EXPECT_EQ(First.keys(), (QStringList{"flag", "height", "kind", "number", "width", "x", "y"}));
    EXPECT_EQ(First[QStringLiteral("x")].toInt(), -20);
    EXPECT_EQ(First[QStringLiteral("kind")].toString(), QStringLiteral("bmp16"));
    EXPECT_EQ(Images[1].toObject()[QStringLiteral("kind")].toString(), QStringLiteral("empty"));
    ExpectError(RunTool({QStringLiteral("list"), Library, QStringLiteral("--range"), QStringLiteral("0:4")}), 1, "outside");
}

TEST_F(CliTest, WrongPasswordIsAnErrorForEveryCommand)
{
    const QString Library = ProtectedLibrary();
    const QString Out = Temp.File(QStringLiteral("out"));
    const QList<QStringList> Commands = {
        {QStringLiteral("info"), Library},
        {QStringLiteral("list"), Library},
        {QStringLiteral("export"), Library, Out},
        {QStringLiteral("import"), Library, Out},
        {QStringLiteral("convert"), Library, Temp.File(QStringLiteral("c.wzl"))},
        {QStringLiteral("delete"), Library, QStringLiteral("0"), QStringLiteral("0")},
        {QStringLiteral("offset"), Library, QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("1")},
        {QStringLiteral("password"), Library, QString()},
        {QStringLiteral("verify"), Library},
    };
    for (const QStringList& Command : Commands) {
        SCOPED_TRACE(Command.front().toStdString());
        ExpectError(RunTool(Command), 1, "wrong password");
        ExpectError(RunTool(QStringList{QStringLiteral("--password"), QStringLiteral("Sesame")} + Command), 1, "wrong password");
    }
    EXPECT_FALSE(QFileInfo::exists(Temp.File(QStringLiteral("c.wzl"))));
    const TRun Right = RunTool({QStringLiteral("--password"), QStringLiteral("sesame"), QStringLiteral("info"), Library});
    EXPECT_EQ(Right.Exit, 0);
    EXPECT_TRUE(Right.Out.contains(QStringLiteral("images: 4\n")));
    EXPECT_TRUE(Right.Out.endsWith(QStringLiteral("password: protected\n")));
}

TEST_F(CliTest, PasswordSetAndRemoved)
{
    const QString Library = SmallLibrary(QStringLiteral("p.data"));
    EXPECT_EQ(RunTool({QStringLiteral("password"), Library, QStringLiteral("abc")}).Exit, 0);
    ExpectError(RunTool({QStringLiteral("list"), Library}), 1, "wrong password");
    EXPECT_EQ(RunTool({QStringLiteral("--password"), QStringLiteral("abc"), QStringLiteral("password"), Library, QString()}).Exit, 0);
    EXPECT_TRUE(RunTool({QStringLiteral("info"), Library}).Out.endsWith(QStringLiteral("password: none\n")));
    ExpectError(RunTool({QStringLiteral("password"), SmallLibrary(QStringLiteral("p.wzl")), QStringLiteral("x")}), 1, "only DATA");
}

TEST_F(CliTest, ExportAndImportRoundTrip)
{
    const QString Source = SmallLibrary(QStringLiteral("src.data"));
    const QString Folder = Temp.File(QStringLiteral("pictures"));
    const TRun Export = RunTool({QStringLiteral("export"), Source, Folder});
    ASSERT_EQ(Export.Exit, 0) << Export.Err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(Folder + QStringLiteral("/00003.PNG")));
    EXPECT_TRUE(QFileInfo::exists(Folder + QStringLiteral("/Placements/00000.txt")));
    ASSERT_EQ(RunTool({QStringLiteral("create"), Temp.File(QStringLiteral("dst.data"))}).Exit, 0);
    const TRun Import = RunTool({QStringLiteral("import"), Temp.File(QStringLiteral("dst.data")), Folder});
    ASSERT_EQ(Import.Exit, 0) << Import.Err.toStdString();
    EXPECT_EQ(RunTool({QStringLiteral("list"), Temp.File(QStringLiteral("dst.data"))}).Out, RunTool({QStringLiteral("list"), Source}).Out);
}

TEST_F(CliTest, ImportOptions)
{
    const QString Library = SmallLibrary(QStringLiteral("i.wzl"));
    const QString Folder = Temp.File(QStringLiteral("in"));
    ASSERT_TRUE(QDir().mkpath(Folder));
    for (int N : {2, 1}) {
        PatternBitmap(8 + N, 2, 24, N)->SaveToFile(Folder + QStringLiteral("/%1.bmp").arg(N));
        WritePlacement(Folder + QStringLiteral("/%1.bmp").arg(N), QPoint(N, N), 0);
    }
    const TRun Insert = RunTool({QStringLiteral("import"), Library, Folder, QStringLiteral("--mode"), QStringLiteral("insert"),
                                 QStringLiteral("--start"), QStringLiteral("1"), QStringLiteral("--offset"), QStringLiteral("5,-6")});
    ASSERT_EQ(Insert.Exit, 0) << Insert.Err.toStdString();
    EXPECT_EQ(RunTool({QStringLiteral("list"), Library, QStringLiteral("--range"), QStringLiteral("1:2")}).Out,
              QStringLiteral("1\t9\t2\t5\t-6\t0\tbmp24\n2\t10\t2\t5\t-6\t0\tbmp24\n"));
    const TRun Empty = RunTool({QStringLiteral("import"), Library, QStringLiteral("--content"), QStringLiteral("empty"),
                                QStringLiteral("--start"), QStringLiteral("0"), QStringLiteral("--end"), QStringLiteral("1")});
    ASSERT_EQ(Empty.Exit, 0) << Empty.Err.toStdString();
    EXPECT_TRUE(RunTool({QStringLiteral("info"), Library}).Out.contains(QStringLiteral("images: 7\n")));
    const TRun Interleave = RunTool({QStringLiteral("import"), Library, Folder, QStringLiteral("--interleave"), QStringLiteral("1,2")});
    ASSERT_EQ(Interleave.Exit, 0);
    EXPECT_TRUE(RunTool({QStringLiteral("info"), Library}).Out.contains(QStringLiteral("images: 13\n")));
    ExpectError(RunTool({QStringLiteral("import"), Library, Folder, QStringLiteral("--mode"), QStringLiteral("insert"),
                         QStringLiteral("--interleave"), QStringLiteral("1,1")}),
                2, "--interleave");
    ExpectError(RunTool({QStringLiteral("import"), Library, Temp.File(QStringLiteral("nowhere"))}), 1, "not found");
    TWilWriter Wil(1, 16);
    Wil.Add({4, 2, 0, 0, std::vector<uint8_t>(16, 1)});
    ASSERT_TRUE(Wil.Write(Temp.File(QStringLiteral("w.wil"))));
    ExpectError(RunTool({QStringLiteral("import"), Temp.File(QStringLiteral("w.wil")), Folder}), 1, "read-only");
}

TEST_F(CliTest, ConvertSingleFileAndFolder)
{
    TWilWriter Wil(1, 16);
    Wil.Add({4, 2, -3, 4, std::vector<uint8_t>(16, 1)});
    Wil.AddEmpty();
    ASSERT_TRUE(QDir().mkpath(Temp.File(QStringLiteral("in"))));
    ASSERT_TRUE(QDir().mkpath(Temp.File(QStringLiteral("out"))));
    ASSERT_TRUE(Wil.Write(Temp.File(QStringLiteral("in/Hum.wil"))));
    ASSERT_TRUE(Wil.Write(Temp.File(QStringLiteral("in/Hair.WIL"))));

    const QString Single = Temp.File(QStringLiteral("hum.wzl"));
    const TRun First = RunTool({QStringLiteral("convert"), Temp.File(QStringLiteral("in/Hum.wil")), Single});
    ASSERT_EQ(First.Exit, 0) << First.Err.toStdString();
    EXPECT_EQ(RunTool({QStringLiteral("list"), Single}).Out, QStringLiteral("0\t4\t2\t-3\t4\t0\tbmp16\n1\t0\t0\t0\t0\t0\tempty\n"));
    ExpectError(RunTool({QStringLiteral("convert"), Temp.File(QStringLiteral("in/Hum.wil")), Single}), 1, "--yes");
    EXPECT_EQ(RunTool({QStringLiteral("convert"), Temp.File(QStringLiteral("in/Hum.wil")), Single, QStringLiteral("--yes")}).Exit, 0);
    ExpectError(RunTool({QStringLiteral("convert"), Temp.File(QStringLiteral("in/none.wil")), Temp.File(QStringLiteral("n.wzl"))}), 1, "not found");

    const TRun Folder = RunTool({QStringLiteral("convert"), QStringLiteral("--folder"), Temp.File(QStringLiteral("in")),
                                 Temp.File(QStringLiteral("out")), QStringLiteral("--type"), QStringLiteral("wil-data")});
    ASSERT_EQ(Folder.Exit, 0) << Folder.Err.toStdString();
    EXPECT_TRUE(Folder.Out.contains(Temp.File(QStringLiteral("in/Hum.wil")) + QStringLiteral(" -> ") + Temp.File(QStringLiteral("out/Hum.DATA"))));
    EXPECT_TRUE(QFileInfo::exists(Temp.File(QStringLiteral("out/Hair.DATA"))));
    const TRun Again = RunTool({QStringLiteral("convert"), QStringLiteral("--folder"), Temp.File(QStringLiteral("in")),
                                Temp.File(QStringLiteral("out")), QStringLiteral("--type"), QStringLiteral("wil-data")});
    EXPECT_EQ(Again.Exit, 1) << "existing targets without --yes";
    ExpectError(RunTool({QStringLiteral("convert"), QStringLiteral("--folder"), Temp.File(QStringLiteral("in")), Temp.File(QStringLiteral("out"))}),
                2, "--type");
    ExpectError(RunTool({QStringLiteral("convert"), QStringLiteral("--folder"), Temp.File(QStringLiteral("in")), Temp.File(QStringLiteral("out")),
                         QStringLiteral("--type"), QStringLiteral("wzl-wil")}),
                2, "--type");
}

TEST_F(CliTest, DeleteClampsTheRange)
{
    struct TCase {
        const char* First;
        const char* Last;
        bool Blank;
        const char* Images;
    } const Cases[] = {
        {"12", "15", false, "images: 9\n"},  // only image 9 of 10
        {"-5", "3", false, "images: 6\n"},
        {"7", "2", false, "images: 9\n"},    // only image 2
        {"0", "9", true, "images: 10\n"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.First);
        auto Library = NewLibrary(Temp.File(QStringLiteral("d.wzl")));
        Library->BeforeSave();
        for (int N = 0; N < 10; ++N) AddUpright(*Library, PatternBitmap(3, 3, 16, N).get(), N, 0);
        Library->Save();
        Library.reset();
        QStringList Arguments{QStringLiteral("delete"), Temp.File(QStringLiteral("d.wzl")), QLatin1String(Case.First), QLatin1String(Case.Last)};
        if (Case.Blank) Arguments.append(QStringLiteral("--blank"));
        ASSERT_EQ(RunTool(Arguments).Exit, 0);
        const TRun Info = RunTool({QStringLiteral("info"), Temp.File(QStringLiteral("d.wzl"))});
        EXPECT_TRUE(Info.Out.contains(QLatin1String(Case.Images))) << Info.Out.toStdString();
    }
    EXPECT_TRUE(RunTool({QStringLiteral("list"), Temp.File(QStringLiteral("d.wzl")), QStringLiteral("--range"), QStringLiteral("4:4")})
                    .Out.endsWith(QStringLiteral("\tempty\n")));
    ASSERT_EQ(RunTool({QStringLiteral("create"), Temp.File(QStringLiteral("e.wzl"))}).Exit, 0);
    ExpectError(RunTool({QStringLiteral("delete"), Temp.File(QStringLiteral("e.wzl")), QStringLiteral("0"), QStringLiteral("0")}), 1, "no images");
}

TEST_F(CliTest, OffsetModes)
{
    const QString Library = SmallLibrary(QStringLiteral("o.data"));
    ASSERT_EQ(RunTool({QStringLiteral("offset"), Library, QStringLiteral("2"), QStringLiteral("-1"), QStringLiteral("-2")}).Exit, 0);
    ASSERT_EQ(RunTool({QStringLiteral("offset"), Library, QStringLiteral("--range"), QStringLiteral("0:0"), QStringLiteral("--set"),
                       QStringLiteral("3,4")}).Exit, 0);
    ASSERT_EQ(RunTool({QStringLiteral("offset"), Library, QStringLiteral("--range"), QStringLiteral("2:3"), QStringLiteral("--add"),
                       QStringLiteral("-4,10")}).Exit, 0);
    const TRun List = RunTool({QStringLiteral("list"), Library});
    EXPECT_EQ(List.Out, QStringLiteral("0\t6\t4\t3\t4\t0\tbmp16\n"
                                       "1\t0\t0\t0\t0\t0\tempty\n"
                                       "2\t5\t3\t-5\t8\t0\tbmp24\n"
                                       "3\t4\t4\t-3\t12\t2\tpng\n"));
    ExpectError(RunTool({QStringLiteral("offset"), Library, QStringLiteral("9"), QStringLiteral("0"), QStringLiteral("0")}), 1, "outside");
    ExpectError(RunTool({QStringLiteral("offset"), Library, QStringLiteral("--range"), QStringLiteral("0:1")}), 2, "--set");
}

TEST_F(CliTest, OffsetsLeaveEmptyImagesAloneAndStayIn16Bits)
{
    const QString Library = SmallLibrary(QStringLiteral("o.data"));
    const QString Before = RunTool({QStringLiteral("list"), Library}).Out;
    const auto Offset = [&](const QStringList& Rest) { return RunTool(QStringList{QStringLiteral("offset"), Library} + Rest); };
    struct TCase {
        const char* What;
        QStringList Rest;
        int Exit;
        const char* Error;
    };
    const TCase Cases[] = {
        {"one empty image", {QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("5")}, 1, "image 1 is empty"},
        {"typed x too big", {QStringLiteral("0"), QStringLiteral("40000"), QStringLiteral("-7")}, 2, "-32768..32767"},
        {"typed y too small", {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("-32769")}, 2, "-32768..32767"},
        {"set too big", {QStringLiteral("--range"), QStringLiteral("0:3"), QStringLiteral("--set"), QStringLiteral("0,32768")}, 2, "-32768..32767"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        ExpectError(Offset(Case.Rest), Case.Exit, Case.Error);
        EXPECT_EQ(RunTool({QStringLiteral("list"), Library}).Out, Before) << "nothing changed";
    }
    const TRun Set = Offset({QStringLiteral("--range"), QStringLiteral("0:3"), QStringLiteral("--set"), QStringLiteral("32767,-32768")});
    EXPECT_EQ(Set.Exit, 0) << Set.Err.toStdString();
    EXPECT_TRUE(Set.Out.contains(QStringLiteral("1 empty images skipped"))) << Set.Out.toStdString();
    ASSERT_EQ(Offset({QStringLiteral("0"), QStringLiteral("32760"), QStringLiteral("0")}).Exit, 0);
    // Moving by 10 takes images 0 and 3 past 32767: both reported and left; image 2 moves.
    ASSERT_EQ(Offset({QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("0")}).Exit, 0);
    const TRun Add = Offset({QStringLiteral("--range"), QStringLiteral("0:3"), QStringLiteral("--add"), QStringLiteral("10,0")});
    EXPECT_EQ(Add.Exit, 1);
    EXPECT_TRUE(Add.Err.contains(QStringLiteral("image 0: "))) << Add.Err.toStdString();
    EXPECT_TRUE(Add.Err.contains(QStringLiteral("image 3: "))) << Add.Err.toStdString();
    EXPECT_FALSE(Add.Err.contains(QStringLiteral("image 2: "))) << Add.Err.toStdString();
    EXPECT_EQ(RunTool({QStringLiteral("list"), Library}).Out, QStringLiteral("0\t6\t4\t32760\t0\t0\tbmp16\n"
                                                                      "1\t0\t0\t0\t0\t0\tempty\n"
                                                                      "2\t5\t3\t10\t0\t0\tbmp24\n"
                                                                      "3\t4\t4\t32767\t-32768\t2\tpng\n"));
}

TEST_F(CliTest, PasswordsThatWouldNotOpenTheLibraryAreRefused)
{
    const QString Library = SmallLibrary(QStringLiteral("p.data"));
    struct TCase {
        const char* What;
        QString Password;
        const char* Error;
    } const Cases[] = {
        {"19 GBK bytes", QStringLiteral("a密码密码密码密码密"), "16 GBK bytes"},
        {"17 ASCII bytes", QStringLiteral("abcdefghijklmnopq"), "16 GBK bytes"},
        {"not GBK", QStringLiteral("pass\u00e9\u0e01"), "GBK cannot represent"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        ExpectError(RunTool({QStringLiteral("password"), Library, Case.Password}), 2, Case.Error);
        EXPECT_TRUE(RunTool({QStringLiteral("info"), Library}).Out.endsWith(QStringLiteral("password: none\n")));
    }
    const QString Longest = QStringLiteral("密码密码密码密码");  // exactly 16 bytes
    ASSERT_EQ(RunTool({QStringLiteral("password"), Library, Longest}).Exit, 0);
    EXPECT_EQ(RunTool({QStringLiteral("--password"), Longest, QStringLiteral("info"), Library}).Exit, 0);
}

TEST_F(CliTest, DeleteOfARangeBeforeImageZeroSaysSo)
{
    const QString Library = SmallLibrary(QStringLiteral("c.data"));
    ExpectError(RunTool({QStringLiteral("delete"), Library, QStringLiteral("-5"), QStringLiteral("-3")}), 1, "the range ends before image 0");
    EXPECT_TRUE(RunTool({QStringLiteral("info"), Library}).Out.contains(QStringLiteral("images: 4\n")));
}

TEST_F(CliTest, VerifyReportsAMissingWzlIndex)
{
    const QString Library = SmallLibrary(QStringLiteral("n.wzl"));
    ASSERT_TRUE(QFile::remove(Temp.File(QStringLiteral("n.wzx"))));
    const TRun Verify = RunTool({QStringLiteral("verify"), Library});
    EXPECT_EQ(Verify.Exit, 1);
    EXPECT_TRUE(Verify.Out.contains(QStringLiteral("index: 0 entries for 3 images"))) << Verify.Out.toStdString();
}

TEST_F(CliTest, PicturesAWzlLibraryCannotHoldOrNobodyCanDecodeFailTheRun)
{
    const QString Folder = Temp.File(QStringLiteral("in"));
    ASSERT_TRUE(QDir().mkpath(Folder));
    PatternBitmap(8, 2, 24, 1)->SaveToFile(Folder + QStringLiteral("/1.bmp"));
    TPNGObject(PatternImage(4, 4, 5)).SaveToFile(Folder + QStringLiteral("/2.png"));
    const QString Wzl = SmallLibrary(QStringLiteral("i.wzl"));
    ExpectError(RunTool({QStringLiteral("import"), Wzl, Folder}), 1, "2.png");
    EXPECT_TRUE(RunTool({QStringLiteral("info"), Wzl}).Out.contains(QStringLiteral("images: 3\n")));

    ASSERT_TRUE(QFile::remove(Folder + QStringLiteral("/2.png")));
    Temp.Write(QStringLiteral("in/3.bmp"), {'B', 'M', 1, 2, 3});
    const TRun Broken = RunTool({QStringLiteral("import"), Wzl, Folder});
    EXPECT_EQ(Broken.Exit, 1);
    EXPECT_TRUE(Broken.Err.contains(Folder + QStringLiteral("/3.bmp"))) << Broken.Err.toStdString();
    EXPECT_TRUE(RunTool({QStringLiteral("info"), Wzl}).Out.contains(QStringLiteral("images: 5\n"))) << "kept as an empty image";

    const QString Data = SmallLibrary(QStringLiteral("m.data"));  // image 3 is a PNG picture
    const TRun Convert = RunTool({QStringLiteral("convert"), Data, Temp.File(QStringLiteral("m.wzl"))});
    EXPECT_EQ(Convert.Exit, 1);
    EXPECT_TRUE(Convert.Err.contains(Data + QStringLiteral(": image 3"))) << Convert.Err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Temp.File(QStringLiteral("m.wzl"))));
}

TEST_F(CliTest, VerifyReportsDamagedEntries)
{
    const TRun Clean = RunTool({QStringLiteral("verify"), SmallLibrary(QStringLiteral("v.wzl"))});
    EXPECT_EQ(Clean.Exit, 0);
    EXPECT_EQ(Clean.Out, QStringLiteral("3 images checked, 0 damaged\n"));

    const QString DamagedLibrary = WriteDamagedWzl(Temp);
    const TRun Damaged = RunTool({QStringLiteral("verify"), DamagedLibrary});
    EXPECT_EQ(Damaged.Exit, 1);
    EXPECT_TRUE(Damaged.Out.startsWith(QStringLiteral("1: damaged: "))) << Damaged.Out.toStdString();
    EXPECT_TRUE(Damaged.Out.endsWith(QStringLiteral("2 images checked, 1 damaged\n")));
    const TRun List = RunTool({QStringLiteral("list"), DamagedLibrary});
    EXPECT_EQ(List.Exit, 1);
    EXPECT_TRUE(List.Out.endsWith(QStringLiteral("\tdamaged\n")));
    const TRun Export = RunTool({QStringLiteral("export"), DamagedLibrary, Temp.File(QStringLiteral("x"))});
    EXPECT_EQ(Export.Exit, 1);
    EXPECT_TRUE(Export.Err.contains(QStringLiteral("image 1"))) << Export.Err.toStdString();
}

// The editor's binary sits beside the tool's.
QString EditorPath()
{
    return QFileInfo(QStringLiteral(VELKA_TOOL_PATH)).absolutePath() + QStringLiteral("/velka-editor");
}

TEST_F(CliTest, EditorTakesQtsOwnOptionsBesideTheLibrary)
{
    ASSERT_TRUE(QFileInfo(EditorPath()).isExecutable()) << "build velka-editor first";
    const QString Library = SmallLibrary(QStringLiteral("e.wzl"));
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    Environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess Editor;
    Editor.setProcessEnvironment(Environment);
    Editor.start(EditorPath(), {QStringLiteral("-style"), QStringLiteral("fusion"), Library});
    ASSERT_TRUE(Editor.waitForStarted());
    EXPECT_FALSE(Editor.waitForFinished(2000)) << "refused: " << Editor.readAllStandardError().toStdString();
    Editor.kill();
    Editor.waitForFinished();

    QProcess Extra;
    Extra.setProcessEnvironment(Environment);
    Extra.start(EditorPath(), {QStringLiteral("-style"), QStringLiteral("fusion"), Library, Library});
    ASSERT_TRUE(Extra.waitForFinished(20000));
    EXPECT_EQ(Extra.exitCode(), 2);
    const QByteArray Usage = Extra.readAllStandardError();
    EXPECT_TRUE(Usage.contains("usage: velka-editor")) << Usage.toStdString();
}

}  // namespace

// The batch converter dialog driven end to end on small WZL and DATA libraries and folders.

#include "batch_testing.h"

#include "batch/filelists.h"
#include "support/tempdir.h"
#include "support/wilwriter.h"
#include "ui/batch/convertdialog.h"
#include "ui/main/drawgrid.h"
#include "ui/main/pixlooker.h"
#include "ui/main/radiogroup.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace velka::test {
namespace {

using ui::TRadioGroup;
using ui::TfrmConvertDlg;

// Image 0 a bitmap with an offset, 1 empty, 2 a 1 x 1 bitmap, 3 another bitmap.
std::vector<TFixtureImage> SourceImages() { return {{6, 5, -20, -30}, {}, {1, 1, 4, 4}, {3, 7, 8, 9}}; }

QStringList LogLines(TfrmConvertDlg& Dialog)
{
    return Find<QPlainTextEdit>(Dialog, "Memo1")->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

class BatchConvertTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        Dialog = std::make_unique<TfrmConvertDlg>();
        Dialog->show();
    }

    void SetFolderMode(bool On)
    {
        auto* Box = Find<QCheckBox>(*Dialog, "CheckBox1");
        if (Box->isChecked() != On)
            Box->click();
    }
    void SetFields(const QString& Source, const QString& Target)
    {
        Find<QLineEdit>(*Dialog, "EditFileDir")->setText(Source);
        Find<QLineEdit>(*Dialog, "EditSaveDir")->setText(Target);
    }
    void SetConversion(int Item) { Find<TRadioGroup>(*Dialog, "RadioGroupFormat")->SetItemIndex(Item); }
    bool Run() { return RunAndWait(*Dialog, Find<QPushButton>(*Dialog, "BitBtnOK")); }

    // Picks Folder through the source browse button in folder mode.
    void BrowseSourceFolder(const QString& Folder)
    {
        Answers.FolderAnswer = Folder;
        Find<QToolButton>(*Dialog, "EditFileDirButton")->click();
    }
    void BrowseTargetFolder(const QString& Folder)
    {
        Answers.FolderAnswer = Folder;
        Find<QToolButton>(*Dialog, "EditSaveDirButton")->click();
    }

    TAnsweredDialogs Answers;
    std::unique_ptr<TfrmConvertDlg> Dialog;
};

TEST_F(BatchConvertTest, OneFileBecomesANewLibraryWithEveryImageAndOffset)
{
    const QString Source = Temp.File(QStringLiteral("Hum.wzl"));
    MakeLibrary(Source, SourceImages());
    const QString Target = Temp.File(QStringLiteral("Hum.DATA"));
    SetConversion(2);  // WZL 转 DATA
    SetFields(QStringLiteral(" ") + Source, Target + QStringLiteral("\t"));
    ASSERT_TRUE(Run());

    EXPECT_EQ(Answers.Messages, std::vector<QString>{QStringLiteral("转换成功 ！！！")});
    EXPECT_TRUE(Answers.Questions.empty());
    EXPECT_TRUE(Dialog->isVisible()) << "the converter stays open after a run";
    EXPECT_TRUE(LogLines(*Dialog).isEmpty());
    std::unique_ptr<TWMImages> Result = OpenLibraryFile(Target);
    ASSERT_EQ(Result->ImageCount, 4);
    EXPECT_EQ(Stored(*Result, 0), (TStoredImage{6, 5, -20, -30, 0}));
    EXPECT_EQ(Stored(*Result, 1), TStoredImage{});
    EXPECT_EQ(Stored(*Result, 2).Width, 0) << "a 1 x 1 image becomes an empty image";
    EXPECT_EQ(Stored(*Result, 3), (TStoredImage{3, 7, 8, 9, 0}));
    auto* Bar = Find<QProgressBar>(*Dialog, "ProgressBar");
    EXPECT_EQ(Bar->maximum(), 4);
    EXPECT_EQ(Bar->value(), 4);
    for (const char* Name : {"CheckBox1", "BitBtnOK", "BitBtnClose", "EditFileDir", "EditSaveDir"})
        EXPECT_TRUE(Find<QWidget>(*Dialog, Name)->isEnabled()) << Name;
}

TEST_F(BatchConvertTest, TheImageBarMovesDuringASingleFileRun)
{
    const QString Source = Temp.File(QStringLiteral("Many.wzl"));
    std::vector<TFixtureImage> Images;
    for (int I = 0; I < 6; ++I)
        Images.push_back({5 + I, 5, I, I});
    MakeLibrary(Source, Images);
    SetConversion(2);
    SetFields(Source, Temp.File(QStringLiteral("Many.DATA")));
    auto* Bar = Find<QProgressBar>(*Dialog, "ProgressBar");
    QSignalSpy Finished(Dialog.get(), &ui::TBatchDialog::RunFinished);
    {
        TRunHold Hold(ui::TBatchJob::ImageBar, 4);
        Find<QPushButton>(*Dialog, "BitBtnOK")->click();
        ASSERT_TRUE(Hold.WaitUntilHeld());
        ASSERT_TRUE(QTest::qWaitFor([&] { return Bar->value() == 3; }, 10000));
        EXPECT_EQ(Bar->maximum(), 6);
        EXPECT_TRUE(Dialog->Busy());
        SaveScreenshot(*Dialog, QStringLiteral("batch_convert_running_single"));
        Dialog->close();
        EXPECT_TRUE(Dialog->isVisible());
        Hold.Release();
        ASSERT_TRUE(Finished.wait(30000));
    }
    EXPECT_EQ(Answers.Messages, std::vector<QString>{QStringLiteral("转换成功 ！！！")});
    EXPECT_EQ(Bar->value(), 6);
    EXPECT_EQ(OpenLibraryFile(Temp.File(QStringLiteral("Many.DATA")))->ImageCount, 6);
}

TEST_F(BatchConvertTest, AFolderRunConvertsTheListedFilesAndLogsEachPair)
{
    const QString In = Temp.File(QStringLiteral("in"));
    const QString Out = Temp.File(QStringLiteral("out"));
    QDir().mkpath(In);
    QDir().mkpath(Out);
    MakeLibrary(In + QStringLiteral("/Hum.wzl"), SourceImages());
    MakeLibrary(In + QStringLiteral("/Hair.WZL"), {{2, 2, 1, 2}});
    WritePicture(In + QStringLiteral("/notes.bmp"), 2, 2);
    SetFolderMode(true);
    EXPECT_EQ(Find<QLabel>(*Dialog, "RzLabel")->text(), QStringLiteral("旧文件目录:"));
    EXPECT_EQ(Find<QLabel>(*Dialog, "RzLabel1")->text(), QStringLiteral("新文件目录:"));
    SetConversion(2);
    BrowseSourceFolder(In);
    BrowseTargetFolder(Out);
    EXPECT_EQ(Answers.FolderTitles, (std::vector<QString>{QStringLiteral("浏览文件夹"), QStringLiteral("浏览文件夹")}));
    EXPECT_EQ(Find<QLineEdit>(*Dialog, "EditFileDir")->text(), In + QLatin1Char('/'));
    EXPECT_EQ(Find<QLineEdit>(*Dialog, "EditSaveDir")->text(), Out + QLatin1Char('/'));
    QStringList Listed = Dialog->SourceList();
    Listed.sort();
    EXPECT_EQ(Listed, (QStringList{In + QStringLiteral("/Hair.WZL"), In + QStringLiteral("/Hum.wzl")}));
    EXPECT_EQ(LogLines(*Dialog).size(), 2) << "the listing goes to the log";

    ASSERT_TRUE(Run());

    EXPECT_EQ(Answers.Messages, std::vector<QString>{QStringLiteral("转换成功 ！！！")});
    QStringList Expected;
    for (const QString& Source : Dialog->SourceList())
        Expected << Source + QStringLiteral(" -> ") + Out + QLatin1Char('/') + ExtractNameBeforeExt(Source) +
                        QStringLiteral(".DATA");
    EXPECT_EQ(LogLines(*Dialog), Expected) << "the log is cleared and gets one line per file";
    EXPECT_EQ(OpenLibraryFile(Out + QStringLiteral("/Hum.DATA"))->ImageCount, 4);
    EXPECT_EQ(Stored(*OpenLibraryFile(Out + QStringLiteral("/Hair.DATA")), 0), (TStoredImage{2, 2, 1, 2, 0}));
    auto* Files = Find<QProgressBar>(*Dialog, "ProgressBar1");
    EXPECT_EQ(Files->maximum(), 2);
    EXPECT_EQ(Files->value(), 2);
}

// A 16-bit WIL library whose images carry the offsets (X, Y) = (I - 20, -30 - I).
void WriteWil(const QString& FileName, int Count)
{
    TWilWriter Writer(1, 16);
    for (int I = 0; I < Count; ++I) {
        const int16_t Width = int16_t(2 + I);
        Writer.Add({Width, 3, int16_t(I - 20), int16_t(-30 - I), std::vector<uint8_t>(Writer.BlockSize(Width, 3), 0x5A)});
    }
    ASSERT_TRUE(Writer.Write(FileName));
}

// The list comes from the browse with WIL 转 DATA; switching to WIS 转 WZL before the run
// keeps that list, writes WZL targets and still reads the offsets from the WIL headers.
TEST_F(BatchConvertTest, AWilFolderListedOnceConvertsByTheTypeSelectedAtTheRun)
{
    const QString In = Temp.File(QStringLiteral("wil"));
    const QString Out = Temp.File(QStringLiteral("out"));
    QDir().mkpath(In);
    QDir().mkpath(Out);
    WriteWil(In + QStringLiteral("/Hum.wil"), 3);
    WriteWil(In + QStringLiteral("/Hair.WIL"), 2);
    MakeLibrary(In + QStringLiteral("/Other.wzl"), {{2, 2, 0, 0}});
    SetFolderMode(true);
    SetConversion(0);
    BrowseSourceFolder(In);
    BrowseTargetFolder(Out);
    ASSERT_EQ(Dialog->SourceList().size(), 2);
    SetConversion(4);  // WIS 转 WZL
    ASSERT_TRUE(Run());

    EXPECT_EQ(Answers.Messages, std::vector<QString>{QStringLiteral("转换成功 ！！！")});
    EXPECT_EQ(LogLines(*Dialog).filter(QStringLiteral(" -> ")).size(), 2);
    std::unique_ptr<TWMImages> Hum = OpenLibraryFile(Out + QStringLiteral("/Hum.WZL"));
    ASSERT_EQ(Hum->ImageCount, 3);
    for (int I = 0; I < 3; ++I)
        EXPECT_EQ(Stored(*Hum, I), (TStoredImage{2 + I, 3, I - 20, -30 - I, 0})) << I;
    EXPECT_EQ(OpenLibraryFile(Out + QStringLiteral("/Hair.WZL"))->ImageCount, 2);
    EXPECT_FALSE(QFileInfo::exists(Out + QStringLiteral("/Other.WZL")));
}

TEST_F(BatchConvertTest, AnExistingTargetIsReplacedOnlyWhenTheUserSaysOk)
{
    const QString Source = Temp.File(QStringLiteral("a.wzl"));
    MakeLibrary(Source, SourceImages());
    const QString Target = Temp.File(QStringLiteral("a.data"));
    MakeLibrary(Target, {{9, 9, 0, 0}});
    const QByteArray Before = FileBytes(Target);
    SetConversion(2);
    SetFields(Source, Target);

    Answers.Answers = {false};
    ASSERT_TRUE(Run());
    EXPECT_EQ(Answers.Questions, std::vector<QString>{QStringLiteral("文件已经存在，是否覆盖原文件？")});
    EXPECT_EQ(FileBytes(Target), Before) << "Cancel leaves the target as it was";
    EXPECT_FALSE(Find<QPlainTextEdit>(*Dialog, "Memo1")->toPlainText().contains(QStringLiteral("effor")));
    EXPECT_EQ(Answers.Messages.back(), QStringLiteral("目标文件已存在，未转换")) << "nothing converted: no success";

    Answers.Answers = {true};
    ASSERT_TRUE(Run());
    EXPECT_EQ(Answers.Questions.size(), 2u);
    EXPECT_EQ(Answers.Messages.back(), QStringLiteral("转换成功 ！！！"));
    EXPECT_EQ(OpenLibraryFile(Target)->ImageCount, 4);
}

// The converter may rename a new library over the one the editor has open; the editor then
// shows the new contents instead of editing the old, unlinked file.
TEST_F(BatchConvertTest, TheEditorReopensItsLibraryWhenAConversionReplacedIt)
{
    const QString Source = Temp.File(QStringLiteral("big.wzl"));
    MakeNumberedLibrary(Source, 12);
    const QString Open = Temp.File(QStringLiteral("open.data"));
    const QString Other = Temp.File(QStringLiteral("other.data"));
    MakeNumberedLibrary(Open, 3);
    struct TCase {
        const char* What;
        QString Target;  // as typed into the converter
        bool Confirm;
        int Images;      // the window's library afterwards
    };
    const TCase Cases[] = {
        {"another target", Other, true, 3},
        {"declined", Open, false, 3},
        {"replaced, named another way", Temp.Path() + QStringLiteral("/./open.data"), true, 12},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        ui::TuPixlooker Window;
        Window.OpenLibrary(Open);
        ASSERT_TRUE(Window.Images);
        Window.Runners.Convert = [&](TfrmConvertDlg& Converter) {
            Find<QCheckBox>(Converter, "CheckBox1")->setChecked(false);
            Find<TRadioGroup>(Converter, "RadioGroupFormat")->SetItemIndex(2);
            Find<QLineEdit>(Converter, "EditFileDir")->setText(Source);
            Find<QLineEdit>(Converter, "EditSaveDir")->setText(Case.Target);
            Answers.Answers = {Case.Confirm};
            ASSERT_TRUE(RunAndWait(Converter, Find<QPushButton>(Converter, "BitBtnOK")));
        };
        Window.BtnSave->trigger();
        ASSERT_TRUE(Window.Images);
        EXPECT_EQ(Window.Images->ImageCount, Case.Images);
        EXPECT_EQ(Window.DrawGrid->RowCount(), Case.Images / 10 + 1);
        EXPECT_EQ(OpenLibraryFile(Open)->ImageCount, Case.Images) << "the window shows what the file holds";
    }
}

TEST_F(BatchConvertTest, EqualPathsAreRefusedWithoutARun)
{
    const QString Source = Temp.File(QStringLiteral("same.wzl"));
    MakeLibrary(Source, SourceImages());
    const QByteArray Before = FileBytes(Source);
    QSignalSpy Finished(Dialog.get(), &ui::TBatchDialog::RunFinished);
    for (const bool FolderMode : {false, true}) {
        SetFolderMode(FolderMode);
        SetFields(Source, QStringLiteral("  ") + Source.toUpper());
        Answers.Messages.clear();
        Find<QPushButton>(*Dialog, "BitBtnOK")->click();
        EXPECT_EQ(Answers.Messages, std::vector<QString>{QStringLiteral("转换路径或文件名不能相同 ！！！")});
        EXPECT_FALSE(Dialog->Busy());
    }
    QTest::qWait(50);
    EXPECT_EQ(Finished.count(), 0);
    EXPECT_EQ(FileBytes(Source), Before);
}

// damaged.wzl has an image whose compressed pixels are garbage; gone.wzl is a dangling link.
TEST_F(BatchConvertTest, FailedFilesAreLoggedByNameAndCountedInTheMessage)
{
    const QString In = Temp.File(QStringLiteral("in"));
    const QString Out = Temp.File(QStringLiteral("out"));
    QDir().mkpath(In);
    QDir().mkpath(Out);
    MakeLibrary(In + QStringLiteral("/good.wzl"), SourceImages());
    const QString Damaged = In + QStringLiteral("/damaged.wzl");
    MakeLibrary(Damaged, {{8, 8, 1, 1}, {4, 4, 2, 2}});
    std::vector<uint8_t> Bytes = ReadFileBytes(Damaged);
    const size_t Payload = 64 + 16;  // behind the file header and the first entry header
    ASSERT_GT(Bytes.size(), Payload + 8);
    std::fill(Bytes.begin() + Payload, Bytes.begin() + Payload + 8, uint8_t(0xEE));
    WriteFileBytes(Damaged, Bytes);
    const QString Gone = In + QStringLiteral("/gone.wzl");
    ASSERT_TRUE(QFile::link(Temp.File(QStringLiteral("nowhere.wzl")), Gone));
    SetFolderMode(true);
    SetConversion(2);
    BrowseSourceFolder(In);
    BrowseTargetFolder(Out);
    ASSERT_EQ(Dialog->SourceList().size(), 3);
    ASSERT_TRUE(Run());

    ASSERT_EQ(Answers.Messages.size(), 1u);
    const QString Message = Answers.Messages.front();
    EXPECT_NE(Message, QStringLiteral("转换成功 ！！！"));
    EXPECT_TRUE(Message.contains(QStringLiteral("3 个文件中有 2 个"))) << Message.toStdString();
    const QStringList Log = LogLines(*Dialog);
    for (const QString& Failed : {Damaged, Gone}) {
        const auto Line = std::find_if(Log.begin(), Log.end(), [&](const QString& Entry) {
            return Entry.startsWith(QStringLiteral("effor ")) && Entry.contains(Failed);
        });
        ASSERT_NE(Line, Log.end()) << Failed.toStdString() << "\n" << Log.join(QLatin1Char('\n')).toStdString();
        EXPECT_GT(Line->size(), QStringLiteral("effor ").size() + Failed.size() + 4) << "with a reason";
    }
    EXPECT_EQ(OpenLibraryFile(Out + QStringLiteral("/good.DATA"))->ImageCount, 4);
    std::unique_ptr<TWMImages> Partly = OpenLibraryFile(Out + QStringLiteral("/damaged.DATA"));
    ASSERT_EQ(Partly->ImageCount, 2) << "the damaged image goes over as an empty one";
    EXPECT_EQ(Stored(*Partly, 1), (TStoredImage{4, 4, 2, 2, 0}));
}

TEST_F(BatchConvertTest, TheSingleFileDialogsUseTheFiltersOfTheSelectedConversion)
{
    std::vector<std::pair<QString, QStringList>> Seen;
    Answers.OnFileDialog = [&](QFileDialog& FileDialog) {
        Seen.emplace_back(FileDialog.objectName(), FileDialog.nameFilters());
    };
    const QString Art = Temp.File(QStringLiteral("art"));
    const QString OutFolder = Temp.File(QStringLiteral("out"));
    QDir().mkpath(Art);
    QDir().mkpath(OutFolder);
    Answers.FileAnswer = Art + QStringLiteral("/Hum.wil");
    SetConversion(3);  // WIS 转 DATA: a WIS source gets the WIL filter
    Find<QToolButton>(*Dialog, "EditFileDirButton")->click();
    EXPECT_EQ(Find<QLineEdit>(*Dialog, "EditFileDir")->text(), Art + QStringLiteral("/Hum.wil"));
    SetConversion(2);
    Find<QToolButton>(*Dialog, "EditFileDirButton")->click();

    QString Title;
    QString Proposed;
    QString Suffix;
    Answers.OnFileDialog = [&](QFileDialog& FileDialog) {
        Seen.emplace_back(FileDialog.objectName(), FileDialog.nameFilters());
        Title = FileDialog.windowTitle();
        // The directory it opens in, and the name shown in its name field.
        const auto* NameField = FileDialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        Proposed = FileDialog.directory().absolutePath() + QLatin1Char('/') + (NameField ? NameField->text() : QString());
        Suffix = FileDialog.defaultSuffix();
    };
    Answers.FileAnswer = OutFolder + QStringLiteral("/new.x.Data");
    SetConversion(1);  // WIL 转 WZL
    Find<QLineEdit>(*Dialog, "EditFileDir")->setText(Art + QStringLiteral("/Hum.wil.wil"));
    Find<QToolButton>(*Dialog, "EditSaveDirButton")->click();
    EXPECT_EQ(Find<QLineEdit>(*Dialog, "EditSaveDir")->text(), OutFolder + QStringLiteral("/new.x.WZL"));
    EXPECT_EQ(Title, QStringLiteral("创建Data文件"));
    EXPECT_EQ(Suffix, QStringLiteral("Data"));
    EXPECT_EQ(Proposed, Art + QStringLiteral("/Hum")) << "the source's folder and name, no extension";
    SetConversion(0);
    Find<QToolButton>(*Dialog, "EditSaveDirButton")->click();
    EXPECT_EQ(Find<QLineEdit>(*Dialog, "EditSaveDir")->text(), OutFolder + QStringLiteral("/new.x.DATA"));

    const std::vector<std::pair<QString, QStringList>> Expected = {
        {QStringLiteral("OpenDialog"), {QStringLiteral("Velka2 Library File (*.WIL *.WZL)")}},
        {QStringLiteral("OpenDialog"), {QStringLiteral("Velka2 Library ZIP File (*.WZL)")}},
        {QStringLiteral("SaveDialog"), {QStringLiteral("Velka2 Library ZIP File (*.WZL)")}},
        {QStringLiteral("SaveDialog"), {QStringLiteral("Velka2 Data File (*.Data)")}},
    };
    EXPECT_EQ(Seen, Expected);

    Answers.FileAnswer.clear();
    Find<QToolButton>(*Dialog, "EditSaveDirButton")->click();
    EXPECT_EQ(Find<QLineEdit>(*Dialog, "EditSaveDir")->text(), OutFolder + QStringLiteral("/new.x.DATA"))
        << "cancelled";
}

TEST_F(BatchConvertTest, TheConversionTypeSetsTheKindsAndShowingAgainKeepsFieldsAndLog)
{
    const std::vector<std::pair<int, int>> Kinds = {{0, 3}, {0, 1}, {1, 3}, {2, 3}, {2, 1}};
    auto* Format = Find<TRadioGroup>(*Dialog, "RadioGroupFormat");
    ASSERT_EQ(Format->Count(), 5);
    for (int Item = 0; Item < 5; ++Item) {
        Format->SetItemIndex(Item);
        EXPECT_EQ(Dialog->SourceKind(), Kinds[Item].first) << Item;
        EXPECT_EQ(Dialog->TargetKind(), Kinds[Item].second) << Item;
    }
    Dialog->hide();
    SetFolderMode(true);
    SetFields(QStringLiteral("/a/"), QStringLiteral("/b/"));
    Find<QPlainTextEdit>(*Dialog, "Memo1")->appendPlainText(QStringLiteral("kept"));
    for (int Showing = 0; Showing < 2; ++Showing) {
        bool Looked = false;
        QTimer::singleShot(0, [&] {
            Looked = true;
            EXPECT_EQ(QApplication::activeModalWidget(), Dialog.get());
            EXPECT_EQ(Format->ItemIndex(), 0) << "every showing starts with WIL 转 DATA";
            EXPECT_EQ(Dialog->SourceKind(), 0);
            EXPECT_EQ(Dialog->TargetKind(), 3);
            EXPECT_TRUE(Find<QCheckBox>(*Dialog, "CheckBox1")->isChecked());
            EXPECT_EQ(Find<QLineEdit>(*Dialog, "EditFileDir")->text(), QStringLiteral("/a/"));
            EXPECT_EQ(LogLines(*Dialog), QStringList{QStringLiteral("kept")});
            Format->SetItemIndex(4);
            Find<QPushButton>(*Dialog, "BitBtnClose")->click();
        });
        Dialog->ShowConvertDialog();
        EXPECT_TRUE(Looked);
        EXPECT_FALSE(Dialog->isVisible()) << "closing hides the dialog";
    }
}

TEST_F(BatchConvertTest, WhileAQuestionHoldsTheRunTheDialogCannotBeClosedAndShowsProgress)
{
    const QString In = Temp.File(QStringLiteral("in"));
    const QString Out = Temp.File(QStringLiteral("out"));
    QDir().mkpath(In);
    QDir().mkpath(Out);
    MakeLibrary(In + QStringLiteral("/one.wzl"), SourceImages());
    MakeLibrary(In + QStringLiteral("/two.wzl"), SourceImages());
    SetFolderMode(true);
    SetConversion(2);
    BrowseSourceFolder(In);
    BrowseTargetFolder(Out);
    // The second file's target exists, so the run stops to ask after the first file.
    const QString Second = Out + QLatin1Char('/') + ExtractNameBeforeExt(Dialog->SourceList().at(1)) +
                           QStringLiteral(".DATA");
    MakeLibrary(Second, {});
    SaveScreenshot(*Dialog, QStringLiteral("batch_convert_before"));

    bool Looked = false;
    Answers.Answers = {true};
    Answers.OnQuestion = [&] {
        Looked = true;
        EXPECT_TRUE(Dialog->Busy());
        for (const char* Name : {"CheckBox1", "BitBtnOK", "BitBtnClose", "EditFileDir", "EditSaveDir"})
            EXPECT_FALSE(Find<QWidget>(*Dialog, Name)->isEnabled()) << Name;
        EXPECT_TRUE(Find<QWidget>(*Dialog, "RadioGroupFormat")->isEnabled());
        EXPECT_TRUE(QTest::qWaitFor([&] { return Find<QProgressBar>(*Dialog, "ProgressBar1")->value() == 1; }, 10000));
        EXPECT_EQ(Find<QProgressBar>(*Dialog, "ProgressBar1")->maximum(), 2);
        SaveScreenshot(*Dialog, QStringLiteral("batch_convert_running"));
        Dialog->close();
        Dialog->reject();
        QTest::keyClick(Dialog.get(), Qt::Key_Escape);
        EXPECT_TRUE(Dialog->isVisible());
        Dialog->BitBtnOKClick();  // refused: a run is in progress
    };
    QSignalSpy Finished(Dialog.get(), &ui::TBatchDialog::RunFinished);
    ASSERT_TRUE(Run());
    EXPECT_TRUE(Looked);
    EXPECT_EQ(Finished.count(), 1);
    EXPECT_EQ(Answers.Questions.size(), 1u);
    EXPECT_EQ(Answers.Messages, std::vector<QString>{QStringLiteral("转换成功 ！！！")});
    EXPECT_EQ(OpenLibraryFile(Second)->ImageCount, 4);
}

}  // namespace
}  // namespace velka::test

// The batch import dialog driven end to end on small WZL and DATA libraries.

#include "batch_testing.h"

#include "support/tempdir.h"
#include "ui/batch/inputmanydialog.h"
#include "ui/main/radiogroup.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include <functional>

namespace velka::test {
namespace {

using ui::TRadioGroup;
using ui::TuFrmInputMany;

// Library image I is 10 + I pixels wide, picture file N.bmp 100 + N: the stored widths tell
// where every image went (0 marks an empty image).
std::vector<int> StoredWidths(const QString& FileName)
{
    std::unique_ptr<TWMImages> Library = OpenLibraryFile(FileName);
    std::vector<int> Widths;
    for (int I = 0; Library && I < Library->ImageCount; ++I)
        Widths.push_back(Stored(*Library, I).Width);
    return Widths;
}

std::vector<int> Range(int From, int To)
{
    std::vector<int> Values;
    for (int V = From; V <= To; ++V)
        Values.push_back(V);
    return Values;
}

std::vector<int> Join(std::initializer_list<std::vector<int>> Parts)
{
    std::vector<int> All;
    for (const auto& Part : Parts)
        All.insert(All.end(), Part.begin(), Part.end());
    return All;
}

class BatchImportTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        Pictures = Temp.File(QStringLiteral("pictures"));
        QDir().mkpath(Pictures);
    }

    // N.bmp of width 100 + N for every N.
    void WriteNumberedPictures(const std::vector<int>& Numbers)
    {
        for (int N : Numbers)
            WritePicture(Pictures + QStringLiteral("/%1.bmp").arg(N), 100 + N, 2);
    }

    // Opens the dialog on Library and sets content, mode and numbers as a user would.
    std::unique_ptr<TuFrmInputMany> OpenDialog(TWMImages& Library, int Content, int Mode, const QString& Start,
                                               const QString& End)
    {
        auto Dialog = std::make_unique<TuFrmInputMany>();
        Dialog->SetLibrary(&Library);
        Find<TRadioGroup>(*Dialog, "RadioGroup1")->SetItemIndex(Content);
        Find<TRadioGroup>(*Dialog, "RadioGroup3")->SetItemIndex(Mode);
        Find<QLineEdit>(*Dialog, "EditFileDir")->setText(Pictures);
        Find<QLineEdit>(*Dialog, "EditX")->setText(Start);
        Find<QLineEdit>(*Dialog, "EditY")->setText(End);
        Dialog->show();
        return Dialog;
    }

    bool Run(TuFrmInputMany& Dialog) { return RunAndWait(Dialog, Find<QPushButton>(Dialog, "BitBtnOK")); }

    TAnsweredDialogs Answers;
    QString Pictures;
};

struct TImportCase {
    const char* Name;
    int LibraryImages;
    std::vector<int> PictureNumbers;
    int Content;
    int Mode;
    const char* Start;
    const char* End;
    std::function<void(TuFrmInputMany&)> Tweak;
    std::vector<int> ExpectedWidths;
};

TEST_F(BatchImportTest, EachContentAndModePutsTheImagesWhereTheNumbersSay)
{
    const std::vector<TImportCase> Cases = {
        {"append in file-number order", 2, {3, 1, 2}, 0, 0, "0", "1", {}, {10, 11, 101, 102, 103}},
        {"insert at 5 shifts 5..9 to 8..12", 10, {3, 1, 2}, 0, 1, "5", "9", {},
         Join({Range(10, 14), {101, 102, 103}, Range(15, 19)})},
        {"overwrite stops at the last image", 10, {1, 2, 3, 4, 5}, 0, 2, "8", "9", {},
         Join({Range(10, 17), {101, 102}})},
        {"pictures only", 3, {7}, 1, 0, "0", "2", {}, {10, 11, 12, 107}},
        {"end number caps the start number", 6, {1, 2}, 0, 1, "4", "2", {},
         Join({Range(10, 11), {101, 102}, Range(12, 15)})},
        {"empty images inserted at 4..6", 10, {}, 3, 1, "4", "6", {}, Join({Range(10, 13), {0, 0, 0}, Range(14, 19)})},
        {"empty images appended from the capped start", 2, {}, 3, 0, "4", "6", {}, {10, 11, 0, 0, 0, 0, 0, 0}},
        {"empty images overwrite up to the last image", 3, {}, 3, 2, "1", "5", {}, {10, 0, 0}},
        {"every 2 pictures 1 empty image", 0, {1, 2, 3, 4, 5}, 0, 0, "0", "0",
         [](TuFrmInputMany& Dialog) {
             Find<QCheckBox>(Dialog, "CheckBoxInputEmpty")->setChecked(true);
             Find<QSpinBox>(Dialog, "EditSkipNum")->setValue(2);
             Find<QSpinBox>(Dialog, "EditAddNum")->setValue(1);
         },
         {101, 102, 0, 103, 104, 0, 105}},
        {"interleave ignored when inserting", 1, {1, 2, 3}, 0, 1, "0", "0",
         [](TuFrmInputMany& Dialog) {
             Find<QCheckBox>(Dialog, "CheckBoxInputEmpty")->setChecked(true);
             Find<QSpinBox>(Dialog, "EditSkipNum")->setValue(1);
             Find<QSpinBox>(Dialog, "EditAddNum")->setValue(1);
         },
         {101, 102, 103, 10}},
        {"empty library: append", 0, {2, 1}, 0, 0, "0", "-1", {}, {101, 102}},
        {"empty library: overwrite takes nothing", 0, {2, 1}, 0, 2, "0", "-1", {}, {}},
    };
    for (const TImportCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        QDir(Pictures).removeRecursively();
        QDir().mkpath(Pictures);
        WriteNumberedPictures(Case.PictureNumbers);
        const QString FileName = Temp.File(QStringLiteral("lib.wzl"));
        QFile::remove(FileName);
        QFile::remove(Temp.File(QStringLiteral("lib.wzx")));
        std::unique_ptr<TWMImages> Library = MakeNumberedLibrary(FileName, Case.LibraryImages);
        Answers.Messages.clear();

        auto Dialog = OpenDialog(*Library, Case.Content, Case.Mode, QString::fromLatin1(Case.Start),
                                 QString::fromLatin1(Case.End));
        if (Case.Tweak)
            Case.Tweak(*Dialog);
        ASSERT_TRUE(Run(*Dialog));

        EXPECT_EQ(Answers.Messages, std::vector<QString>{QStringLiteral("图片导入成功 ！！！")});
        EXPECT_EQ(Dialog->result(), QDialog::Accepted);
        EXPECT_FALSE(Dialog->isVisible());
        EXPECT_EQ(Library->ImageCount, int(Case.ExpectedWidths.size())) << "the dialog's library is re-read";
        EXPECT_EQ(StoredWidths(FileName), Case.ExpectedWidths);
    }
}

struct TOffsetCase {
    const char* Name;
    int Content;
    bool SameOffset;      // 相同坐标 with OffsetText instead of the placement files
    const char* OffsetText;
    TStoredImage ExpectedBmp;
};

// 5.bmp (3 x 2) has the placement lines 10, 20, 1.
TEST_F(BatchImportTest, OffsetsComeFromPlacementFilesOrTheCommonOffsetText)
{
    const std::vector<TOffsetCase> Cases = {
        {"placement files", 0, false, "", {3, 2, 10, 20, 1}},
        {"common offset with a blank after the comma", 0, true, "10, 20", {3, 2, 10, 20, 0}},
        {"a blank before the comma spoils X", 0, true, "10 ,20", {3, 2, 0, 20, 0}},
        {"X alone", 0, true, " 7 ", {3, 2, 7, 0, 0}},
        {"pictures only ignore the placement files", 1, false, "", {3, 2, 0, 0, 0}},
        {"pictures only with a common offset", 1, true, "5,6", {3, 2, 5, 6, 0}},
        // A DATA entry that only keeps offsets stores no flag.
        {"offsets only: an entry without a picture", 2, false, "", {0, 0, 10, 20, 0}},
    };
    WritePicture(Pictures + QStringLiteral("/5.bmp"), 3, 2);
    WritePlacementLines(Pictures, QStringLiteral("5.bmp"), "10\r\n20\r\n1\r\n");
    for (const TOffsetCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const QString FileName = Temp.File(QStringLiteral("offsets.data"));
        QFile::remove(FileName);
        std::unique_ptr<TWMImages> Library = MakeLibrary(FileName, {});
        auto Dialog = OpenDialog(*Library, Case.Content, 0, QStringLiteral("0"), QStringLiteral("0"));
        if (Case.SameOffset) {
            Find<QRadioButton>(*Dialog, "RadioButton2")->setChecked(true);
            Find<QLineEdit>(*Dialog, "EditXY")->setText(QString::fromLatin1(Case.OffsetText));
        }
        ASSERT_TRUE(Run(*Dialog));
        std::unique_ptr<TWMImages> Result = OpenLibraryFile(FileName);
        ASSERT_EQ(Result->ImageCount, 1);
        EXPECT_EQ(Stored(*Result, 0), Case.ExpectedBmp);
    }
}

TEST_F(BatchImportTest, PngKeepsFlagTwoInADataLibraryWhileABitmapTakesThePlacementFlag)
{
    WritePicture(Pictures + QStringLiteral("/1.png"), 4, 3);
    WritePicture(Pictures + QStringLiteral("/2.bmp"), 5, 3);
    WritePlacementLines(Pictures, QStringLiteral("1.png"), "-3\r\n4\r\n1\r\n");
    WritePlacementLines(Pictures, QStringLiteral("2.bmp"), "-3\r\n4\r\n1\r\n");
    const QString FileName = Temp.File(QStringLiteral("png.data"));
    std::unique_ptr<TWMImages> Library = MakeLibrary(FileName, {});

    auto Dialog = OpenDialog(*Library, 0, 0, QStringLiteral("0"), QStringLiteral("-1"));
    ASSERT_TRUE(Run(*Dialog));

    std::unique_ptr<TWMImages> Result = OpenLibraryFile(FileName);
    ASSERT_EQ(Result->ImageCount, 2);
    EXPECT_EQ(Stored(*Result, 0), (TStoredImage{4, 3, -3, 4, 2}));
    EXPECT_EQ(Result->GetImageKind(0), 2);
    EXPECT_EQ(Stored(*Result, 1), (TStoredImage{5, 3, -3, 4, 1}));
}

TEST_F(BatchImportTest, OneByOnePicturesBecomeEmptyImagesOnlyWhileTheBoxIsChecked)
{
    WritePicture(Pictures + QStringLiteral("/1.bmp"), 1, 1);
    for (const bool Checked : {true, false}) {
        SCOPED_TRACE(Checked ? "checked" : "unchecked");
        const QString FileName = Temp.File(QStringLiteral("one.wzl"));
        QFile::remove(FileName);
        QFile::remove(Temp.File(QStringLiteral("one.wzx")));
        std::unique_ptr<TWMImages> Library = MakeLibrary(FileName, {});
        auto Dialog = OpenDialog(*Library, 1, 0, QStringLiteral("0"), QStringLiteral("0"));
        Find<QCheckBox>(*Dialog, "CheckBoxEmpty1X1")->setChecked(Checked);
        ASSERT_TRUE(Run(*Dialog));
        EXPECT_EQ(StoredWidths(FileName), std::vector<int>{Checked ? 0 : 1});
    }
}

// A picture that cannot be opened (a dangling link named like one) ends the run there.
TEST_F(BatchImportTest, AFailureNamesThePictureKeepsTheDialogOpenAndLeavesAConsistentLibrary)
{
    WriteNumberedPictures({1, 3});
    const QString Broken = Pictures + QStringLiteral("/2.bmp");
    ASSERT_TRUE(QFile::link(Temp.File(QStringLiteral("missing.bmp")), Broken));
    const QString FileName = Temp.File(QStringLiteral("fail.wzl"));
    std::unique_ptr<TWMImages> Library = MakeNumberedLibrary(FileName, 2);

    auto Dialog = OpenDialog(*Library, 0, 0, QStringLiteral("0"), QStringLiteral("1"));
    ASSERT_TRUE(Run(*Dialog));

    ASSERT_EQ(Answers.Messages.size(), 1u);
    const QString Message = Answers.Messages.front();
    EXPECT_TRUE(Message.startsWith(QStringLiteral("图片导入失败 ！！！"))) << Message.toStdString();
    EXPECT_TRUE(Message.contains(Broken)) << Message.toStdString();
    EXPECT_NE(Message, QStringLiteral("图片导入成功 ！！！"));
    EXPECT_TRUE(Dialog->isVisible()) << "a failed run leaves the dialog open";
    EXPECT_TRUE(Find<QPushButton>(*Dialog, "BitBtnOK")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(*Dialog, "BitBtnClose")->isEnabled());
    // What the files hold is a whole library: the old images plus those handed over before.
    const std::vector<int> OnDisk = StoredWidths(FileName);
    EXPECT_TRUE(OnDisk == (std::vector<int>{10, 11}) || OnDisk == (std::vector<int>{10, 11, 101}))
        << "images on disk: " << OnDisk.size();
    EXPECT_EQ(Library->ImageCount, int(OnDisk.size()));
}

// Neither outcome is the bare success text: each names the picture at fault.
TEST_F(BatchImportTest, PngIntoWzlAndUndecodablePicturesAreNamedInTheOutcome)
{
    struct TCase {
        const char* Name;
        bool Png;  // 2.png: refused up front; else 2.bmp that cannot be decoded
        const char* Starts;
        std::vector<int> Widths;
    };
    const TCase Cases[] = {
        {"png", true, "图片导入失败 ！！！", {10, 11}},
        {"undecodable", false, "图片导入完成，但有图片无法解码 ！！！", {10, 11, 101, 0}},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Answers.Messages.clear();
        QDir(Pictures).removeRecursively();
        QDir().mkpath(Pictures);
        WriteNumberedPictures({1});
        const QString Second = Pictures + (Case.Png ? QStringLiteral("/2.png") : QStringLiteral("/2.bmp"));
        if (Case.Png) {
            WritePicture(Second, 4, 3);
        } else {
            QFile File(Second);
            ASSERT_TRUE(File.open(QIODevice::WriteOnly));
            File.write("BM not a bitmap");
        }
        const QString FileName = Temp.File(QStringLiteral("%1.wzl").arg(QLatin1String(Case.Name)));
        std::unique_ptr<TWMImages> Library = MakeNumberedLibrary(FileName, 2);
        auto Dialog = OpenDialog(*Library, 0, 0, QStringLiteral("0"), QStringLiteral("1"));
        ASSERT_TRUE(Run(*Dialog));
        ASSERT_EQ(Answers.Messages.size(), 1u);
        const QString Message = Answers.Messages.front();
        EXPECT_TRUE(Message.startsWith(QString::fromUtf8(Case.Starts) + QLatin1Char('\n'))) << Message.toStdString();
        EXPECT_TRUE(Message.contains(Second)) << Message.toStdString();
        EXPECT_EQ(StoredWidths(FileName), Case.Widths);
    }
}

TEST_F(BatchImportTest, InsertingIntoAnEmptyLibraryFailsAtTheFirstPicture)
{
    WriteNumberedPictures({1, 2});
    const QString FileName = Temp.File(QStringLiteral("empty.wzl"));
    std::unique_ptr<TWMImages> Library = MakeLibrary(FileName, {});
    auto Dialog = OpenDialog(*Library, 0, 1, QStringLiteral("0"), QStringLiteral("-1"));
    ASSERT_TRUE(Run(*Dialog));
    ASSERT_EQ(Answers.Messages.size(), 1u);
    EXPECT_TRUE(Answers.Messages.front().contains(Pictures + QStringLiteral("/1.bmp")))
        << Answers.Messages.front().toStdString();
    EXPECT_TRUE(Dialog->isVisible());
    EXPECT_EQ(StoredWidths(FileName), std::vector<int>{});
}

struct TEnablingCase {
    int Content;
    int Mode;
    bool FolderEnabled;
    bool PlacementEnabled;
    bool SameOffsetChecked;
    bool InterleaveEnabled;
};

TEST_F(BatchImportTest, ContentAndModeDecideWhichControlsAreEnabled)
{
    const std::vector<TEnablingCase> Cases = {
        {0, 0, true, true, false, true},  {0, 1, true, true, false, false}, {1, 2, true, true, false, false},
        {2, 0, true, true, false, true},  {3, 0, false, false, true, true}, {3, 1, false, false, true, false},
        {3, 2, false, false, true, false}, {0, 0, true, true, false, true},
    };
    TuFrmInputMany Dialog;
    // At creation: content 0, mode 0.
    EXPECT_EQ(Find<TRadioGroup>(Dialog, "RadioGroup1")->ItemIndex(), 0);
    EXPECT_EQ(Find<TRadioGroup>(Dialog, "RadioGroup3")->ItemIndex(), 0);
    EXPECT_TRUE(Find<QCheckBox>(Dialog, "CheckBoxEmpty1X1")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(Dialog, "CheckBoxInputEmpty")->isChecked());
    EXPECT_EQ(Find<QLineEdit>(Dialog, "EditXY")->text(), QStringLiteral("0,0"));
    EXPECT_TRUE(Find<QRadioButton>(Dialog, "RadioButton1")->isChecked());
    for (const TEnablingCase& Case : Cases) {
        SCOPED_TRACE(testing::Message() << "content " << Case.Content << " mode " << Case.Mode);
        // The user picks a different offset source first; a content change resets it.
        Find<QRadioButton>(Dialog, "RadioButton2")->setChecked(true);
        Find<TRadioGroup>(Dialog, "RadioGroup3")->SetItemIndex(Case.Mode);
        Find<TRadioGroup>(Dialog, "RadioGroup1")->SetItemIndex((Case.Content + 1) % 4);
        Find<TRadioGroup>(Dialog, "RadioGroup1")->SetItemIndex(Case.Content);
        EXPECT_EQ(Find<QLineEdit>(Dialog, "EditFileDir")->isEnabled(), Case.FolderEnabled);
        EXPECT_EQ(Find<QToolButton>(Dialog, "EditFileDirButton")->isEnabled(), Case.FolderEnabled);
        EXPECT_EQ(Find<QRadioButton>(Dialog, "RadioButton1")->isEnabled(), Case.PlacementEnabled);
        EXPECT_TRUE(Find<QRadioButton>(Dialog, "RadioButton2")->isEnabled());
        EXPECT_EQ(Find<QRadioButton>(Dialog, "RadioButton2")->isChecked(), Case.SameOffsetChecked);
        EXPECT_EQ(Find<QCheckBox>(Dialog, "CheckBoxInputEmpty")->isEnabled(), Case.InterleaveEnabled);
        EXPECT_EQ(Find<QSpinBox>(Dialog, "EditSkipNum")->isEnabled(), Case.InterleaveEnabled);
        EXPECT_EQ(Find<QSpinBox>(Dialog, "EditAddNum")->isEnabled(), Case.InterleaveEnabled);
    }
    // A mode change alone switches the interleave controls.
    Find<TRadioGroup>(Dialog, "RadioGroup1")->SetItemIndex(0);
    Find<TRadioGroup>(Dialog, "RadioGroup3")->SetItemIndex(2);
    EXPECT_FALSE(Find<QCheckBox>(Dialog, "CheckBoxInputEmpty")->isEnabled());
    Find<TRadioGroup>(Dialog, "RadioGroup3")->SetItemIndex(0);
    EXPECT_TRUE(Find<QSpinBox>(Dialog, "EditAddNum")->isEnabled());
}

TEST_F(BatchImportTest, TheBrowseButtonAsksForAFolderAndKeepsTheTextOnCancel)
{
    TuFrmInputMany Dialog;
    auto* Folder = Find<QLineEdit>(Dialog, "EditFileDir");
    const QString Before = Folder->text();
    EXPECT_FALSE(Before.isEmpty()) << "a sample folder to start with";
    Find<QToolButton>(Dialog, "EditFileDirButton")->click();
    EXPECT_EQ(Folder->text(), Before);
    Answers.FolderAnswer = QStringLiteral("/srv/art");
    Find<QToolButton>(Dialog, "EditFileDirButton")->click();
    EXPECT_EQ(Folder->text(), QStringLiteral("/srv/art"));
    EXPECT_EQ(Answers.FolderTitles, (std::vector<QString>{QStringLiteral("浏览文件夹"), QStringLiteral("浏览文件夹")}));
    EXPECT_EQ(Answers.FolderStarts.front(), QString());
}

TEST_F(BatchImportTest, RunBatchImportPrefillsTheNumbersAndRunsModally)
{
    WriteNumberedPictures({1, 2});
    const QString FileName = Temp.File(QStringLiteral("modal.wzl"));
    std::unique_ptr<TWMImages> Library = MakeNumberedLibrary(FileName, 4);
    bool Checked = false;
    QTimer::singleShot(0, [&] {
        auto* Dialog = qobject_cast<TuFrmInputMany*>(QApplication::activeModalWidget());
        ASSERT_TRUE(Dialog);
        Checked = true;
        EXPECT_EQ(Dialog->windowTitle(), QStringLiteral("批量导入图片"));
        EXPECT_EQ(Find<QLineEdit>(*Dialog, "EditX")->text(), QStringLiteral("2"));
        EXPECT_EQ(Find<QLineEdit>(*Dialog, "EditY")->text(), QStringLiteral("3"));
        auto* Bar = Find<QProgressBar>(*Dialog, "ProgressBar");
        EXPECT_EQ(Bar->value(), 0);
        EXPECT_EQ(Bar->maximum(), 100);
        Find<QLineEdit>(*Dialog, "EditFileDir")->setText(Pictures);
        Find<TRadioGroup>(*Dialog, "RadioGroup3")->SetItemIndex(1);
        Find<QPushButton>(*Dialog, "BitBtnOK")->click();
    });
    ui::RunBatchImport(Library.get(), 2, nullptr);
    EXPECT_TRUE(Checked);
    EXPECT_EQ(Answers.Messages, std::vector<QString>{QStringLiteral("图片导入成功 ！！！")});
    EXPECT_EQ(Library->ImageCount, 6);
    EXPECT_EQ(StoredWidths(FileName), (std::vector<int>{10, 11, 101, 102, 12, 13}));
}

TEST_F(BatchImportTest, WhileRunningTheProgressMovesAndTheDialogCannotBeClosedOrStartedAgain)
{
    WriteNumberedPictures({1, 2, 3, 4});
    const QString FileName = Temp.File(QStringLiteral("busy.wzl"));
    std::unique_ptr<TWMImages> Library = MakeNumberedLibrary(FileName, 1);
    auto Dialog = OpenDialog(*Library, 0, 0, QStringLiteral("0"), QStringLiteral("0"));
    SaveScreenshot(*Dialog, QStringLiteral("batch_import_before"));
    auto* Ok = Find<QPushButton>(*Dialog, "BitBtnOK");
    auto* Bar = Find<QProgressBar>(*Dialog, "ProgressBar");
    QSignalSpy Finished(Dialog.get(), &ui::TBatchDialog::RunFinished);
    {
        TRunHold Hold(ui::TBatchJob::ImageBar, 2);
        Ok->click();
        ASSERT_TRUE(Hold.WaitUntilHeld());
        ASSERT_TRUE(QTest::qWaitFor([&] { return Bar->value() == 1; }, 10000));
        EXPECT_EQ(Bar->maximum(), 4);
        EXPECT_TRUE(Dialog->Busy());
        EXPECT_FALSE(Ok->isEnabled());
        EXPECT_FALSE(Find<QPushButton>(*Dialog, "BitBtnClose")->isEnabled());
        SaveScreenshot(*Dialog, QStringLiteral("batch_import_running"));
        Dialog->close();
        Dialog->reject();
        QTest::keyClick(Dialog.get(), Qt::Key_Escape);
        Dialog->BitBtnOKClick();  // a second run is refused
        EXPECT_TRUE(Dialog->isVisible());
        EXPECT_TRUE(Dialog->Busy());
        EXPECT_TRUE(Answers.Messages.empty());
        Hold.Release();
        ASSERT_TRUE(Finished.wait(30000));
    }
    EXPECT_EQ(Finished.count(), 1);
    EXPECT_EQ(Answers.Messages, std::vector<QString>{QStringLiteral("图片导入成功 ！！！")});
    EXPECT_EQ(StoredWidths(FileName), (std::vector<int>{10, 101, 102, 103, 104}));
}

}  // namespace
}  // namespace velka::test

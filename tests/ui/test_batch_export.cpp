// The batch export dialog driven end to end on small DATA and WZL libraries.

#include "batch_testing.h"

#include "support/tempdir.h"
#include "ui/batch/exportdialog.h"
#include "ui/batch/inputmanydialog.h"
#include "ui/main/radiogroup.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace velka::test {
namespace {

using ui::TuFrmExport;

class BatchExportTest : public TempDirTest {
protected:
    std::unique_ptr<TuFrmExport> OpenDialog(TWMImages& Library, const QString& Folder, const QString& First,
                                            const QString& Last)
    {
        auto Dialog = std::make_unique<TuFrmExport>();
        Dialog->SetLibrary(&Library);
        Find<QLineEdit>(*Dialog, "EditFileDir")->setText(Folder);
        Find<QLineEdit>(*Dialog, "EditX")->setText(First);
        Find<QLineEdit>(*Dialog, "EditY")->setText(Last);
        Dialog->show();
        return Dialog;
    }

    bool Run(TuFrmExport& Dialog) { return RunAndWait(Dialog, Find<QPushButton>(Dialog, "BitBtnOK")); }

    TAnsweredDialogs Answers;
};

// Image 0 a bitmap with an offset, 1 empty, 2 a PNG picture.
std::vector<TFixtureImage> MixedImages() { return {{6, 5, 3, -4, false}, {}, {7, 2, -5, 6, true}}; }

TEST_F(BatchExportTest, ARangeWritesNumberedPicturesWithPlacementFilesAndEmptyImagesAsOnePixel)
{
    std::unique_ptr<TWMImages> Library = MakeLibrary(Temp.File(QStringLiteral("mixed.data")), MixedImages());
    const QString Folder = Temp.File(QStringLiteral("deep/er/out"));  // missing, several levels deep
    auto Dialog = OpenDialog(*Library, QStringLiteral("  ") + Folder + QStringLiteral(" "), QStringLiteral("0"),
                             QStringLiteral("2"));
    ASSERT_TRUE(Run(*Dialog));

    EXPECT_EQ(Answers.Messages, std::vector<QString>{QStringLiteral("图片导出成功 ！！！")});
    EXPECT_FALSE(Dialog->isVisible()) << "a completed run closes the dialog";
    EXPECT_EQ(FileBytes(Folder + QStringLiteral("/Placements/00000.txt")), QByteArray("3\r\n-4\r\n0\r\n"));
    EXPECT_EQ(FileBytes(Folder + QStringLiteral("/Placements/00002.txt")), QByteArray("-5\r\n6\r\n2\r\n"));
    EXPECT_FALSE(QFileInfo::exists(Folder + QStringLiteral("/Placements/00001.txt")));
    const QImage Bitmap(Folder + QStringLiteral("/00000.BMP"));
    EXPECT_EQ(Bitmap.size(), QSize(6, 5));
    const QImage Empty(Folder + QStringLiteral("/00001.BMP"));
    EXPECT_EQ(Empty.size(), QSize(1, 1));
    EXPECT_EQ(Empty.depth(), 8);
    EXPECT_TRUE(FileBytes(Folder + QStringLiteral("/00002.PNG")).startsWith("\x89PNG"));
    EXPECT_EQ(QImage(Folder + QStringLiteral("/00002.PNG")).size(), QSize(7, 2));
    auto* Bar = Find<QProgressBar>(*Dialog, "ProgressBar");
    EXPECT_EQ(Bar->maximum(), 3);
    EXPECT_EQ(Bar->value(), 3);
}

TEST_F(BatchExportTest, ARangeOutsideTheLibraryWritesNothingAndSaysSo)
{
    std::unique_ptr<TWMImages> Library = MakeLibrary(Temp.File(QStringLiteral("range.data")), MixedImages());
    const QString Folder = Temp.File(QStringLiteral("range"));
    for (const auto& [First, Last] : {std::pair{"3", "2"}, std::pair{"0", "3"}, std::pair{"-1", "1"}}) {
        SCOPED_TRACE(testing::Message() << First << ".." << Last);
        Answers.Messages.clear();
        auto Dialog = OpenDialog(*Library, Folder, QString::fromLatin1(First), QString::fromLatin1(Last));
        ASSERT_TRUE(Run(*Dialog));
        ASSERT_EQ(Answers.Messages.size(), 1u);
        EXPECT_NE(Answers.Messages.front(), QStringLiteral("图片导出成功 ！！！"));
        EXPECT_TRUE(Dialog->isVisible());
        EXPECT_TRUE(Find<QPushButton>(*Dialog, "BitBtnOK")->isEnabled());
        EXPECT_TRUE(QDir(Folder).entryList(QDir::Files).isEmpty());
    }
}

// 00001.BMP taken by a folder: that one image cannot be written, the others are.
TEST_F(BatchExportTest, AnImageThatCannotBeWrittenIsCountedAndNeverReportedAsSuccess)
{
    std::vector<TFixtureImage> Images = {{4, 4, 1, 1}, {5, 4, 2, 2}, {6, 4, 3, 3}};
    std::unique_ptr<TWMImages> Library = MakeLibrary(Temp.File(QStringLiteral("fail.wzl")), Images);
    const QString Folder = Temp.File(QStringLiteral("blocked"));
    ASSERT_TRUE(QDir().mkpath(Folder + QStringLiteral("/00001.BMP")));
    auto Dialog = OpenDialog(*Library, Folder, QStringLiteral("0"), QStringLiteral("2"));
    ASSERT_TRUE(Run(*Dialog));

    ASSERT_EQ(Answers.Messages.size(), 1u);
    const QString Message = Answers.Messages.front();
    EXPECT_TRUE(Message.startsWith(QStringLiteral("图片导出失败"))) << Message.toStdString();
    EXPECT_TRUE(Message.contains(QStringLiteral("有 1 张"))) << Message.toStdString();
    EXPECT_TRUE(Message.contains(QStringLiteral("00001"))) << Message.toStdString();
    EXPECT_TRUE(Dialog->isVisible());
    EXPECT_EQ(QImage(Folder + QStringLiteral("/00000.BMP")).width(), 4);
    EXPECT_EQ(QImage(Folder + QStringLiteral("/00002.BMP")).width(), 6);
}

TEST_F(BatchExportTest, ExportThenOverwriteImportGivesEveryImageBackItsOffsetAndFlag)
{
    const QString FileName = Temp.File(QStringLiteral("round.data"));
    std::unique_ptr<TWMImages> Library = MakeLibrary(FileName, MixedImages());
    const QString Folder = Temp.File(QStringLiteral("round"));
    {
        auto Dialog = OpenDialog(*Library, Folder, QStringLiteral("0"), QStringLiteral("2"));
        ASSERT_TRUE(Run(*Dialog));
    }
    // Shift every offset so the import has something to restore.
    for (int I = 0; I < 3; ++I)
        Library->SetImageOffset(I, 99, 99);
    ui::TuFrmInputMany Import;
    Import.SetLibrary(Library.get());
    Find<ui::TRadioGroup>(Import, "RadioGroup3")->SetItemIndex(2);
    Find<QLineEdit>(Import, "EditFileDir")->setText(Folder);
    Find<QLineEdit>(Import, "EditX")->setText(QStringLiteral("0"));
    Find<QLineEdit>(Import, "EditY")->setText(QStringLiteral("2"));
    Import.show();
    ASSERT_TRUE(RunAndWait(Import, Find<QPushButton>(Import, "BitBtnOK")));
    EXPECT_EQ(Answers.Messages.back(), QStringLiteral("图片导入成功 ！！！"));

    std::unique_ptr<TWMImages> Result = OpenLibraryFile(FileName);
    ASSERT_EQ(Result->ImageCount, 3);
    EXPECT_EQ(Stored(*Result, 0), (TStoredImage{6, 5, 3, -4, 0}));
    EXPECT_EQ(Stored(*Result, 1).Width, 0) << "the 1 x 1 picture of the empty image comes back empty";
    EXPECT_EQ(Stored(*Result, 2), (TStoredImage{7, 2, -5, 6, 2}));
}

TEST_F(BatchExportTest, TheBrowseButtonAsksForTheSaveFolderAndTrimsTheAnswer)
{
    TuFrmExport Dialog;
    auto* Folder = Find<QLineEdit>(Dialog, "EditFileDir");
    const QString Before = Folder->text();
    EXPECT_FALSE(Before.isEmpty());
    Find<QToolButton>(Dialog, "EditFileDirButton")->click();
    EXPECT_EQ(Folder->text(), Before) << "a cancelled browse keeps the text";
    Answers.FolderAnswer = QStringLiteral(" /srv/out\t");
    Find<QToolButton>(Dialog, "EditFileDirButton")->click();
    EXPECT_EQ(Folder->text(), QStringLiteral("/srv/out"));
    EXPECT_EQ(Answers.FolderTitles.back(), QStringLiteral("请选择保存文件夹"));
    EXPECT_EQ(ui::BrowseForFolder(nullptr, QStringLiteral("t")), QStringLiteral("/srv/out"));
}

TEST_F(BatchExportTest, RunBatchExportPrefillsTheRangeAndRunsModally)
{
    std::unique_ptr<TWMImages> Library = MakeLibrary(Temp.File(QStringLiteral("modal.data")), MixedImages());
    const QString Folder = Temp.File(QStringLiteral("modal"));
    bool Checked = false;
    QTimer::singleShot(0, [&] {
        auto* Dialog = qobject_cast<TuFrmExport*>(QApplication::activeModalWidget());
        ASSERT_TRUE(Dialog);
        Checked = true;
        EXPECT_EQ(Dialog->windowTitle(), QStringLiteral("批量导出图片"));
        EXPECT_EQ(Find<QLineEdit>(*Dialog, "EditX")->text(), QStringLiteral("1"));
        EXPECT_EQ(Find<QLineEdit>(*Dialog, "EditY")->text(), QStringLiteral("2"));
        EXPECT_EQ(Find<QProgressBar>(*Dialog, "ProgressBar")->maximum(), 100);
        Find<QLineEdit>(*Dialog, "EditFileDir")->setText(Folder);
        Find<QPushButton>(*Dialog, "BitBtnOK")->click();
    });
    ui::RunBatchExport(Library.get(), 1, 2, nullptr);
    EXPECT_TRUE(Checked);
    EXPECT_EQ(Answers.Messages, std::vector<QString>{QStringLiteral("图片导出成功 ！！！")});
    EXPECT_FALSE(QFileInfo::exists(Folder + QStringLiteral("/00000.BMP")));
    EXPECT_TRUE(QFileInfo::exists(Folder + QStringLiteral("/00001.BMP")));
    EXPECT_TRUE(QFileInfo::exists(Folder + QStringLiteral("/00002.PNG")));
}

TEST_F(BatchExportTest, WhileRunningTheProgressMovesAndTheDialogCannotBeClosed)
{
    std::vector<TFixtureImage> Images;
    for (int I = 0; I < 5; ++I)
        Images.push_back({8 + I, 8, I, I});
    std::unique_ptr<TWMImages> Library = MakeLibrary(Temp.File(QStringLiteral("busy.wzl")), Images);
    auto Dialog = OpenDialog(*Library, Temp.File(QStringLiteral("busy")), QStringLiteral("0"), QStringLiteral("4"));
    SaveScreenshot(*Dialog, QStringLiteral("batch_export_before"));
    auto* Bar = Find<QProgressBar>(*Dialog, "ProgressBar");
    QSignalSpy Finished(Dialog.get(), &ui::TBatchDialog::RunFinished);
    {
        TRunHold Hold(ui::TBatchJob::ImageBar, 3);
        Find<QPushButton>(*Dialog, "BitBtnOK")->click();
        ASSERT_TRUE(Hold.WaitUntilHeld());
        ASSERT_TRUE(QTest::qWaitFor([&] { return Bar->value() == 2; }, 10000));
        EXPECT_EQ(Bar->maximum(), 5);
        EXPECT_TRUE(Dialog->Busy());
        EXPECT_FALSE(Find<QPushButton>(*Dialog, "BitBtnOK")->isEnabled());
        EXPECT_FALSE(Find<QPushButton>(*Dialog, "BitBtnClose")->isEnabled());
        SaveScreenshot(*Dialog, QStringLiteral("batch_export_running"));
        Dialog->close();
        QTest::keyClick(Dialog.get(), Qt::Key_Escape);
        EXPECT_TRUE(Dialog->isVisible());
        Hold.Release();
        ASSERT_TRUE(Finished.wait(30000));
    }
    EXPECT_EQ(Answers.Messages, std::vector<QString>{QStringLiteral("图片导出成功 ！！！")});
    EXPECT_FALSE(Dialog->isVisible());
}

}  // namespace
}  // namespace velka::test

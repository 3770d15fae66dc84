// The main window's layout, opening libraries of every format by both routes, the buttons per
// library kind, and closing.
#include "main_window_fixture.h"

#include "library/wilimages.h"
#include "ui/batch/convertdialog.h"
#include "ui/main/browser.h"
#include "ui/main/previewpane.h"

#include <QCheckBox>
#include <QDockWidget>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace velka::test {
namespace {

using ui::TuPixlooker;

TEST_F(MainWindowTest, StartsWithTheCaptionToolBarPanelsAndStatusTexts)
{
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("QuellVelka2Velka资源编辑器"));
    EXPECT_EQ(Window->objectName(), QStringLiteral("uPixlooker"));
    EXPECT_EQ(Window->size(), QSize(1366, 641));

    struct TItem {
        const char* Name;
        const char* Caption;
        bool Enabled;
    };
    const TItem Expected[] = {
        {"BtnOpen", "打开文件", true},       {"BtnNew", "新建文件", true},       {nullptr, nullptr, false},
        {"BtnImport", "导入图片", false},    {"BtnExport", "导出图片", false},   {nullptr, nullptr, false},
        {"BtnImportMore", "批量导入", false}, {"BtnExportMore", "批量导出", false}, {"BtnSave", "批量转换", true},
        {nullptr, nullptr, false},           {"BtnDelete", "删除图片", false},   {"BtnOffset", "设置坐标", false},
        {nullptr, nullptr, false},           {"BtnEncRes", "素材加密", false},   {"cxDarkBG", "深色背景", true},
        {nullptr, nullptr, false},           {"dxBarButton9", "关闭", true},
    };
    const QList<QAction*> Actions = Window->ToolBar->actions();
    ASSERT_EQ(Actions.size(), qsizetype(std::size(Expected)));
    for (size_t I = 0; I < std::size(Expected); ++I) {
        SCOPED_TRACE(I);
        QAction* Action = Actions[qsizetype(I)];
        if (!Expected[I].Name) {
            EXPECT_TRUE(Action->isSeparator());
            continue;
        }
        const QString Caption = QString::fromUtf8(Expected[I].Caption);
        if (QString::fromUtf8(Expected[I].Name) == QLatin1String("cxDarkBG")) {
            auto* Box = qobject_cast<QCheckBox*>(Window->ToolBar->widgetForAction(Action));
            ASSERT_TRUE(Box);
            EXPECT_EQ(Box->objectName(), QStringLiteral("cxDarkBG"));
            EXPECT_EQ(Box->text(), Caption);
            EXPECT_EQ(Box->toolTip(), Caption);
            EXPECT_FALSE(Box->isChecked());
            continue;
        }
        EXPECT_EQ(Action->objectName(), QString::fromUtf8(Expected[I].Name));
        EXPECT_EQ(Action->text(), Caption);
        EXPECT_EQ(Action->toolTip(), Caption);
        EXPECT_EQ(Action->isEnabled(), Expected[I].Enabled);
    }
    EXPECT_EQ(Window->ToolBar->windowTitle(), QStringLiteral("工具栏"));
    EXPECT_FALSE(Window->ToolBar->isMovable());

    EXPECT_EQ(Window->DockImageList->windowTitle(), QStringLiteral("图片列表"));
    EXPECT_EQ(Window->DockPreview->windowTitle(), QStringLiteral("图像预览"));
    for (QDockWidget* Dock : {Window->DockImageList, Window->DockPreview}) {
        EXPECT_TRUE(Dock->features() & QDockWidget::DockWidgetFloatable);
        EXPECT_TRUE(Dock->features() & QDockWidget::DockWidgetClosable);
    }
    for (const char* Name : {"DriveComboBox1", "DirectoryListBox1", "FileListBox1", "DrawGrid", "ScrollBox", "Image",
                             "plImgPos", "PopupMenu_Transparent"})
        EXPECT_TRUE(Window->findChild<QObject*>(QString::fromUtf8(Name))) << Name;
    EXPECT_EQ(Window->DirectoryListBox1->height(), 174);
    EXPECT_EQ(Window->FileListBox1->Mask(), QStringLiteral("*.wil;*.wzl;*.data;*.wis"));
    EXPECT_FALSE(Window->PopupMenu_Transparent->isChecked());
    EXPECT_EQ(Window->PopupMenu_Transparent->text(), QStringLiteral("透明显示"));

    EXPECT_EQ(Window->StatusText(0), QStringLiteral("版本: 2020.02.28"));
    for (const char* Key : {"大写", "数字", "滚动", "改写"})
        EXPECT_TRUE(Window->StatusText(1).contains(QString::fromUtf8(Key))) << Key;
    EXPECT_EQ(Window->StatusPanels[0]->width(), 100);
    EXPECT_EQ(Window->StatusPanels[1]->width(), 126);
    EXPECT_EQ(Window->StatusPanels[2]->width(), 350);
    EXPECT_EQ(Window->statusBar()->height(), 24);

    ASSERT_TRUE(Window->frmConvertDlg);
    EXPECT_EQ(Window->frmConvertDlg->parent(), Window.get());
    EXPECT_FALSE(Window->frmConvertDlg->isVisible());
}

TEST_F(MainWindowTest, UsesTheInstalledChineseFontAtNinePoints)
{
    const QFontInfo Info(Window->font());
    EXPECT_EQ(Window->font().pointSize(), 9);
    // 宋体 is not installed here: the CJK fallback must be what is actually used.
    EXPECT_TRUE(Info.family().contains(QStringLiteral("WenQuanYi")) || Info.family() == QStringLiteral("宋体") ||
                Info.family() == QStringLiteral("SimSun"))
        << Info.family().toStdString();
}

TEST_F(MainWindowTest, OpensEachFormatWithItsRowsAndButtons)
{
    WriteLibrary(Temp.File("ten.wzl"), NumberedImages(10));
    WriteLibrary(Temp.File("none.wzl"), {});
    WriteLibrary(Temp.File("many.data"), NumberedImages(25));
    WriteWilLibrary(Temp.File("old.wil"), 30);
    Temp.Write("art.wis", std::vector<uint8_t>(64, 0));

    struct TCase {
        const char* Name;
        int Images;
        int Rows;
        std::vector<bool> Buttons;
    };
    const TCase Cases[] = {
        {"ten.wzl", 10, 2, EditableButtons},     {"none.wzl", 0, 1, EditableButtons},
        {"many.data", 25, 3, EditableDataButtons}, {"old.wil", 30, 4, ReadOnlyButtons},
        {"art.wis", TWILImages::WisImageCount, TWILImages::WisImageCount / 10 + 1, ReadOnlyButtons},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const QString Path = Temp.File(QString::fromUtf8(Case.Name));
        OpenThroughDialog(Path);
        ASSERT_TRUE(Library());
        EXPECT_EQ(Library()->ImageCount, Case.Images);
        EXPECT_EQ(Window->DrawGrid->RowCount(), Case.Rows);
        EXPECT_EQ(LibraryButtons(), Case.Buttons);
        EXPECT_EQ(Window->windowTitle(), QStringLiteral("Velka资源文件-") + Path);
        EXPECT_FALSE(Window->Busy);
    }
    EXPECT_TRUE(Log.Messages.isEmpty()) << Log.Messages.join('|').toStdString();
    ASSERT_FALSE(FileDialogs.empty());
    EXPECT_EQ(FileDialogs[0].Name, QStringLiteral("OpenDialog"));
    EXPECT_EQ(FileDialogs[0].Filter, QStringLiteral("Velka图片资源文件|*.Data;*.Wil;*.Wis;*.wzl"));
}

TEST_F(MainWindowTest, ProtectedDataAsksOnceAndOpensOnlyWithTheRightPassword)
{
    const QString Path = Temp.File("locked.data");
    WriteLibrary(Path, NumberedImages(12), QStringLiteral("Secret"));

    struct TCase {
        const char* Entered;
        bool Accepted;
        int Images;
        std::vector<bool> Buttons;
    };
    const TCase Cases[] = {
        {"Secret", true, 12, EditableDataButtons},
        {"secret", true, 0, ReadOnlyButtons},  // the comparison is case-sensitive
        {"Secret", false, 0, ReadOnlyButtons},  // cancelled: the typed text is not used
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(std::string(Case.Entered) + (Case.Accepted ? " OK" : " cancel"));
        Prompts.clear();
        PasswordAnswer = QString::fromUtf8(Case.Entered);
        PasswordAccepted = Case.Accepted;
        OpenThroughDialog(Path);
        ASSERT_TRUE(Library());
        EXPECT_EQ(Prompts, QStringList{QStringLiteral("当前文件已加密，请输入密码：")});
        EXPECT_EQ(Library()->ImageCount, Case.Images);
        EXPECT_EQ(Window->DrawGrid->RowCount(), Case.Images / 10 + 1);
        EXPECT_EQ(LibraryButtons(), Case.Buttons);
    }
    // A refused password is not an error.
    EXPECT_TRUE(Log.Messages.isEmpty()) << Log.Messages.join('|').toStdString();
    // Nothing was written to the file by the refused openings.
    EXPECT_EQ(OpenLibraryFile(Path, QStringLiteral("Secret"))->ImageCount, 12);
}

TEST_F(MainWindowTest, UnopenableFilesLeaveNoLibraryAndSayWhy)
{
    WriteLibrary(Temp.File("good.wzl"), NumberedImages(3));
    const QString Short = Temp.Write("short.data", std::vector<uint8_t>(10, 7));
    const QString Picture = Temp.Write("picture.bmp", std::vector<uint8_t>(10, 7));
    const QString Missing = Temp.File("missing.wzl");

    for (const QString& Path : {Short, Picture, Missing}) {
        SCOPED_TRACE(Path.toStdString());
        OpenThroughDialog(Temp.File("good.wzl"));
        ASSERT_TRUE(Library());
        Log.Messages.clear();
        OpenThroughDialog(Path);
        EXPECT_FALSE(Library());
        EXPECT_EQ(LibraryButtons(), NoLibraryButtons);
        EXPECT_EQ(Window->DrawGrid->RowCount(), 1);
        EXPECT_EQ(Window->windowTitle(), QStringLiteral("Velka资源文件-") + Path);
        EXPECT_EQ(Log.Messages.size(), 1);
        EXPECT_FALSE(Window->Busy);
    }
}

TEST_F(MainWindowTest, CancelledOpenDialogKeepsTheLibrary)
{
    WriteLibrary(Temp.File("good.wzl"), NumberedImages(3));
    OpenThroughDialog(Temp.File("good.wzl"));
    TWMImages* Before = Library();
    FileAnswers.clear();
    Window->BtnOpen->trigger();
    EXPECT_EQ(Library(), Before);
    EXPECT_FALSE(Window->Busy);
}

TEST_F(MainWindowTest, FileListShowsLibrariesOfAnyCaseAndOpensTheSelectedOne)
{
    WriteLibrary(Temp.File("a.WZL"), NumberedImages(4));
    WriteWilLibrary(Temp.File("b.wil"), 2);
    WriteLibrary(Temp.File("c.Data"), NumberedImages(1));
    Temp.Write("d.wis", {});
    Temp.Write("e.txt", {1});
    Temp.Write("f.bmp", {1});
    QDir(Temp.Path()).mkdir(QStringLiteral("sub.wzl"));

    Window->BrowseFolder(Temp.Path());
    QStringList Listed;
    for (int I = 0; I < Window->FileListBox1->count(); ++I) Listed << Window->FileListBox1->item(I)->text();
    EXPECT_EQ(Listed, (QStringList{"a.WZL", "b.wil", "c.Data", "d.wis"}));
    EXPECT_FALSE(Library());  // listing opens nothing

    Window->FileListBox1->setCurrentRow(0);
    ASSERT_TRUE(Library());
    EXPECT_EQ(Library()->ImageCount, 4);
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Velka资源文件-") + Temp.File("a.WZL"));
    Window->FileListBox1->setCurrentRow(1);
    ASSERT_TRUE(Library());
    EXPECT_EQ(LibraryButtons(), ReadOnlyButtons);

    // The folder list lists the sub-folders and shows the folder in the file list when chosen.
    EXPECT_EQ(Window->DirectoryListBox1->Directory(), QDir::cleanPath(Temp.Path()));
    QListWidgetItem* Sub = Window->DirectoryListBox1->findItems(QStringLiteral("sub.wzl"), Qt::MatchEndsWith).value(0);
    ASSERT_TRUE(Sub);
    emit Window->DirectoryListBox1->itemActivated(Sub);
    EXPECT_EQ(Window->FileListBox1->Directory(), QDir(Temp.Path()).filePath(QStringLiteral("sub.wzl")));
    EXPECT_EQ(Window->FileListBox1->count(), 0);
}

TEST_F(MainWindowTest, DriveListHoldsTheVolumeOfTheBrowsedFolder)
{
    Window->BrowseFolder(Temp.Path());
    ASSERT_GT(Window->DriveComboBox1->count(), 0);
    const QString Root = Window->DriveComboBox1->Drive();
    EXPECT_TRUE(QDir::cleanPath(Temp.Path()).startsWith(Root)) << Root.toStdString();
    emit Window->DriveComboBox1->driveChanged(Root);
    EXPECT_EQ(Window->DirectoryListBox1->Directory(), QDir::cleanPath(Root));
    EXPECT_EQ(Window->FileListBox1->Directory(), QDir::cleanPath(Root));
}

TEST_F(MainWindowTest, OpeningAnotherLibraryReplacesTheOpenOne)
{
    WriteLibrary(Temp.File("a.wzl"), NumberedImages(2));
    WriteLibrary(Temp.File("b.wzl"), NumberedImages(3));
    OpenThroughDialog(Temp.File("a.wzl"));
    OpenThroughDialog(Temp.File("b.wzl"));
    ASSERT_TRUE(Library());
    EXPECT_EQ(Library()->ImageCount, 3);
}

TEST_F(MainWindowTest, CloseIsRefusedWhileBusy)
{
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    Window->Busy = true;
    EXPECT_FALSE(Window->close());
    EXPECT_TRUE(Window->isVisible());
    Window->Busy = false;
    Window->dxBarButton9->trigger();
    EXPECT_FALSE(Window->isVisible());
}

TEST_F(MainWindowTest, ToolBarCannotBeHiddenButThePanelsCan)
{
    std::unique_ptr<QMenu> Menu(Window->createPopupMenu());
    const QList<QAction*> Items = Menu->actions();
    ASSERT_EQ(Items.size(), 2);
    EXPECT_EQ(Items[0], Window->DockImageList->toggleViewAction());
    EXPECT_EQ(Items[1], Window->DockPreview->toggleViewAction());
}

}  // namespace
}  // namespace velka::test

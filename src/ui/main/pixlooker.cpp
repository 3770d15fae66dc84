// The main window's construction, its components and the rules shared by its commands.
#include "ui/main/pixlooker.h"

#include "library/packageimages.h"
#include "library/wmimages.h"
#include "ui/batch/convertdialog.h"
#include "ui/batch/exportdialog.h"
#include "ui/batch/inputmanydialog.h"
#include "ui/main/backgrounds.h"
#include "ui/main/browser.h"
#include "ui/main/createdatadialog.h"
#include "ui/main/deleteimagesdialog.h"
#include "ui/main/drawgrid.h"
#include "ui/main/filedialogs.h"
#include "ui/main/fonts.h"
#include "ui/main/imageinputdialog.h"
#include "ui/main/messagebox.h"
#include "ui/main/passworddialog.h"
#include "ui/main/previewpane.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <exception>

namespace velka::ui {

namespace {

const QString LibraryFileMask = QStringLiteral("*.wil;*.wzl;*.data;*.wis");

bool RunFileDialog(QWidget* Parent, TFileDialogSettings& Settings)
{
    QFileDialog Dialog(Parent, Settings.Title);
    Dialog.setObjectName(Settings.Name);
    SetUpFileDialog(Dialog, Settings.Mode == TFileDialogSettings::TMode::Save, Settings.ConfirmOverwrite);
    Dialog.setNameFilters(QtNameFilters(Settings.Filter));
    Dialog.setDefaultSuffix(Settings.DefaultExt);
    if (!Settings.FileName.isEmpty()) {
        Dialog.setDirectory(QFileInfo(Settings.FileName).absolutePath());
        Dialog.selectFile(QFileInfo(Settings.FileName).fileName());
    }
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) return false;
    Settings.FileName = Dialog.selectedFiles().constFirst();
    return !Settings.FileName.isEmpty();
}

QAction* ToolButton(QToolBar* Bar, const QString& Name, const QString& Caption, bool Enabled)
{
    QAction* Action = Bar->addAction(Caption);
    Action->setObjectName(Name);
    Action->setToolTip(Caption);
    Action->setEnabled(Enabled);
    return Action;
}

}  // namespace

TPixlookerRunners DefaultRunners()
{
    TPixlookerRunners Runners;
    Runners.FileDialog = RunFileDialog;
    Runners.ImageInput = ImageInputDialog;
    Runners.DeleteImages = DeleteImagesDialog;
    Runners.XYEditor = XYEditorDialog;
    Runners.CreateData = CreateDataDialog;
    Runners.Password = PasswordDialog;
    Runners.BatchImport = [](TWMImages* Library, int Start, QWidget* Parent) { RunBatchImport(Library, Start, Parent); };
    Runners.BatchExport = [](TWMImages* Library, int First, int Last, QWidget* Parent) {
        RunBatchExport(Library, First, Last, Parent);
    };
    Runners.Convert = [](TfrmConvertDlg& Dialog) { Dialog.ShowConvertDialog(); };
    return Runners;
}

TuPixlooker::TuPixlooker(QWidget* Parent) : QMainWindow(Parent), Runners(DefaultRunners())
{
    setObjectName(QStringLiteral("uPixlooker"));
    setWindowTitle(QStringLiteral("QuellVelka2Velka资源编辑器"));
    setFont(SongTiFont());
    BuildToolBar();
    BuildDocks();
    BuildStatusBar();
    BuildDialogs();
    BuildBackgrounds();
    UpdateButtons();
    resize(ClientWidth, ClientHeight);
    resizeDocks({DockImageList, DockPreview}, {1008, 358}, Qt::Horizontal);
    if (const QScreen* Screen = QGuiApplication::primaryScreen()) {
        QRect Frame(QPoint(), size());
        Frame.moveCenter(Screen->availableGeometry().center());
        move(Frame.topLeft());
    }
    frmConvertDlg = new TfrmConvertDlg(this);
    frmConvertDlg->setObjectName(QStringLiteral("frmConvertDlg"));
    frmConvertDlg->hide();
}

TuPixlooker::~TuPixlooker() = default;

void TuPixlooker::BuildToolBar()
{
    ToolBar = new QToolBar(QStringLiteral("工具栏"), this);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolBar->toggleViewAction()->setEnabled(false);
    addToolBar(Qt::TopToolBarArea, ToolBar);

    BtnOpen = ToolButton(ToolBar, QStringLiteral("BtnOpen"), QStringLiteral("打开文件"), true);
    BtnNew = ToolButton(ToolBar, QStringLiteral("BtnNew"), QStringLiteral("新建文件"), true);
    ToolBar->addSeparator();
    BtnImport = ToolButton(ToolBar, QStringLiteral("BtnImport"), QStringLiteral("导入图片"), false);
    BtnExport = ToolButton(ToolBar, QStringLiteral("BtnExport"), QStringLiteral("导出图片"), false);
    ToolBar->addSeparator();
    BtnImportMore = ToolButton(ToolBar, QStringLiteral("BtnImportMore"), QStringLiteral("批量导入"), false);
    BtnExportMore = ToolButton(ToolBar, QStringLiteral("BtnExportMore"), QStringLiteral("批量导出"), false);
    BtnSave = ToolButton(ToolBar, QStringLiteral("BtnSave"), QStringLiteral("批量转换"), true);
    ToolBar->addSeparator();
    BtnDelete = ToolButton(ToolBar, QStringLiteral("BtnDelete"), QStringLiteral("删除图片"), false);
    BtnOffset = ToolButton(ToolBar, QStringLiteral("BtnOffset"), QStringLiteral("设置坐标"), false);
    ToolBar->addSeparator();
    BtnEncRes = ToolButton(ToolBar, QStringLiteral("BtnEncRes"), QStringLiteral("素材加密"), false);
    cxDarkBG = new QCheckBox(QStringLiteral("深色背景"), ToolBar);
    cxDarkBG->setObjectName(QStringLiteral("cxDarkBG"));
    cxDarkBG->setToolTip(cxDarkBG->text());
    ToolBar->addWidget(cxDarkBG);
    ToolBar->addSeparator();
    dxBarButton9 = ToolButton(ToolBar, QStringLiteral("dxBarButton9"), QStringLiteral("关闭"), true);

    connect(BtnOpen, &QAction::triggered, this, &TuPixlooker::BtnOpenClick);
    connect(BtnNew, &QAction::triggered, this, &TuPixlooker::BtnNewClick);
    connect(BtnImport, &QAction::triggered, this, &TuPixlooker::BtnImportClick);
    connect(BtnExport, &QAction::triggered, this, &TuPixlooker::BtnExportClick);
    connect(BtnImportMore, &QAction::triggered, this, &TuPixlooker::BtnImportMoreClick);
    connect(BtnExportMore, &QAction::triggered, this, &TuPixlooker::BtnExportMoreClick);
    connect(BtnSave, &QAction::triggered, this, &TuPixlooker::BtnSaveClick);
    connect(BtnDelete, &QAction::triggered, this, &TuPixlooker::BtnDeleteClick);
    connect(BtnOffset, &QAction::triggered, this, &TuPixlooker::BtnOffsetClick);
    connect(BtnEncRes, &QAction::triggered, this, &TuPixlooker::BtnEncResClick);
    connect(cxDarkBG, &QCheckBox::stateChanged, this, &TuPixlooker::cxDarkBGChange);
    connect(dxBarButton9, &QAction::triggered, this, &TuPixlooker::dxBarButton9Click);
}

void TuPixlooker::BuildDocks()
{
    // The two panels share the window; the placeholder centre takes no room.
    auto* Centre = new QWidget(this);
    setCentralWidget(Centre);
    Centre->hide();
    setDockOptions(QMainWindow::AnimatedDocks);
    const auto Features =
        QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable;

    DockImageList = new QDockWidget(QStringLiteral("图片列表"), this);
    DockImageList->setObjectName(QStringLiteral("DockImageList"));
    DockImageList->setFeatures(Features);
    DockImageList->setWidget(BuildBrowserPanel());
    addDockWidget(Qt::LeftDockWidgetArea, DockImageList);

    DockPreview = new QDockWidget(QStringLiteral("图像预览"), this);
    DockPreview->setObjectName(QStringLiteral("DockPreview"));
    DockPreview->setFeatures(Features);
    DockPreview->setWidget(BuildPreviewPanel());
    addDockWidget(Qt::RightDockWidgetArea, DockPreview);
}

QWidget* TuPixlooker::BuildBrowserPanel()
{
    auto* Panel = new QWidget;
    auto* Row = new QHBoxLayout(Panel);
    Row->setContentsMargins(0, 0, 0, 0);
    Row->setSpacing(0);

    auto* Column = new QWidget(Panel);
    Column->setFixedWidth(185);
    auto* Stack = new QVBoxLayout(Column);
    Stack->setContentsMargins(0, 0, 0, 0);
    Stack->setSpacing(0);
    DriveComboBox1 = new TDriveComboBox(Column);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DirectoryListBox1 = new TDirectoryListBox(Column);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setFixedHeight(174);
    FileListBox1 = new TFileListBox(Column);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->SetMask(LibraryFileMask);
    Stack->addWidget(DriveComboBox1);
    Stack->addWidget(DirectoryListBox1);
    Stack->addWidget(FileListBox1, 1);
    Row->addWidget(Column);

    DrawGrid = new TDrawGrid(Panel);
    DrawGrid->setObjectName(QStringLiteral("DrawGrid"));
    DrawGrid->SetColCount(GridColumns);
    Row->addWidget(DrawGrid, 1);

    connect(DriveComboBox1, &TDriveComboBox::driveChanged, this, &TuPixlooker::DriveComboBox1Change);
    connect(DirectoryListBox1, &TDirectoryListBox::directoryChanged, this, &TuPixlooker::DirectoryListBox1Change);
    connect(FileListBox1, &TFileListBox::fileChanged, this, &TuPixlooker::FileListBox1Change);
    connect(DrawGrid, &TDrawGrid::drawCell, this, &TuPixlooker::DrawGridDrawCell);
    connect(DrawGrid, &TDrawGrid::selectCell, this, &TuPixlooker::DrawGridSelectCell);
    BrowseFolder(QDir::currentPath());
    return Panel;
}

QWidget* TuPixlooker::BuildPreviewPanel()
{
    ScrollBox = new TScrollBox;
    ScrollBox->setObjectName(QStringLiteral("ScrollBox"));
    Image = new TPreviewImage;
    Image->setObjectName(QStringLiteral("Image"));
    Image->resize(0, 0);
    ScrollBox->setWidget(Image);
    plImgPos = ScrollBox->BottomPanel();
    plImgPos->setObjectName(QStringLiteral("plImgPos"));

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    PopupMenu_Transparent = PopupMenu->addAction(QStringLiteral("透明显示"));
    PopupMenu_Transparent->setObjectName(QStringLiteral("PopupMenu_Transparent"));
    PopupMenu_Transparent->setCheckable(true);
    Image->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Image, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& At) { PopupMenu->popup(Image->mapToGlobal(At)); });
    connect(PopupMenu_Transparent, &QAction::triggered, this, &TuPixlooker::PopupMenu_TransparentClick);
    connect(Image, &TPreviewImage::mouseMoved, this, &TuPixlooker::ImageMouseMove);
    return ScrollBox;
}

void TuPixlooker::BuildStatusBar()
{
    auto* Bar = new QStatusBar(this);
    Bar->setObjectName(QStringLiteral("StatusBar"));
    Bar->setFixedHeight(24);
    Bar->setSizeGripEnabled(false);
    setStatusBar(Bar);
    const int Widths[4] = {100, 126, 350, 0};
    for (int I = 0; I < 4; ++I) {
        StatusPanels[I] = new QLabel(Bar);
        StatusPanels[I]->setObjectName(QStringLiteral("StatusPanel%1").arg(I));
        StatusPanels[I]->setFrameShape(QFrame::StyledPanel);
        StatusPanels[I]->setFrameShadow(QFrame::Sunken);
        if (Widths[I] > 0) StatusPanels[I]->setFixedWidth(Widths[I]);
        Bar->addWidget(StatusPanels[I], Widths[I] > 0 ? 0 : 1);
    }
    StatusPanels[0]->setAlignment(Qt::AlignCenter);
    StatusPanels[0]->setText(QStringLiteral("版本: 2020.02.28"));
    // The keyboard-state panel names Caps Lock, Num Lock, Scroll Lock and Insert.
    StatusPanels[1]->setAlignment(Qt::AlignCenter);
    StatusPanels[1]->setText(QStringLiteral("大写 数字 滚动 改写"));
}

void TuPixlooker::BuildDialogs()
{
    OpenDialog = {QStringLiteral("OpenDialog"), TFileDialogSettings::TMode::Open,
                  QStringLiteral("Velka图片资源文件|*.Data;*.Wil;*.Wis;*.wzl"), QString(), QString(), false, QString()};
    OPD1 = {QStringLiteral("OPD1"), TFileDialogSettings::TMode::Open,
            QStringLiteral("Bitmaps (*.bmp)|*.bmp|Png(*.png)|*.png|Jpg(jpg)|*.jpg"), QString(), QString(), false, QString()};
    SaveDialog1 = {QStringLiteral("SaveDialog1"), TFileDialogSettings::TMode::Save, QString(), QString(),
                   QStringLiteral("BMP"), false, QString()};
    // A new library replaces a file of the same name: the dialog asks first.
    SaveDialog2 = {QStringLiteral("SaveDialog2"), TFileDialogSettings::TMode::Save, QString(),
                   QStringLiteral("创建Data文件"), QString(), true, QString()};
}

void TuPixlooker::BuildBackgrounds()
{
    LightBackground = BuildLightBackground();
    DarkBackground = BuildDarkBackground();
}

void TuPixlooker::closeEvent(QCloseEvent* Event)
{
    if (Busy) {
        Event->ignore();
        return;
    }
    QMainWindow::closeEvent(Event);
}

QMenu* TuPixlooker::createPopupMenu()
{
    auto* Menu = new QMenu(this);
    Menu->addAction(DockImageList->toggleViewAction());
    Menu->addAction(DockPreview->toggleViewAction());
    return Menu;
}

void TuPixlooker::dxBarButton9Click() { close(); }

void TuPixlooker::UpdateButtons()
{
    const bool Open = Images != nullptr;
    const bool Editable = LibraryEditable();
    BtnImport->setEnabled(Editable);
    BtnExport->setEnabled(Open);
    BtnImportMore->setEnabled(Editable);
    BtnExportMore->setEnabled(Open);
    BtnDelete->setEnabled(Editable);
    BtnOffset->setEnabled(Editable);
    BtnEncRes->setEnabled(PasswordSettable());
}

bool TuPixlooker::PasswordSettable() const
{
    return Images && Images->PasswordOK && dynamic_cast<const TWMPackageImages*>(Images.get());
}

bool TuPixlooker::LibraryEditable() const
{
    // A library whose password was refused presents no images; editing it would lose them.
    return Images && Images->Editable && Images->PasswordOK;
}

int TuPixlooker::CurrentImage() const { return DrawGrid->Row() * GridColumns + DrawGrid->Col(); }

QString TuPixlooker::StatusText(int Panel) const { return StatusPanels[Panel]->text(); }

void TuPixlooker::SetStatusText(int Panel, const QString& Text) { StatusPanels[Panel]->setText(Text); }

void TuPixlooker::RunGuarded(const std::function<void()>& Command, const QString& FailureText)
{
    QString Reason;
    try {
        Command();
        return;
    } catch (const std::exception& Error) {
        Reason = QString::fromUtf8(Error.what());
    } catch (...) {
        Reason = QStringLiteral("未知错误");
    }
    ShowMessage(this, FailureText.isEmpty() ? Reason : FailureText + QLatin1Char('\n') + Reason);
}

bool TuPixlooker::RunBusy(const std::function<void()>& Command, const QString& FailureText)
{
    if (Busy) return false;
    Busy = true;
    RunGuarded(Command, FailureText);
    Busy = false;
    return true;
}

void TuPixlooker::FreeLibrary() { Images.reset(); }

void TuPixlooker::RefreshRows() { DrawGrid->SetRowCount(Images ? Images->ImageCount / GridColumns + 1 : 1); }

void TuPixlooker::RepaintViews()
{
    DrawGrid->viewport()->update();
    Image->update();
}

void TuPixlooker::ShowLibrary()
{
    RefreshRows();
    RepaintViews();
    UpdateButtons();
}

}  // namespace velka::ui

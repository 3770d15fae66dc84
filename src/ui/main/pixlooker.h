#pragma once
// TuPixlooker: the editor's main window. It owns the open library, browses it in a thumbnail
// grid with a 1:1 preview, and runs the tool bar's commands on it.

#include "ui/main/xyeditor.h"

#include <QImage>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QDockWidget;
class QLabel;
class QMenu;
class QPainter;
class QToolBar;

namespace velka {
class TWMImages;
}

namespace velka::ui {

class TDirectoryListBox;
class TDrawGrid;
class TDriveComboBox;
class TFileListBox;
class TPreviewImage;
class TScrollBox;
class TfrmConvertDlg;

// The settings of one of the window's file dialogs, kept between showings.
struct TFileDialogSettings {
    enum class TMode { Open, Save };
    QString Name;        // the dialog's object name
    TMode Mode = TMode::Open;
    QString Filter;      // "description|patterns|description|patterns", patterns joined by ';'
    QString Title;
    QString DefaultExt;  // without the dot
    bool ConfirmOverwrite = false;
    QString FileName;    // the name chosen last (the next showing starts from it)
};

// Every modal step of the window's commands, so that tests can stand in for the user.
struct TPixlookerRunners {
    // Shows the dialog; true with Settings.FileName set when a file was chosen.
    std::function<bool(QWidget* Parent, TFileDialogSettings& Settings)> FileDialog;
    std::function<bool(QWidget* Parent, int& X, int& Y, int& Mode)> ImageInput;
    std::function<void(QWidget* Parent, TWMImages* Library, int First, int Last)> DeleteImages;
    std::function<bool(QWidget* Parent, TXYEditorValues& Values)> XYEditor;
    std::function<bool(QWidget* Parent, int& Kind)> CreateData;
    std::function<bool(QWidget* Parent, const QString& Prompt, QString& Password)> Password;
    std::function<void(TWMImages* Library, int StartNumber, QWidget* Parent)> BatchImport;
    std::function<void(TWMImages* Library, int First, int Last, QWidget* Parent)> BatchExport;
    std::function<void(TfrmConvertDlg& Dialog)> Convert;
};

// The real modal dialogs.
TPixlookerRunners DefaultRunners();

class TuPixlooker : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int GridColumns = 10;
    static constexpr int ClientWidth = 1366;
    static constexpr int ClientHeight = 641;

    explicit TuPixlooker(QWidget* Parent = nullptr);
    ~TuPixlooker() override;

    TPixlookerRunners Runners;

    // A command of this window is running: the grid draws no thumbnails, closing is refused,
    // and the commands that test it do nothing.
    bool Busy = false;
    std::unique_ptr<TWMImages> Images;
    QImage LightBackground;
    QImage DarkBackground;
    // The cell selected last and its image number (stored before any range check).
    int SelectedCol = 0;
    int SelectedRow = 0;
    int SelectedIndex = 0;

    // Components.
    QToolBar* ToolBar;
    QAction* BtnOpen;
    QAction* BtnNew;
    QAction* BtnImport;
    QAction* BtnExport;
    QAction* BtnImportMore;
    QAction* BtnExportMore;
    QAction* BtnSave;
    QAction* BtnDelete;
    QAction* BtnOffset;
    QAction* BtnEncRes;
    QCheckBox* cxDarkBG;
    QAction* dxBarButton9;
    QDockWidget* DockImageList;
    QDockWidget* DockPreview;
    TDriveComboBox* DriveComboBox1;
    TDirectoryListBox* DirectoryListBox1;
    TFileListBox* FileListBox1;
    TDrawGrid* DrawGrid;
    TScrollBox* ScrollBox;
    TPreviewImage* Image;
    QLabel* plImgPos;
    QMenu* PopupMenu;
    QAction* PopupMenu_Transparent;
    QLabel* StatusPanels[4];
    TFileDialogSettings OpenDialog;
    TFileDialogSettings OPD1;
    TFileDialogSettings SaveDialog1;
    TFileDialogSettings SaveDialog2;
    TfrmConvertDlg* frmConvertDlg;

    // The core of opening a library (both routes run it). Raises when no library results; the
    // window then holds none.
    void OpenLibrary(const QString& Path);
    void UpdateButtons();
    // Shows a folder in the browser column.
    void BrowseFolder(const QString& Folder);
    QString StatusText(int Panel) const;
    // The image number of the grid's current cell.
    int CurrentImage() const;

public slots:
    void BtnOpenClick();
    void BtnNewClick();
    void BtnImportClick();
    void BtnExportClick();
    void BtnImportMoreClick();
    void BtnExportMoreClick();
    void BtnSaveClick();
    void BtnDeleteClick();
    void BtnOffsetClick();
    void BtnEncResClick();
    void cxDarkBGChange();
    void dxBarButton9Click();
    void DriveComboBox1Change(const QString& Root);
    void DirectoryListBox1Change(const QString& Folder);
    void FileListBox1Change();
    void DrawGridDrawCell(QPainter* Painter, int Col, int Row, const QRect& Rect);
    void DrawGridSelectCell(int Col, int Row);
    void ImageMouseMove(int X, int Y);
    void PopupMenu_TransparentClick();

    // Only the panels can be hidden and shown again; the tool bar always stays.
    QMenu* createPopupMenu() override;

protected:
    void closeEvent(QCloseEvent* Event) override;

private:
    void BuildToolBar();
    void BuildDocks();
    QWidget* BuildBrowserPanel();
    QWidget* BuildPreviewPanel();
    void BuildStatusBar();
    void BuildDialogs();
    void BuildBackgrounds();

    // Runs a command, catching what it raises and showing it (after FailureText when given).
    void RunGuarded(const std::function<void()>& Command, const QString& FailureText = QString());
    // A command that sets Busy for its run; false (nothing run) while Busy is already set.
    bool RunBusy(const std::function<void()>& Command, const QString& FailureText = QString());
    bool LibraryEditable() const;
    bool PasswordSettable() const;
    void FreeLibrary();
    // Replaces the open library by the one Make gives (none: no library) and initialises it.
    // When that raises, the window shows no library and the error passes on.
    void TakeLibrary(const std::function<std::unique_ptr<TWMImages>()>& Make);
    void ShowLibrary();
    void RefreshRows();
    void RepaintViews();
    void SetStatusText(int Panel, const QString& Text);
    void ShowPNGPreview(int Index, int W, int H, int X, int Y);
    void ShowDIBPreview(int Index, int W, int H, int X, int Y);
    void LayoutPreview(int W, int H);
    void LibraryPassword(TWMImages& Sender, QString& Password);

    void ImportPicture();
    // Reopens the open library when one of Written (converter targets) is its data file.
    void ReopenIfReplaced(const QStringList& Written);
    void ExportImage();
    void EditOffsets();
    void CreateLibrary();
};

}  // namespace velka::ui

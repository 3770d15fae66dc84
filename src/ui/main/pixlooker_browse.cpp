// The main window's browsing: opening a library, the thumbnail cells and the 1:1 preview.
#include "ui/main/pixlooker.h"

#include "library/dib.h"
#include "library/errors.h"
#include "library/picturefile.h"
#include "library/pngobject.h"
#include "library/wmimages.h"
#include "ui/main/browser.h"
#include "ui/main/drawgrid.h"
#include "ui/main/previewpane.h"

#include <QAction>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>

namespace velka::ui {

void TuPixlooker::BtnOpenClick()
{
    RunBusy([this] {
        if (Runners.FileDialog(this, OpenDialog) && !OpenDialog.FileName.isEmpty()) OpenLibrary(OpenDialog.FileName);
    });
}

void TuPixlooker::FileListBox1Change()
{
    // Freeing the library under a running command would pull it away from that command.
    if (Busy) return;
    const QString Path = FileListBox1->FileName();
    if (Path.isEmpty()) return;
    RunGuarded([this, Path] { OpenLibrary(Path); });
}

void TuPixlooker::OpenLibrary(const QString& Path)
{
    setWindowTitle(QStringLiteral("Velka资源文件-") + Path);
    TakeLibrary([this, &Path] {
        std::unique_ptr<TWMImages> Library = OpenImageLibrary(Path, true);
        if (!Library) throw EVelkaError(QStringLiteral("不是可打开的图片资源文件: %1").arg(Path).toStdString());
        Library->OnPassword = [this](TWMImages& Sender, QString& Password) { LibraryPassword(Sender, Password); };
        return Library;
    });
}

void TuPixlooker::TakeLibrary(const std::function<std::unique_ptr<TWMImages>()>& Make)
{
    FreeLibrary();
    try {
        Images = Make();
        if (Images) {
            plImgPos->clear();
            Images->Initialize();
        }
    } catch (...) {
        // A half-opened library is no library: show the no-library state, then the error.
        FreeLibrary();
        ShowLibrary();
        throw;
    }
    ShowLibrary();
}

void TuPixlooker::LibraryPassword(TWMImages&, QString& Password)
{
    QString Text;
    if (Runners.Password(this, QStringLiteral("当前文件已加密，请输入密码："), Text)) Password = Text;
}

void TuPixlooker::BrowseFolder(const QString& Folder)
{
    DriveComboBox1->SetDriveFor(Folder);
    DirectoryListBox1->SetDirectory(Folder);
    FileListBox1->SetDirectory(DirectoryListBox1->Directory());
}

void TuPixlooker::DriveComboBox1Change(const QString& Root)
{
    DirectoryListBox1->SetDirectory(Root);
    DirectoryListBox1Change(DirectoryListBox1->Directory());
}

void TuPixlooker::DirectoryListBox1Change(const QString& Folder) { FileListBox1->SetDirectory(Folder); }

void TuPixlooker::DrawGridDrawCell(QPainter* Painter, int Col, int Row, const QRect& Rect)
{
    if (!Images || Busy) return;
    const int64_t Number = int64_t(Row) * GridColumns + Col;
    if (Number < 0 || Number >= Images->ImageCount) return;
    const int Index = static_cast<int>(Number);
    const TGraphic* Graphic = nullptr;
    try {
        Graphic = Images->GetGraphic(Index);
    } catch (...) {
        // A cell that cannot be read stays without a thumbnail; painting never raises.
    }
    if (Graphic) DrawFitted(*Graphic, *Painter, Rect);

    const QString Label = QString::asprintf("%.5d", Index);
    const QFontMetrics Metrics(Painter->font());
    const int H = Metrics.height();
    const int L = Rect.left();
    const int B = Rect.top() + Rect.height();
    const auto Text = [&](int X, int Y, Qt::GlobalColor Color) {
        Painter->setPen(Color);
        Painter->drawText(X, Y + Metrics.ascent(), Label);
    };
    Painter->setBackgroundMode(Qt::TransparentMode);
    Text(L - 1, B - H, Qt::white);
    Text(L + 1, B - H + 1, Qt::white);
    Text(L, B - H - 1, Qt::white);
    Text(L, B - H + 1, Qt::white);
    Text(L, B - H, Qt::black);
}

void TuPixlooker::DrawGridSelectCell(int Col, int Row)
{
    plImgPos->clear();
    Image->SetPicture(QImage());
    SetStatusText(2, QString());
    if (!Images) return;
    SelectedCol = Col;
    SelectedRow = Row;
    SelectedIndex = Row * GridColumns + Col;
    if (Busy || SelectedIndex < 0 || SelectedIndex >= Images->ImageCount) return;
    const int Index = SelectedIndex;
    RunGuarded([this, Index] {
        int32_t W = 0, H = 0, X = 0, Y = 0;
        Images->GetImageInfo(Index, W, H, X, Y);
        if (Images->GetImageKind(Index) == KindPNG)
            ShowPNGPreview(Index, W, H, X, Y);
        else
            ShowDIBPreview(Index, W, H, X, Y);
    });
}

void TuPixlooker::ShowPNGPreview(int Index, int W, int H, int X, int Y)
{
    const auto* Png = dynamic_cast<const TPNGObject*>(Images->GetGraphic(Index));
    if (!Png) return;
    LayoutPreview(W, H);
    QImage Picture(Png->Width(), Png->Height(), QImage::Format_RGB32);
    Picture.fill(Qt::white);
    QPainter Painter(&Picture);
    Painter.drawImage(0, 0, cxDarkBG->isChecked() ? DarkBackground : LightBackground);
    Painter.drawImage(0, 0, Png->Image());
    Painter.end();
    Image->SetPicture(Picture);
    SetStatusText(2, QString::asprintf("宽:%d 高:%d 偏移坐标:%d,%d [PNG]", W, H, X, Y));
}

void TuPixlooker::ShowDIBPreview(int Index, int W, int H, int X, int Y)
{
    const TDIB* Dib = Images->GetDIB(Index);
    if (!Dib) return;
    LayoutPreview(W, H);
    Image->SetPicture(Dib->ToImage());
    SetStatusText(2, QString::asprintf("宽:%d 高:%d 偏移坐标:%d,%d 位深度:%d位 [BMP]", W, H, X, Y, Dib->BitCount()));
}

void TuPixlooker::LayoutPreview(int W, int H)
{
    // The scroll box centres the control while it is smaller than the box, else shows it from
    // its top-left corner with scroll bars.
    ScrollBox->horizontalScrollBar()->setValue(0);
    ScrollBox->verticalScrollBar()->setValue(0);
    Image->resize(W, H);
    Image->SetTransparent(PopupMenu_Transparent->isChecked());
}

void TuPixlooker::ImageMouseMove(int X, int Y) { plImgPos->setText(QString::asprintf("  图片坐标位置:%d,%d", X, Y)); }

void TuPixlooker::PopupMenu_TransparentClick() { DrawGridSelectCell(SelectedCol, SelectedRow); }

void TuPixlooker::cxDarkBGChange() { DrawGridSelectCell(SelectedCol, SelectedRow); }

}  // namespace velka::ui

// The main window's commands on the open library: one picture in or out, deleting, offsets,
// new libraries, the image password and the hand-offs to the batch dialogs.
#include "ui/main/pixlooker.h"

#include "batch/batchexport.h"
#include "batch/inttext.h"
#include "batch/librarypicture.h"
#include "library/errors.h"
#include "library/packageimages.h"
#include "library/picturefile.h"
#include "library/wmimages.h"
#include "ui/batch/convertdialog.h"
#include "ui/main/createdatadialog.h"
#include "ui/main/imageinputdialog.h"
#include "ui/main/messagebox.h"
#include "ui/main/previewpane.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>

namespace velka::ui {

namespace {

const QString ImportFailed = QStringLiteral("图片导入失败 ！！！");
const QString ExportFailed = QStringLiteral("图片导出失败 ！！！");

// A reason for a failure the user must hear about; shown after the command's failure text.
[[noreturn]] void Fail(const QString& Reason) { throw EVelkaError(Reason.toStdString()); }

// Long loops over a range repaint the window now and then; Busy keeps every command and the
// closing off the library meanwhile.
void KeepResponsive(int Done)
{
    if (Done % 256 == 255) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// The strict reading of a typed offset: text that is not an integer is an error.
int32_t StrictInteger(const QString& Text)
{
    int32_t Value = 0;
    if (!TryStrToIntText(Text, Value)) Fail(QStringLiteral("“%1”不是有效的整数").arg(Text));
    return Value;
}

}  // namespace

void TuPixlooker::BtnImportClick()
{
    if (!LibraryEditable()) return;
    if (RunBusy([this] { ImportPicture(); }, ImportFailed)) {
        RefreshRows();
        RepaintViews();
    }
}

void TuPixlooker::ImportPicture()
{
    if (!Runners.FileDialog(this, OPD1) || OPD1.FileName.isEmpty()) return;
    uint8_t Kind = KindBitmap;
    std::unique_ptr<TGraphic> Picture = LoadPictureFile(OPD1.FileName, Kind);
    if (!Picture) Fail(QStringLiteral("所选文件不是可导入的 BMP 或 PNG 图片: ") + OPD1.FileName);
    PrepareForLibrary(Picture, false);
    if (!Images->CanStore(Picture.get()))
        Fail(Kind == KindPNG ? QStringLiteral("WZL 文件不能保存 PNG 图片")
                             : QStringLiteral("此文件不能保存这张图片"));

    int X = 0, Y = 0, Mode = TuFrmImgInput::Append;
    if (!Runners.ImageInput(this, X, Y, Mode)) return;
    if (Mode == TuFrmImgInput::Replace || Mode == TuFrmImgInput::Insert) {
        const int Index = CurrentImage();
        if (Index >= Images->ImageCount) Fail(QStringLiteral("当前格子没有图片，请选择已有图片的格子"));
        Images->BeforeSave();
        const bool Done = Mode == TuFrmImgInput::Replace ? Images->ReplaceImage(Index, Picture.get(), X, Y, Kind)
                                                         : Images->InsertImage(Index, Picture.get(), X, Y, Kind);
        if (!Done) {
            ShowMessage(this, ImportFailed);
            return;
        }
        Images->Save();
    } else {
        Images->BeforeSave();
        if (!Images->AddImage(Picture.get(), X, Y, Kind)) {
            ShowMessage(this, ImportFailed);
            return;
        }
        Images->Save();
        RefreshRows();
        RepaintViews();
    }
    ShowMessage(this, QStringLiteral("图片导入成功 ！！！"));
}

void TuPixlooker::BtnExportClick()
{
    if (!Images) return;
    if (RunBusy([this] { ExportImage(); }, ExportFailed)) RepaintViews();
}

void TuPixlooker::ExportImage()
{
    const int Index = CurrentImage();
    if (Index >= Images->ImageCount) return;
    if (Images->GetImageKind(Index) == KindPNG) {
        SaveDialog1.Filter = QStringLiteral("PNG 文件|*.PNG");
        SaveDialog1.Title = QStringLiteral("保存为PNG 图片文件");
    } else {
        SaveDialog1.Filter = QStringLiteral("BMP 文件|*.BMP|");
        SaveDialog1.Title = QStringLiteral("保存为BMP 图片文件");
    }
    if (!Runners.FileDialog(this, SaveDialog1) || SaveDialog1.FileName.isEmpty()) return;
    const TGraphic* Graphic = Images->GetGraphic(Index);
    if (!Graphic) Fail(QStringLiteral("空图片没有可导出的内容"));

    // The typed name gives only the folder; the file is named as the batch export names it.
    const QString Target =
        ExportFileName(QFileInfo(SaveDialog1.FileName).absolutePath(), Index, PictureExtension(*Graphic));
    SaveDialog1.FileName = Target;
    if (!SavePictureFile(*Graphic, Target)) Fail(QStringLiteral("未知的图片类型"));
    ShowMessage(this, QStringLiteral("图片导出成功 ！！！"));
}

void TuPixlooker::BtnDeleteClick()
{
    if (!LibraryEditable() || Busy) return;
    RunGuarded([this] { Runners.DeleteImages(this, Images.get(), SelectedIndex, SelectedIndex); });
    RefreshRows();
    RepaintViews();
}

void TuPixlooker::BtnOffsetClick()
{
    if (!LibraryEditable()) return;
    if (RunBusy([this] { EditOffsets(); })) RepaintViews();
}

void TuPixlooker::EditOffsets()
{
    const int Index = CurrentImage();
    int32_t W = 0, H = 0, X = 0, Y = 0;
    if (Index >= Images->ImageCount || !Images->GetImageInfo(Index, W, H, X, Y)) return;
    TXYEditorValues Values;
    Values.MaxIndex = Images->ImageCount - 1;
    Values.EditX = QString::number(X);
    Values.EditY = QString::number(Y);
    if (!Runners.XYEditor(this, Values)) return;

    // Empty images have no entry to hold offsets; they are left alone in every mode.
    const auto Stored = [this](int J) { return Images->PositionOf(J) > 0; };
    switch (Values.Mode) {
    case TuFrmXYEditor::Single: {
        X = StrictInteger(Values.EditX);
        Y = StrictInteger(Values.EditY);
        if (!Stored(Index)) {
            ShowMessage(this, QStringLiteral("空图片没有坐标，未作修改 ！！！"));
            return;
        }
        Images->SetImageOffset(Index, X, Y);
        ShowMessage(this, QStringLiteral("图片坐标修改成功 ！！！"));
        return;
    }
    case TuFrmXYEditor::SetRange:
        X = StrictInteger(Values.EditX);
        Y = StrictInteger(Values.EditY);
        for (int J = Values.Start; J <= Values.End; ++J) {
            if (Stored(J)) Images->SetImageOffset(J, X, Y);
            KeepResponsive(J - Values.Start);
        }
        break;
    default: {
        const int32_t DX = IntText(Values.EditX);
        const int32_t DY = IntText(Values.EditY);
        for (int J = Values.Start; J <= Values.End; ++J) {
            int32_t WJ = 0, HJ = 0, XJ = 0, YJ = 0;
            if (Stored(J) && Images->GetImageInfo(J, WJ, HJ, XJ, YJ)) Images->SetImageOffset(J, XJ + DX, YJ + DY);
            KeepResponsive(J - Values.Start);
        }
        break;
    }
    }
    ShowMessage(this, QStringLiteral("图片坐标批量修改成功 ！！！"));
}

void TuPixlooker::BtnNewClick()
{
    if (Busy) return;
    RunGuarded([this] { CreateLibrary(); });
}

void TuPixlooker::CreateLibrary()
{
    int Kind = TuFrmCreateData::Data;
    if (!Runners.CreateData(this, Kind)) return;
    if (Kind == TuFrmCreateData::Wzl) {
        SaveDialog2.Filter = QStringLiteral("Velka图片资源文件|*.Wzl");
        SaveDialog2.DefaultExt = QStringLiteral("Wzl");
    } else {
        SaveDialog2.Filter = QStringLiteral("Velka图片资源文件|*.Data");
        SaveDialog2.DefaultExt = QStringLiteral("Data");
    }
    if (!Runners.FileDialog(this, SaveDialog2) || SaveDialog2.FileName.isEmpty()) return;
    TakeLibrary([this] { return CreateImageLibrary(SaveDialog2.FileName); });
    if (!Images) ShowMessage(this, QStringLiteral("只能新建 .Data 或 .Wzl 文件 ！！！"));
}

void TuPixlooker::BtnEncResClick()
{
    if (!PasswordSettable() || Busy) return;
    RunGuarded([this] {
        QString Text;
        if (!Runners.Password(this, QStringLiteral("请输入新密码："), Text)) return;
        Images->SetPassword(Text);
    });
    RepaintViews();
}

void TuPixlooker::BtnImportMoreClick()
{
    if (!LibraryEditable()) return;
    // The batch run may work on the library off this thread: Busy keeps the grid off it.
    if (RunBusy([this] { Runners.BatchImport(Images.get(), SelectedIndex, this); })) {
        RefreshRows();
        RepaintViews();
    }
}

void TuPixlooker::BtnExportMoreClick()
{
    if (!Images) return;
    if (RunBusy([this] { Runners.BatchExport(Images.get(), 0, Images->ImageCount - 1, this); })) RepaintViews();
}

void TuPixlooker::BtnSaveClick()
{
    if (Busy) return;
    RunGuarded([this] {
        Runners.Convert(*frmConvertDlg);
        ReopenIfReplaced(frmConvertDlg->WrittenTargets());
    });
}

// A converter run may have renamed a new library over the open one: the window would keep
// showing (and editing) the old, unlinked file.
void TuPixlooker::ReopenIfReplaced(const QStringList& Written)
{
    if (!Images) return;
    const QString Path = Images->FileName;
    const QString Open = QFileInfo(Path).canonicalFilePath();
    if (Open.isEmpty()) return;
    for (const QString& Target : Written) {
        if (QFileInfo(Target).canonicalFilePath() == Open) {
            OpenLibrary(Path);
            return;
        }
    }
}

}  // namespace velka::ui

#include "ui/main/deleteimagesdialog.h"

#include "batch/inttext.h"
#include "library/wmimages.h"
#include "ui/main/dialogparts.h"
#include "ui/main/fonts.h"
#include "ui/main/messagebox.h"
#include "ui/main/radiogroup.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace velka::ui {

TuFrmDelImages::TuFrmDelImages(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("uFrmDelImages"));
    auto* Layout = new QVBoxLayout(this);
    auto* Row = new QHBoxLayout;

    auto* Numbers = new QGroupBox(QStringLiteral("图片编号"), this);
    auto* Form = new QFormLayout(Numbers);
    EditX = RightAlignedEdit(QStringLiteral("EditX"), QString(), Numbers);
    EditY = RightAlignedEdit(QStringLiteral("EditY"), QString(), Numbers);
    Form->addRow(QStringLiteral("起始编号:"), EditX);
    Form->addRow(QStringLiteral("结束编号:"), EditY);
    Row->addWidget(Numbers);

    RadioGroup = new TRadioGroup(QStringLiteral("删除方式"), {QStringLiteral("彻地删除"), QStringLiteral("空图片替换")}, this);
    RadioGroup->setObjectName(QStringLiteral("RadioGroup"));
    RadioGroup->SetItemIndex(Delete);
    Row->addWidget(RadioGroup);
    Layout->addLayout(Row);

    const TOkCancelButtons Buttons = AddOkCancelRow(*this, *Layout, false);
    BitBtnOK = Buttons.Ok;
    BitBtnClose = Buttons.Cancel;
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnClose->setObjectName(QStringLiteral("BitBtnClose"));
    connect(BitBtnOK, &QPushButton::clicked, this, &TuFrmDelImages::BitBtnOKClick);
    connect(BitBtnClose, &QPushButton::clicked, this, &TuFrmDelImages::BitBtnCloseClick);
    FinishDialog(*this, QStringLiteral("删除图片"), SongTiFont());
}

void TuFrmDelImages::BitBtnOKClick()
{
    if (!Images || Busy) return;
    SetWorking(true);
    try {
        DeleteRange();
    } catch (const std::exception& Error) {
        SetWorking(false);
        ShowMessage(this, QStringLiteral("图片删除失败 ！！！") + QLatin1Char('\n') + QString::fromUtf8(Error.what()));
        return;
    }
    SetWorking(false);
    accept();
}

void TuFrmDelImages::DeleteRange()
{
    int32_t First = IntText(EditX->text());
    int32_t Last = IntText(EditY->text());
    const int32_t LastImage = Images->ImageCount - 1;
    if (First < 0) First = 0;
    if (Last > LastImage) Last = LastImage;
    if (First > LastImage) First = LastImage;
    if (Last < First) First = Last;
    if (First > Last || First < 0 || Last >= Images->ImageCount) return;

    Images->BeforeSave();
    const bool Done = RadioGroup->ItemIndex() == Blank ? Images->BlankImages(First, Last)
                                                       : Images->DeleteImages(First, Last);
    if (Done) {
        Images->Save();
        ShowMessage(this, QStringLiteral("图片删除成功 ！！！"));
    } else {
        ShowMessage(this, QStringLiteral("图片删除失败 ！！！"));
    }
}

void TuFrmDelImages::SetWorking(bool Working)
{
    Busy = Working;
    BitBtnOK->setEnabled(!Working);
    BitBtnClose->setEnabled(!Working);
}

void TuFrmDelImages::BitBtnCloseClick() { close(); }

void TuFrmDelImages::reject()
{
    if (!Busy) QDialog::reject();
}

void TuFrmDelImages::closeEvent(QCloseEvent* Event)
{
    if (Busy) {
        Event->ignore();
        return;
    }
    QDialog::closeEvent(Event);
}

void DeleteImagesDialog(QWidget* Parent, TWMImages* Library, int First, int Last)
{
    TuFrmDelImages Dialog(Parent);
    Dialog.Images = Library;
    Dialog.EditX->setText(QString::number(First));
    Dialog.EditY->setText(QString::number(Last));
    Dialog.exec();
}

}  // namespace velka::ui

#include "ui/main/deleteimagesdialog.h"

#include "batch/deleterange.h"
#include "batch/inttext.h"
#include "library/wmimages.h"
#include "ui/main/dialogparts.h"
#include "ui/main/fonts.h"
#include "ui/main/messagebox.h"
#include "ui/main/radiogroup.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace velka::ui {

TuFrmDelImages::TuFrmDelImages(QWidget* Parent) : TBusyDialog(Parent)
{
    setObjectName(QStringLiteral("uFrmDelImages"));
    auto* Layout = new QVBoxLayout(this);
    auto* Row = new QHBoxLayout;

    const TEditPairGroup Numbers = MakeEditPairGroup(QStringLiteral("图片编号"), QStringLiteral("起始编号:"),
                                                     QStringLiteral("结束编号:"), QString(), this);
    EditX = Numbers.EditX;
    EditY = Numbers.EditY;
    Row->addWidget(Numbers.Group);

    RadioGroup = new TRadioGroup(QStringLiteral("删除方式"), {QStringLiteral("彻地删除"), QStringLiteral("空图片替换")}, this);
    RadioGroup->setObjectName(QStringLiteral("RadioGroup"));
    RadioGroup->SetItemIndex(Delete);
    Row->addWidget(RadioGroup);
    Layout->addLayout(Row);

    const TOkCancelButtons Buttons = AddRunButtonRow(*this, *Layout);
    BitBtnOK = Buttons.Ok;
    BitBtnClose = Buttons.Cancel;
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
    const std::optional<TDeleteRange> Range =
        ClampDeleteRange(IntText(EditX->text()), IntText(EditY->text()), Images->ImageCount);
    if (!Range) return;

    Images->BeforeSave();
    const bool Done = RadioGroup->ItemIndex() == Blank ? Images->BlankImages(Range->First, Range->Last)
                                                       : Images->DeleteImages(Range->First, Range->Last);
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

void DeleteImagesDialog(QWidget* Parent, TWMImages* Library, int First, int Last)
{
    TuFrmDelImages Dialog(Parent);
    Dialog.Images = Library;
    Dialog.EditX->setText(QString::number(First));
    Dialog.EditY->setText(QString::number(Last));
    Dialog.exec();
}

}  // namespace velka::ui

#include "ui/main/imageinputdialog.h"

#include "batch/inttext.h"
#include "ui/main/dialogparts.h"
#include "ui/main/fonts.h"
#include "ui/main/radiogroup.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace velka::ui {

TuFrmImgInput::TuFrmImgInput(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("uFrmImgInput"));
    auto* Layout = new QVBoxLayout(this);
    auto* Row = new QHBoxLayout;

    const TEditPairGroup Offsets =
        MakeEditPairGroup(QStringLiteral("坐标"), QStringLiteral("X:"), QStringLiteral("Y:"), QStringLiteral("0"), this);
    EditX = Offsets.EditX;
    EditY = Offsets.EditY;
    Row->addWidget(Offsets.Group);

    cxRadioGroup1 = new TRadioGroup(QStringLiteral("导入方式"),
                                    {QStringLiteral("覆盖图片"), QStringLiteral("插入图片"), QStringLiteral("添加到末尾")},
                                    this);
    cxRadioGroup1->setObjectName(QStringLiteral("cxRadioGroup1"));
    cxRadioGroup1->SetItemIndex(Append);
    Row->addWidget(cxRadioGroup1);

    Layout->addLayout(Row);
    AddOkCancelRow(*this, *Layout);
    FinishDialog(*this, QStringLiteral("图片导入"), SongTiFont());
}

bool ImageInputDialog(QWidget* Parent, int& X, int& Y, int& Mode)
{
    TuFrmImgInput Dialog(Parent);
    Dialog.EditX->setText(QString::number(X));
    Dialog.EditY->setText(QString::number(Y));
    if (Dialog.exec() != QDialog::Accepted) return false;
    X = IntText(Dialog.EditX->text());
    Y = IntText(Dialog.EditY->text());
    Mode = Dialog.cxRadioGroup1->ItemIndex();
    return true;
}

}  // namespace velka::ui

#include "ui/main/xyeditor.h"

#include "ui/main/dialogparts.h"
#include "ui/main/fonts.h"
#include "ui/main/radiogroup.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>

namespace velka::ui {

namespace {

// Its maximum follows the library (SetMaxIndex).
QSpinBox* RangeSpinEdit(const QString& Name, QWidget* Parent)
{
    QSpinBox* Spin = RightAlignedSpin(Name, 0, Parent);
    Spin->setMinimumWidth(90);
    return Spin;
}

}  // namespace

TuFrmXYEditor::TuFrmXYEditor(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("uFrmXYEditor"));
    auto* Layout = new QVBoxLayout(this);

    rg_XYEditor = new TRadioGroup(QStringLiteral("坐标编辑模式"),
                                  {QStringLiteral("单张编辑"), QStringLiteral("批量设置"), QStringLiteral("批量增加偏移")},
                                  this);
    rg_XYEditor->setObjectName(QStringLiteral("rg_XYEditor"));
    connect(rg_XYEditor, &TRadioGroup::itemClicked, this, &TuFrmXYEditor::rg_XYEditorClick);

    grp_ImageNumber = new QGroupBox(QStringLiteral("图片序号"), this);
    grp_ImageNumber->setObjectName(QStringLiteral("grp_ImageNumber"));
    auto* Range = new QGridLayout(grp_ImageNumber);
    lbl1 = new QLabel(QStringLiteral("起始序号:"), grp_ImageNumber);
    lbl1->setObjectName(QStringLiteral("lbl1"));
    se_Start = RangeSpinEdit(QStringLiteral("se_Start"), grp_ImageNumber);
    lbl2 = new QLabel(QStringLiteral("结束序号:"), grp_ImageNumber);
    lbl2->setObjectName(QStringLiteral("lbl2"));
    se_End = RangeSpinEdit(QStringLiteral("se_End"), grp_ImageNumber);
    Range->addWidget(lbl1, 0, 0);
    Range->addWidget(se_Start, 0, 1);
    Range->addWidget(lbl2, 1, 0);
    Range->addWidget(se_End, 1, 1);

    const TEditPairGroup Offsets =
        MakeEditPairGroup(QStringLiteral("坐标"), QStringLiteral("X:"), QStringLiteral("Y:"), QString(), this);
    EditX = Offsets.EditX;
    EditY = Offsets.EditY;

    auto* Row = new QHBoxLayout;
    Row->addWidget(rg_XYEditor);
    auto* Right = new QVBoxLayout;
    Right->addWidget(grp_ImageNumber);
    Right->addWidget(Offsets.Group);
    Row->addLayout(Right);
    Layout->addLayout(Row);

    lbl3 = new QLabel(QStringLiteral("PS:对于批量减少偏移，\n使用批量增加偏移 X Y 为负数即可。"), this);
    lbl3->setObjectName(QStringLiteral("lbl3"));
    lbl3->setWordWrap(true);
    lbl3->setStyleSheet(QStringLiteral("color: red;"));
    Layout->addWidget(lbl3);

    AddOkCancelRow(*this, *Layout);
    FinishDialog(*this, QStringLiteral("偏移坐标"), SongTiFont());
}

void TuFrmXYEditor::SetMaxIndex(int MaxIndex)
{
    se_Start->setMaximum(MaxIndex);
    se_End->setMaximum(MaxIndex);
}

void TuFrmXYEditor::SetRangeEnabled(bool Enabled)
{
    lbl1->setEnabled(Enabled);
    lbl2->setEnabled(Enabled);
    se_Start->setEnabled(Enabled);
    se_End->setEnabled(Enabled);
}

void TuFrmXYEditor::rg_XYEditorClick(int Index) { SetRangeEnabled(Index != Single); }

void TuFrmXYEditor::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous()) FormShow();
}

void TuFrmXYEditor::FormShow()
{
    rg_XYEditor->SetItemIndex(Single);
    rg_XYEditorClick(Single);
}

bool XYEditorDialog(QWidget* Parent, TXYEditorValues& Values)
{
    TuFrmXYEditor Dialog(Parent);
    Dialog.SetMaxIndex(Values.MaxIndex);
    Dialog.EditX->setText(Values.EditX);
    Dialog.EditY->setText(Values.EditY);
    if (Dialog.exec() != QDialog::Accepted) return false;
    Values.Mode = Dialog.rg_XYEditor->ItemIndex();
    Values.EditX = Dialog.EditX->text();
    Values.EditY = Dialog.EditY->text();
    Values.Start = Dialog.se_Start->value();
    Values.End = Dialog.se_End->value();
    return true;
}

}  // namespace velka::ui

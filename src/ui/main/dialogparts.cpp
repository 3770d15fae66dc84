#include "ui/main/dialogparts.h"

#include <QBoxLayout>
#include <QDialog>
#include <QFont>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace velka::ui {

void FinishDialog(QDialog& Dialog, const QString& Caption, const QFont& Font)
{
    Dialog.setWindowTitle(Caption);
    Dialog.setFont(Font);
    Dialog.setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Dialog.setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
    if (Dialog.layout()) Dialog.layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QLineEdit* RightAlignedEdit(const QString& Name, const QString& Text, QWidget* Parent)
{
    auto* Edit = new QLineEdit(Text, Parent);
    Edit->setObjectName(Name);
    Edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return Edit;
}

QSpinBox* RightAlignedSpin(const QString& Name, int Maximum, QWidget* Parent)
{
    auto* Spin = new QSpinBox(Parent);
    Spin->setObjectName(Name);
    Spin->setRange(0, Maximum);
    Spin->setValue(0);
    Spin->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return Spin;
}

TEditPairGroup MakeEditPairGroup(const QString& Caption, const QString& XLabel, const QString& YLabel,
                                 const QString& Text, QWidget* Parent)
{
    TEditPairGroup Result;
    Result.Group = new QGroupBox(Caption, Parent);
    auto* Form = new QFormLayout(Result.Group);
    Result.EditX = RightAlignedEdit(QStringLiteral("EditX"), Text, Result.Group);
    Result.EditY = RightAlignedEdit(QStringLiteral("EditY"), Text, Result.Group);
    Form->addRow(XLabel, Result.EditX);
    Form->addRow(YLabel, Result.EditY);
    return Result;
}

TOkCancelButtons AddOkCancelRow(QDialog& Dialog, QBoxLayout& Layout, bool ConnectToDialog, bool OkIsDefault)
{
    TOkCancelButtons Buttons;
    auto* Row = new QHBoxLayout;
    Row->addStretch(1);
    Buttons.Ok = new QPushButton(QStringLiteral("确定"), &Dialog);
    Buttons.Cancel = new QPushButton(QStringLiteral("取消"), &Dialog);
    Row->addWidget(Buttons.Ok);
    Row->addWidget(Buttons.Cancel);
    Layout.addLayout(Row);
    Buttons.Ok->setAutoDefault(OkIsDefault);
    Buttons.Ok->setDefault(OkIsDefault);
    Buttons.Cancel->setAutoDefault(false);
    if (ConnectToDialog) {
        QObject::connect(Buttons.Ok, &QPushButton::clicked, &Dialog, &QDialog::accept);
        QObject::connect(Buttons.Cancel, &QPushButton::clicked, &Dialog, &QDialog::reject);
    }
    return Buttons;
}

TOkCancelButtons AddRunButtonRow(QDialog& Dialog, QBoxLayout& Layout)
{
    const TOkCancelButtons Buttons = AddOkCancelRow(Dialog, Layout, false);
    Buttons.Ok->setObjectName(QStringLiteral("BitBtnOK"));
    Buttons.Cancel->setObjectName(QStringLiteral("BitBtnClose"));
    return Buttons;
}

}  // namespace velka::ui

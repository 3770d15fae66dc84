#include "ui/main/dialogparts.h"

#include <QBoxLayout>
#include <QDialog>
#include <QFont>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

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

}  // namespace velka::ui

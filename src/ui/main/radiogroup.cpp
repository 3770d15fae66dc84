#include "ui/main/radiogroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velka::ui {

TRadioGroup::TRadioGroup(const QString& Caption, const QStringList& Items, QWidget* Parent)
    : QGroupBox(Caption, Parent), Group_(new QButtonGroup(this))
{
    auto* Layout = new QVBoxLayout(this);
    for (int I = 0; I < Items.size(); ++I) {
        auto* Radio = new QRadioButton(Items[I], this);
        Group_->addButton(Radio, I);
        Layout->addWidget(Radio);
    }
    connect(Group_, &QButtonGroup::idClicked, this, &TRadioGroup::itemClicked);
}

int TRadioGroup::ItemIndex() const { return Group_->checkedId(); }

void TRadioGroup::SetItemIndex(int Index)
{
    if (QAbstractButton* Radio = Group_->button(Index)) Radio->setChecked(true);
}

int TRadioGroup::Count() const { return static_cast<int>(Group_->buttons().size()); }

QRadioButton* TRadioGroup::Button(int Index) const { return qobject_cast<QRadioButton*>(Group_->button(Index)); }

}  // namespace velka::ui

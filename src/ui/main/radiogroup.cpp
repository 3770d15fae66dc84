#include "ui/main/radiogroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

#include <algorithm>

namespace velka::ui {

TRadioGroup::TRadioGroup(const QString& Caption, const QStringList& Items, QWidget* Parent, int Columns)
    : QGroupBox(Caption, Parent), Group_(new QButtonGroup(this))
{
    auto* Grid = new QGridLayout(this);
    const int ColumnCount = std::max(1, Columns);
    const int Rows = std::max(1, (int(Items.size()) + ColumnCount - 1) / ColumnCount);
    for (int I = 0; I < Items.size(); ++I) {
        auto* Radio = new QRadioButton(Items[I], this);
        Group_->addButton(Radio, I);
        Grid->addWidget(Radio, I % Rows, I / Rows);
    }
    connect(Group_, &QButtonGroup::idClicked, this, &TRadioGroup::itemClicked);
    connect(Group_, &QButtonGroup::idToggled, this, [this](int Id, bool Checked) {
        if (Checked) emit ItemIndexChanged(Id);
    });
    connect(this, &QObject::objectNameChanged, this, &TRadioGroup::NameItems);
}

int TRadioGroup::ItemIndex() const { return Group_->checkedId(); }

void TRadioGroup::SetItemIndex(int Index)
{
    if (QAbstractButton* Radio = Group_->button(Index)) Radio->setChecked(true);
}

int TRadioGroup::Count() const { return static_cast<int>(Group_->buttons().size()); }

QRadioButton* TRadioGroup::Button(int Index) const { return qobject_cast<QRadioButton*>(Group_->button(Index)); }

void TRadioGroup::NameItems(const QString& GroupName)
{
    for (int I = 0; I < Count(); ++I) Button(I)->setObjectName(GroupName + QStringLiteral("Item%1").arg(I));
}

}  // namespace velka::ui

#pragma once
// A captioned group of radio buttons with one selected item index, as the dialogs use them.

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

namespace velka::ui {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    // The items are laid out in Columns columns, the first column filled first. Naming the
    // group names its items too (the group's name + "Item0", "Item1", ...).
    TRadioGroup(const QString& Caption, const QStringList& Items, QWidget* Parent = nullptr, int Columns = 1);

    int ItemIndex() const;  // -1 when nothing is selected
    void SetItemIndex(int Index);
    int Count() const;
    QRadioButton* Button(int Index) const;

signals:
    // The user clicked an item (not emitted by SetItemIndex).
    void itemClicked(int Index);
    // Another item became selected, by the user or by SetItemIndex.
    void ItemIndexChanged(int Index);

private:
    void NameItems(const QString& GroupName);

    QButtonGroup* Group_;
};

}  // namespace velka::ui

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
    TRadioGroup(const QString& Caption, const QStringList& Items, QWidget* Parent = nullptr);

    int ItemIndex() const;  // -1 when nothing is selected
    void SetItemIndex(int Index);
    int Count() const;
    QRadioButton* Button(int Index) const;

signals:
    // The user clicked an item (not emitted by SetItemIndex).
    void itemClicked(int Index);

private:
    QButtonGroup* Group_;
};

}  // namespace velka::ui

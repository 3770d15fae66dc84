#pragma once
// 新建: the type of a new library.

#include <QDialog>

namespace velka::ui {

class TRadioGroup;

class TuFrmCreateData : public QDialog {
    Q_OBJECT
public:
    // The items of RadioGroup.
    enum Kind { Data = 0, Wzl = 1 };

    explicit TuFrmCreateData(QWidget* Parent = nullptr);

    TRadioGroup* RadioGroup;
};

// Shows the dialog; Kind becomes the selected item however it was closed. True for OK.
bool CreateDataDialog(QWidget* Parent, int& Kind);

}  // namespace velka::ui

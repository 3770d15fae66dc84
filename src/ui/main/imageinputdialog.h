#pragma once
// 图片导入: the offsets and the way one imported picture enters the library.

#include <QDialog>

class QLineEdit;

namespace velka::ui {

class TRadioGroup;

class TuFrmImgInput : public QDialog {
    Q_OBJECT
public:
    // The items of cxRadioGroup1.
    enum Mode { Replace = 0, Insert = 1, Append = 2 };

    explicit TuFrmImgInput(QWidget* Parent = nullptr);

    QLineEdit* EditX;
    QLineEdit* EditY;
    TRadioGroup* cxRadioGroup1;
};

// Shows the dialog with X and Y; on OK copies the edits (text that is not an integer gives 0)
// and the chosen mode back and returns true; on Cancel leaves them unchanged.
bool ImageInputDialog(QWidget* Parent, int& X, int& Y, int& Mode);

}  // namespace velka::ui

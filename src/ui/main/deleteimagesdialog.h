#pragma once
// 删除图片: deletes a range of images, or turns it into empty images, and saves the library.

#include "ui/main/busydialog.h"

class QLineEdit;
class QPushButton;

namespace velka {
class TWMImages;
}

namespace velka::ui {

class TRadioGroup;

class TuFrmDelImages : public TBusyDialog {
    Q_OBJECT
public:
    // The items of RadioGroup.
    enum Mode { Delete = 0, Blank = 1 };

    explicit TuFrmDelImages(QWidget* Parent = nullptr);

    TWMImages* Images = nullptr;
    bool Busy = false;

    QLineEdit* EditX;
    QLineEdit* EditY;
    TRadioGroup* RadioGroup;
    QPushButton* BitBtnOK;
    QPushButton* BitBtnClose;

public slots:
    void BitBtnOKClick();
    void BitBtnCloseClick();

protected:
    bool MustStayOpen() const override { return Busy; }

private:
    void DeleteRange();
    void SetWorking(bool Working);
};

// Shows the dialog on Library with First and Last as the pre-filled range.
void DeleteImagesDialog(QWidget* Parent, TWMImages* Library, int First, int Last);

}  // namespace velka::ui

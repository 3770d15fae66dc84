#pragma once
// 素材加密: asks for an image password, masked, of at most 16 bytes in the library's code page.

#include "batch/passwordtext.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace velka::ui {

class TDataEncForm : public QDialog {
    Q_OBJECT
public:
    // A DATA library keeps at most this many bytes of a password.
    static constexpr int MaxPasswordBytes = velka::MaxPasswordBytes;

    explicit TDataEncForm(QWidget* Parent = nullptr);

    QLabel* LabelCaption;
    QLineEdit* EditPwd;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;

protected:
    void showEvent(QShowEvent* Event) override;
};

// The longest prefix of Text whose GBK form has at most MaxBytes bytes.
QString TruncateToGBKBytes(const QString& Text, int MaxBytes);

// Shows the dialog with Prompt; Password becomes the typed text however it was closed.
// True for OK; callers use Password only then.
bool PasswordDialog(QWidget* Parent, const QString& Prompt, QString& Password);

}  // namespace velka::ui

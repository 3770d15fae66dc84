#include "ui/main/passworddialog.h"

#include "batch/passwordtext.h"
#include "library/gbk.h"
#include "ui/main/dialogparts.h"
#include "ui/main/fonts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QValidator>
#include <QVBoxLayout>

namespace velka::ui {

namespace {

// Refuses every edit that would make the GBK form of the text longer than the limit, as a
// length limit refuses a keystroke, and characters GBK cannot hold (the library would store a
// '?' for them, and the password as typed would never open it).
class TGBKLengthValidator : public QValidator {
public:
    TGBKLengthValidator(int MaxBytes, QObject* Parent) : QValidator(Parent), MaxBytes_(MaxBytes) {}
    State validate(QString& Input, int&) const override
    {
        return IsGBKText(Input) && static_cast<int>(ToGBK(Input).size()) <= MaxBytes_ ? Acceptable : Invalid;
    }
    void fixup(QString& Input) const override { Input = TruncateToGBKBytes(Input, MaxBytes_); }

private:
    int MaxBytes_;
};

}  // namespace

QString TruncateToGBKBytes(const QString& Text, int MaxBytes)
{
    QString Result = Text;
    while (!Result.isEmpty() && static_cast<int>(ToGBK(Result).size()) > MaxBytes) {
        Result.chop(1);
        // Never leave half of a surrogate pair behind.
        if (!Result.isEmpty() && Result.back().isHighSurrogate()) Result.chop(1);
    }
    return Result;
}

TDataEncForm::TDataEncForm(QWidget* Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("DataEncForm"));
    auto* Layout = new QVBoxLayout(this);
    LabelCaption = new QLabel(QStringLiteral("请输入密码："), this);
    LabelCaption->setObjectName(QStringLiteral("LabelCaption"));
    LabelCaption->setFixedWidth(185);
    Layout->addWidget(LabelCaption);

    EditPwd = new QLineEdit(this);
    EditPwd->setObjectName(QStringLiteral("EditPwd"));
    EditPwd->setEchoMode(QLineEdit::Password);
    EditPwd->setValidator(new TGBKLengthValidator(MaxPasswordBytes, EditPwd));
    Layout->addWidget(EditPwd);

    const TOkCancelButtons Buttons = AddOkCancelRow(*this, *Layout, true, false);
    BtnOK = Buttons.Ok;
    BtnCancel = Buttons.Cancel;
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    FinishDialog(*this, QStringLiteral("素材加密"), TahomaFont());
}

void TDataEncForm::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    EditPwd->setFocus();
}

bool PasswordDialog(QWidget* Parent, const QString& Prompt, QString& Password)
{
    TDataEncForm Dialog(Parent);
    Dialog.LabelCaption->setText(Prompt);
    const bool Accepted = Dialog.exec() == QDialog::Accepted;
    Password = Dialog.EditPwd->text();
    return Accepted;
}

}  // namespace velka::ui

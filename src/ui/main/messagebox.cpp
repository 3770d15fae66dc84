#include "ui/main/messagebox.h"

namespace velka::ui {

namespace {

MessageSeam& Seam()
{
    static MessageSeam Instance;
    return Instance;
}

}  // namespace

QString MessageCaption() { return QStringLiteral("提示信息"); }

void ShowMessage(QWidget* Parent, const QString& Text)
{
    if (Seam().Sink) {
        Seam().Sink(Text);
        return;
    }
    QMessageBox Box(QMessageBox::Question, MessageCaption(), Text, QMessageBox::Ok, Parent);
    Box.exec();
}

bool AskOkCancel(QWidget* Parent, const QString& Text)
{
    if (Seam().Answerer)
        return Seam().Answerer(Text);
    QMessageBox Box(QMessageBox::Warning, MessageCaption(), Text, QMessageBox::Ok | QMessageBox::Cancel, Parent);
    return Box.exec() == QMessageBox::Ok;
}

void SetMessageSeamForTesting(MessageSeam NewSeam) { Seam() = std::move(NewSeam); }

}  // namespace velka::ui

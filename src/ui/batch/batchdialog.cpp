#include "ui/batch/batchdialog.h"

#include <QCloseEvent>

namespace velka::ui {

TBatchDialog::TBatchDialog(QWidget* Parent) : QDialog(Parent), Job_(new TBatchJob(this)) {}

void TBatchDialog::reject()
{
    if (!Busy())
        QDialog::reject();
}

void TBatchDialog::closeEvent(QCloseEvent* Event)
{
    if (Busy()) {
        Event->ignore();
        return;
    }
    QDialog::closeEvent(Event);
}

}  // namespace velka::ui

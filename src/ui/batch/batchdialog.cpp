#include "ui/batch/batchdialog.h"

#include "ui/main/fonts.h"

#include <QCloseEvent>

namespace velka::ui {

// The font is set before the controls exist, so every control is measured in it.
TBatchDialog::TBatchDialog(QWidget* Parent) : QDialog(Parent), Job_(new TBatchJob(this)) { setFont(SongTiFont()); }

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

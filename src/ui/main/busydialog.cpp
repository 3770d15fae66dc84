#include "ui/main/busydialog.h"

#include <QCloseEvent>

namespace velka::ui {

void TBusyDialog::reject()
{
    if (!MustStayOpen()) QDialog::reject();
}

void TBusyDialog::closeEvent(QCloseEvent* Event)
{
    if (MustStayOpen()) {
        Event->ignore();
        return;
    }
    QDialog::closeEvent(Event);
}

}  // namespace velka::ui

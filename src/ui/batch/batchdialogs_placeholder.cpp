// Placeholder bodies until the batch dialogs are built.
#include "ui/batch/convertdialog.h"
#include "ui/batch/exportdialog.h"
#include "ui/batch/inputmanydialog.h"

namespace velka::ui {

void RunBatchImport(TWMImages*, int, QWidget*) {}
void RunBatchExport(TWMImages*, int, int, QWidget*) {}
TfrmConvertDlg::TfrmConvertDlg(QWidget* Parent) : QDialog(Parent) {}
void TfrmConvertDlg::ShowConvertDialog() { exec(); }

}  // namespace velka::ui

#include "ui/batch/batchpickers.h"

#include <QFileDialog>

namespace velka::ui {

namespace {

BatchDialogSeam& Seam()
{
    static BatchDialogSeam Instance;
    return Instance;
}

}  // namespace

QString PickFolder(QWidget* Owner, const QString& Title, const QString& StartFolder)
{
    if (Seam().PickFolder)
        return Seam().PickFolder(Owner, Title, StartFolder);
    return QFileDialog::getExistingDirectory(Owner, Title, StartFolder, QFileDialog::ShowDirsOnly);
}

QString RunFileDialog(QFileDialog& Dialog)
{
    if (Seam().RunFileDialog)
        return Seam().RunFileDialog(Dialog);
    if (Dialog.exec() != QDialog::Accepted)
        return {};
    return Dialog.selectedFiles().value(0);
}

void SetBatchDialogSeamForTesting(BatchDialogSeam NewSeam) { Seam() = std::move(NewSeam); }

}  // namespace velka::ui

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

QStringList FileDialogFilters(const QString& Filter)
{
    const QStringList Parts = Filter.split(QLatin1Char('|'));
    QStringList Result;
    for (qsizetype I = 0; I + 1 < Parts.size(); I += 2) {
        const QString Patterns = QString(Parts[I + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString Suffix = QStringLiteral(" (") + Patterns + QLatin1Char(')');
        Result << (Parts[I].endsWith(Suffix) ? Parts[I] : Parts[I] + Suffix);
    }
    return Result;
}

void SetBatchDialogSeamForTesting(BatchDialogSeam NewSeam) { Seam() = std::move(NewSeam); }

}  // namespace velka::ui

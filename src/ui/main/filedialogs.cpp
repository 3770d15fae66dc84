#include "ui/main/filedialogs.h"

#include <QFileDialog>

namespace velka::ui {

void SetUpFileDialog(QFileDialog& Dialog, bool Saving, bool ConfirmOverwrite)
{
    Dialog.setOption(QFileDialog::DontUseNativeDialog);
    Dialog.setAcceptMode(Saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    Dialog.setFileMode(Saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    Dialog.setOption(QFileDialog::DontConfirmOverwrite, !ConfirmOverwrite);
}

QStringList QtNameFilters(const QString& Filter)
{
    QStringList Result;
    const QStringList Parts = Filter.split(QLatin1Char('|'));
    for (qsizetype I = 0; I + 1 < Parts.size(); I += 2) {
        const QString Description = Parts[I];
        const QString Patterns = QString(Parts[I + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')).trimmed();
        if (Patterns.isEmpty()) continue;
        // A description that already ends in its patterns is shown as it is.
        const QString Suffix = QLatin1Char('(') + Patterns + QLatin1Char(')');
        Result.append(Description.endsWith(Suffix) ? Description : Description + QLatin1Char(' ') + Suffix);
    }
    return Result;
}

}  // namespace velka::ui

#pragma once
// What the editor's file dialogs share: Qt's own dialog set up for opening or saving, and the
// "description|patterns|…" filters turned into Qt name filters.

#include <QStringList>

class QFileDialog;

namespace velka::ui {

// Qt's own dialog (only it filters without regard to letter case, as library names need),
// opening an existing file or saving under any name; it asks before overwriting a file only
// with ConfirmOverwrite.
void SetUpFileDialog(QFileDialog& Dialog, bool Saving, bool ConfirmOverwrite);

// A file dialog filter in "description|patterns|…" form (patterns joined by ';'), as the name
// filters of a Qt dialog.
QStringList QtNameFilters(const QString& Filter);

}  // namespace velka::ui

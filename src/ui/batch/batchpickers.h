#pragma once
// The folder browser and the file dialogs of the batch dialogs, behind one seam so that tests
// answer them without a modal loop.

#include <QString>

#include <functional>

class QFileDialog;
class QWidget;

namespace velka::ui {

// Shows the folder browser with Title, starting at StartFolder (empty: nothing preselected);
// the chosen folder, or an empty text when the user cancels.
QString PickFolder(QWidget* Owner, const QString& Title, const QString& StartFolder = {});

// Runs a prepared file dialog modally; the chosen file, or an empty text on cancel.
QString RunFileDialog(QFileDialog& Dialog);

struct BatchDialogSeam {
    std::function<QString(QWidget* Owner, const QString& Title, const QString& StartFolder)> PickFolder;
    std::function<QString(QFileDialog& Dialog)> RunFileDialog;
};
void SetBatchDialogSeamForTesting(BatchDialogSeam Seam);

}  // namespace velka::ui

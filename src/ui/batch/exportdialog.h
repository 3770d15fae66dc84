#pragma once
// The batch export dialog (批量导出图片).

#include "batch/batchexport.h"
#include "ui/batch/batchdialog.h"

#include <optional>

class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;
class QWidget;

namespace velka {
class TWMImages;
}

namespace velka::ui {

class TuFrmExport : public TBatchDialog {
    Q_OBJECT
public:
    explicit TuFrmExport(QWidget* Parent = nullptr);

    // The library the run reads (not owned); the run uses it on a worker thread, so nobody
    // else may touch it while Busy().
    void SetLibrary(TWMImages* Library) { Library_ = Library; }
    TBatchExportOptions Options() const;

    // Handlers, named after their controls.
    void EditFileDirPropertiesButtonClick();
    void BitBtnOKClick();

private:
    void BuildControls();
    void RunFinishedWith(const std::optional<TBatchExportResult>& Result);

    TWMImages* Library_ = nullptr;
    std::optional<TBatchExportResult> Result_;  // written by the worker, read after Finished

    QLineEdit* EditFileDir = nullptr;
    QToolButton* EditFileDirButton = nullptr;
    QLineEdit* EditX = nullptr;
    QLineEdit* EditY = nullptr;
    QPushButton* BitBtnOK = nullptr;
    QPushButton* BitBtnClose = nullptr;
    QProgressBar* ProgressBar = nullptr;

    friend void RunBatchExport(TWMImages*, int, int, QWidget*);
};

// Shows the dialog modally on Library with the range First..Last pre-filled.
void RunBatchExport(TWMImages* Library, int First, int Last, QWidget* Parent = nullptr);

// The folder browser with Owner and Title; the chosen path trimmed, empty when cancelled.
QString BrowseForFolder(QWidget* Owner, const QString& Title);

// The message that tells the user how a run ended.
QString ExportOutcomeText(const TBatchExportResult& Result);

}  // namespace velka::ui

#pragma once
// The batch import dialog (批量导入图片).

#include "batch/batchimport.h"
#include "ui/batch/batchdialog.h"

#include <optional>

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QToolButton;
class QWidget;

namespace velka {
class TWMImages;
}

namespace velka::ui {

class TGapCheckBox;
class TRadioGroup;

class TuFrmInputMany : public TBatchDialog {
    Q_OBJECT
public:
    explicit TuFrmInputMany(QWidget* Parent = nullptr);

    // The library the run fills (not owned); the run uses it on a worker thread, so nobody
    // else may touch it while Busy().
    void SetLibrary(TWMImages* Library) { Library_ = Library; }

    // The run's settings as the controls give them.
    TBatchImportOptions Options() const;

    // Handlers, named after their controls.
    void EditFileDirPropertiesButtonClick();
    void RadioGroup1PropertiesChange();
    void RadioGroup3PropertiesChange();
    void BitBtnOKClick();

private:
    void BuildControls();
    void RunFinishedWith(const std::optional<TBatchImportResult>& Result);

    TWMImages* Library_ = nullptr;
    std::optional<TBatchImportResult> Result_;  // written by the worker, read after Finished

    TRadioGroup* RadioGroup1 = nullptr;
    QLineEdit* EditFileDir = nullptr;
    QToolButton* EditFileDirButton = nullptr;
    QLineEdit* EditX = nullptr;
    QLineEdit* EditY = nullptr;
    TRadioGroup* RadioGroup3 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QLineEdit* EditXY = nullptr;
    QCheckBox* CheckBoxEmpty1X1 = nullptr;
    TGapCheckBox* CheckBoxInputEmpty = nullptr;
    QSpinBox* EditSkipNum = nullptr;
    QSpinBox* EditAddNum = nullptr;
    QPushButton* BitBtnOK = nullptr;
    QPushButton* BitBtnClose = nullptr;
    QProgressBar* ProgressBar = nullptr;

    friend void RunBatchImport(TWMImages*, int, QWidget*);
};

// Shows the dialog modally on Library, with StartNumber pre-filled as the first number.
void RunBatchImport(TWMImages* Library, int StartNumber, QWidget* Parent = nullptr);

// The message that tells the user how a run ended.
QString ImportOutcomeText(const TBatchImportResult& Result);

}  // namespace velka::ui

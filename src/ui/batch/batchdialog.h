#pragma once
// The base of the batch dialogs: a run in progress keeps the dialog open (no close button,
// no Escape) until its job has finished.

#include "ui/batch/batchjob.h"

#include <QDialog>

namespace velka::ui {

class TBatchDialog : public QDialog {
    Q_OBJECT
public:
    explicit TBatchDialog(QWidget* Parent = nullptr);
    // A run is in progress.
    bool Busy() const { return Job_->Running(); }
    void reject() override;

signals:
    // A run has ended and its outcome has been shown (emitted after the message).
    void RunFinished();

protected:
    void closeEvent(QCloseEvent* Event) override;
    TBatchJob* Job() const { return Job_; }

private:
    TBatchJob* Job_;
};

}  // namespace velka::ui

#pragma once
// The base of the batch dialogs: a run in progress keeps the dialog open (no close button,
// no Escape) until its job has finished.

#include "ui/batch/batchjob.h"
#include "ui/main/busydialog.h"

#include <functional>
#include <initializer_list>
#include <vector>

class QProgressBar;

namespace velka::ui {

class TBatchDialog : public TBusyDialog {
    Q_OBJECT
public:
    explicit TBatchDialog(QWidget* Parent = nullptr);
    // A run is in progress.
    bool Busy() const { return Job_->Running(); }

signals:
    // A run has ended and its outcome has been shown (emitted after the message).
    void RunFinished();

protected:
    bool MustStayOpen() const override { return Busy(); }
    TBatchJob* Job() const { return Job_; }

    // The job's progress goes to FileBar for the file channel when there is one, else to ImageBar.
    void ShowProgressIn(QProgressBar* ImageBar, QProgressBar* FileBar = nullptr);
    // Controls disabled while a run is in progress.
    void LockWhileRunning(std::initializer_list<QWidget*> Controls);
    // Disables the locked controls and runs Work on the job's worker thread.
    void StartRun(std::function<void()> Work);
    // Enables the locked controls again and shows Outcome; CloseDialog accepts the dialog after
    // the message. Emits RunFinished last.
    void EndRun(const QString& Outcome, bool CloseDialog);
    // The outcome of a run cut short by an exception: Failure, then the exception's reason.
    QString AbortedText(const QString& Failure) const;

private:
    void SetLockedEnabled(bool Enabled);

    TBatchJob* Job_;
    std::vector<QWidget*> Locked_;
};

}  // namespace velka::ui

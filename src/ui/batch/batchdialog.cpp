#include "ui/batch/batchdialog.h"

#include "ui/batch/batchwidgets.h"
#include "ui/main/fonts.h"
#include "ui/main/messagebox.h"

#include <QProgressBar>

namespace velka::ui {

// The font is set before the controls exist, so every control is measured in it.
TBatchDialog::TBatchDialog(QWidget* Parent) : TBusyDialog(Parent), Job_(new TBatchJob(this)) { setFont(SongTiFont()); }

void TBatchDialog::ShowProgressIn(QProgressBar* ImageBar, QProgressBar* FileBar)
{
    connect(Job_, &TBatchJob::ProgressChanged, this, [ImageBar, FileBar](int Channel, int Current, int Total) {
        SetProgress(Channel == TBatchJob::FileBar && FileBar ? FileBar : ImageBar, Current, Total);
    });
}

void TBatchDialog::LockWhileRunning(std::initializer_list<QWidget*> Controls) { Locked_.assign(Controls); }

void TBatchDialog::StartRun(std::function<void()> Work)
{
    SetLockedEnabled(false);
    Job_->Start(std::move(Work));
}

void TBatchDialog::EndRun(const QString& Outcome, bool CloseDialog)
{
    SetLockedEnabled(true);
    ShowMessage(this, Outcome);
    if (CloseDialog) accept();
    emit RunFinished();
}

QString TBatchDialog::AbortedText(const QString& Failure) const { return Failure + QLatin1Char('\n') + Job_->Error(); }

void TBatchDialog::SetLockedEnabled(bool Enabled)
{
    for (QWidget* Control : Locked_) Control->setEnabled(Enabled);
}

}  // namespace velka::ui

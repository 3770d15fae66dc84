#pragma once
// Runs one batch engine call off the GUI thread, so the dialog stays responsive, and brings its
// progress, log lines and questions back to the GUI thread.

#include "batch/progress.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>

namespace velka::ui {

class TBatchJob : public QObject {
    Q_OBJECT
public:
    // Progress channels: the images of the current library, and the files of a folder run.
    static constexpr int ImageBar = 0;
    static constexpr int FileBar = 1;

    explicit TBatchJob(QObject* Parent = nullptr);
    // Waits for a job still running (the dialogs refuse to close while one runs).
    ~TBatchJob() override;

    bool Running() const { return Running_; }
    // Runs Work on a worker thread; Finished follows on the GUI thread. An exception that
    // leaves Work is kept as Error().
    void Start(std::function<void()> Work);
    // Why the last job's work ended with an exception; empty when it returned normally.
    QString Error() const { return Error_; }

    // Worker side. Progress updates are coalesced: the GUI sees the latest value of each channel.
    void ReportProgress(int Channel, int Current, int Total);
    // An engine's progress callback that reports on Channel and never asks to stop.
    TProgressCallback ProgressTo(int Channel);
    void ReportLog(const QString& Line);
    // Runs Question on the GUI thread and blocks the worker until it has answered.
    bool Ask(const std::function<bool()>& Question);

    // Tests hold the worker at a progress report to look at the dialog mid-run; the hook runs
    // on the worker thread before the report is passed on.
    static void SetProgressHookForTesting(std::function<void(int Channel, int Current, int Total)> Hook);

signals:
    void ProgressChanged(int Channel, int Current, int Total);
    void LogLine(const QString& Line);
    void Finished();

private:
    struct TChannel {
        std::atomic<uint64_t> Value{0};  // Total in the high half, Current in the low half
        std::atomic<bool> Pending{false};
    };
    void DeliverProgress(int Channel);

    QFutureWatcher<void> Watcher_;
    bool Running_ = false;
    QString Error_;
    std::array<TChannel, 2> Channels_;
};

}  // namespace velka::ui

#include "ui/batch/batchjob.h"

#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>

namespace velka::ui {

namespace {

std::function<void(int, int, int)>& ProgressHook()
{
    static std::function<void(int, int, int)> Hook;
    return Hook;
}

uint64_t Pack(int Current, int Total) { return (uint64_t(uint32_t(Total)) << 32) | uint32_t(Current); }

}  // namespace

TBatchJob::TBatchJob(QObject* Parent) : QObject(Parent)
{
    connect(&Watcher_, &QFutureWatcher<void>::finished, this, [this] {
        Running_ = false;
        emit Finished();
    });
}

TBatchJob::~TBatchJob() { Watcher_.waitForFinished(); }

void TBatchJob::Start(std::function<void()> Work)
{
    Running_ = true;
    Error_.clear();
    for (TChannel& Channel : Channels_) {
        Channel.Value = 0;
        Channel.Pending = false;
    }
    // Error_ is written on the worker and read on the GUI thread only after Finished.
    Watcher_.setFuture(QtConcurrent::run([this, Work = std::move(Work)] {
        try {
            Work();
        } catch (const std::exception& Failure) {
            Error_ = QString::fromUtf8(Failure.what());
        } catch (...) {
            Error_ = QStringLiteral("unknown error");
        }
    }));
}

void TBatchJob::ReportProgress(int Channel, int Current, int Total)
{
    if (ProgressHook())
        ProgressHook()(Channel, Current, Total);
    TChannel& State = Channels_.at(Channel);
    State.Value = Pack(Current, Total);
    if (!State.Pending.exchange(true))
        QMetaObject::invokeMethod(this, [this, Channel] { DeliverProgress(Channel); }, Qt::QueuedConnection);
}

TProgressCallback TBatchJob::ProgressTo(int Channel)
{
    return [this, Channel](int Current, int Total) {
        ReportProgress(Channel, Current, Total);
        return true;
    };
}

void TBatchJob::DeliverProgress(int Channel)
{
    TChannel& State = Channels_.at(Channel);
    State.Pending = false;
    const uint64_t Value = State.Value;
    emit ProgressChanged(Channel, int(uint32_t(Value)), int(uint32_t(Value >> 32)));
}

void TBatchJob::ReportLog(const QString& Line)
{
    QMetaObject::invokeMethod(this, [this, Line] { emit LogLine(Line); }, Qt::QueuedConnection);
}

bool TBatchJob::Ask(const std::function<bool()>& Question)
{
    if (QThread::currentThread() == thread())
        return Question();
    bool Answer = false;
    QMetaObject::invokeMethod(this, [&Question] { return Question(); }, Qt::BlockingQueuedConnection, &Answer);
    return Answer;
}

void TBatchJob::SetProgressHookForTesting(std::function<void(int, int, int)> Hook) { ProgressHook() = std::move(Hook); }

}  // namespace velka::ui

#include "batch/encodepool.h"

#include <algorithm>

namespace velka {

TEncodePool::TEncodePool(const TWMImages& Target, int WorkerCount)
    : Target_(Target), WorkerCount_(std::max(1, WorkerCount))
{
    Workers_.reserve(WorkerCount_);
    for (int I = 0; I < WorkerCount_; ++I) Workers_.emplace_back([this] { Work(); });
}

TEncodePool::~TEncodePool()
{
    {
        std::lock_guard Lock(Mutex_);
        Stopping_ = true;
        Jobs_.clear();  // a run that ends early drops the images nobody will append
    }
    WorkReady_.notify_all();
    for (std::thread& Worker : Workers_) Worker.join();
}

bool TEncodePool::HasFreeWorker() const
{
    std::lock_guard Lock(Mutex_);
    return Alive_ < WorkerCount_;
}

void TEncodePool::WaitForProgress(bool ForFreeWorker)
{
    std::unique_lock Lock(Mutex_);
    ProgressMade_.wait(Lock, [&] { return (ForFreeWorker && Alive_ < WorkerCount_) || Done_.count(NextTaken_) != 0; });
}

TEncodePool::TOutcome TEncodePool::Prepare(TJob& Job) const
{
    TOutcome Outcome;
    try {
        Outcome.Image = Target_.PrepareImage(Job.Graphic.get(), Job.X, Job.Y, Job.Kind);
    } catch (...) {
        Outcome.Failure = std::current_exception();
    }
    return Outcome;
}

void TEncodePool::Submit(int32_t Number, std::unique_ptr<TGraphic> Graphic, int32_t X, int32_t Y, uint8_t Kind)
{
    TJob Job{Number, std::move(Graphic), X, Y, Kind};
    if (!Job.Graphic) {
        TOutcome Outcome = Prepare(Job);
        std::lock_guard Lock(Mutex_);
        NextSubmitted_ = Number + 1;
        Done_.emplace(Number, std::move(Outcome));
        return;
    }
    {
        std::lock_guard Lock(Mutex_);
        NextSubmitted_ = Number + 1;
        ++Alive_;
        Jobs_.push_back(std::move(Job));
    }
    WorkReady_.notify_one();
}

int TEncodePool::Pending() const
{
    std::lock_guard Lock(Mutex_);
    return NextSubmitted_ - NextTaken_;
}

bool TEncodePool::TakeNext(TPreparedImage& Image)
{
    TOutcome Outcome;
    {
        std::lock_guard Lock(Mutex_);
        auto Found = Done_.find(NextTaken_);
        if (Found == Done_.end()) return false;
        Outcome = std::move(Found->second);
        Done_.erase(Found);
        ++NextTaken_;
    }
    if (Outcome.Failure) std::rethrow_exception(Outcome.Failure);
    Image = std::move(Outcome.Image);
    return true;
}

void TEncodePool::Work()
{
    for (;;) {
        TJob Job;
        {
            std::unique_lock Lock(Mutex_);
            WorkReady_.wait(Lock, [this] { return Stopping_ || !Jobs_.empty(); });
            if (Jobs_.empty()) return;
            Job = std::move(Jobs_.front());
            Jobs_.pop_front();
        }
        TOutcome Outcome = Prepare(Job);
        Job.Graphic.reset();  // the decoded image dies before the worker takes another
        {
            std::lock_guard Lock(Mutex_);
            --Alive_;
            Done_.emplace(Job.Number, std::move(Outcome));
        }
        ProgressMade_.notify_all();
    }
}

}  // namespace velka

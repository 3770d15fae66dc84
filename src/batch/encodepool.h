#pragma once
// Encodes images for a target library on worker threads and hands the results back in image
// order, so that appending them gives the same bytes as a sequential run.

#include "library/wmimages.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace velka {

class TEncodePool {
public:
    // Target's PrepareImage is the only call made from the workers.
    TEncodePool(const TWMImages& Target, int WorkerCount);
    ~TEncodePool();
    TEncodePool(const TEncodePool&) = delete;
    TEncodePool& operator=(const TEncodePool&) = delete;

    // True while fewer decoded images are held than there are workers: one more may be decoded
    // and submitted without exceeding one alive image per worker.
    bool HasFreeWorker() const;
    // Waits until the next result in order is ready, or (when ForFreeWorker) a worker is free.
    void WaitForProgress(bool ForFreeWorker);

    // Queues image Number (numbers are submitted in ascending order without gaps). An empty
    // Graphic is prepared at once on the calling thread.
    void Submit(int32_t Number, std::unique_ptr<TGraphic> Graphic, int32_t X, int32_t Y, uint8_t Kind);
    // Number of submitted images not yet taken.
    int Pending() const;
    // Takes the result of the next image in order when it is ready; rethrows its failure.
    bool TakeNext(TPreparedImage& Image);

private:
    struct TJob {
        int32_t Number = 0;
        std::unique_ptr<TGraphic> Graphic;
        int32_t X = 0;
        int32_t Y = 0;
        uint8_t Kind = 0;
    };
    struct TOutcome {
        TPreparedImage Image;
        std::exception_ptr Failure;
    };

    void Work();
    TOutcome Prepare(TJob& Job) const;

    const TWMImages& Target_;
    mutable std::mutex Mutex_;
    std::condition_variable WorkReady_;
    std::condition_variable ProgressMade_;
    std::deque<TJob> Jobs_;
    std::map<int32_t, TOutcome> Done_;
    int Alive_ = 0;  // decoded images queued or being encoded
    int WorkerCount_ = 1;
    int32_t NextSubmitted_ = 0;
    int32_t NextTaken_ = 0;
    bool Stopping_ = false;
    std::vector<std::thread> Workers_;
};

}  // namespace velka

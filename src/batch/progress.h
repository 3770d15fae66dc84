#pragma once
// The progress report every batch engine gives while it runs.

#include <functional>

namespace velka {

// Called once per unit of work (Current of Total done). Returning false asks the engine to stop
// as soon as it safely can; an empty callback never stops.
using TProgressCallback = std::function<bool(int Current, int Total)>;

// Calls Progress when it is set; true means go on.
inline bool ReportProgress(const TProgressCallback& Progress, int Current, int Total)
{
    return !Progress || Progress(Current, Total);
}

}  // namespace velka

#pragma once
// Temporary files, and replacement files built beside a library and renamed over it.

#include "library/stream.h"

#include <QString>

#include <functional>
#include <memory>

namespace velka {

// The system's temporary directory.
QString TempDirectory();
// Creates a new empty, uniquely named file "tmp…" in TempDirectory() and returns its path;
// raises EStreamError with the system's message on failure.
QString NewTempFileName();

// A new version of Target written beside it (same folder, so the final rename is atomic):
// nothing touches Target until Commit flushes the new file and renames it over Target.
// Destroying an uncommitted replacement deletes the partial file.
class TReplacementFile {
public:
    explicit TReplacementFile(const QString& Target);
    ~TReplacementFile();
    TReplacementFile(const TReplacementFile&) = delete;
    TReplacementFile& operator=(const TReplacementFile&) = delete;

    TFileStream& Stream();
    void Commit();

    // Tests make a stage fail ("write", "flush", "rename") by throwing from this hook.
    using FailureHook = std::function<void(const char* Stage)>;
    static void SetFailureHookForTesting(FailureHook Hook);

private:
    QString Target_;
    QString Partial_;
    std::unique_ptr<TFileStream> Stream_;
    bool Committed_ = false;
};

}  // namespace velka

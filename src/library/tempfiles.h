#pragma once
// Temporary files, and replacement files built beside a library and renamed over it.

#include "library/stream.h"

#include <QString>

#include <functional>
#include <initializer_list>
#include <memory>

namespace velka {

// The system's temporary directory.
QString TempDirectory();
// Creates a new empty, uniquely named file "tmp…" in TempDirectory() and returns its path;
// raises EStreamError with the system's message on failure.
QString NewTempFileName();

// A new version of Target written beside it as a hidden, uniquely named file (same folder, so
// the final rename is atomic): nothing touches Target until Commit flushes the new file to the
// disk and renames it over Target. Destroying an uncommitted replacement deletes the partial
// file. The new file takes over Target's permission bits.
class TReplacementFile {
public:
    // Raises EFOpenError when the folder does not take a new file.
    explicit TReplacementFile(const QString& Target);
    ~TReplacementFile();
    TReplacementFile(const TReplacementFile&) = delete;
    TReplacementFile& operator=(const TReplacementFile&) = delete;

    TFileStream& Stream();
    const QString& Target() const { return Target_; }
    // Raises EStreamError when the flush or the rename fails; Target is then unchanged.
    void Commit();

    // Commits several replacements that must change together (a data file and its index): when
    // a later rename fails, the targets already renamed over get their previous contents back,
    // so the caller sees either all old files or all new ones.
    static void CommitAll(std::initializer_list<TReplacementFile*> Files);

    // Tests make a stage fail ("write": every write to Stream(), "flush", "rename") by throwing
    // from this hook. An empty hook switches it off.
    using FailureHook = std::function<void(const char* Stage)>;
    static void SetFailureHookForTesting(FailureHook Hook);

private:
    void FlushAndClose();
    void KeepPreviousTarget();
    void RenameOverTarget();
    void RestorePreviousTarget();
    void DropPreviousTarget();

    QString Target_;
    QString Partial_;
    QString Previous_;  // a hard link to Target's old contents while CommitAll runs
    std::unique_ptr<TFileStream> Stream_;
    bool Committed_ = false;
};

}  // namespace velka

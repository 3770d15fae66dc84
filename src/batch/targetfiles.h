#pragma once
// A conversion target built under a temporary name beside it and renamed over the target only
// when complete, so a failed or stopped conversion leaves no half-written library (and an
// existing target untouched).

#include <QString>

namespace velka {

class TTargetFiles {
public:
    explicit TTargetFiles(const QString& Target);
    // Deletes the partial files unless committed.
    ~TTargetFiles();
    TTargetFiles(const TTargetFiles&) = delete;
    TTargetFiles& operator=(const TTargetFiles&) = delete;

    // The name to build the library under: the target's name with ".partial-<pid>" before its
    // extension, so the library class (chosen by extension) is the target's.
    const QString& Partial() const { return Partial_; }

    // Renames the partial data file (and a WZL index beside it) over the target's files.
    // Raises EStreamError when a rename fails.
    void Commit();

private:
    QString Target_;
    QString Partial_;
    bool Committed_ = false;
};

}  // namespace velka

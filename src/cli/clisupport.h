#pragma once
// What every command shares: the global options, opening a library, output and progress.

#include "batch/progress.h"
#include "library/wmimages.h"

#include <QString>

#include <chrono>
#include <memory>

namespace velka::cli {

struct TGlobalOptions {
    QString Password;          // the answer to a protected library's password question
    bool ShowProgress = false; // stderr is a terminal
};

// The password question's handler that answers Password (given with --password).
TPasswordEvent AnswerPassword(const QString& Password);

// Opens and initialises a library; a missing file, an unknown type, a damaged header or a wrong
// password raise TFailure.
std::unique_ptr<TWMImages> OpenLibrary(const QString& FileName, const TGlobalOptions& Options);
// As OpenLibrary, and the library must accept edits.
std::unique_ptr<TWMImages> OpenEditableLibrary(const QString& FileName, const TGlobalOptions& Options);

// "WIL", "WIS", "WZL" or "DATA".
QString FormatName(const TWMImages& Library);

void PrintLine(const QString& Line);      // stdout
void PrintError(const QString& Message);  // stderr, "velka-tool: " in front

// A progress line on stderr, redrawn at most ten times a second, only when enabled.
class TProgressLine {
public:
    TProgressLine(const TGlobalOptions& Options, QString Label);
    ~TProgressLine();
    TProgressCallback Callback();

private:
    void Show(int Current, int Total);

    bool Enabled_;
    QString Label_;
    bool Shown_ = false;
    std::chrono::steady_clock::time_point LastShown_{};
};

}  // namespace velka::cli

#pragma once
// The commands of velka-tool. Each takes the words after its name and returns the exit status;
// failures raise TFailure, command-line mistakes TUsageError.

#include "cli/clisupport.h"

#include <QStringList>

#include <span>

namespace velka::cli {

using TCommandFunction = int (*)(const QStringList& Words, const TGlobalOptions& Options);

struct TCommand {
    const char* Name;
    const char* Synopsis;  // the usage line(s) after "velka-tool"
    const char* Help;      // what it does, its options
    TCommandFunction Run;
};

// info, list, verify
int RunInfo(const QStringList& Words, const TGlobalOptions& Options);
int RunList(const QStringList& Words, const TGlobalOptions& Options);
int RunVerify(const QStringList& Words, const TGlobalOptions& Options);
// export, import, convert
int RunExport(const QStringList& Words, const TGlobalOptions& Options);
int RunImport(const QStringList& Words, const TGlobalOptions& Options);
int RunConvert(const QStringList& Words, const TGlobalOptions& Options);
// create, delete, offset, password
int RunCreate(const QStringList& Words, const TGlobalOptions& Options);
int RunDelete(const QStringList& Words, const TGlobalOptions& Options);
int RunOffset(const QStringList& Words, const TGlobalOptions& Options);
int RunPassword(const QStringList& Words, const TGlobalOptions& Options);

std::span<const TCommand> Commands();

}  // namespace velka::cli

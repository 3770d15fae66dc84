#pragma once
// File-name helpers and the folder listings of the batch tools.

#include "batch/progress.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>

namespace velka {

// File name without directory and without its (last) extension: "a.b.png" gives "a.b".
QString ExtractNameOnly(const QString& FileName);
// File name without directory, cut before the first occurrence of its extension text:
// "x.wil.wil" gives "x".
QString ExtractNameBeforeExt(const QString& FileName);

// The folder part of a path, up to and including its last separator (slash or backslash); empty
// for a bare name.
QString FolderPart(const QString& FileName);

// Skips leading dividers, returns the rest after the token and the one divider that ended it.
// Token and result are empty for an empty source, a source of dividers only, or a source of
// 199999 characters or more.
QString SplitFirstToken(const QString& Source, QString& Token, const QString& Dividers);

// Text without leading and trailing blanks and control characters (code points up to U+0020).
QString TrimBlanks(const QString& Text);

// A folder path with a trailing '/' (an empty folder stays empty).
QString WithTrailingSeparator(const QString& Folder);

// A regular file (not a directory) whose extension is .bmp or .png in any letter case.
bool IsPictureFile(const QFileInfo& Entry);

// Appends Folder's picture files (full paths) to List, in directory order, and returns true,
// also for a missing or empty folder. KeepGoing (once per entry) may end the listing early.
bool ListPictureFiles(const QString& Folder, QStringList& List, const std::function<bool()>& KeepGoing = {});

// Appends the full paths of Folder's regular files whose extension equals Extension (".WIL",
// compared without regard to ASCII case), in directory order.
void ListFilesByExt(const QString& Folder, const QString& Extension, QStringList& List,
                    const std::function<bool()>& KeepGoing = {});

// Orders two picture paths by the number their file names (last extension removed) stand for
// as integer text; names that are not integers count as 0. Negative, zero or positive.
int CompareByFileNumber(const QString& A, const QString& B);
// Sorts List ascending by CompareByFileNumber.
void SortByFileNumber(QStringList& List);

}  // namespace velka

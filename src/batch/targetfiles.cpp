#include "batch/targetfiles.h"

#include "library/errors.h"
#include "library/wmimages.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace velka {

namespace {

// The index files a WZL library may keep beside its data file (the name's case varies).
const QString IndexExtensions[] = {QStringLiteral(".wzx"), QStringLiteral(".WZX")};

QString InsertBeforeExtension(const QString& FileName, const QString& Text)
{
    const QString Extension = FileName.mid(FileName.size() - UpperExtension(FileName).size());
    return FileName.left(FileName.size() - Extension.size()) + Text + Extension;
}

// rename(2) replaces an existing destination in one step.
void RenameOver(const QString& From, const QString& To)
{
    if (std::rename(QFile::encodeName(From).constData(), QFile::encodeName(To).constData()) != 0)
        throw EStreamError("Cannot rename \"" + From.toStdString() + "\" to \"" + To.toStdString() + "\"");
}

}  // namespace

TTargetFiles::TTargetFiles(const QString& Target)
    : Target_(Target),
      Partial_(InsertBeforeExtension(Target, QStringLiteral(".partial-%1").arg(QCoreApplication::applicationPid())))
{
}

TTargetFiles::~TTargetFiles()
{
    if (Committed_) return;
    QFile::remove(Partial_);
    for (const QString& Extension : IndexExtensions) QFile::remove(ChangeFileExt(Partial_, Extension));
}

void TTargetFiles::Commit()
{
    for (const QString& Extension : IndexExtensions) {
        const QString PartialIndex = ChangeFileExt(Partial_, Extension);
        if (!QFileInfo::exists(PartialIndex)) continue;
        // A stale index of the old target under another letter case would shadow the new one; an
        // index that belongs to another library (named like the target but for case) stays.
        const QString NewIndex = ChangeFileExt(Target_, Extension);
        const QString Stale = CompanionFileName(Target_, Extension);
        if (Stale.compare(NewIndex, Qt::CaseSensitive) != 0 && QFileInfo::exists(Stale)) QFile::remove(Stale);
        RenameOver(PartialIndex, NewIndex);
    }
    RenameOver(Partial_, Target_);
    Committed_ = true;
}

}  // namespace velka

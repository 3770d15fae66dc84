#include "library/tempfiles.h"

#include "library/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velka {

namespace {

TReplacementFile::FailureHook& Hook()
{
    static TReplacementFile::FailureHook Instance;
    return Instance;
}

void RunHook(const char* Stage)
{
    if (Hook())
        Hook()(Stage);
}

std::string Utf8(const QString& Text) { return Text.toUtf8().toStdString(); }

std::string LastSystemMessage() { return std::strerror(errno); }

// Creates a new file from Template (ending in XXXXXX) and returns its open handle and name.
int CreateUniqueFile(const QString& Template, QString& Name)
{
    QByteArray Path = QFile::encodeName(Template);
    const int Handle = ::mkostemp(Path.data(), O_CLOEXEC);
    if (Handle >= 0)
        Name = QFile::decodeName(Path);
    return Handle;
}

QString HiddenSibling(const QString& Target)
{
    const QFileInfo Info(Target);
    return Info.absolutePath() + "/." + Info.fileName() + ".XXXXXX";
}

// Makes the renames durable; a folder that cannot be synced (some file systems) is left as is.
void SyncFolder(const QString& Folder)
{
    const int Handle = ::open(QFile::encodeName(Folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (Handle < 0)
        return;
    ::fsync(Handle);
    ::close(Handle);
}

// Writes to a replacement pass the test hook first, so tests can break a save in the middle.
class TPartialStream : public TFileStream {
public:
    using TFileStream::TFileStream;
    void WriteBuffer(const void* Buffer, size_t Count) override
    {
        RunHook("write");
        TFileStream::WriteBuffer(Buffer, Count);
    }
};

}  // namespace

QString TempDirectory() { return QDir::tempPath(); }

QString NewTempFileName()
{
    QString Name;
    const int Handle = CreateUniqueFile(TempDirectory() + "/tmpXXXXXX", Name);
    if (Handle < 0)
        throw EStreamError(LastSystemMessage());
    ::close(Handle);
    return Name;
}

TReplacementFile::TReplacementFile(const QString& Target) : Target_(Target)
{
    const int Handle = CreateUniqueFile(HiddenSibling(Target), Partial_);
    if (Handle < 0)
        throw EFOpenError("Cannot create a file beside " + Utf8(Target) + ". " + LastSystemMessage());
    struct stat Info {};
    const mode_t Mode = ::stat(QFile::encodeName(Target).constData(), &Info) == 0 ? (Info.st_mode & 07777) : 0644;
    ::fchmod(Handle, Mode);
    ::close(Handle);
    try {
        Stream_ = std::make_unique<TPartialStream>(Partial_, TFileStream::Mode::ReadWrite);
    } catch (...) {
        ::unlink(QFile::encodeName(Partial_).constData());
        throw;
    }
}

TReplacementFile::~TReplacementFile()
{
    Stream_.reset();
    if (!Committed_)
        ::unlink(QFile::encodeName(Partial_).constData());
    DropPreviousTarget();
}

TFileStream& TReplacementFile::Stream()
{
    if (!Stream_)
        throw EStreamError("The replacement of " + Utf8(Target_) + " is already committed");
    return *Stream_;
}

void TReplacementFile::Commit() { CommitAll({this}); }

void TReplacementFile::CommitAll(std::initializer_list<TReplacementFile*> Files)
{
    const std::vector<TReplacementFile*> List(Files);
    for (TReplacementFile* File : List)
        File->FlushAndClose();
    size_t Renamed = 0;
    try {
        for (; Renamed < List.size(); ++Renamed) {
            // The last file needs no way back: nothing can fail after its rename.
            if (Renamed + 1 < List.size())
                List[Renamed]->KeepPreviousTarget();
            List[Renamed]->RenameOverTarget();
        }
    } catch (...) {
        while (Renamed > 0)
            List[--Renamed]->RestorePreviousTarget();
        for (TReplacementFile* File : List)
            File->DropPreviousTarget();
        throw;
    }
    std::set<QString> Folders;
    for (TReplacementFile* File : List) {
        File->DropPreviousTarget();
        Folders.insert(QFileInfo(File->Target_).absolutePath());
    }
    for (const QString& Folder : Folders)
        SyncFolder(Folder);
}

void TReplacementFile::SetFailureHookForTesting(FailureHook NewHook) { Hook() = std::move(NewHook); }

void TReplacementFile::FlushAndClose()
{
    RunHook("flush");
    Stream().Flush();
    Stream_.reset();
}

void TReplacementFile::KeepPreviousTarget()
{
    // A hard link keeps the old contents reachable without ever leaving Target missing; where the
    // file system has no hard links the replacement simply goes ahead without a way back.
    QString Name;
    const int Handle = CreateUniqueFile(HiddenSibling(Target_), Name);
    if (Handle < 0)
        return;
    ::close(Handle);
    const QByteArray Link = QFile::encodeName(Name);
    ::unlink(Link.constData());
    if (::link(QFile::encodeName(Target_).constData(), Link.constData()) == 0)
        Previous_ = Name;
}

void TReplacementFile::RenameOverTarget()
{
    RunHook("rename");
    if (::rename(QFile::encodeName(Partial_).constData(), QFile::encodeName(Target_).constData()) != 0)
        throw EStreamError("Cannot replace " + Utf8(Target_) + ". " + LastSystemMessage());
    Committed_ = true;
}

void TReplacementFile::RestorePreviousTarget()
{
    if (Previous_.isEmpty())
        return;
    if (::rename(QFile::encodeName(Previous_).constData(), QFile::encodeName(Target_).constData()) == 0)
        Previous_.clear();
}

void TReplacementFile::DropPreviousTarget()
{
    if (Previous_.isEmpty())
        return;
    ::unlink(QFile::encodeName(Previous_).constData());
    Previous_.clear();
}

}  // namespace velka

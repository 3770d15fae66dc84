#include "scratch.h"

#include "library/errors.h"
#include "library/stream.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace velka::fuzz {

namespace {

QString ScratchTemplate()
{
    const QFileInfo Shared(QStringLiteral("/dev/shm"));
    const QString Base = Shared.isDir() && Shared.isWritable() ? Shared.filePath() : QDir::tempPath();
    return Base + QStringLiteral("/velka-fuzz-XXXXXX");
}

}  // namespace

TScratch::TScratch() : Dir_(ScratchTemplate())
{
    if (!Dir_.isValid()) {
        std::fprintf(stderr, "cannot create the fuzz scratch folder: %s\n", qPrintable(Dir_.errorString()));
        std::abort();
    }
}

TScratch& TScratch::Instance()
{
    static TScratch Scratch;
    return Scratch;
}

void TScratch::Clear()
{
    QDir Folder(Dir_.path());
    for (const QString& Name : Folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
        Folder.remove(Name);
}

QString TScratch::Path(const QString& Name) const { return Dir_.filePath(Name); }

QString TScratch::Write(const QString& Name, const std::vector<uint8_t>& Bytes)
{
    const QString FullName = Path(Name);
    TFileStream File(FullName, TFileStream::Mode::Create);
    if (!Bytes.empty())
        File.WriteBuffer(Bytes.data(), Bytes.size());
    return FullName;
}

std::vector<uint8_t> TScratch::Read(const QString& Name) const
{
    TFileStream File(Path(Name), TFileStream::Mode::ReadShared);
    std::vector<uint8_t> Bytes(size_t(File.Size()));
    File.ReadBuffer(Bytes.data(), Bytes.size());
    return Bytes;
}

}  // namespace velka::fuzz

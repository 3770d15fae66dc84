#include "library/stream.h"

#include "library/errors.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velka {

namespace {

std::string SystemMessage(int Error) { return std::strerror(Error); }

std::string Utf8(const QString& Text) { return Text.toUtf8().toStdString(); }

}  // namespace

void TStream::ReadBuffer(void* Buffer, size_t Count)
{
    if (Read(Buffer, Count) != Count)
        throw EStreamError("Stream read error");
}

void TStream::CopyFrom(TStream& Source, int64_t Count)
{
    if (Count < 0)
        throw EStreamError("Stream copy of a negative byte count");
    constexpr int64_t ChunkSize = 1 << 20;
    std::vector<uint8_t> Chunk(static_cast<size_t>(std::min(Count, ChunkSize)));
    while (Count > 0) {
        const size_t Step = static_cast<size_t>(std::min(Count, ChunkSize));
        Source.ReadBuffer(Chunk.data(), Step);
        WriteBuffer(Chunk.data(), Step);
        Count -= static_cast<int64_t>(Step);
    }
}

TFileStream::TFileStream(const QString& FileName, Mode OpenMode) : FileName_(FileName)
{
    int Flags = O_CLOEXEC;
    switch (OpenMode) {
    case Mode::ReadShared: Flags |= O_RDONLY; break;
    case Mode::ReadWrite: Flags |= O_RDWR; break;
    case Mode::Create: Flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    }
    Handle_ = ::open(QFile::encodeName(FileName).constData(), Flags, 0644);
    if (Handle_ < 0) {
        const int Error = errno;
        const char* What = OpenMode == Mode::Create ? "Cannot create file " : "Cannot open file ";
        throw EFOpenError(What + Utf8(FileName) + ". " + SystemMessage(Error));
    }
    struct stat Info {};
    if (::fstat(Handle_, &Info) == 0 && S_ISDIR(Info.st_mode)) {
        ::close(Handle_);
        Handle_ = -1;
        throw EFOpenError("Cannot open file " + Utf8(FileName) + ". Is a directory");
    }
}

TFileStream::~TFileStream()
{
    if (Handle_ >= 0)
        ::close(Handle_);
}

int64_t TFileStream::Size() const
{
    struct stat Info {};
    if (::fstat(Handle_, &Info) != 0)
        throw EStreamError("Cannot read the size of " + Utf8(FileName_));
    return Info.st_size;
}

int64_t TFileStream::Position() const { return Position_; }

void TFileStream::Seek(int64_t Position)
{
    if (Position < 0)
        throw EStreamError("Stream seek error");
    Position_ = Position;
}

size_t TFileStream::Read(void* Buffer, size_t Count)
{
    size_t Done = 0;
    auto* Bytes = static_cast<uint8_t*>(Buffer);
    while (Done < Count) {
        const ssize_t Got = ::pread(Handle_, Bytes + Done, Count - Done, Position_);
        if (Got < 0) {
            if (errno == EINTR)
                continue;
            throw EStreamError("Stream read error in " + Utf8(FileName_) + ". " + SystemMessage(errno));
        }
        if (Got == 0)
            break;
        Done += static_cast<size_t>(Got);
        Position_ += Got;
    }
    return Done;
}

void TFileStream::WriteBuffer(const void* Buffer, size_t Count)
{
    size_t Done = 0;
    const auto* Bytes = static_cast<const uint8_t*>(Buffer);
    while (Done < Count) {
        const ssize_t Put = ::pwrite(Handle_, Bytes + Done, Count - Done, Position_);
        if (Put < 0) {
            if (errno == EINTR)
                continue;
            throw EStreamError("Stream write error in " + Utf8(FileName_) + ". " + SystemMessage(errno));
        }
        Done += static_cast<size_t>(Put);
        Position_ += Put;
    }
}

void TFileStream::Truncate(int64_t Size)
{
    if (::ftruncate(Handle_, Size) != 0)
        throw EStreamError("Cannot truncate " + Utf8(FileName_) + ". " + SystemMessage(errno));
    Position_ = std::min(Position_, Size);
}

void TFileStream::Flush()
{
    if (::fsync(Handle_) != 0)
        throw EStreamError("Cannot flush " + Utf8(FileName_) + ". " + SystemMessage(errno));
}

void TMemoryStream::Seek(int64_t Position)
{
    if (Position < 0)
        throw EStreamError("Stream seek error");
    Position_ = Position;
}

size_t TMemoryStream::Read(void* Buffer, size_t Count)
{
    if (Position_ >= Size())
        return 0;
    const size_t Available = static_cast<size_t>(Size() - Position_);
    const size_t Step = std::min(Count, Available);
    std::memcpy(Buffer, Bytes_.data() + Position_, Step);
    Position_ += static_cast<int64_t>(Step);
    return Step;
}

void TMemoryStream::WriteBuffer(const void* Buffer, size_t Count)
{
    const size_t End = static_cast<size_t>(Position_) + Count;
    if (End > Bytes_.size())
        Bytes_.resize(End);
    if (Count > 0)
        std::memcpy(Bytes_.data() + Position_, Buffer, Count);
    Position_ = static_cast<int64_t>(End);
}

QString StreamName(const TStream& Stream)
{
    if (const auto* File = dynamic_cast<const TFileStream*>(&Stream))
        return File->FileName();
    return QStringLiteral("(memory stream)");
}

}  // namespace velka

#pragma once
// Byte streams: a file stream on the operating system's file API and a growable memory stream.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velka {

class TStream {
public:
    virtual ~TStream() = default;
    virtual int64_t Size() const = 0;
    virtual int64_t Position() const = 0;
    virtual void Seek(int64_t Position) = 0;
    // Reads up to Count bytes, returns how many were read (short at the end of the stream).
    virtual size_t Read(void* Buffer, size_t Count) = 0;
    // Writes all Count bytes or raises EStreamError.
    virtual void WriteBuffer(const void* Buffer, size_t Count) = 0;

    // Reads exactly Count bytes or raises EStreamError ("Stream read error").
    void ReadBuffer(void* Buffer, size_t Count);
    // Copies Count bytes from Source's current position to this stream's current position.
    void CopyFrom(TStream& Source, int64_t Count);
};

class TFileStream : public TStream {
public:
    enum class Mode { ReadShared, ReadWrite, Create };
    // Raises EFOpenError naming the file when it cannot be opened or created.
    TFileStream(const QString& FileName, Mode OpenMode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Size() const override;
    int64_t Position() const override;
    void Seek(int64_t Position) override;
    size_t Read(void* Buffer, size_t Count) override;
    void WriteBuffer(const void* Buffer, size_t Count) override;

    void Truncate(int64_t Size);
    // Pushes the written bytes to the disk (fsync), so a rename after it is durable.
    void Flush();
    const QString& FileName() const { return FileName_; }

private:
    QString FileName_;
    int Handle_ = -1;
    int64_t Position_ = 0;
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> Bytes) : Bytes_(std::move(Bytes)) {}

    int64_t Size() const override { return static_cast<int64_t>(Bytes_.size()); }
    int64_t Position() const override { return Position_; }
    void Seek(int64_t Position) override;
    size_t Read(void* Buffer, size_t Count) override;
    void WriteBuffer(const void* Buffer, size_t Count) override;

    const std::vector<uint8_t>& Bytes() const { return Bytes_; }
    std::vector<uint8_t> TakeBytes() { Position_ = 0; return std::move(Bytes_); }

private:
    std::vector<uint8_t> Bytes_;
    int64_t Position_ = 0;
};

// The file behind Stream for messages: its file name, or "(memory stream)".
QString StreamName(const TStream& Stream);

}  // namespace velka

#include "support/tempdir.h"

#include <QDir>
#include <QFile>

namespace velka::test {

void WriteFileBytes(const QString& FileName, const std::vector<uint8_t>& Bytes)
{
    QFile File(FileName);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly | QIODevice::Truncate)) << FileName.toStdString();
    ASSERT_EQ(File.write(reinterpret_cast<const char*>(Bytes.data()), qint64(Bytes.size())), qint64(Bytes.size()));
}

std::vector<uint8_t> ReadFileBytes(const QString& FileName)
{
    QFile File(FileName);
    if (!File.open(QIODevice::ReadOnly))
        return {};
    const QByteArray Bytes = File.readAll();
    return std::vector<uint8_t>(Bytes.begin(), Bytes.end());
}

TTempDir::TTempDir() : Dir_(QDir::tempPath() + QStringLiteral("/velka-test-XXXXXX")) {}

QString TTempDir::Write(const QString& Name, const std::vector<uint8_t>& Bytes) const
{
    const QString Path = File(Name);
    WriteFileBytes(Path, Bytes);
    return Path;
}

}  // namespace velka::test

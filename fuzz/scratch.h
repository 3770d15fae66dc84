#pragma once
// The folder the harnesses write their library files to: on the memory file system when there is
// one (the saves flush to the disk), removed with its content when the process ends.

#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

namespace velka::fuzz {

class TScratch {
public:
    static TScratch& Instance();

    // Removes every file left by the previous input, replacement files of a failed save included.
    void Clear();
    // Writes Bytes as the file Name in the folder and returns its path.
    QString Write(const QString& Name, const std::vector<uint8_t>& Bytes);
    std::vector<uint8_t> Read(const QString& Name) const;
    QString Path(const QString& Name) const;

private:
    TScratch();
    QTemporaryDir Dir_;
};

}  // namespace velka::fuzz

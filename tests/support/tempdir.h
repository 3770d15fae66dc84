#pragma once
// A fresh temporary folder per test, removed with everything in it when the fixture ends.

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace velka::test {

// Writes Bytes as the whole content of FileName (fails the test on error).
void WriteFileBytes(const QString& FileName, const std::vector<uint8_t>& Bytes);
// The whole content of FileName; empty when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const QString& FileName);

class TTempDir {
public:
    TTempDir();
    bool IsValid() const { return Dir_.isValid(); }
    QString Path() const { return Dir_.path(); }
    // Path of Name inside the folder (not created).
    QString File(const QString& Name) const { return Dir_.filePath(Name); }
    // Creates Name inside the folder with Bytes as its content and returns its path.
    QString Write(const QString& Name, const std::vector<uint8_t>& Bytes) const;

private:
    QTemporaryDir Dir_;
};

// GoogleTest fixture owning a TTempDir named Temp.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Temp.IsValid()); }
    TTempDir Temp;
};

}  // namespace velka::test

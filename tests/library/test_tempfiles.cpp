// Temporary files, and replacement files: a target changes only by a complete rename, and every
// failure on the way leaves it as it was without stray files beside it.
#include "library/errors.h"
#include "library/tempfiles.h"

#include "support/tempdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace velka {
namespace {

using test::ReadFileBytes;

const std::vector<uint8_t> OldBytes = {'o', 'l', 'd'};
const std::vector<uint8_t> NewBytes = {'n', 'e', 'w', ' ', 'c', 'o', 'n', 't', 'e', 'n', 't'};

class ReplacementFileTest : public test::TempDirTest {
protected:
    void TearDown() override { TReplacementFile::SetFailureHookForTesting({}); }

    // Every entry of the folder, hidden ones included.
    QStringList Entries() const
    {
        return QDir(Temp.Path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    static void WriteNew(TReplacementFile& File) { File.Stream().WriteBuffer(NewBytes.data(), NewBytes.size()); }

    // Fails the Nth time (counting from 1) the hook reaches Stage.
    static void FailAt(const std::string& Stage, int Nth = 1)
    {
        auto Seen = std::make_shared<int>(0);
        TReplacementFile::SetFailureHookForTesting([Stage, Nth, Seen](const char* Reached) {
            if (Stage == Reached && ++*Seen == Nth)
                throw EStreamError(std::string("simulated failure at ") + Reached);
        });
    }
};

TEST(TempFiles, NewTempFileNameCreatesDistinctEmptyFilesInTheTempDirectory)
{
    const QString First = NewTempFileName();
    const QString Second = NewTempFileName();
    EXPECT_NE(First, Second);
    for (const QString& Name : {First, Second}) {
        const QFileInfo Info(Name);
        EXPECT_TRUE(Info.exists());
        EXPECT_EQ(Info.size(), 0);
        EXPECT_TRUE(Info.fileName().startsWith("tmp"));
        EXPECT_EQ(Info.absolutePath(), QDir(TempDirectory()).absolutePath());
        QFile::remove(Name);
    }
}

TEST_F(ReplacementFileTest, NewTempFileNameReportsTheSystemMessage)
{
    // A temporary "directory" that is a plain file makes the system refuse the new file.
    const QString NotAFolder = Temp.Write("plain", OldBytes);
    const QByteArray Saved = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(NotAFolder));
    try {
        NewTempFileName();
        ADD_FAILURE() << "no error raised";
    } catch (const EStreamError& Error) {
        EXPECT_STREQ(Error.what(), std::strerror(ENOTDIR));
    }
    if (Saved.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", Saved);
}

TEST_F(ReplacementFileTest, CommitReplacesTheTargetAndKeepsItsPermissions)
{
    const QString Target = Temp.Write("lib.wzl", OldBytes);
    ASSERT_EQ(::chmod(QFile::encodeName(Target).constData(), 0640), 0);
    {
        TReplacementFile File(Target);
        WriteNew(File);
        // The new version lives beside the target under a hidden name until the commit.
        EXPECT_EQ(ReadFileBytes(Target), OldBytes);
        const QStringList During = Entries();
        ASSERT_EQ(During.size(), 2);
        EXPECT_TRUE(During[0].startsWith(".lib.wzl."));
        File.Commit();
    }
    EXPECT_EQ(ReadFileBytes(Target), NewBytes);
    EXPECT_EQ(Entries(), QStringList{"lib.wzl"});
    struct stat Info {};
    ASSERT_EQ(::stat(QFile::encodeName(Target).constData(), &Info), 0);
    EXPECT_EQ(Info.st_mode & 07777, 0640u);
}

TEST_F(ReplacementFileTest, CommitCreatesAMissingTarget)
{
    const QString Target = Temp.File("new.wzx");
    {
        TReplacementFile File(Target);
        WriteNew(File);
        File.Commit();
    }
    EXPECT_EQ(ReadFileBytes(Target), NewBytes);
    EXPECT_EQ(Entries(), QStringList{"new.wzx"});
}

TEST_F(ReplacementFileTest, AnUncommittedReplacementLeavesNoTrace)
{
    const QString Target = Temp.Write("lib.wzl", OldBytes);
    {
        TReplacementFile File(Target);
        WriteNew(File);
    }
    EXPECT_EQ(ReadFileBytes(Target), OldBytes);
    EXPECT_EQ(Entries(), QStringList{"lib.wzl"});
}

TEST_F(ReplacementFileTest, AFailingStageLeavesTheTargetAsItWas)
{
    for (const char* Stage : {"write", "flush", "rename"}) {
        SCOPED_TRACE(Stage);
        const QString Target = Temp.Write("lib.wzl", OldBytes);
        FailAt(Stage);
        try {
            TReplacementFile File(Target);
            WriteNew(File);
            File.Commit();
            ADD_FAILURE() << "no error raised";
        } catch (const EStreamError&) {
        }
        TReplacementFile::SetFailureHookForTesting({});
        EXPECT_EQ(ReadFileBytes(Target), OldBytes);
        EXPECT_EQ(Entries(), QStringList{"lib.wzl"});
    }
}

TEST_F(ReplacementFileTest, CommitAllChangesEveryTargetOrNone)
{
    const QString Data = Temp.Write("lib.wzl", OldBytes);
    const QString Index = Temp.Write("lib.wzx", OldBytes);
    for (int FailingRename : {1, 2}) {
        SCOPED_TRACE("failing rename " + std::to_string(FailingRename));
        FailAt("rename", FailingRename);
        {
            TReplacementFile NewData(Data), NewIndex(Index);
            WriteNew(NewData);
            WriteNew(NewIndex);
            EXPECT_THROW(TReplacementFile::CommitAll({&NewData, &NewIndex}), EStreamError);
        }
        EXPECT_EQ(ReadFileBytes(Data), OldBytes);
        EXPECT_EQ(ReadFileBytes(Index), OldBytes);
        EXPECT_EQ(Entries(), (QStringList{"lib.wzl", "lib.wzx"}));
    }

    TReplacementFile::SetFailureHookForTesting({});
    {
        TReplacementFile NewData(Data), NewIndex(Index);
        WriteNew(NewData);
        WriteNew(NewIndex);
        TReplacementFile::CommitAll({&NewData, &NewIndex});
    }
    EXPECT_EQ(ReadFileBytes(Data), NewBytes);
    EXPECT_EQ(ReadFileBytes(Index), NewBytes);
    EXPECT_EQ(Entries(), (QStringList{"lib.wzl", "lib.wzx"}));
}

TEST_F(ReplacementFileTest, AMissingFolderIsAnOpenError)
{
    EXPECT_THROW(TReplacementFile(Temp.File("no/such/folder/lib.wzl")), EFOpenError);
}

}  // namespace
}  // namespace velka

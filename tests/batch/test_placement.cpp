// Placement files and the picture listing of a folder.
#include "batch/filelists.h"
#include "batch/placement.h"
#include "library/errors.h"
#include "library/wmimages.h"
#include "support/tempdir.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cstring>

using namespace velka;
using velka::test::ReadFileBytes;
using velka::test::TempDirTest;

namespace {

std::vector<uint8_t> Bytes(const char* Text) { return std::vector<uint8_t>(Text, Text + std::strlen(Text)); }

class PlacementTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        ASSERT_TRUE(QDir(Temp.Path()).mkdir(QStringLiteral("Placements")));
    }
    QString Picture(const char* Name) const { return Temp.File(QString::fromLatin1(Name)); }
    void WritePlacementText(const char* Name, const char* Text) const
    {
        Temp.Write(QStringLiteral("Placements/") + QString::fromLatin1(Name), Bytes(Text));
    }
};

struct TReadCase {
    const char* Text;
    uint8_t FlagIn;
    QPoint Offset;
    uint8_t FlagOut;
};

TEST_F(PlacementTest, ReadsOffsetAndFlagLineByLine)
{
    const TReadCase Cases[] = {
        {"-3", 0, {-3, 0}, 0},                      // one line: the flag stays
        {"10\r\n20\r\n1\r\n", 0, {10, 20}, 1},      // a BMP picture takes line 3
        {"10\r\n20\r\n1\r\n", 2, {10, 20}, 2},      // a PNG picture keeps flag 2
        {"10\n20\n1\n", 0, {10, 20}, 1},            // LF line ends
        {"10\r20\r1", 0, {10, 20}, 1},              // lone CR line ends
        {"257\r\n-1\r\n257\r\n", 0, {257, -1}, 1},  // the flag's low 8 bits
        {"1\r\n2\r\n-1\r\n", 5, {1, 2}, 255},
        {"12 \r\n$10\r\n", 7, {0, 16}, 7},          // lines are not trimmed; two lines keep the flag
        {"1\r\n2\r\n3\r\n4\r\n", 0, {1, 2}, 3},     // lines after the third are ignored
        {"5\r\n\r\n9", 0, {5, 0}, 9},               // an empty line reads as 0
        {"", 4, {0, 0}, 4},
    };
    for (const TReadCase& Case : Cases) {
        SCOPED_TRACE(Case.Text);
        WritePlacementText("00012.txt", Case.Text);
        QPoint Offset(99, 99);
        uint8_t Flag = Case.FlagIn;
        ReadPlacement(Picture("00012.bmp"), Offset, Flag);
        EXPECT_EQ(Offset, Case.Offset);
        EXPECT_EQ(Flag, Case.FlagOut);
    }
}

TEST_F(PlacementTest, NulEndsTheText)
{
    Temp.Write(QStringLiteral("Placements/3.txt"), {'7', 0, '\r', '\n', '8', '\r', '\n'});
    QPoint Offset;
    uint8_t Flag = 0;
    ReadPlacement(Picture("3.png"), Offset, Flag);
    EXPECT_EQ(Offset, QPoint(7, 0));
}

TEST_F(PlacementTest, MissingFileGivesZeroOffsetAndKeepsTheFlag)
{
    QPoint Offset(5, 5);
    uint8_t Flag = 9;
    ReadPlacement(Picture("00001.bmp"), Offset, Flag);
    EXPECT_EQ(Offset, QPoint(0, 0));
    EXPECT_EQ(Flag, 9);
}

TEST_F(PlacementTest, FindsTheLowerCaseFileTheExportWrites)
{
    WritePlacementText("abc.txt", "4\r\n5\r\n6\r\n");
    QPoint Offset;
    uint8_t Flag = 0;
    ReadPlacement(Picture("ABC.BMP"), Offset, Flag);
    EXPECT_EQ(Offset, QPoint(4, 5));
    EXPECT_EQ(Flag, 6);
}

TEST_F(PlacementTest, FolderNamedLikeThePlacementFileIsNoPlacementFile)
{
    ASSERT_TRUE(QDir(Temp.Path()).mkpath(QStringLiteral("Placements/9.txt")));
    QPoint Offset(1, 1);
    uint8_t Flag = 3;
    ReadPlacement(Picture("9.bmp"), Offset, Flag);
    EXPECT_EQ(Offset, QPoint(0, 0));
    EXPECT_EQ(Flag, 3);
}

TEST(WritePlacement, WritesThreeCrLfLinesInALowerCaseFileAndCreatesTheFolder)
{
    velka::test::TTempDir Temp;
    WritePlacement(Temp.File(QStringLiteral("00012.BMP")), QPoint(-20, 30), 2);
    WritePlacement(Temp.File(QStringLiteral("Hero.PNG")), QPoint(0, -1), 255);
    EXPECT_EQ(ReadFileBytes(Temp.File(QStringLiteral("Placements/00012.txt"))), Bytes("-20\r\n30\r\n2\r\n"));
    EXPECT_EQ(ReadFileBytes(Temp.File(QStringLiteral("Placements/hero.txt"))), Bytes("0\r\n-1\r\n255\r\n"));

    QPoint Offset;
    uint8_t Flag = 0;
    ReadPlacement(Temp.File(QStringLiteral("00012.BMP")), Offset, Flag);
    EXPECT_EQ(Offset, QPoint(-20, 30));
    EXPECT_EQ(Flag, 2);
}

TEST(WritePlacement, RaisesWhenThePlacementFolderCannotBeMade)
{
    velka::test::TTempDir Temp;
    Temp.Write(QStringLiteral("Placements"), Bytes("a file in the way"));
    EXPECT_THROW(WritePlacement(Temp.File(QStringLiteral("1.bmp")), QPoint(1, 1), 0), EVelkaError);
}

TEST(ListPictureFiles, ListsBmpAndPngInAnyCaseAndSortsByNumber)
{
    velka::test::TTempDir Temp;
    for (const char* Name : {"10.png", "9.BMP", "notes.txt", "x.png", "2.Png", "bmp"}) Temp.Write(QString::fromLatin1(Name), Bytes("x"));
    ASSERT_TRUE(QDir(Temp.Path()).mkdir(QStringLiteral("3.png")));  // a folder is no picture

    QStringList List{QStringLiteral("kept")};
    EXPECT_TRUE(ListPictureFiles(WithTrailingSeparator(Temp.Path()), List));
    ASSERT_EQ(List.size(), 5);
    EXPECT_EQ(List.front(), QStringLiteral("kept")) << "the listing appends";
    List.removeFirst();
    SortByFileNumber(List);
    QStringList Names;
    for (const QString& Path : List) Names.append(ExtractNameOnly(Path) + UpperExtension(Path));
    // x.png is not a number and counts as 0.
    EXPECT_EQ(Names, (QStringList{QStringLiteral("x.PNG"), QStringLiteral("2.PNG"), QStringLiteral("9.BMP"), QStringLiteral("10.PNG")}));
    EXPECT_TRUE(List.front().startsWith(Temp.Path() + u'/'));
}

TEST(ListPictureFiles, MissingFolderListsNothingAndSucceeds)
{
    QStringList List;
    EXPECT_TRUE(ListPictureFiles(QStringLiteral("/nonexistent-folder-for-velka/"), List));
    EXPECT_TRUE(List.isEmpty());
}

TEST(CompareByFileNumber, OrdersByTheNumberTheNameStandsFor)
{
    EXPECT_LT(CompareByFileNumber(QStringLiteral("/a/9.BMP"), QStringLiteral("/a/10.png")), 0);
    EXPECT_GT(CompareByFileNumber(QStringLiteral("7.bmp"), QStringLiteral("x.png")), 0);
    EXPECT_EQ(CompareByFileNumber(QStringLiteral("00012.bmp"), QStringLiteral("12.png")), 0);
    EXPECT_LT(CompareByFileNumber(QStringLiteral("-1.bmp"), QStringLiteral("0.bmp")), 0);
    EXPECT_GT(CompareByFileNumber(QStringLiteral("$10.bmp"), QStringLiteral("15.bmp")), 0);  // hexadecimal 16
}

TEST(ListFilesByExt, MatchesTheExtensionWithoutRegardToCase)
{
    velka::test::TTempDir Temp;
    for (const char* Name : {"Hum.wil", "Hair.WIL", "Hum.wix", "x.wil.bak"}) Temp.Write(QString::fromLatin1(Name), Bytes("x"));
    ASSERT_TRUE(QDir(Temp.Path()).mkdir(QStringLiteral("dir.wil")));
    QStringList List;
    ListFilesByExt(Temp.Path(), QStringLiteral(".WIL"), List);
    List.sort();
    EXPECT_EQ(List, (QStringList{Temp.File(QStringLiteral("Hair.WIL")), Temp.File(QStringLiteral("Hum.wil"))}));
}

}  // namespace

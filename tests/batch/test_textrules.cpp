// Integer text, file-name helpers and the token splitter.
#include "batch/filelists.h"
#include "batch/inttext.h"

#include <gtest/gtest.h>

#include <optional>

using namespace velka;

namespace {

struct TIntCase {
    const char* Text;
    std::optional<int32_t> Value;  // nullopt: not integer text
};

const TIntCase IntCases[] = {
    {"0", 0},
    {"12", 12},
    {"  12", 12},
    {"+7", 7},
    {"-3", -3},
    {"00012", 12},
    {"2147483647", 2147483647},
    {"-2147483648", INT32_MIN},
    {"2147483648", std::nullopt},
    {"-2147483649", std::nullopt},
    {"$FF", 255},
    {"$ff", 255},
    {"0x10", 16},
    {"0X10", 16},
    {"x1F", 31},
    {"X1F", 31},
    {"$FFFFFFFF", -1},
    {"$80000000", INT32_MIN},
    {"-$10", -16},
    {"$00000000FF", 255},  // leading zeros do not count towards the 32 bits
    {"$100000000", std::nullopt},
    {"", std::nullopt},
    {" ", std::nullopt},
    {"12 ", std::nullopt},   // trailing blank
    {"\t12", std::nullopt},  // only the blank is skipped
    {"1 2", std::nullopt},
    {"+", std::nullopt},
    {"-", std::nullopt},
    {"$", std::nullopt},
    {"0x", std::nullopt},
    {"12a", std::nullopt},
    {"$G", std::nullopt},
    {"- 5", std::nullopt},
    {"1.5", std::nullopt},
};

TEST(IntegerText, FollowsTheOneRule)
{
    for (const TIntCase& Case : IntCases) {
        SCOPED_TRACE(Case.Text);
        int32_t Value = 4242;
        const bool Parsed = TryStrToIntText(QString::fromLatin1(Case.Text), Value);
        ASSERT_EQ(Parsed, Case.Value.has_value());
        if (Parsed)
            EXPECT_EQ(Value, *Case.Value);
        else
            EXPECT_EQ(Value, 4242) << "a failed conversion leaves the value alone";
        EXPECT_EQ(IntText(QString::fromLatin1(Case.Text)), Case.Value.value_or(0));
        EXPECT_EQ(IntText(QString::fromLatin1(Case.Text), -9), Case.Value.value_or(-9));
    }
}

struct TNameCase {
    const char* Path;
    const char* NameOnly;
    const char* BeforeExt;
};

const TNameCase NameCases[] = {
    {"/art/00012.bmp", "00012", "00012"},
    {"a.b.png", "a.b", "a.b"},
    {"noext", "noext", "noext"},
    {"/dir.v2/noext", "noext", "noext"},  // a dot in a folder is no extension
    {"x.wil.wil", "x.wil", "x"},          // the first occurrence of the extension text
    {"/in/Hum.WIL", "Hum", "Hum"},
    {"C:\\art\\00012.BMP", "00012", "00012"},
    {"a.WIL.wil", "a.WIL", "a.WIL"},  // the search is case-sensitive
    {"dot.", "dot", "dot"},
    {"", "", ""},
};

TEST(FileNames, StripDirectoryAndExtension)
{
    for (const TNameCase& Case : NameCases) {
        SCOPED_TRACE(Case.Path);
        EXPECT_EQ(ExtractNameOnly(QString::fromLatin1(Case.Path)), QString::fromLatin1(Case.NameOnly));
        EXPECT_EQ(ExtractNameBeforeExt(QString::fromLatin1(Case.Path)), QString::fromLatin1(Case.BeforeExt));
    }
}

struct TSplitCase {
    QString Source;
    QString Token;
    QString Rest;
};

TEST(SplitFirstToken, TakesTheFirstTokenAndOneDivider)
{
    const TSplitCase Cases[] = {
        {QStringLiteral("5,-7"), QStringLiteral("5"), QStringLiteral("-7")},
        {QStringLiteral(",,3,4"), QStringLiteral("3"), QStringLiteral("4")},
        {QStringLiteral("3,,4"), QStringLiteral("3"), QStringLiteral(",4")},
        {QStringLiteral("7"), QStringLiteral("7"), {}},
        {QStringLiteral("10 ,20"), QStringLiteral("10 "), QStringLiteral("20")},
        {{}, {}, {}},
        {QStringLiteral(",,,"), {}, {}},
        {QString(199999, u'1'), {}, {}},
        {QString(199997, u'1') + u',', QString(199997, u'1'), {}},  // 199998 characters still split
    };
    for (const TSplitCase& Case : Cases) {
        SCOPED_TRACE(Case.Source.left(20).toStdString());
        QString Token = QStringLiteral("stale");
        const QString Rest = SplitFirstToken(Case.Source, Token, QStringLiteral(","));
        EXPECT_EQ(Token, Case.Token);
        EXPECT_EQ(Rest, Case.Rest);
    }
}

TEST(SplitFirstToken, AnyCharacterOfTheDividersDivides)
{
    QString Token;
    EXPECT_EQ(SplitFirstToken(QStringLiteral(" ;a b;c"), Token, QStringLiteral("; ")), QStringLiteral("b;c"));
    EXPECT_EQ(Token, QStringLiteral("a"));
}

TEST(TrimBlanks, RemovesBlanksAndControlCharactersAtBothEnds)
{
    EXPECT_EQ(TrimBlanks(QStringLiteral(" \t\r\n a b \x01")), QStringLiteral("a b"));
    EXPECT_EQ(TrimBlanks(QStringLiteral("   ")), QString());
}

}  // namespace

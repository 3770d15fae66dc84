// Code page 936 text: the byte form of titles and passwords in DATA libraries.
#include "library/gbk.h"

#include <gtest/gtest.h>

namespace velka {
namespace {

TEST(GBK, KnownTextsConvertBothWays)
{
    struct Case {
        QString Text;
        std::string Bytes;
    };
    const Case Cases[] = {
        {QString(), ""},
        {QStringLiteral("abc-123"), "abc-123"},
        {QStringLiteral("资源文件"), "\xD7\xCA\xD4\xB4\xCE\xC4\xBC\xFE"},
        {QStringLiteral("Drakmoor资源文件"), "Drakmoor\xD7\xCA\xD4\xB4\xCE\xC4\xBC\xFE"},
        {QStringLiteral("密码"), "\xC3\xDC\xC2\xEB"},
        {QString::fromUtf8("\xE2\x82\xAC"), "\x80"},  // the euro sign of the Windows code page
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Text.toStdString());
        EXPECT_EQ(ToGBK(C.Text), C.Bytes);
        EXPECT_EQ(FromGBK(C.Bytes), C.Text);
    }
}

TEST(GBK, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(ToGBK(QString::fromUtf8("a\xF0\x9F\x98\x80" "b")), "a?b");          // emoji, outside the BMP
    EXPECT_EQ(ToGBK(QString::fromUtf8("\xE0\xB8\x81\xE0\xB8\x82" "c")), "??c");  // Thai letters
}

TEST(GBK, UndecodableBytesBecomeQuestionMarks)
{
    EXPECT_EQ(FromGBK("x\xFFy"), QStringLiteral("x?y"));
    EXPECT_EQ(FromGBK("ok\xD7"), QStringLiteral("ok?"));  // a lead byte cut off at the end
    EXPECT_EQ(FromGBK(std::string("a\0b", 3)), QString::fromUtf8("a\0b", 3));
}

TEST(GBK, TruncationNeverSplitsADoubleByteCharacter)
{
    const std::string Mixed = ToGBK(QStringLiteral("abc密码"));  // 3 + 2 + 2 bytes
    EXPECT_EQ(TruncateGBK(Mixed, 16), Mixed);
    EXPECT_EQ(TruncateGBK(Mixed, 7), Mixed);
    EXPECT_EQ(TruncateGBK(Mixed, 6), ToGBK(QStringLiteral("abc密")));
    EXPECT_EQ(TruncateGBK(Mixed, 4), "abc");
    EXPECT_EQ(TruncateGBK(Mixed, 0), "");
    EXPECT_EQ(TruncateGBK("\x80\x80x", 2), "\x80\x80");  // 0x80 stands alone in code page 936
}

}  // namespace
}  // namespace velka

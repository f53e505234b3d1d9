#include "CodePage.h"

#include <gtest/gtest.h>

TEST(CodePage, WindowsOnlyCharactersSurviveARoundTrip)
{
    // Characters where code page 932 and plain Shift_JIS disagree, and the NEC extensions.
    const QString text = QStringLiteral("～①＼－∥￢ｱｲｳ日本abc\\~");
    bool ok = false;
    const QByteArray bytes = CodePage::toCp932(text, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(CodePage::fromCp932(bytes), text);
    EXPECT_EQ(bytes.left(2), QByteArray("\x81\x60"));   // ～ as Windows writes it
    EXPECT_EQ(bytes.mid(2, 2), QByteArray("\x87\x40")); // ①
}

TEST(CodePage, BadBytesBecomeReplacementCharacters)
{
    EXPECT_EQ(CodePage::fromCp932(QByteArray("a\x80z")), QStringLiteral("a\uFFFDz"));
    // A lead byte at the very end has no trail byte.
    EXPECT_EQ(CodePage::fromCp932(QByteArray("A\x82")), QStringLiteral("A\uFFFD"));
}

TEST(CodePage, UnmappableCharactersAreReported)
{
    bool ok = true;
    EXPECT_EQ(CodePage::toCp932(QStringLiteral("a😀b"), &ok), QByteArray("a?b"));
    EXPECT_FALSE(ok);
}

TEST(CodePage, CharactersByCode)
{
    EXPECT_EQ(CodePage::characterFromCode(0x41), QStringLiteral("A"));
    EXPECT_EQ(CodePage::characterFromCode(0x82A0), QStringLiteral("あ"));
    EXPECT_EQ(CodePage::characterFromCode(0xB1), QStringLiteral("ｱ"));
    EXPECT_EQ(CodePage::characterFromCode(0x0D), QStringLiteral("\r"));
    EXPECT_EQ(CodePage::characterFromCode(0x8200), QString(QChar(QChar::ReplacementCharacter)));
    EXPECT_EQ(CodePage::characterFromCode(0x82), QString(QChar(QChar::ReplacementCharacter)));
    EXPECT_EQ(CodePage::codeOfCharacter(QStringLiteral("あ")), 0x82A0);
    EXPECT_EQ(CodePage::codeOfCharacter(QStringLiteral("😀")), -1);
}

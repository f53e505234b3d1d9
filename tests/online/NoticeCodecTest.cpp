#include "NoticeCodec.h"

#include <gtest/gtest.h>

TEST(NoticeCodec, DecodesTheThreeKindsOfGroup)
{
    EXPECT_EQ(NoticeCodec::decode("g041"), "A");
    EXPECT_EQ(NoticeCodec::decode("gZ41"), "A"); // the second character is ignored
    EXPECT_EQ(NoticeCodec::decode("g061g062g063"), "abc");
    EXPECT_EQ(NoticeCodec::decode("82A0"), "あ");
    EXPECT_EQ(NoticeCodec::decode("h00Dh00A"), "\r\n");
    EXPECT_EQ(NoticeCodec::decode("h99D"), "\r");
}

TEST(NoticeCodec, OnlyWholeGroupsCountAndLowerCaseIsZero)
{
    EXPECT_EQ(NoticeCodec::decode(""), "");
    EXPECT_EQ(NoticeCodec::decode("g04"), "");
    EXPECT_EQ(NoticeCodec::decode("g041g042g"), "AB"); // nine characters, two groups
    // 82a0: the lower-case a is worth 0, giving 0x8200, which names no character.
    EXPECT_EQ(NoticeCodec::decode("82a0"), QString(QChar(QChar::ReplacementCharacter)));
}

TEST(NoticeCodec, EncodingIsTheExactInverse)
{
    const QString text =
        QStringLiteral("お知らせ：新しい国旗を追加しました。\r\nｶﾀｶﾅ ABC～①！\r\n");
    bool ok = false;
    const QString encoded = NoticeCodec::encode(text, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(encoded.size(), text.size() * 4);
    for (QChar c : encoded)
        EXPECT_TRUE(c.isLetterOrNumber() && c.unicode() < 128);
    EXPECT_EQ(NoticeCodec::decode(encoded), text);
    EXPECT_EQ(NoticeCodec::encode("A\r\n"), "g041h00Dh00A");
    EXPECT_EQ(NoticeCodec::encode("あ"), "82A0");

    NoticeCodec::encode(QStringLiteral("😀"), &ok);
    EXPECT_FALSE(ok);
}

#include "NoticeCommand.h"
#include "KokkiFolder.h"
#include "NoticeCodec.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string readFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(NoticeCommandTest, NewsComesBackThroughTheGamesDecoderUnchanged)
{
    // Japanese, full-width signs, half-width katakana, ASCII and CR LF line ends.
    const QString text = QString::fromUtf8("新しい国旗を追加しました！\r\n"
                                           "ｶﾀｶﾅ ﾃｽﾄ、ＡＢＣ ～ －\r\n"
                                           "Version 1.2 (5/5)\r\n"
                                           "\tTab and \"quotes\" <ok>");
    std::string error;
    const auto encoded = NoticeCommand::encodeNews(text.toUtf8(), &error);
    ASSERT_TRUE(encoded) << error;
    EXPECT_TRUE(std::all_of(encoded->begin(), encoded->end(),
                            [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }));
    EXPECT_EQ(NoticeCodec::decode(QString::fromStdString(*encoded)), text);

    // A byte order mark from an editor is not part of the news.
    const auto withMark = NoticeCommand::encodeNews("\xEF\xBB\xBF" + text.toUtf8(), &error);
    ASSERT_TRUE(withMark);
    EXPECT_EQ(*withMark, *encoded);
}

TEST(NoticeCommandTest, TextTheGameCouldNotShowIsRefused)
{
    std::string error;
    EXPECT_FALSE(NoticeCommand::encodeNews(QString::fromUtf8("お知らせ 😀").toUtf8(), &error));
    EXPECT_NE(error.find("😀"), std::string::npos);
    EXPECT_FALSE(NoticeCommand::encodeNews("caf\xC3", &error)); // cut-off UTF-8
    EXPECT_FALSE(NoticeCommand::encodeNews("", &error));        // the game would read "no reply"
    EXPECT_FALSE(NoticeCommand::encodeNews("\xEF\xBB\xBF", &error));
}

TEST(NoticeCommandTest, PublishWritesTheNewsBeforeAnnouncingItAndClearTakesItDown)
{
    TempDir dir;
    const std::string data = dir.str() + "/data";
    std::ostringstream messages;
    std::ofstream(dir.path() / "news.txt") << "メンテナンスのお知らせ\r\n";
    ASSERT_EQ(NoticeCommand::publish(data, (dir.path() / "news.txt").string(), messages), 0)
        << messages.str();
    EXPECT_EQ(readFile(dir.path() / "data/kokki/oshirase.txt"), "oshirase");
    EXPECT_EQ(
        NoticeCodec::decode(QString::fromStdString(readFile(dir.path() / "data/kokki/naiyou.txt"))),
        QString::fromUtf8("メンテナンスのお知らせ\r\n"));

    // A refused text leaves the published news as it was.
    std::ofstream(dir.path() / "bad.txt") << "😀";
    EXPECT_EQ(NoticeCommand::publish(data, (dir.path() / "bad.txt").string(), messages), 1);
    EXPECT_EQ(NoticeCommand::publish(data, (dir.path() / "missing.txt").string(), messages), 1);
    EXPECT_EQ(readFile(dir.path() / "data/kokki/oshirase.txt"), "oshirase");

    ASSERT_EQ(NoticeCommand::clear(data, messages), 0);
    EXPECT_EQ(readFile(dir.path() / "data/kokki/oshirase.txt"), "<no news>");
}

} // namespace

#include "NoticeCommand.h"
#include "KokkiFolder.h"
#include "NoticeCodec.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

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

    // Control characters other than line breaks and tabs, NUL first of all.
    EXPECT_TRUE(NoticeCommand::encodeNews("a\tb\r\nc\n", &error));
    for (const QByteArray &text : {QByteArray("a\0b", 3), QByteArray("a\x1b[31m"),
                                   QByteArray("a\x7f"), QByteArray("a\xc2\x85")}) {
        EXPECT_FALSE(NoticeCommand::encodeNews(text, &error)) << text.toHex().toStdString();
        EXPECT_NE(error.find("control character"), std::string::npos) << error;
    }

    // The news file must stay within what the server serves: four bytes a character.
    const size_t most = KokkiFolder::largestServedFile / 4;
    const auto longest = NoticeCommand::encodeNews(QByteArray(static_cast<int>(most), 'a'), &error);
    ASSERT_TRUE(longest);
    EXPECT_EQ(longest->size(), KokkiFolder::largestServedFile);
    EXPECT_FALSE(NoticeCommand::encodeNews(QByteArray(static_cast<int>(most + 1), 'a'), &error));
    EXPECT_NE(error.find("too long"), std::string::npos) << error;
}

TEST(NoticeCommandTest, PublishWritesTheNewsBeforeAnnouncingItAndClearTakesItDown)
{
    TempDir dir;
    const std::string data = dir.str() + "/data";
    std::ostringstream messages;
    std::ofstream(dir.path() / "news.txt") << "メンテナンスのお知らせ\r\n";
    // A mistyped folder is not made up silently.
    EXPECT_EQ(NoticeCommand::publish(data, (dir.path() / "news.txt").string(), false, messages), 1);
    EXPECT_EQ(NoticeCommand::clear(data, false, messages), 1);
    EXPECT_FALSE(std::filesystem::exists(data));
    ASSERT_EQ(NoticeCommand::publish(data, (dir.path() / "news.txt").string(), true, messages), 0)
        << messages.str();
    EXPECT_EQ(readFile(dir.path() / "data/kokki/oshirase.txt"), "oshirase");
    EXPECT_EQ(
        NoticeCodec::decode(QString::fromStdString(readFile(dir.path() / "data/kokki/naiyou.txt"))),
        QString::fromUtf8("メンテナンスのお知らせ\r\n"));

    // A refused text leaves the published news as it was.
    std::ofstream(dir.path() / "bad.txt") << "😀";
    EXPECT_EQ(NoticeCommand::publish(data, (dir.path() / "bad.txt").string(), false, messages), 1);
    EXPECT_EQ(NoticeCommand::publish(data, (dir.path() / "missing.txt").string(), false, messages),
              1);
    EXPECT_EQ(readFile(dir.path() / "data/kokki/oshirase.txt"), "oshirase");

    ASSERT_EQ(NoticeCommand::clear(data, false, messages), 0);
    EXPECT_EQ(readFile(dir.path() / "data/kokki/oshirase.txt"), "<no news>");
}

TEST(NoticeCommandTest, TheNextRunRemovesWhatAKilledPublisherLeft)
{
    TempDir dir;
    const std::string data = dir.str() + "/data";
    std::ostringstream messages;
    ASSERT_EQ(NoticeCommand::clear(data, true, messages), 0);
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0); // a writer that is gone
    const auto kokki = dir.path() / "data/kokki";
    const std::string dead = ".naiyou.txt." + std::to_string(child) + ".tmp";
    const std::string alive = ".naiyou.txt." + std::to_string(getppid()) + ".tmp";
    for (const std::string &name : {dead, alive, std::string("notes.tmp")})
        std::ofstream(kokki / name) << "half a news text";

    std::ofstream(dir.path() / "news.txt") << "再開しました\n";
    ASSERT_EQ(NoticeCommand::publish(data, (dir.path() / "news.txt").string(), false, messages), 0)
        << messages.str();
    EXPECT_FALSE(std::filesystem::exists(kokki / dead));
    EXPECT_TRUE(std::filesystem::exists(kokki / alive)); // still writing: not ours to remove
    EXPECT_TRUE(std::filesystem::exists(kokki / "notes.tmp"));
}

} // namespace

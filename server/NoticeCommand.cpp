#include "NoticeCommand.h"

#include "CodePage.h"
#include "KokkiFolder.h"
#include "NoticeCodec.h"

#include <QFile>

#include <filesystem>
#include <ostream>

namespace NoticeCommand {

std::optional<std::string> encodeNews(const QByteArray &utf8, std::string *error)
{
    QByteArray bytes = utf8;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    // Broken sequences, a cut-off one at the end included, come out as U+FFFD and so do not
    // survive the way back.
    const QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes) {
        *error = "the text is not UTF-8";
        return std::nullopt;
    }
    for (const QChar c : text) {
        // The game's comment box would show these as boxes or cut the text at a NUL.
        if (c.category() == QChar::Other_Control && c != u'\r' && c != u'\n' && c != u'\t') {
            *error =
                "the text holds the control character U+" +
                QString::number(c.unicode(), 16).rightJustified(4, u'0').toUpper().toStdString() +
                " (only line breaks and tabs may be used)";
            return std::nullopt;
        }
    }
    if (text.isEmpty()) {
        // The game takes an empty reply for a failed fetch and would ask a hundred times.
        *error = "the text is empty (use --clear to take the news down)";
        return std::nullopt;
    }
    bool ok = true;
    const QString encoded = NoticeCodec::encode(text, &ok);
    if (!ok) {
        QString missing;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QString character = text.mid(i, length);
            i += length - 1;
            if (CodePage::codeOfCharacter(character) < 0 && !missing.contains(character))
                missing += character;
        }
        *error = "code page 932 has no code for: " + missing.toStdString();
        return std::nullopt;
    }
    std::string news = encoded.toStdString();
    if (news.size() > KokkiFolder::largestServedFile) {
        // The server would answer "not found" and the game would show nonsense.
        *error = "the text is too long: encoded it takes " + std::to_string(news.size()) +
                 " bytes, the server serves at most " +
                 std::to_string(KokkiFolder::largestServedFile) + " (about " +
                 std::to_string(KokkiFolder::largestServedFile / 4) + " characters)";
        return std::nullopt;
    }
    return news;
}

namespace {

// A mistyped --data would otherwise publish into a new folder no server reads.
bool dataFolderReady(const std::string &dataDir, bool create, std::ostream &messages)
{
    std::error_code error;
    if (create || std::filesystem::is_directory(dataDir, error))
        return true;
    messages << "furamio-server notice: the data folder " << dataDir
             << " does not exist (give --create to make it)\n";
    return false;
}

} // namespace

int publish(const std::string &dataDir, const std::string &textFile, bool create,
            std::ostream &messages)
{
    if (!dataFolderReady(dataDir, create, messages))
        return 1;
    QFile file(QString::fromStdString(textFile));
    if (!file.open(QIODevice::ReadOnly)) {
        messages << "furamio-server notice: cannot read " << textFile << ": "
                 << file.errorString().toStdString() << '\n';
        return 1;
    }
    std::string error;
    const auto news = encodeNews(file.readAll(), &error);
    if (!news) {
        messages << "furamio-server notice: " << textFile << ": " << error << '\n';
        return 1;
    }
    try {
        KokkiFolder folder(dataDir);
        folder.writeAtomically("naiyou.txt", *news);
        folder.writeAtomically("oshirase.txt", KokkiFolder::newsAnnounced);
    } catch (const FolderError &e) {
        messages << "furamio-server notice: " << e.what() << '\n';
        return 1;
    }
    return 0;
}

int clear(const std::string &dataDir, bool create, std::ostream &messages)
{
    if (!dataFolderReady(dataDir, create, messages))
        return 1;
    try {
        KokkiFolder folder(dataDir);
        folder.writeAtomically("oshirase.txt", KokkiFolder::noNews);
    } catch (const FolderError &e) {
        messages << "furamio-server notice: " << e.what() << '\n';
        return 1;
    }
    return 0;
}

} // namespace NoticeCommand

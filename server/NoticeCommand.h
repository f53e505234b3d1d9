#pragma once

#include <QByteArray>

#include <iosfwd>
#include <optional>
#include <string>

// "furamio-server notice": puts a news text on the server or takes it down.
namespace NoticeCommand {

// The news file's content for a UTF-8 text (a leading byte order mark is dropped). Nothing,
// with the reason in *error, when the text is empty, not UTF-8, holds control characters other
// than CR, LF and TAB or characters that code page 932 cannot write, since the game could not
// show those, or when its encoded form is larger than the server serves.
std::optional<std::string> encodeNews(const QByteArray &utf8, std::string *error);

// Writes the news file first and then the notice that announces it, so a client that reads
// "oshirase" always finds the news in place. Both refuse a data folder that does not exist
// unless create is set, and return the process exit code.
int publish(const std::string &dataDir, const std::string &textFile, bool create,
            std::ostream &messages);
int clear(const std::string &dataDir, bool create, std::ostream &messages);

} // namespace NoticeCommand

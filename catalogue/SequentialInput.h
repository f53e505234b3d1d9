#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>

// Reads comma-separated fields the way classic sequential text input does:
// - a field ends at a comma or at the end of a line (CR LF, LF or CR);
// - blanks and tabs before a field are skipped;
// - a field that starts with a double quote runs to the next double quote; the quotes are
//   removed and commas and line ends inside them belong to the field; anything between the
//   closing quote and the next comma or line end is dropped;
// - blanks after an unquoted field are dropped;
// - a record may continue on the next line: reading goes on wherever the last field ended.
// Bytes are code page 932.
class SequentialInput
{
public:
    struct PastEndOfFile : std::runtime_error
    {
        PastEndOfFile() : std::runtime_error("input past end of file") {}
    };

    explicit SequentialInput(QByteArray data);

    // True when nothing but line ends and blanks is left.
    bool atEnd() const;
    // The next field; throws PastEndOfFile when the data has ended.
    QString readField();
    // 1-based line on which the next field begins.
    int line() const { return m_line; }

private:
    void skipBlanks();
    void consumeLineEnd();
    bool atLineEnd() const;

    QByteArray m_data;
    qsizetype m_pos = 0;
    int m_line = 1;
};

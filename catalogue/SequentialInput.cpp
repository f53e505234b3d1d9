#include "SequentialInput.h"

#include "CodePage.h"

SequentialInput::SequentialInput(QByteArray data) : m_data(std::move(data)) {}

bool SequentialInput::atEnd() const
{
    for (qsizetype i = m_pos; i < m_data.size(); ++i) {
        const char c = m_data.at(i);
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\x1a')
            return false;
    }
    return true;
}

bool SequentialInput::atLineEnd() const
{
    return m_pos < m_data.size() && (m_data.at(m_pos) == '\r' || m_data.at(m_pos) == '\n');
}

void SequentialInput::skipBlanks()
{
    while (m_pos < m_data.size() && (m_data.at(m_pos) == ' ' || m_data.at(m_pos) == '\t'))
        ++m_pos;
}

void SequentialInput::consumeLineEnd()
{
    if (m_pos < m_data.size() && m_data.at(m_pos) == '\r')
        ++m_pos;
    if (m_pos < m_data.size() && m_data.at(m_pos) == '\n')
        ++m_pos;
    ++m_line;
}

QString SequentialInput::readField()
{
    skipBlanks();
    if (m_pos >= m_data.size() || m_data.at(m_pos) == '\x1a')
        throw PastEndOfFile();

    QByteArray field;
    if (m_data.at(m_pos) == '"') {
        const qsizetype close = m_data.indexOf('"', m_pos + 1);
        const qsizetype end = close < 0 ? m_data.size() : close;
        field = m_data.mid(m_pos + 1, end - m_pos - 1);
        m_line += static_cast<int>(field.count('\n'));
        m_pos = close < 0 ? m_data.size() : close + 1;
        while (m_pos < m_data.size() && m_data.at(m_pos) != ',' && !atLineEnd())
            ++m_pos;
    } else {
        const qsizetype start = m_pos;
        while (m_pos < m_data.size() && m_data.at(m_pos) != ',' && !atLineEnd())
            ++m_pos;
        field = m_data.mid(start, m_pos - start);
        while (!field.isEmpty() && (field.back() == ' ' || field.back() == '\t'))
            field.chop(1);
    }

    if (m_pos < m_data.size()) {
        if (m_data.at(m_pos) == ',')
            ++m_pos;
        else if (atLineEnd())
            consumeLineEnd();
    }
    return CodePage::fromCp932(field);
}

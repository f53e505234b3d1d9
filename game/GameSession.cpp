#include "GameSession.h"

#include <algorithm>

LookAlikeBoard::Draw RandomBoards::drawBoard(RandomSource &random, int,
                                             const GameRules::RowMarks &asked,
                                             GameRules::RowMarks &onBoard) const
{
    LookAlikeBoard::Draw draw;
    draw.board = GameRules::drawBoard(random, m_rowCount, asked, onBoard);
    draw.answerPosition = GameRules::drawAnswerPosition(random);
    return draw;
}

GameSession::Rows GameSession::rowsOf(const CountryTable &table, int rowCount)
{
    Rows rows;
    const int count = std::clamp(rowCount, 0, GameRules::rowBound);
    for (int r = 1; r <= count; ++r) {
        const QString id = table.flagIds[static_cast<size_t>(r)];
        const int number = id.toInt();
        rows.flagIds.append(id);
        rows.names.append(number >= 0 && number <= CountryTable::upperBound
                              ? table.countryNames[static_cast<size_t>(number)]
                              : QString());
    }
    return rows;
}

GameSession::GameSession(Rows rows, int scoreBase, std::unique_ptr<BoardSource> boards,
                         RandomSource &random, int questions)
    : m_rows(std::move(rows)), m_scoreBase(scoreBase), m_boards(std::move(boards)),
      m_random(random), m_questions(questions)
{
    layOutBoard();
}

void GameSession::layOutBoard()
{
    const LookAlikeBoard::Draw draw =
        m_boards->drawBoard(m_random, m_question, m_answered, m_onBoard);
    m_board = draw.board;
    m_answerPosition = draw.answerPosition;
    m_log.append(MasteryRecord::Question{flagIdOfRow(askedRow()).toInt(), {}});
}

GameSession::Pick GameSession::pick(int k)
{
    if (over() || k < 1 || k > GameRules::cardsPerBoard)
        return Pick::Ignored;
    const int asked = askedRow();
    if (asked != 0 && rowAt(k) == asked) {
        m_answered[static_cast<size_t>(asked)] = 1;
        ++m_question;
        if (!over())
            layOutBoard();
        return Pick::Right;
    }
    ++m_misses;
    m_log.last().wrongClicks.append(flagIdAt(k).toInt());
    return Pick::Wrong;
}

GameSession::Result GameSession::result(double nowSeconds) const
{
    const int tenths = GameRules::elapsedTenths(m_startSeconds, nowSeconds);
    return {GameRules::score(m_scoreBase, tenths, m_misses), tenths, m_misses};
}

int GameSession::rowAt(int k) const
{
    return k >= 1 && k <= GameRules::cardsPerBoard ? m_board[static_cast<size_t>(k)] : 0;
}

QString GameSession::flagIdOfRow(int row) const
{
    return row >= 1 && row <= m_rows.count() ? m_rows.flagIds[row - 1] : QString();
}

QString GameSession::nameOfRow(int row) const
{
    return row >= 1 && row <= m_rows.names.size() ? m_rows.names[row - 1] : QString();
}

bool GameSession::answered(int row) const
{
    return row >= 1 && row <= GameRules::rowBound && m_answered[static_cast<size_t>(row)] != 0;
}

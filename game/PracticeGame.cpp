#include "PracticeGame.h"

#include "RandomSource.h"

#include <algorithm>
#include <cmath>

using GameRules::rowBound;
using GameRules::RowMarks;

namespace {

std::vector<int> toVector(const QList<int> &ids)
{
    return std::vector<int>(ids.begin(), ids.end());
}

} // namespace

QString PracticeGame::summaryMark()
{
    return QStringLiteral("練習　");
}

PracticeGame::PracticeGame(Options options, const std::array<QString, rowBound + 1> &flagIdsByRow,
                           int rowCount, MasteryRecord::Record record, SimilarityTable similar,
                           const QDate &today, RandomSource &random)
    : m_options(options), m_rowCount(std::clamp(rowCount, 0, rowBound)),
      m_rowOfFlag(LookAlikeBoard::rowsByFlag(flagIdsByRow, m_rowCount)),
      m_record(std::move(record)), m_similar(std::move(similar))
{
    QList<int> regionFlags;
    for (int id = 1; id <= rowBound; ++id) {
        if (const int row = m_rowOfFlag[static_cast<size_t>(id)]; row != 0) {
            m_flagOfRow[static_cast<size_t>(row)] = id;
            regionFlags.append(id);
        }
    }
    if (!m_options.weakest)
        return;
    for (const int id : MasteryRecord::weakest(regionFlags, m_record, today))
        m_deck.push_back(m_rowOfFlag[static_cast<size_t>(id)]);
    // The weakest come weakest first; asked in that order, the game would open with the same
    // flags every time.
    random.reseed();
    for (size_t i = m_deck.size(); i > 1; --i) {
        const auto j = std::min(static_cast<size_t>(std::floor(random.next() * double(i))), i - 1);
        std::swap(m_deck[i - 1], m_deck[j]);
    }
}

int PracticeGame::flagIdOfRow(int row) const
{
    return row >= 1 && row <= m_rowCount ? m_flagOfRow[static_cast<size_t>(row)] : 0;
}

LookAlikeBoard::Draw PracticeGame::drawBoard(RandomSource &random, int question,
                                             const RowMarks &asked, RowMarks &onBoard) const
{
    int askedRow = 0;
    if (question >= 1 && static_cast<size_t>(question) <= m_deck.size()) {
        const int row = m_deck[static_cast<size_t>(question - 1)];
        if (asked[static_cast<size_t>(row)] == 0)
            askedRow = row;
    }
    if (askedRow == 0)
        askedRow = LookAlikeBoard::drawAskedRow(random, m_rowCount, asked);

    std::vector<int> candidates;
    if (m_options.lookAlike) {
        const int flag = flagIdOfRow(askedRow);
        candidates = LookAlikeBoard::candidateRows(
            flag, toVector(MasteryRecord::confusedWith(m_record, flag)), m_similar.similarTo(flag),
            m_rowOfFlag);
    }
    return LookAlikeBoard::draw(random, askedRow, candidates, m_rowCount, asked, onBoard);
}

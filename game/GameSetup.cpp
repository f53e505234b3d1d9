#include "GameSetup.h"

#include "Regions.h"
#include "SimilarityTable.h"

#include <algorithm>

namespace GameSetup {

Prepared prepare(const Choice &choice, const Sources &sources)
{
    const Region &region = Regions::at(choice.regionIndex);
    Prepared prepared;
    prepared.game.regionKey = region.key;
    CountryTable table;
    try {
        prepared.list = BaseList::load(BaseList::path(sources.appPath, region.key), table);
    } catch (const BaseListError &error) {
        prepared.refusal = error.message();
        return prepared;
    }
    const int rowCount = std::clamp(prepared.list->recordCount, 0, GameRules::rowBound);
    if (rowCount < GameRules::minimumRows) {
        prepared.refusal =
            QStringLiteral("「%1」には国が%2か国しかないため、ゲームを始められません。"
                           "ゲームには%3か国以上が必要です。")
                .arg(region.displayName)
                .arg(rowCount)
                .arg(GameRules::minimumRows);
        return prepared;
    }

    prepared.game.practice = choice.practice.any();
    std::unique_ptr<BoardSource> boards;
    if (prepared.game.practice) {
        // A record that cannot be read leaves every flag unasked; saving it after the game
        // fails the same way and tells the player then.
        boards = std::make_unique<PracticeGame>(
            choice.practice, table.flagIds, rowCount, sources.record(),
            SimilarityTable::load(SimilarityTable::path(sources.appPath)), sources.today,
            sources.random);
    } else {
        boards = std::make_unique<RandomBoards>(rowCount);
    }
    prepared.game.session = std::make_unique<GameSession>(
        GameSession::rowsOf(table, rowCount), region.scoreBase, std::move(boards), sources.random);
    return prepared;
}

} // namespace GameSetup

QString FinishedGame::summary() const
{
    const QString text =
        GameRules::summary(result.score, result.elapsedTenths, result.misses, endedAt);
    return practice ? PracticeGame::summaryMark() + text : text;
}

QString FinishedGame::resultsLine() const
{
    return GameRules::resultsLine(result.score, result.elapsedTenths, result.misses, endedAt);
}

FinishedGame FinishedGame::playedOutOf(const GameSetup::Game &game, double nowSeconds,
                                       const QDateTime &endedAt)
{
    return {.regionKey = game.regionKey,
            .practice = game.practice,
            .playedOut = true,
            .result = game.session->result(nowSeconds),
            .endedAt = endedAt,
            .questions = game.session->log()};
}

std::optional<FinishedGame> FinishedGame::leftOf(const GameSetup::Game &game)
{
    // The question on show is an answer once it was missed; one not clicked yet is none.
    MasteryRecord::GameLog answered = game.session->log();
    if (!answered.isEmpty() && answered.last().wrongClicks.isEmpty())
        answered.removeLast();
    if (answered.isEmpty())
        return std::nullopt;
    FinishedGame left;
    left.regionKey = game.regionKey;
    left.practice = game.practice;
    left.questions = answered;
    return left;
}

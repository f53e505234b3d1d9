#include "GameDetails.h"

#include "ResultsFile.h"

#include <QStringList>

#include <cmath>

namespace GameDetails {

QString displayNumber(double value)
{
    // Ten decimals first, then fifteen digits: hides the binary noise of a subtraction such as
    // 60.1 - 60, which would otherwise show as 0.100000000000001.
    QString text = QString::number(value, 'f', 10);
    text = QString::number(text.toDouble(), 'g', 15);
    return text == QStringLiteral("-0") ? QStringLiteral("0") : text;
}

QString text(const PastGame &game)
{
    const double minutes = std::floor(game.seconds / 60.0);
    const double seconds = game.seconds - 60.0 * minutes;
    return game.date + QStringLiteral("\r\n") + QStringLiteral("総合点：") +
           QString::number(game.score) + QStringLiteral("　ミス回数： ") +
           QString::number(game.misses) + QStringLiteral("\r\n") + QStringLiteral("実時間:") +
           displayNumber(minutes) + QStringLiteral("分") + displayNumber(seconds) +
           QStringLiteral("秒   ");
}

QString title(const QString &columnCaption)
{
    return QStringLiteral("<成績> ") + columnCaption + QStringLiteral("回目");
}

QString loadNotes(const ResultsHistory &history)
{
    QStringList notes;
    if (history.skippedLines > 0)
        notes << QStringLiteral("記録ファイルの読めない行 %1 行を飛ばしました。")
                     .arg(history.skippedLines);
    if (history.olderDropped > 0)
        notes << QStringLiteral("古い記録 %1 件は表示していません。").arg(history.olderDropped);
    return notes.join(QLatin1Char('\n'));
}

} // namespace GameDetails

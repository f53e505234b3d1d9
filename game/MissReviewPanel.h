#pragma once

#include "MasteryRecord.h"

#include <QHash>
#include <QPixmap>
#include <QScrollArea>
#include <QString>

// The review "見直し" after a game, in the card area of the game panel: one row for each
// question missed at least once, in question order, with the flag asked and every flag picked
// by mistake. It scrolls rather than grows, so that a game of many misses covers nothing
// beside it. A click on any flag says which.
class MissReviewPanel : public QScrollArea
{
    Q_OBJECT
public:
    // What the review shows of a flag; a flag without a picture shows its name alone.
    struct Flag
    {
        QString name;
        QPixmap picture;
    };

    explicit MissReviewPanel(QWidget *parent);

    // Lays out the review of a game; `flags` gives name and picture by flag ID.
    void setGame(const MasteryRecord::GameLog &game, const QHash<int, Flag> &flags);
    // The number of question rows on show.
    int rowCount() const { return m_rowCount; }

signals:
    void flagPicked(int flagId);

protected:
    // A window made smaller or larger scales the panel: the rows are laid out anew when another
    // number of wrong picks fits beside each flag asked.
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *flagTile(int flagId, const Flag &flag, int times, bool wrongPick);
    int picksPerLine() const;

    QWidget *m_content = nullptr;
    int m_rowCount = 0;
    MasteryRecord::GameLog m_game;
    QHash<int, Flag> m_flags;
    int m_laidOutPicksPerLine = 0;
};

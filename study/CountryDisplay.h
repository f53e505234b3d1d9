#pragma once

#include <QList>
#include <QObject>
#include <QString>

class ClickableLabel;
class Clock;
class PlayerData;
class QLabel;
class QWidget;

// The country display that both study modes fill: the flag, the two extra pictures, name,
// capital, region and the player's record of the flag. Its controls stand on the main window
// itself, at their design places, since the extra pictures take their own size and the main
// window's controls between them (the region-map label, the comment box, the credit) stay
// within reach.
class CountryDisplay : public QObject
{
    Q_OBJECT
public:
    // `appPath` holds the pictures, `playerData` the record of each flag and the review
    // schedule; `clock` says which day the schedule is read for.
    CountryDisplay(QString appPath, const PlayerData &playerData, const Clock &clock,
                   QWidget *form);

    // Shows or hides every control of the display at once.
    void setVisible(bool visible);
    // Every control of the display, for the main window to stack.
    const QList<QWidget *> &controls() const { return m_controls; }

    struct Country
    {
        QString pictureId; // the flag ID as the picture files are named
        int flagId = 0;    // whose record is told; 0 tells "never asked"
        QString title;
        QString capital;
        QString region;
    };
    // Shows one country, its pictures and its record read from disk now: what the record says,
    // and for the way the flag was last missed, when its review is due or how well it is
    // remembered today.
    void showCountry(const Country &country);
    // The name on show, as the encyclopedia files it.
    QString title() const;
    // The display's control in the Tab chain: the article link. The flag and the name open
    // the same article and stay out of the chain.
    QWidget *focusControl() const;

signals:
    // The flag or one of the two names was clicked.
    void articleRequested();

private:
    QString m_appPath;
    const PlayerData &m_playerData;
    const Clock &m_clock;
    QList<QWidget *> m_controls;
    ClickableLabel *m_flagPicture;
    ClickableLabel *m_firstExtraPicture;
    ClickableLabel *m_secondExtraPicture;
    ClickableLabel *m_nameLabel;
    QLabel *m_capitalLabel;
    QLabel *m_regionLabel;
    ClickableLabel *m_articleLink;
    QLabel *m_recordLabel;
};

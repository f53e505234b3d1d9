#pragma once

#include <QString>
#include <QWidget>

class ClickableLabel;
class QLabel;

// The country display that both study modes fill: the flag, the two extra pictures, name,
// capital, region and the player's record of the flag. It lies over the main window's whole
// area, since the extra pictures take their own size, but takes the space and the clicks of
// its controls alone: the main window's controls between them (the region-map label, the
// comment box, the credit) stay within reach.
class CountryDisplay : public QWidget
{
    Q_OBJECT
public:
    // `appPath` holds the pictures, `dataPath` the record of each flag.
    CountryDisplay(QString appPath, QString dataPath, QWidget *form);

    struct Country
    {
        QString pictureId; // the flag ID as the picture files are named
        int flagId = 0;    // whose record is told; 0 tells "never asked"
        QString title;
        QString capital;
        QString region;
    };
    // Shows one country, its pictures and its record read from disk now.
    void showCountry(const Country &country);
    // The name on show, as the encyclopedia files it.
    QString title() const;

signals:
    // The flag or one of the two names was clicked.
    void articleRequested();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateMask();

    QString m_appPath;
    QString m_dataPath;
    ClickableLabel *m_image1;
    ClickableLabel *m_image2;
    ClickableLabel *m_image3;
    ClickableLabel *m_label3;
    QLabel *m_label4;
    QLabel *m_label5;
    ClickableLabel *m_label18;
    QLabel *m_labelRecord;
};

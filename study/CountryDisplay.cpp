#include "CountryDisplay.h"

#include "ClickableLabel.h"
#include "MasteryRecord.h"
#include "PicturePaths.h"
#include "PlayerData.h"
#include "ReviewSchedule.h"
#include "SharpPicture.h"
#include "Twips.h"

#include <QImageReader>
#include <QLabel>
#include <QPixmap>

namespace {

// The flag is stretched to its box, from the larger picture where its box has more pixels than
// the small one. The extra pictures are shown at their own size (at the windows' scale) from
// their designed top left corner: the control takes the picture's size, as an image control
// that does not stretch does. Each is decoded at the size shown in the screen's own pixels, so
// it is drawn sharp at any device pixel ratio.
void showFlag(ClickableLabel *label, const QString &path, const QString &largerPath)
{
    const QPixmap picture =
        SharpPicture::decode(path, largerPath, label->size(), label->devicePixelRatioF());
    // A country without the picture shows an empty box rather than the previous one's.
    if (picture.isNull())
        label->clear();
    else
        label->setPixmap(picture);
}

void showPicture(ClickableLabel *label, const QString &path)
{
    QImageReader reader(path);
    const QSize shown = Twips::shown(reader.size());
    const qreal ratio = label->devicePixelRatioF();
    if (shown.isValid())
        reader.setScaledSize(shown * ratio);
    QImage image;
    if (!reader.read(&image)) {
        label->clear();
        return;
    }
    image.setDevicePixelRatio(ratio);
    label->resize(shown);
    label->setPixmap(QPixmap::fromImage(std::move(image)));
}

} // namespace

CountryDisplay::CountryDisplay(QString appPath, const PlayerData &playerData, const Clock &clock,
                               QWidget *form)
    : QObject(form), m_appPath(std::move(appPath)), m_playerData(playerData), m_clock(clock)
{
    setObjectName(QStringLiteral("CountryDisplay"));

    m_flagPicture = Twips::place(new ClickableLabel(form), "Image1", 4980, 1800, 2175, 1425);
    m_flagPicture->setScaledContents(true);
    m_flagPicture->setFrameShape(QFrame::Box);
    m_firstExtraPicture = Twips::place(new ClickableLabel(form), "Image2", 12660, 3750, 3525, 2805);
    m_firstExtraPicture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_secondExtraPicture = Twips::place(new ClickableLabel(form), "Image3", 4980, 3720, 3045, 2865);
    m_secondExtraPicture->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *nameCaption = Twips::place(new QLabel(QStringLiteral("国名："), form), "Label1", 7380,
                                     1770, 675, 315, 12);
    m_nameLabel =
        Twips::place(new ClickableLabel(form), "Label3", 8190, 1770, 6105, 525, 15.75, true);
    auto *capitalCaption = Twips::place(new QLabel(QStringLiteral("首都："), form), "Label2", 7380,
                                        2370, 705, 255, 12);
    m_capitalLabel =
        Twips::place(new QLabel(QString(), form), "Label4", 8190, 2340, 6135, 525, 14.25, true);
    auto *regionCaption = Twips::place(new QLabel(QStringLiteral("地域："), form), "Label6", 7380,
                                       2910, 705, 255, 12);
    m_regionLabel =
        Twips::place(new QLabel(QString(), form), "Label5", 8190, 2910, 3855, 465, 14.25, true);
    m_articleLink =
        Twips::place(new ClickableLabel(form), "Label18", 12780, 3270, 6945, 435, 18, true);
    m_articleLink->setStyleSheet(QStringLiteral("color: rgb(0, 0, 255);"));
    m_articleLink->setCursor(Qt::PointingHandCursor);
    m_articleLink->makeFocusable(QStringLiteral("記事を開く"));
    // The player's record of the flag, on the region's line right of its value.
    m_recordLabel = Twips::place(new QLabel(form), "LabelRecord", 12200, 2940, 8200, 315, 12);

    m_controls = {m_flagPicture, m_firstExtraPicture, m_secondExtraPicture, nameCaption,
                  m_nameLabel,   capitalCaption,      m_capitalLabel,       regionCaption,
                  m_regionLabel, m_articleLink,       m_recordLabel};
    for (ClickableLabel *link : {m_flagPicture, m_nameLabel, m_articleLink})
        connect(link, &ClickableLabel::clicked, this, &CountryDisplay::articleRequested);
}

void CountryDisplay::setVisible(bool visible)
{
    for (QWidget *control : std::as_const(m_controls))
        control->setVisible(visible);
}

void CountryDisplay::showCountry(const Country &country)
{
    m_nameLabel->setText(country.title);
    m_articleLink->setText(country.title);
    m_capitalLabel->setText(country.capital);
    m_regionLabel->setText(country.region);
    showFlag(m_flagPicture, PicturePaths::flag(m_appPath, country.pictureId),
             PicturePaths::largeFlag(m_appPath, country.pictureId));
    showPicture(m_firstExtraPicture, PicturePaths::extra(m_appPath, country.pictureId, 'a'));
    showPicture(m_secondExtraPicture, PicturePaths::extra(m_appPath, country.pictureId, 'b'));
    // Read each time: the file is small, and a game may have ended since the last look.
    std::optional<FileError> readError;
    const MasteryRecord::Record record = m_playerData.record(&readError);
    QString text = MasteryRecord::studyText(record, country.flagId, readError);
    std::optional<FileError> scheduleError;
    const ReviewSchedule::Schedule schedule = m_playerData.schedule(&scheduleError);
    if (scheduleError) {
        // As with the record, a schedule that could not be read says nothing of the flag.
        text += QStringLiteral("・復習の予定を読み込めませんでした");
    } else if (const std::optional<ReviewSchedule::CardKey> missed =
                   ReviewSchedule::lastMissedCard(schedule, country.flagId)) {
        const std::optional<ReviewSchedule::CardState> state =
            ReviewSchedule::card(schedule, missed->flagId, missed->direction);
        text +=
            QStringLiteral("・") + ReviewSchedule::cardText(*state, ReviewSchedule::today(m_clock));
    }
    m_recordLabel->setText(text);
    m_flagPicture->setAccessibleName(country.title + QStringLiteral("の国旗"));
    m_firstExtraPicture->setAccessibleName(country.title + QStringLiteral("の位置（地球儀）"));
    m_secondExtraPicture->setAccessibleName(country.title + QStringLiteral("の形"));
    m_articleLink->setAccessibleName(country.title + QStringLiteral("の記事を開く"));
}

QWidget *CountryDisplay::focusControl() const
{
    return m_articleLink;
}

QString CountryDisplay::title() const
{
    return m_nameLabel->text();
}

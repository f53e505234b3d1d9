#include "CountryDisplay.h"

#include "ClickableLabel.h"
#include "MasteryRecord.h"
#include "PicturePaths.h"
#include "Twips.h"

#include <QChildEvent>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QRegion>

namespace {

// The flag is stretched to its box. The extra pictures are shown at their own size from their
// designed top left corner: the control takes the picture's size, as an image control that
// does not stretch does.
void showPicture(ClickableLabel *label, const QString &path, bool stretch)
{
    QImageReader reader(path);
    QImage image;
    if (!reader.read(&image)) {
        // A country without the picture shows an empty box rather than the previous one's.
        label->clear();
        return;
    }
    if (!stretch)
        label->resize(image.size());
    label->setPixmap(QPixmap::fromImage(std::move(image)));
}

} // namespace

CountryDisplay::CountryDisplay(QString appPath, QString dataPath, QWidget *form)
    : QWidget(form), m_appPath(std::move(appPath)), m_dataPath(std::move(dataPath))
{
    setObjectName(QStringLiteral("CountryDisplay"));
    // Every control is placed in the main window's own coordinates.
    setGeometry(form->rect());
    form->installEventFilter(this);

    m_image1 = Twips::place(new ClickableLabel(this), "Image1", 4980, 1800, 2175, 1425);
    m_image1->setScaledContents(true);
    m_image1->setFrameShape(QFrame::Box);
    m_image2 = Twips::place(new ClickableLabel(this), "Image2", 12660, 3750, 3525, 2805);
    m_image2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_image3 = Twips::place(new ClickableLabel(this), "Image3", 4980, 3720, 3045, 2865);
    m_image3->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Twips::place(new QLabel(QStringLiteral("国名："), this), "Label1", 7380, 1770, 675, 315, 12);
    m_label3 = Twips::place(new ClickableLabel(this), "Label3", 8190, 1770, 6105, 525, 15.75, true);
    Twips::place(new QLabel(QStringLiteral("首都："), this), "Label2", 7380, 2370, 705, 255, 12);
    m_label4 =
        Twips::place(new QLabel(QString(), this), "Label4", 8190, 2340, 6135, 525, 14.25, true);
    Twips::place(new QLabel(QStringLiteral("地域："), this), "Label6", 7380, 2910, 705, 255, 12);
    m_label5 =
        Twips::place(new QLabel(QString(), this), "Label5", 8190, 2910, 3855, 465, 14.25, true);
    m_label18 = Twips::place(new ClickableLabel(this), "Label18", 12780, 3270, 6945, 435, 18, true);
    m_label18->setStyleSheet(QStringLiteral("color: rgb(0, 0, 255);"));
    m_label18->setCursor(Qt::PointingHandCursor);
    // The player's record of the flag, on the region's line right of its value.
    m_labelRecord = Twips::place(new QLabel(this), "LabelRecord", 12200, 2940, 7300, 315, 12);

    for (ClickableLabel *link : {m_image1, m_label3, m_label18})
        connect(link, &ClickableLabel::clicked, this, &CountryDisplay::articleRequested);
    updateMask();
}

void CountryDisplay::showCountry(const Country &country)
{
    m_label3->setText(country.title);
    m_label18->setText(country.title);
    m_label4->setText(country.capital);
    m_label5->setText(country.region);
    showPicture(m_image1, PicturePaths::flag(m_appPath, country.pictureId), true);
    showPicture(m_image2, PicturePaths::extra(m_appPath, country.pictureId, 'a'), false);
    showPicture(m_image3, PicturePaths::extra(m_appPath, country.pictureId, 'b'), false);
    // Read each time: the file is small, and a game may have ended since the last look.
    std::optional<FileError> readError;
    const MasteryRecord::Record record = MasteryRecord::read(m_dataPath, &readError);
    m_labelRecord->setText(MasteryRecord::studyText(record, country.flagId, readError));
}

QString CountryDisplay::title() const
{
    return m_label3->text();
}

bool CountryDisplay::event(QEvent *event)
{
    // Each control tells when it moves, grows or hides, so that the mask follows it.
    if (event->type() == QEvent::ChildAdded) {
        if (auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child()))
            child->installEventFilter(this);
    }
    return QWidget::event(event);
}

bool CountryDisplay::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == parent())
            setGeometry(parentWidget()->rect());
        else
            updateMask();
        break;
    case QEvent::Move:
    case QEvent::Show:
    case QEvent::Hide:
        if (watched != parent())
            updateMask();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void CountryDisplay::updateMask()
{
    // Outside its controls the display is not there at all: neither painted nor clicked. The
    // name labels are never hidden, so the region is never empty (which would mean no mask).
    QRegion controls;
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!child->isHidden())
            controls += child->geometry();
    }
    setMask(controls);
}

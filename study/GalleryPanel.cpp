#include "GalleryPanel.h"

#include "ClickableLabel.h"
#include "GalleryDecoder.h"
#include "PicturePaths.h"
#include "SharpPicture.h"
#include "Twips.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <thread>

using StudyRules::cellHeight;
using StudyRules::cellLeft;
using StudyRules::cellWidth;

GalleryPanel::GalleryPanel(QString appPath, QWidget *parent)
    : QGroupBox(QStringLiteral("国旗"), parent), m_appPath(std::move(appPath))
{
    Twips::place(this, "Frame2", 990, 1080, 2775, 9315);
    m_galleryScrollBar =
        Twips::place(new QScrollBar(Qt::Vertical, this), "VScroll2", 2010, 420, 615, 8175);
    m_galleryScrollBar->setRange(1, StudyRules::galleryLastFirst);
    m_galleryScrollBar->setSingleStep(1);
    m_galleryScrollBar->setPageStep(1);
    m_galleryScrollBar->setValue(1);
    // Only a finished move lays the column out, not every step of a dragged thumb.
    m_galleryScrollBar->setTracking(false);
    m_galleryScrollBar->setAccessibleName(QStringLiteral("国旗の列のスクロール"));
    for (int n = 1; n <= cells; ++n) {
        auto *cell = new ClickableLabel(this);
        cell->setObjectName(QStringLiteral("Image5"));
        cell->setProperty("index", n);
        cell->setScaledContents(true);
        cell->makeFocusable(QStringLiteral("%1番目の国旗").arg(n));
        cell->setAccessibleDescription(QStringLiteral("Enterでこの国を表示します。"));
        m_galleryFlags[static_cast<size_t>(n)] = cell;
        connect(cell, &ClickableLabel::clicked, this, [this, n] { emit flagPicked(n); });
    }
    connect(m_galleryScrollBar, &QScrollBar::valueChanged, this, &GalleryPanel::layoutGallery);
}

std::unique_ptr<GalleryDecoder> GalleryPanel::startDecode(const QString &appPath)
{
    // No window exists yet to tell its screen: the pictures get as many pixels as the sharpest
    // screen has, so they stay sharp on whichever the window opens. Above the design's size
    // they get the design's, so that a large screen costs the start-up no more time or memory;
    // the eight cells on show are sharpened when they are laid out.
    const double atMostDesign = std::min(1.0, 1.0 / Twips::scale);
    const QSize shown = (QSizeF(Twips::rect(0, 0, cellWidth, cellHeight).size()) * atMostDesign *
                         qGuiApp->devicePixelRatio())
                            .toSize();
    // One helper thread while the window is built; the caller of take() joins in.
    const int helpers = std::thread::hardware_concurrency() > 1 ? 1 : 0;
    return std::make_unique<GalleryDecoder>(PicturePaths::folder(appPath), cells, shown, helpers);
}

QString GalleryPanel::loadPictures(GalleryDecoder &decoder)
{
    GalleryDecoder::Result decoded = decoder.take();
    for (int n = 1; n <= cells; ++n) {
        ClickableLabel *cell = m_galleryFlags[static_cast<size_t>(n)];
        cell->move(Twips::toPixels(cellLeft), cell->y());
        QImage &image = decoded.images[static_cast<size_t>(n)];
        if (image.isNull())
            return decoded.firstFailure;
        image.setDevicePixelRatio(qGuiApp->devicePixelRatio());
        // Moving the image lets the pixmap keep its pixels instead of copying them.
        cell->setPixmap(QPixmap::fromImage(std::move(image)));
    }
    return QString();
}

void GalleryPanel::layoutAllCells()
{
    m_first = 1;
    for (int i = 1; i <= cells; ++i) {
        ClickableLabel *cell = m_galleryFlags[static_cast<size_t>(m_first + i - 1)];
        cell->setGeometry(Twips::rect(cellLeft, StudyRules::slotTop(i), cellWidth, cellHeight));
        cell->show();
    }
}

void GalleryPanel::scrollToStart()
{
    m_galleryScrollBar->setValue(1);
    // A value that already was 1 raises no change, so the layout is run here as well.
    layoutGallery();
}

void GalleryPanel::layoutGallery()
{
    m_first = StudyRules::galleryFirst(m_galleryScrollBar->value());
    const int first = m_first;
    for (int n = 1; n <= cells; ++n) {
        if (n < first || n >= first + StudyRules::gallerySlots)
            m_galleryFlags[static_cast<size_t>(n)]->hide();
    }
    for (int k = 1; k <= StudyRules::gallerySlots; ++k) {
        ClickableLabel *cell = m_galleryFlags[static_cast<size_t>(first + k - 1)];
        cell->setGeometry(Twips::rect(cellLeft, StudyRules::slotTop(k), cellWidth, cellHeight));
        sharpen(cell, first + k - 1);
        cell->show();
    }
}

void GalleryPanel::sharpen(ClickableLabel *cell, int flagId)
{
    const QPixmap held = cell->pixmap();
    const QSize needed = cell->size() * cell->devicePixelRatioF();
    if (held.isNull() || (held.width() >= needed.width() && held.height() >= needed.height()))
        return;
    const QString id = QString::number(flagId);
    const QPixmap sharp = SharpPicture::decode(PicturePaths::flag(m_appPath, id),
                                               PicturePaths::largeFlag(m_appPath, id), cell->size(),
                                               cell->devicePixelRatioF());
    // A picture gone since start-up leaves the one read then.
    if (!sharp.isNull())
        cell->setPixmap(sharp);
}

void GalleryPanel::wheelEvent(QWheelEvent *event)
{
    QCoreApplication::sendEvent(m_galleryScrollBar, event);
}

void GalleryPanel::setCellName(int flagId, const QString &name)
{
    if (flagId >= 1 && flagId <= cells)
        m_galleryFlags[static_cast<size_t>(flagId)]->setAccessibleName(name);
}

QList<QWidget *> GalleryPanel::focusChain() const
{
    QList<QWidget *> chain;
    for (int n = 1; n <= cells; ++n)
        chain << m_galleryFlags[static_cast<size_t>(n)];
    return chain;
}

QWidget *GalleryPanel::firstFocus() const
{
    return m_galleryFlags[static_cast<size_t>(m_first)];
}

void GalleryPanel::keyPressEvent(QKeyEvent *event)
{
    int focused = 0;
    for (int n = 1; n <= cells; ++n)
        if (m_galleryFlags[static_cast<size_t>(n)]->hasFocus())
            focused = n;
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Up:
        step = -1;
        break;
    case Qt::Key_Down:
        step = 1;
        break;
    case Qt::Key_PageUp:
        step = -StudyRules::gallerySlots;
        break;
    case Qt::Key_PageDown:
        step = StudyRules::gallerySlots;
        break;
    default:
        QGroupBox::keyPressEvent(event);
        return;
    }
    event->accept();
    focusCell(std::clamp((focused == 0 ? m_first : focused) + step, 1, cells));
}

void GalleryPanel::focusCell(int n)
{
    // The column scrolls as little as shows the cell: to its top from above, to its bottom
    // from below.
    if (n < m_first)
        m_galleryScrollBar->setValue(n);
    else if (n >= m_first + StudyRules::gallerySlots)
        m_galleryScrollBar->setValue(n - StudyRules::gallerySlots + 1);
    m_galleryFlags[static_cast<size_t>(n)]->setFocus(Qt::OtherFocusReason);
}

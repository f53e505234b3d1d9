#include "WindowScale.h"

#include "Twips.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QRectF>
#include <QVariant>
#include <QWidget>

#include <cmath>

namespace {

// A control's font at scale 1 and the size it got at the scale then: a font that differs from
// that was set by code since, and is scaled on from what the code set.
const char *const designPoints = "furamioDesignPoints";
const char *const appliedPoints = "furamioAppliedPoints";

int toPixels(double twips, double scale)
{
    return static_cast<int>(std::lround(twips * Twips::logicalDpi * scale / 1440.0));
}

double toTwips(int pixels, double scale)
{
    return pixels * 1440.0 / (Twips::logicalDpi * scale);
}

// Controls Qt makes inside its own (scroll areas' viewports and bars) and controls a layout
// places follow their owner by themselves.
bool placedByOthers(const QWidget *widget)
{
    if (widget->isWindow() || widget->objectName().startsWith(QLatin1String("qt_")))
        return true;
    const QWidget *parent = widget->parentWidget();
    return parent && parent->layout() && parent->layout()->indexOf(widget) >= 0;
}

} // namespace

WindowScale::WindowScale(QWidget *window) : QObject(window), m_window(window)
{
    window->installEventFilter(this);
}

bool WindowScale::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Resize) {
        const double fit = Twips::scaleToFit(m_window->size());
        const QPoint origin = Twips::centredOrigin(m_window->size(), fit);
        if (std::abs(fit - Twips::scale) > 1e-9 || origin != m_origin)
            rescale(fit, origin);
    }
    return QObject::eventFilter(watched, event);
}

void WindowScale::rescale(double scale, QPoint origin)
{
    const double from = Twips::scale;
    const QPoint fromOrigin = m_origin;
    Twips::scale = scale;
    m_origin = origin;
    // Windows made from now on take the new default; this one's controls are told through
    // their window.
    QApplication::setFont(Twips::designFont(9));
    m_window->setFont(Twips::designFont(9));
    rescaleChildren(m_window, from, scale, fromOrigin, origin);
}

void WindowScale::rescaleChildren(QWidget *parent, double from, double to, QPoint fromOrigin,
                                  QPoint toOrigin)
{
    // Only the window's own controls stand at the origin; theirs are placed inside them.
    for (QObject *child : parent->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget || placedByOthers(widget))
            continue;

        // Twips as placed, or as the code put it since at the scale then.
        QRectF twips = widget->property(Twips::placedTwipsProperty).toRectF();
        if (widget->geometry() != widget->property(Twips::placedPixelsProperty).toRect()) {
            const QRect now = widget->geometry().translated(-fromOrigin);
            twips = QRectF(toTwips(now.x(), from), toTwips(now.y(), from),
                           toTwips(now.width(), from), toTwips(now.height(), from));
        }
        const QRect placed(toPixels(twips.x(), to) + toOrigin.x(),
                           toPixels(twips.y(), to) + toOrigin.y(), toPixels(twips.width(), to),
                           toPixels(twips.height(), to));
        widget->setProperty(Twips::placedTwipsProperty, twips);
        widget->setProperty(Twips::placedPixelsProperty, placed);

        // Only a font of its own: the others follow the application's font.
        if (widget->testAttribute(Qt::WA_SetFont)) {
            QFont font = widget->font();
            double points = widget->property(designPoints).toDouble();
            if (font.pointSizeF() != widget->property(appliedPoints).toDouble())
                points = font.pointSizeF() / from;
            font.setPointSizeF(points * to);
            widget->setProperty(designPoints, points);
            widget->setProperty(appliedPoints, font.pointSizeF());
            widget->setFont(font);
        }
        // Children first: a control that lays out its own on a resize finds them in place.
        rescaleChildren(widget, from, to, QPoint(), QPoint());
        widget->setGeometry(placed);
    }
}

void WindowScale::stretch(QWidget *window, double across, double down)
{
    const auto whole = [](double twips) { return static_cast<int>(std::lround(twips)); };
    for (QObject *child : window->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        const QVariant placed = widget ? widget->property(Twips::placedTwipsProperty) : QVariant();
        if (!placed.isValid())
            continue;
        const QRectF twips = placed.toRectF();
        widget->setGeometry(Twips::rect(whole(twips.x() * across), whole(twips.y() * down),
                                        whole(twips.width() * across),
                                        whole(twips.height() * down)));
        const QVariant points = widget->property(Twips::placedPointsProperty);
        if (points.isValid() && across > 0) {
            QFont font = widget->font();
            font.setPointSizeF(Twips::points(points.toDouble() * across));
            widget->setFont(font);
        }
    }
}

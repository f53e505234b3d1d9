#include "WindowPlacement.h"

#include <algorithm>
#include <tuple>
#include <vector>

namespace WindowPlacement {

namespace {

long long covered(const QRect &window, const QList<QRect> &areas)
{
    long long total = 0;
    for (const QRect &area : areas) {
        const QRect both = window.intersected(area);
        if (!both.isEmpty())
            total += static_cast<long long>(both.width()) * both.height();
    }
    return total;
}

} // namespace

QPoint place(QSize outer, const QRect &screen, const QList<QRect> &keepClear,
             const QList<QRect> &giveWay, QPoint preferred)
{
    // The best place touches an edge of the screen or of one of the areas on each axis, or
    // lies at the preferred point; these are all the places worth trying.
    std::vector<int> xs{screen.left(), screen.right() + 1 - outer.width(), preferred.x()};
    std::vector<int> ys{screen.top(), screen.bottom() + 1 - outer.height(), preferred.y()};
    for (const QList<QRect> *areas : {&keepClear, &giveWay}) {
        for (const QRect &area : *areas) {
            xs.push_back(area.right() + 1);
            xs.push_back(area.left() - outer.width());
            ys.push_back(area.bottom() + 1);
            ys.push_back(area.top() - outer.height());
        }
    }
    const int maxX = std::max(screen.left(), screen.right() + 1 - outer.width());
    const int maxY = std::max(screen.top(), screen.bottom() + 1 - outer.height());

    QPoint best = preferred;
    std::tuple<long long, long long, long long> bestCost{-1, 0, 0};
    for (const int rawX : xs) {
        for (const int rawY : ys) {
            const QPoint at(std::clamp(rawX, screen.left(), maxX),
                            std::clamp(rawY, screen.top(), maxY));
            const QRect window(at, outer);
            const QPoint offset = at - preferred;
            const std::tuple<long long, long long, long long> cost{
                covered(window, keepClear), covered(window, giveWay),
                static_cast<long long>(offset.x()) * offset.x() +
                    static_cast<long long>(offset.y()) * offset.y()};
            if (std::get<0>(bestCost) < 0 || cost < bestCost) {
                best = at;
                bestCost = cost;
            }
        }
    }
    return best;
}

QPoint placeOpen(QSize outer, const QRect &screen, const Areas &areas, std::optional<QPoint> open)
{
    if (open && covered(QRect(*open, outer), areas.keepClear) == 0)
        return *open;
    return place(outer, screen, areas.keepClear, areas.giveWay, areas.preferred);
}

} // namespace WindowPlacement

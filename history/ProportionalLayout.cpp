#include "ProportionalLayout.h"

void ProportionalLayout::captureLayout(double innerWidth, double innerHeight,
                                       const std::vector<Item> &controls)
{
    m_layoutItems.clear();
    m_baseScaleWidth = innerWidth;
    m_baseScaleHeight = innerHeight;
    for (const Item &item : controls) {
        Class1 record;
        record.csControl = item.control;
        record.csLeft = item.geometry.left.value_or(0);
        record.csTop = item.geometry.top.value_or(0);
        record.csWidth = item.geometry.width.value_or(0);
        record.csHeight = item.geometry.height.value_or(0);
        record.csFontSize = item.geometry.fontSize.value_or(0);
        record.has = item.geometry;
        m_layoutItems.push_back(record);
    }
    m_layoutCaptured = true;
}

std::vector<ProportionalLayout::Item> ProportionalLayout::scaledTo(double innerWidth,
                                                                   double innerHeight) const
{
    std::vector<Item> scaled;
    if (!m_layoutCaptured || m_baseScaleWidth <= 0 || m_baseScaleHeight <= 0)
        return scaled;
    const double rx = innerWidth / m_baseScaleWidth;
    const double ry = innerHeight / m_baseScaleHeight;
    scaled.reserve(m_layoutItems.size());
    for (const Class1 &record : m_layoutItems) {
        Item item{record.csControl, {}};
        if (record.has.top)
            item.geometry.top = record.csTop * ry;
        if (record.has.left)
            item.geometry.left = record.csLeft * rx;
        if (record.has.width && record.csWidth * rx >= 0)
            item.geometry.width = record.csWidth * rx;
        if (record.has.height && record.csHeight * ry >= 0)
            item.geometry.height = record.csHeight * ry;
        if (record.has.fontSize && record.csFontSize * rx > 0)
            item.geometry.fontSize = record.csFontSize * rx;
        scaled.push_back(item);
    }
    return scaled;
}

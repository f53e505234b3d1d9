#pragma once

#include <QObject>

#include <optional>
#include <vector>

// The geometry of one control in twips and its font size in points. A control that has no such
// property (a line has no box, a rectangle no font) leaves it empty.
struct ControlGeometry
{
    std::optional<double> left;
    std::optional<double> top;
    std::optional<double> width;
    std::optional<double> height;
    std::optional<double> fontSize;
};

// What was captured of one control; a property the control lacks stays 0.
struct Class1
{
    QObject *csControl = nullptr;
    double csLeft = 0;
    double csTop = 0;
    double csWidth = 0;
    double csHeight = 0;
    double csFontSize = 0;
    ControlGeometry has; // which of the fields the control really has
};

// Keeps a window's controls in proportion to its inner size: the geometry is captured once,
// and every later size scales it, fonts with the horizontal ratio only so that the text keeps
// to the width the design gave it.
class ProportionalLayout
{
public:
    struct Item
    {
        QObject *control;
        ControlGeometry geometry;
    };

    void captureLayout(double innerWidth, double innerHeight, const std::vector<Item> &controls);

    // The geometry of each captured control at the given inner size, in capture order. Values a
    // control would refuse (not a positive font size, a negative extent) are left out.
    std::vector<Item> scaledTo(double innerWidth, double innerHeight) const;

    bool layoutCaptured() const { return m_layoutCaptured; }
    double baseScaleWidth() const { return m_baseScaleWidth; }
    double baseScaleHeight() const { return m_baseScaleHeight; }
    const std::vector<Class1> &layoutItems() const { return m_layoutItems; }

private:
    std::vector<Class1> m_layoutItems;
    double m_baseScaleWidth = 0;
    double m_baseScaleHeight = 0;
    bool m_layoutCaptured = false;
};

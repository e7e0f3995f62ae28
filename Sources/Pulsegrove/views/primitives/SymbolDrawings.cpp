#include "views/primitives/SymbolDrawings.h"

#include "views/primitives/SymbolShapes.h"

#include <QHash>
#include <QtMath>
#include <algorithm>

namespace pulsegrove {

namespace {

using namespace SymbolShapes;

// Each picture fills the 16-unit grid as a 16-point glyph of the system's symbol font would,
// with outlines of one line width so pictures side by side look of one set.

QPainterPath arrowClockwise()
{
    return arcArrow({8, 8.7}, 5.6, 50, -320, Turn::clockwise);
}

QPainterPath arrowCounterclockwise()
{
    return arcArrow({8, 8.7}, 5.6, 130, 320, Turn::counterclockwise);
}

QPainterPath arrowCounterclockwiseCircle()
{
    return ring({8, 8}, 7.3, 1.2).united(arcArrow({8, 8.3}, 4.2, 135, 305, Turn::counterclockwise, 1.4, 2.2));
}

QPainterPath arrowsCirclepathCircleFill()
{
    const QPainterPath arrows = unite({arcArrow({8, 8}, 3.9, 170, -125, Turn::clockwise, 1.45, 1.9),
                                       arcArrow({8, 8}, 3.9, -10, -125, Turn::clockwise, 1.45, 1.9)});
    return disc({8, 8}, 7.7).subtracted(arrows);
}

QPainterPath boltCircle()
{
    return ring({8, 8}, 7.1).united(bolt(QRectF(5.1, 3.4, 5.8, 9.2)));
}

QPainterPath boltHorizontalCircleFill()
{
    return disc({8, 8}, 7.7).subtracted(bolt(QRectF(3.2, 5, 9.6, 6), true));
}

QPainterPath boltHorizontalFill()
{
    return bolt(QRectF(0.4, 3, 15.2, 10), true);
}

QPainterPath boltSlashCircle()
{
    const QPainterPath slash = polyline({{3.4, 3.4}, {12.6, 12.6}});
    const QPainterPath gap = polyline({{3.4, 3.4}, {12.6, 12.6}}, 3.6);
    return unite({ring({8, 8}, 7.1), bolt(QRectF(5.1, 3.4, 5.8, 9.2)).subtracted(gap), slash});
}

QPainterPath calendar()
{
    const QRectF page(1.3, 2.3, 13.4, 12.4);
    QPainterPath shape = outlinedBox(page, 2.2);
    shape = shape.united(roundedBox(page, 2.2).intersected(roundedBox(QRectF(0, 0, 16, 6.2), 0)));
    for (const qreal y : {8.9, 11.9})
        for (const qreal x : {4.6, 8.0, 11.4})
            shape = shape.united(roundedBox(QRectF(x - 0.95, y - 0.95, 1.9, 1.9), 0.5));
    return shape;
}

QPainterPath chartBarXAxis()
{
    return unite({roundedBox(QRectF(2.1, 8.2, 2.9, 4.8), 0.8), roundedBox(QRectF(6.55, 2.4, 2.9, 10.6), 0.8),
                  roundedBox(QRectF(11.0, 5.6, 2.9, 7.4), 0.8), polyline({{0.9, 14.9}, {15.1, 14.9}}, 1.3)});
}

QPainterPath chartXYAxisLine()
{
    return unite({polyline({{1.6, 1.2}, {1.6, 14.4}, {14.8, 14.4}}, 1.35),
                  polyline({{4.3, 11.2}, {7.1, 6.9}, {9.8, 9.3}, {14, 3.3}}, 1.7)});
}

QPainterPath checkmarkCircleFill()
{
    return disc({8, 8}, 7.7).subtracted(polyline({{4.5, 8.3}, {7, 10.7}, {11.5, 5.5}}, 1.8));
}

QPainterPath chevronDown()
{
    return polyline({{2.6, 5.4}, {8, 10.8}, {13.4, 5.4}}, 2.1);
}

QPainterPath chevronUp()
{
    return polyline({{2.6, 10.6}, {8, 5.2}, {13.4, 10.6}}, 2.1);
}

QPainterPath clockFace(QPointF centre, qreal radius)
{
    return ring(centre, radius)
        .united(polyline(
            {centre - QPointF(0, radius * 0.58), centre, centre + QPointF(radius * 0.45, radius * 0.3)},
            1.5));
}

QPainterPath clock()
{
    return clockFace({8, 8}, 7.0);
}

QPainterPath clockBadgeExclamationmark()
{
    const QPointF badge(12.6, 3.4);
    const QPainterPath face = clockFace({7.2, 8.8}, 6.3).subtracted(disc(badge, 3.9));
    return unite({face, polyline({badge - QPointF(0, 2.9), badge + QPointF(0, 0.9)}, 1.6),
                  disc(badge + QPointF(0, 3.1), 0.95)});
}

QPainterPath cpu()
{
    QPainterPath shape = outlinedBox(QRectF(3.4, 3.4, 9.2, 9.2), 1.7, 1.35);
    shape = shape.united(roundedBox(QRectF(6.0, 6.0, 4.0, 4.0), 0.8));
    for (const qreal along : {5.5, 8.0, 10.5}) {
        shape =
            unite({shape, polyline({{along, 0.8}, {along, 2.6}}, 1.2),
                   polyline({{along, 13.4}, {along, 15.2}}, 1.2), polyline({{0.8, along}, {2.6, along}}, 1.2),
                   polyline({{13.4, along}, {15.2, along}}, 1.2)});
    }
    return shape;
}

QPainterPath dockRectangle()
{
    return outlinedBox(QRectF(1.2, 2.2, 13.6, 11.6), 2.2).united(roundedBox(QRectF(4.0, 9.6, 8.0, 2.2), 1.0));
}

QPainterPath ellipsis()
{
    return unite({disc({2.9, 8}, 1.55), disc({8, 8}, 1.55), disc({13.1, 8}, 1.55)});
}

QPainterPath exclamationmarkTriangle()
{
    QPainterPath triangle = polygon({{8, 1.6}, {15, 14.2}, {1, 14.2}});
    return unite({stroked(triangle), polyline({{8, 6.0}, {8, 9.4}}, 1.6), disc({8, 11.8}, 0.95)});
}

QPainterPath gaugeNeedle33()
{
    const QPointF hub(8, 8.6);
    QPainterPath shape = ring({8, 8}, 7.1);
    for (int step = 0; step <= 4; ++step) {
        const qreal angle = qDegreesToRadians(180.0 - step * 45.0);
        shape = shape.united(disc(hub + QPointF(4.7 * std::cos(angle), -4.7 * std::sin(angle)), 0.9));
    }
    const qreal needle = qDegreesToRadians(180.0 - 0.33 * 180.0);
    return unite({shape, disc(hub, 1.5),
                  polyline({hub, hub + QPointF(4.3 * std::cos(needle), -4.3 * std::sin(needle))}, 1.5)});
}

QPainterPath gear()
{
    const QPointF centre(8, 8);
    QPainterPath shape = disc(centre, 5.3);
    for (int tooth = 0; tooth < 8; ++tooth) {
        QTransform turn;
        turn.translate(8, 8);
        turn.rotate(tooth * 45.0);
        shape = shape.united(turn.map(roundedBox(QRectF(-1.35, -7.6, 2.7, 3.4), 0.7)));
    }
    return shape.subtracted(disc(centre, 2.3));
}

QPainterPath infoCircle()
{
    return unite({ring({8, 8}, 7.1), polyline({{8, 7.2}, {8, 11.6}}, 1.6), disc({8, 4.7}, 1.0)});
}

QPainterPath laptopComputer()
{
    return outlinedBox(QRectF(2.8, 2.4, 10.4, 8.2), 1.4)
        .united(roundedBox(QRectF(0.4, 12.0, 15.2, 1.9), 0.9));
}

QPainterPath memoryChip()
{
    QPainterPath shape = outlinedBox(QRectF(1.1, 3.8, 13.8, 7.4), 1.3, 1.35);
    for (const qreal x : {3.0, 6.8, 10.6})
        shape = shape.united(roundedBox(QRectF(x, 5.9, 2.4, 3.2), 0.5));
    for (const qreal x : {3.0, 4.8, 6.6, 9.4, 11.2, 13.0})
        shape = shape.united(polyline({{x, 12.3}, {x, 14.2}}, 1.05));
    return shape;
}

QPainterPath menubarRectangle()
{
    const QRectF window(1.2, 2.2, 13.6, 11.6);
    return outlinedBox(window, 2.2)
        .united(roundedBox(window, 2.2).intersected(roundedBox(QRectF(0, 0, 16, 5.6), 0)));
}

QPainterPath paintPaletteFill()
{
    QPainterPath palette;
    palette.addEllipse(QPointF(8, 8), 7.4, 6.7);
    QPainterPath holes = unite({disc({4.5, 7.0}, 1.2), disc({7.1, 4.2}, 1.2), disc({10.7, 4.8}, 1.2),
                                disc({4.9, 10.6}, 1.2), disc({11.0, 10.9}, 1.9)});
    return palette.subtracted(holes);
}

QPainterPath power()
{
    return arc({8, 8.9}, 6.0, 60, 300, 1.6).united(polyline({{8, 1.0}, {8, 7.6}}, 1.6));
}

QPainterPath rectangle3Group()
{
    return unite({outlinedBox(QRectF(1.2, 1.7, 6.0, 12.6), 1.6, 1.3),
                  outlinedBox(QRectF(9.2, 1.7, 5.6, 5.3), 1.6, 1.3),
                  outlinedBox(QRectF(9.2, 9.0, 5.6, 5.3), 1.6, 1.3)});
}

QPainterPath shieldLeftHalfFilled()
{
    QPainterPath shield;
    shield.moveTo(8, 1.1);
    shield.lineTo(14.1, 3.3);
    shield.lineTo(14.1, 7.6);
    shield.cubicTo(14.1, 11.3, 11.5, 13.8, 8, 15.1);
    shield.cubicTo(4.5, 13.8, 1.9, 11.3, 1.9, 7.6);
    shield.lineTo(1.9, 3.3);
    shield.closeSubpath();
    return stroked(shield, 1.35).united(shield.intersected(roundedBox(QRectF(0, 0, 8, 16), 0)));
}

QPainterPath sliderHorizontal3()
{
    QPainterPath shape;
    const qreal knobs[][2] = {{3.2, 10.6}, {8.0, 5.2}, {12.8, 11.4}};
    for (const auto &[y, knob] : knobs)
        shape = unite({shape, polyline({{1.2, y}, {14.8, y}}, 1.35), disc({knob, y}, 2.0)});
    return shape;
}

QPainterPath sparkles()
{
    return unite({sparkle({6.4, 9.6}, 6.1), sparkle({12.6, 3.6}, 3.2), sparkle({3.1, 2.9}, 2.0)});
}

QPainterPath sunrise()
{
    const QPointF sun(8, 13.0);
    QPainterPath shape =
        unite({arc(sun, 3.6, 180, -180), polyline({{0.8, 13.0}, {15.2, 13.0}}),
               polyline({{8, 7.0}, {8, 1.2}}), polyline({{5.9, 3.3}, {8, 1.2}, {10.1, 3.3}})});
    for (const qreal degrees : {20.0, 55.0, 125.0, 160.0}) {
        const qreal angle = qDegreesToRadians(degrees);
        const QPointF direction(std::cos(angle), -std::sin(angle));
        shape = shape.united(polyline({sun + direction * 5.3, sun + direction * 6.7}));
    }
    return shape;
}

QPainterPath thermometerMedium()
{
    // The tube and bulb as one outline, the mercury up to half the tube.
    const QPainterPath body = roundedBox(QRectF(6.1, 0.9, 3.8, 10.4), 1.9).united(disc({8, 12.2}, 3.0));
    return unite({stroked(body, 1.35), roundedBox(QRectF(7.25, 5.6, 1.5, 6.0), 0.75), disc({8, 12.2}, 1.65)});
}

struct Drawing {
    const char *symbolName;
    QPainterPath (*draw)();
};

constexpr Drawing drawings[] = {
    {"arrow.clockwise", arrowClockwise},
    {"arrow.counterclockwise", arrowCounterclockwise},
    {"arrow.counterclockwise.circle", arrowCounterclockwiseCircle},
    {"arrow.triangle.2.circlepath.circle.fill", arrowsCirclepathCircleFill},
    {"bolt.circle", boltCircle},
    {"bolt.horizontal.circle.fill", boltHorizontalCircleFill},
    {"bolt.horizontal.fill", boltHorizontalFill},
    {"bolt.slash.circle", boltSlashCircle},
    {"calendar", calendar},
    {"chart.bar.xaxis", chartBarXAxis},
    {"chart.xyaxis.line", chartXYAxisLine},
    {"checkmark.circle.fill", checkmarkCircleFill},
    {"chevron.down", chevronDown},
    {"chevron.up", chevronUp},
    {"clock", clock},
    {"clock.badge.exclamationmark", clockBadgeExclamationmark},
    {"cpu", cpu},
    {"dock.rectangle", dockRectangle},
    {"ellipsis", ellipsis},
    {"exclamationmark.triangle", exclamationmarkTriangle},
    {"gauge.with.dots.needle.33percent", gaugeNeedle33},
    {"gear", gear},
    {"info.circle", infoCircle},
    {"laptopcomputer", laptopComputer},
    {"memorychip", memoryChip},
    {"menubar.rectangle", menubarRectangle},
    {"paintpalette.fill", paintPaletteFill},
    {"power", power},
    {"rectangle.3.group", rectangle3Group},
    {"shield.lefthalf.filled", shieldLeftHalfFilled},
    {"slider.horizontal.3", sliderHorizontal3},
    {"sparkles", sparkles},
    {"sunrise", sunrise},
    {"thermometer.medium", thermometerMedium},
};

} // namespace

std::optional<QPainterPath> SymbolDrawings::outline(const QString &symbolName)
{
    // Built once per symbol and run on the GUI thread, where every view paints; views repaint often.
    static QHash<QString, QPainterPath> built;
    const auto cached = built.constFind(symbolName);
    if (cached != built.constEnd())
        return *cached;
    const auto drawing = std::find_if(std::begin(drawings), std::end(drawings), [&](const Drawing &d) {
        return symbolName == QLatin1String(d.symbolName);
    });
    if (drawing == std::end(drawings))
        return std::nullopt;
    // One outline without overlaps, whose cut-outs stay holes under the even-odd rule.
    const QPainterPath path = drawing->draw().simplified();
    built.insert(symbolName, path);
    return path;
}

QStringList SymbolDrawings::symbolNames()
{
    QStringList names;
    for (const Drawing &drawing : drawings)
        names.append(QString::fromLatin1(drawing.symbolName));
    names.sort();
    return names;
}

} // namespace pulsegrove

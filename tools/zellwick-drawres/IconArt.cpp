#include "tools/zellwick-drawres/IconArt.h"

#include "tools/zellwick-drawres/Canvas.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>

#include <cmath>
#include <numbers>
#include <utility>

namespace drawres {

namespace {

constexpr double kPi = std::numbers::pi;

// Every icon is designed on a grid of this many units and scaled to the requested size.
constexpr double kGrid = 32.0;

struct Sketch
{
    QImage image;
    QPainter painter;
    explicit Sketch(int size) : image(NewCanvas(size, size)), painter(&image)
    {
        PrepareSmooth(painter);
        painter.scale(size / kGrid, size / kGrid);
    }
};

// A heart in the unit square, point down.
QPainterPath HeartPath()
{
    QPainterPath path;
    path.moveTo(0.5, 0.27);
    path.cubicTo(0.42, 0.02, 0.0, 0.05, 0.02, 0.38);
    path.cubicTo(0.04, 0.62, 0.32, 0.76, 0.5, 0.98);
    path.cubicTo(0.68, 0.76, 0.96, 0.62, 0.98, 0.38);
    path.cubicTo(1.0, 0.05, 0.58, 0.02, 0.5, 0.27);
    path.closeSubpath();
    return path;
}

// A spade in the unit square: an upturned heart with a flared stem.
QPainterPath SpadePath()
{
    QPainterPath path = QTransform(1, 0, 0, -0.82, 0, 0.82).map(HeartPath());
    QPainterPath stem;
    stem.moveTo(0.5, 0.55);
    stem.quadTo(0.52, 0.9, 0.72, 1.0);
    stem.lineTo(0.28, 1.0);
    stem.quadTo(0.48, 0.9, 0.5, 0.55);
    stem.closeSubpath();
    return path.united(stem);
}

QPainterPath Placed(const QPainterPath& unit, const QRectF& box)
{
    return QTransform(box.width(), 0, 0, box.height(), box.x(), box.y()).map(unit);
}

QPainterPath StarPath(const QPointF& centre, double outer, double inner, int points,
                      double turn = -kPi / 2)
{
    QPainterPath path;
    for (int i = 0; i < 2 * points; ++i) {
        const double radius = i % 2 == 0 ? outer : inner;
        const double angle = turn + i * kPi / points;
        const QPointF p(centre.x() + radius * std::cos(angle),
                        centre.y() + radius * std::sin(angle));
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    return path;
}

struct Pip
{
    QPainterPath shape; // in the unit square; empty for a card seen from its back
    QColor colour;
    double shift = 0.0; // sideways, in card widths, to keep it clear of a card on top
};

void DrawCard(QPainter& painter, const QPointF& centre, double angle, const QSizeF& size,
              const QColor& face, const QColor& edge, const Pip& pip)
{
    painter.save();
    painter.translate(centre);
    painter.rotate(angle);
    const QRectF card(-size.width() / 2, -size.height() / 2, size.width(), size.height());
    painter.setBrush(edge);
    painter.drawRoundedRect(card, 2.6, 2.6);
    painter.setBrush(face);
    painter.drawRoundedRect(card.adjusted(1.4, 1.4, -1.4, -1.4), 1.6, 1.6);
    if (!pip.shape.isEmpty()) {
        const double side = size.width() * 0.62;
        const double x = pip.shift * size.width() - side / 2;
        painter.setBrush(pip.colour);
        painter.drawPath(Placed(pip.shape, QRectF(x, -side / 2, side, side * 1.05)));
    }
    painter.restore();
}

} // namespace

QImage DrawProgramIcon(int size)
{
    Sketch s(size);
    QPainter& p = s.painter;
    // Small sizes drop the side button and half the edge inserts, which would only blur.
    const bool detailed = size >= 32;
    const QPointF centre(16, 18);
    const double radius = 13.5;

    // Stopwatch crown, and at larger sizes the side button.
    p.setBrush(QColor(168, 174, 184));
    p.drawRoundedRect(QRectF(12.5, 0.5, 7, 3.5), 1.2, 1.2);
    p.drawRect(QRectF(14.5, 3.5, 3, 2.5));
    if (detailed) {
        p.save();
        p.translate(centre);
        p.rotate(45);
        p.drawRoundedRect(QRectF(-1.6, -16.2, 3.2, 3.4), 0.8, 0.8);
        p.restore();
    }

    // The chip: red body with white inserts on its edge and a dark outline.
    p.setBrush(QColor(92, 18, 24));
    p.drawEllipse(centre, radius, radius);
    QRadialGradient body(centre - QPointF(3, 4), radius * 1.2);
    body.setColorAt(0, QColor(236, 74, 64));
    body.setColorAt(1, QColor(178, 30, 36));
    p.setBrush(body);
    p.drawEllipse(centre, radius - 1.2, radius - 1.2);
    p.setBrush(QColor(250, 246, 238));
    const int inserts = detailed ? 6 : 4;
    for (int i = 0; i < inserts; ++i) {
        p.save();
        p.translate(centre);
        p.rotate(45.0 + i * 360.0 / inserts);
        p.drawRoundedRect(QRectF(-2.4, -(radius - 1.2), 4.8, 4.2), 0.8, 0.8);
        p.restore();
    }

    // The dial: two hands at large sizes, one slanted hand (a stopwatch's) at small ones.
    const double dial = detailed ? 7.0 : 7.6;
    p.setBrush(QColor(120, 24, 30));
    p.drawEllipse(centre, dial + 1.2, dial + 1.2);
    p.setBrush(QColor(250, 246, 238));
    p.drawEllipse(centre, dial, dial);
    QPen hand(QColor(61, 50, 55), detailed ? 2.0 : 2.6, Qt::SolidLine, Qt::RoundCap);
    p.setPen(hand);
    if (detailed) {
        p.drawLine(centre, centre + QPointF(0, -dial + 2.2));
        p.drawLine(centre, centre + QPointF(dial - 3.0, 0));
    } else {
        const double reach = (dial - 2.0) * std::numbers::sqrt2 / 2;
        p.drawLine(centre, centre + QPointF(reach, -reach));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(61, 50, 55));
    p.drawEllipse(centre, 1.5, 1.5);
    p.end();
    return s.image;
}

QImage DrawHandsAlarmIcon(int size)
{
    Sketch s(size);
    QPainter& p = s.painter;
    const QSizeF card(17.5, 24.0);
    DrawCard(p, QPointF(11.5, 16.0), -14, card, QColor(26, 170, 72), QColor(10, 90, 36), {});
    DrawCard(p, QPointF(20.5, 16.0), 10, card, QColor(252, 252, 250), QColor(60, 66, 72),
             {SpadePath(), QColor(34, 34, 40)});
    p.end();
    return s.image;
}

QImage DrawVppAlarmIcon(int size)
{
    Sketch s(size);
    QPainter& p = s.painter;
    const QPointF centre(16, 16);
    p.setBrush(QColor(140, 88, 0));
    p.drawEllipse(centre, 14.5, 14.5);
    QLinearGradient face(0, 2, 0, 30);
    face.setColorAt(0, QColor(255, 222, 90));
    face.setColorAt(1, QColor(240, 160, 0));
    p.setBrush(face);
    p.drawEllipse(centre, 13.0, 13.0);
    p.setBrush(QColor(206, 132, 0));
    p.drawEllipse(centre, 10.6, 10.6);
    QLinearGradient inner(0, 6, 0, 26);
    inner.setColorAt(0, QColor(255, 210, 60));
    inner.setColorAt(1, QColor(250, 180, 10));
    p.setBrush(inner);
    p.drawEllipse(centre, 9.6, 9.6);
    p.setBrush(QColor(255, 250, 225));
    p.drawPath(StarPath(centre + QPointF(0, 0.6), 8.2, 3.4, 5));
    p.end();
    return s.image;
}

QImage DrawTimeAlarmIcon(int size)
{
    Sketch s(size);
    QPainter& p = s.painter;
    const QPointF centre(16, 17.5);
    const QColor metal(218, 224, 234);
    const QColor dark(70, 74, 84);

    // Feet and bells first, so the body sits over them; each outlined so it also shows on a
    // light background.
    for (const auto& [from, to] : {std::pair{QPointF(9.5, 25.5), QPointF(6.5, 30)},
                                   std::pair{QPointF(22.5, 25.5), QPointF(25.5, 30)}}) {
        p.setPen(QPen(dark, 3.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(from, to);
        p.setPen(QPen(metal, 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(from, to);
    }
    p.setPen(Qt::NoPen);
    const QRectF leftBell(1.8, 1.8, 12.4, 12.4);
    const QRectF rightBell(17.8, 1.8, 12.4, 12.4);
    p.setBrush(dark);
    p.drawPie(leftBell, 45 * 16, 180 * 16);
    p.drawPie(rightBell, -45 * 16, 180 * 16);
    p.setBrush(metal);
    p.drawPie(leftBell.adjusted(1.2, 1.2, -1.2, -1.2), 45 * 16, 180 * 16);
    p.drawPie(rightBell.adjusted(1.2, 1.2, -1.2, -1.2), -45 * 16, 180 * 16);

    p.setBrush(dark);
    p.drawEllipse(centre, 12.6, 12.6);
    p.setBrush(metal);
    p.drawEllipse(centre, 11.4, 11.4);
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(centre, 8.8, 8.8);

    QPen hand(QColor(61, 50, 55), 2.2, Qt::SolidLine, Qt::RoundCap);
    p.setPen(hand);
    p.drawLine(centre, centre + QPointF(0, -6.2));
    p.drawLine(centre, centre + QPointF(4.4, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 40, 40));
    p.drawEllipse(centre, 1.5, 1.5);
    p.end();
    return s.image;
}

QImage DrawPlayerPicture(int size)
{
    Sketch s(size);
    QPainter& p = s.painter;
    QLinearGradient cloth(0, 16, 0, 32);
    cloth.setColorAt(0, QColor(78, 116, 170));
    cloth.setColorAt(1, QColor(46, 74, 120));
    QPainterPath shoulders;
    shoulders.moveTo(2, 31);
    shoulders.cubicTo(2, 21, 7, 18.5, 14, 18.5);
    shoulders.lineTo(18, 18.5);
    shoulders.cubicTo(25, 18.5, 30, 21, 30, 31);
    shoulders.closeSubpath();
    p.setBrush(QColor(34, 52, 86));
    p.drawPath(shoulders);
    p.setBrush(cloth);
    p.drawPath(shoulders.translated(0, 0.9).intersected(shoulders));

    QRadialGradient head(QPointF(14.5, 7.5), 8);
    head.setColorAt(0, QColor(246, 214, 184));
    head.setColorAt(1, QColor(214, 166, 130));
    p.setBrush(QColor(150, 104, 76));
    p.drawEllipse(QPointF(16, 10), 6.6, 7.2);
    p.setBrush(head);
    p.drawEllipse(QPointF(16, 10), 5.8, 6.4);
    // Short dark hair over the top of the head.
    QPainterPath hair;
    hair.moveTo(9.6, 10.5);
    hair.cubicTo(8.6, 3.2, 13.0, 2.4, 16.0, 2.6);
    hair.cubicTo(20.5, 2.4, 23.6, 4.8, 22.4, 10.5);
    hair.cubicTo(21.6, 7.6, 19.5, 6.8, 17.0, 6.4);
    hair.cubicTo(14.0, 6.2, 11.0, 7.0, 9.6, 10.5);
    hair.closeSubpath();
    p.setBrush(QColor(74, 50, 36));
    p.drawPath(hair);

    const QSizeF card(9.6, 13.0);
    DrawCard(p, QPointF(20.0, 24.4), -10, card, QColor(252, 252, 250), QColor(60, 66, 72),
             {HeartPath(), QColor(214, 40, 48), -0.16});
    DrawCard(p, QPointF(25.6, 24.4), 12, card, QColor(252, 252, 250), QColor(60, 66, 72),
             {SpadePath(), QColor(34, 34, 40)});
    p.end();
    return s.image;
}

QImage DrawAutoPicture(int size)
{
    Sketch s(size);
    QPainter& p = s.painter;
    // The wand, from the lower left to the upper right, with a white tip.
    p.save();
    p.translate(QPointF(13, 19));
    p.rotate(-45);
    p.setBrush(QColor(40, 36, 44));
    p.drawRoundedRect(QRectF(-14, -2.4, 24, 4.8), 2.0, 2.0);
    p.setBrush(QColor(76, 68, 82));
    p.drawRoundedRect(QRectF(-13, -1.4, 22, 1.6), 0.8, 0.8);
    p.setBrush(QColor(250, 250, 250));
    p.drawRoundedRect(QRectF(4.5, -2.4, 5.5, 4.8), 1.6, 1.6);
    p.restore();

    // Sparkles around the tip.
    p.setBrush(QColor(250, 176, 0));
    p.drawPath(StarPath(QPointF(24, 8), 6.8, 1.6, 4));
    p.setBrush(QColor(255, 204, 40));
    p.drawPath(StarPath(QPointF(13, 5), 4.0, 1.0, 4));
    p.drawPath(StarPath(QPointF(27.5, 19.5), 3.6, 0.9, 4));
    p.end();
    return s.image;
}

} // namespace drawres

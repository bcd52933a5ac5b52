#include "tools/zellwick-drawres/ButtonArt.h"

#include "tools/zellwick-drawres/Canvas.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace drawres {

namespace {

// The disc fills the square but for half a pixel, so its rim is antialiased inside the
// picture and the mask can take every touched pixel.
double DiscRadius(int size)
{
    return size / 2.0 - 0.5;
}

QPointF Centre(int size)
{
    return QPointF(size / 2.0, size / 2.0);
}

// An extent of about fraction * size whose margins (size - extent) / 2 are whole pixels, so
// straight glyph edges fall on pixel boundaries and stay crisp at 22 pixels.
int EvenFit(int size, double fraction)
{
    int extent = static_cast<int>(std::lround(size * fraction));
    if ((size - extent) % 2 != 0)
        ++extent;
    return extent;
}

QPainterPath PlayPath(int size)
{
    const int height = EvenFit(size, 0.44);
    const double width = std::round(height * 0.88);
    const double top = (size - height) / 2.0;
    // The triangle's weight sits left of its box; nudge it right so it looks centred.
    const double left = std::round(size / 2.0 - width * 0.42);
    QPainterPath path;
    path.moveTo(left, top);
    path.lineTo(left + width, top + height / 2.0);
    path.lineTo(left, top + height);
    path.closeSubpath();
    return path;
}

QPainterPath StopPath(int size)
{
    const int side = EvenFit(size, 0.36);
    const double origin = (size - side) / 2.0;
    QPainterPath path;
    path.addRoundedRect(QRectF(origin, origin, side, side), side * 0.12, side * 0.12);
    return path;
}

QPainterPath PausePath(int size)
{
    const int bar = std::max(2, static_cast<int>(std::lround(size * 0.125)));
    int gap = std::max(2, static_cast<int>(std::lround(size * 0.1)));
    if ((size - (2 * bar + gap)) % 2 != 0)
        ++gap;
    const int height = EvenFit(size, 0.42);
    const double left = (size - (2 * bar + gap)) / 2.0;
    const double top = (size - height) / 2.0;
    const double round = bar * 0.3;
    QPainterPath path;
    path.addRoundedRect(QRectF(left, top, bar, height), round, round);
    path.addRoundedRect(QRectF(left + bar + gap, top, bar, height), round, round);
    return path;
}

QPainterPath GlyphPath(int size, Glyph glyph)
{
    switch (glyph) {
    case Glyph::Play:
        return PlayPath(size);
    case Glyph::Stop:
        return StopPath(size);
    case Glyph::Pause:
        return PausePath(size);
    }
    return {};
}

struct Tones
{
    QColor rim;
    QColor top;
    QColor bottom;
    QColor glyph;
    int gloss; // alpha of the highlight at the top of the disc
};

Tones TonesFor(const QColor& base, Look look)
{
    switch (look) {
    case Look::Normal:
        return {Shade(base, 0.5), Shade(base, 1.18), Shade(base, 0.82), QColor(255, 255, 255), 90};
    case Look::Down:
        // Sunk in: darker, lit from below, no gloss.
        return {Shade(base, 0.42), Shade(base, 0.58), Shade(base, 0.9), QColor(255, 255, 255), 0};
    case Look::Disabled: {
        const QColor grey(118, 112, 116);
        return {Shade(grey, 0.6), Shade(grey, 1.08), Shade(grey, 0.88), QColor(176, 170, 174), 30};
    }
    }
    return {};
}

void PaintDisc(QPainter& painter, int size, const Tones& tones)
{
    const QPointF centre = Centre(size);
    const double radius = DiscRadius(size);
    const double rimWidth = std::max(1.0, size / 22.0);

    painter.setBrush(tones.rim);
    painter.drawEllipse(centre, radius, radius);

    const double inner = radius - rimWidth;
    QLinearGradient body(0, centre.y() - inner, 0, centre.y() + inner);
    body.setColorAt(0, tones.top);
    body.setColorAt(1, tones.bottom);
    painter.setBrush(body);
    painter.drawEllipse(centre, inner, inner);

    if (tones.gloss > 0) {
        // A soft light on the upper half, fading before the middle.
        QRadialGradient gloss(QPointF(centre.x(), centre.y() - inner * 0.55), inner * 0.95);
        gloss.setColorAt(0, QColor(255, 255, 255, tones.gloss));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        painter.setBrush(gloss);
        painter.drawEllipse(centre, inner, inner);
    }
}

void PaintGlyph(QPainter& painter, int size, Glyph glyph, const Tones& tones, Look look)
{
    const QPainterPath path = GlyphPath(size, glyph);
    if (look != Look::Disabled) {
        // A faint shadow below the symbol lifts it off the disc.
        painter.setBrush(QColor(0, 0, 0, look == Look::Down ? 50 : 70));
        painter.drawPath(path.translated(0, std::max(1.0, size / 30.0)));
    }
    painter.setBrush(tones.glyph);
    painter.drawPath(path);
}

} // namespace

QImage DrawButton(int size, Glyph glyph, const QColor& base, Look look)
{
    QImage image = NewCanvas(size, size);
    QPainter painter(&image);
    PrepareSmooth(painter);
    const Tones tones = TonesFor(base, look);
    PaintDisc(painter, size, tones);
    PaintGlyph(painter, size, glyph, tones, look);
    return image;
}

QImage DrawButtonMask(int size)
{
    // Coverage of the same disc the pictures use; any touched pixel belongs to the button.
    QImage coverage = NewCanvas(size, size);
    {
        QPainter painter(&coverage);
        PrepareSmooth(painter);
        painter.setBrush(Qt::black);
        painter.drawEllipse(Centre(size), DiscRadius(size), DiscRadius(size));
    }
    QImage mask(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const bool covered = qAlpha(coverage.pixel(x, y)) > 0;
            mask.setPixel(x, y, covered ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    }
    return mask;
}

} // namespace drawres

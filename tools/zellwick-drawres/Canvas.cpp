#include "tools/zellwick-drawres/Canvas.h"

#include <algorithm>
#include <cmath>

namespace drawres {

QImage NewCanvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void PrepareSmooth(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setPen(Qt::NoPen);
}

static int Clamp255(double v)
{
    return std::clamp(static_cast<int>(std::lround(v)), 0, 255);
}

QColor Mix(const QColor& a, const QColor& b, double t)
{
    return QColor(Clamp255(a.red() + (b.red() - a.red()) * t),
                  Clamp255(a.green() + (b.green() - a.green()) * t),
                  Clamp255(a.blue() + (b.blue() - a.blue()) * t),
                  Clamp255(a.alpha() + (b.alpha() - a.alpha()) * t));
}

QColor Shade(const QColor& c, double factor)
{
    if (factor >= 1.0)
        return Mix(c, QColor(255, 255, 255, c.alpha()), factor - 1.0);
    return QColor(Clamp255(c.red() * factor), Clamp255(c.green() * factor),
                  Clamp255(c.blue() * factor), c.alpha());
}

QColor WithAlpha(const QColor& c, int alpha)
{
    QColor result = c;
    result.setAlpha(alpha);
    return result;
}

QColor Grey(const QColor& c)
{
    const int y = Clamp255(0.299 * c.red() + 0.587 * c.green() + 0.114 * c.blue());
    return QColor(y, y, y, c.alpha());
}

bool SavePng(const QImage& image, const QString& file)
{
    return image.convertToFormat(QImage::Format_ARGB32).save(file, "PNG");
}

} // namespace drawres

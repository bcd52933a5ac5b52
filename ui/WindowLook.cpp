#include "ui/WindowLook.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

QColor FromColorRef(std::uint32_t colorRef)
{
    return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                  static_cast<int>((colorRef >> 16) & 0xFF));
}

QFont CellFont(const QString& face, int cellHeight, int weight)
{
    constexpr int kProbeSize = 100;
    QFont font(face);
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 100, 900)));
    font.setPixelSize(kProbeSize);
    // Qt sizes fonts by the em; the cell is taller by the face's own leading.
    const QFontMetricsF probe(font);
    const double cellPerEm = (probe.ascent() + probe.descent()) / kProbeSize;
    const double em = cellPerEm > 0 ? cellHeight / cellPerEm : cellHeight;
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(em))));
    return font;
}

QRegion RoundRectRegion(int left, int top, int right, int bottom, int ellipseWidth,
                        int ellipseHeight)
{
    QRegion region;
    if (right <= left || bottom <= top)
        return region;
    const double rx = std::min(ellipseWidth, right - left) / 2.0;
    const double ry = std::min(ellipseHeight, bottom - top) / 2.0;
    for (int y = top; y < bottom; ++y) {
        const double centre = y + 0.5;
        double dy = 0.0;
        if (centre < top + ry)
            dy = top + ry - centre;
        else if (centre > bottom - ry)
            dy = centre - (bottom - ry);
        int inset = 0;
        if (dy > 0.0 && ry > 0.0) {
            const double ratio = std::min(1.0, dy / ry);
            inset = static_cast<int>(std::lround(rx - rx * std::sqrt(1.0 - ratio * ratio)));
        }
        if (right - inset > left + inset)
            region += QRect(left + inset, y, right - left - 2 * inset, 1);
    }
    return region;
}

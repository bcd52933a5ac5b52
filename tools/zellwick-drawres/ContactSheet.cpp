#include "tools/zellwick-drawres/ContactSheet.h"

#include "tools/zellwick-drawres/Canvas.h"
#include "tools/zellwick-drawres/ResourceTable.h"

#include <algorithm>

namespace drawres {

namespace {

constexpr int kGap = 6;

struct Row
{
    std::vector<QImage> dark;
    std::vector<QImage> light;
};

std::vector<Row> Rows()
{
    std::vector<Row> rows;
    for (const SkinSet& set : SkinSets()) {
        const QImage normal = DrawButton(set.size, set.glyph, set.base, Look::Normal);
        const QImage down = DrawButton(set.size, set.glyph, set.base, Look::Down);
        const QImage disabled = DrawButton(set.size, set.glyph, set.base, Look::Disabled);
        rows.push_back(
            {{normal, down, disabled, DrawButtonMask(set.size)}, {normal, down, disabled}});
    }
    for (const PictureSpec& picture : Pictures()) {
        Row row;
        for (int size : picture.sizes) {
            if (size > 64)
                continue;
            row.dark.push_back(picture.draw(size));
            row.light.push_back(picture.draw(size));
        }
        rows.push_back(row);
    }
    return rows;
}

int Width(const std::vector<QImage>& images)
{
    int width = kGap;
    for (const QImage& image : images)
        width += image.width() + kGap;
    return width;
}

int Height(const Row& row)
{
    int height = 0;
    for (const QImage& image : row.dark)
        height = std::max(height, image.height());
    return height + kGap;
}

void PaintStrip(QPainter& painter, const std::vector<QImage>& images, int x, int y)
{
    x += kGap;
    for (const QImage& image : images) {
        painter.drawImage(x, y, image);
        x += image.width() + kGap;
    }
}

} // namespace

QImage DrawContactSheet()
{
    const std::vector<Row> rows = Rows();
    int darkWidth = 0;
    int lightWidth = 0;
    int height = kGap;
    for (const Row& row : rows) {
        darkWidth = std::max(darkWidth, Width(row.dark));
        lightWidth = std::max(lightWidth, Width(row.light));
        height += Height(row);
    }
    QImage sheet(darkWidth + lightWidth, height, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&sheet);
    painter.fillRect(0, 0, darkWidth, height, DarkBackground());
    painter.fillRect(darkWidth, 0, lightWidth, height, LightBackground());
    int y = kGap;
    for (const Row& row : rows) {
        PaintStrip(painter, row.dark, 0, y);
        PaintStrip(painter, row.light, darkWidth, y);
        y += Height(row);
    }
    painter.end();
    return sheet;
}

} // namespace drawres

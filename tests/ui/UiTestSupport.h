#pragma once

// Pictures and mouse input for widget tests on the offscreen platform. Mouse input comes as
// the window system delivers it: the pressed widget gets the moves and the release.

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

namespace zellwick::test {

inline QImage Solid(const QColor& colour, int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

// Black inside the circle that fills the square, pure white outside.
inline QImage DiscMask(int size)
{
    QImage mask(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = x - (size - 1) / 2.0;
            const double dy = y - (size - 1) / 2.0;
            mask.setPixel(x, y, dx * dx + dy * dy <= size * size / 4.0 ? 0xFF000000 : 0xFFFFFFFF);
        }
    }
    return mask;
}

inline void Mouse(QWidget* widget, QEvent::Type type, QPoint pos,
                  Qt::MouseButton button = Qt::LeftButton, Qt::MouseButtons held = Qt::LeftButton)
{
    QMouseEvent event(type, QPointF(pos), widget->mapToGlobal(QPointF(pos)), button, held, {});
    QApplication::sendEvent(widget, &event);
}
inline void Press(QWidget* widget, QPoint pos)
{
    Mouse(widget, QEvent::MouseButtonPress, pos);
}
inline void Release(QWidget* widget, QPoint pos)
{
    Mouse(widget, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}
inline void Move(QWidget* widget, QPoint pos, Qt::MouseButtons held = Qt::NoButton)
{
    Mouse(widget, QEvent::MouseMove, pos, Qt::NoButton, held);
}
inline void Click(QWidget* widget, QPoint pos)
{
    Press(widget, pos);
    Release(widget, pos);
}
inline void Enter(QWidget* widget, QPoint pos)
{
    QEnterEvent event(pos, pos, widget->mapToGlobal(QPointF(pos)));
    QApplication::sendEvent(widget, &event);
}
// What the widget shows at a point, as a grab of it renders it.
inline QColor ShownAt(QWidget* widget, QPoint pos)
{
    return widget->grab().toImage().pixelColor(pos);
}

} // namespace zellwick::test

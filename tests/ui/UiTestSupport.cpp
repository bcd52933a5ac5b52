#include "tests/ui/UiTestSupport.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>

namespace zellwick::test {

namespace {

void SendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    const QPointF local(pos);
    QMouseEvent event(type, local, widget->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

QImage Solid(const QColor& colour, int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

QImage DiscMask(int size)
{
    QImage mask(size, size, QImage::Format_RGB32);
    const double centre = (size - 1) / 2.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = x - centre;
            const double dy = y - centre;
            const bool inside = dx * dx + dy * dy <= size * size / 4.0;
            mask.setPixel(x, y, inside ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    }
    return mask;
}

void Press(QWidget* widget, QPoint pos, Qt::MouseButton button)
{
    SendMouse(widget, QEvent::MouseButtonPress, pos, button, button);
}

void Release(QWidget* widget, QPoint pos, Qt::MouseButton button)
{
    SendMouse(widget, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

void Move(QWidget* widget, QPoint pos, Qt::MouseButtons held)
{
    SendMouse(widget, QEvent::MouseMove, pos, Qt::NoButton, held);
}

void Click(QWidget* widget, QPoint pos)
{
    Press(widget, pos);
    Release(widget, pos);
}

void DoubleClick(QWidget* widget, QPoint pos)
{
    Click(widget, pos);
    SendMouse(widget, QEvent::MouseButtonDblClick, pos, Qt::LeftButton, Qt::LeftButton);
    Release(widget, pos);
}

void Enter(QWidget* widget, QPoint pos)
{
    QEnterEvent event(pos, pos, widget->mapToGlobal(QPointF(pos)));
    QApplication::sendEvent(widget, &event);
}

void Leave(QWidget* widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

QColor ShownAt(QWidget* widget, QPoint pos)
{
    return widget->grab().toImage().pixelColor(pos);
}

} // namespace zellwick::test

#pragma once

// Pictures and synthetic input for widget tests on the offscreen platform.

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QWidget>

namespace zellwick::test {

// A square picture of one opaque colour.
QImage Solid(const QColor& colour, int size);
// Black inside the circle that fills the square, pure white outside; no antialiasing.
QImage DiscMask(int size);

// Mouse input as the window system delivers it: the pressed widget keeps receiving the
// moves and the release, wherever the pointer is.
void Press(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton);
void Release(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton);
void Move(QWidget* widget, QPoint pos, Qt::MouseButtons held = Qt::NoButton);
void DoubleClick(QWidget* widget, QPoint pos);
void Click(QWidget* widget, QPoint pos);
void Enter(QWidget* widget, QPoint pos);
void Leave(QWidget* widget);

// What the widget shows at a point, as a grab of it renders it.
QColor ShownAt(QWidget* widget, QPoint pos);

} // namespace zellwick::test

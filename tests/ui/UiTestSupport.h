#pragma once

// Pictures and mouse input for widget tests on the offscreen platform.

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QWidget>

namespace zellwick::test {

QImage Solid(const QColor& colour, int size);
// Black inside the circle that fills the square, pure white outside.
QImage DiscMask(int size);

// As the window system delivers them: the pressed widget gets the moves and the release.
void Press(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton);
void Release(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton);
void Move(QWidget* widget, QPoint pos, Qt::MouseButtons held = Qt::NoButton);
void Click(QWidget* widget, QPoint pos);
// Press, release, double click, release.
void DoubleClick(QWidget* widget, QPoint pos);
void Enter(QWidget* widget, QPoint pos);
void Leave(QWidget* widget);

// What the widget shows at a point, as a grab of it renders it.
QColor ShownAt(QWidget* widget, QPoint pos);

} // namespace zellwick::test

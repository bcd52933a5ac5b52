#include "ui/CxSkinButton.h"

#include "ui/Resources.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

CxSkinButton::CxSkinButton(QWidget* parent, Kind kind) : QAbstractButton(parent), m_kind(kind)
{
    Resources::Init();
    setCheckable(kind == Kind::Toggle);
    // Move events without a pressed button are needed to notice hovering.
    setMouseTracking(true);
}

void CxSkinButton::LoadSkin(int normal, int down, int over, int disabled, int mask)
{
    const QImage normalImage = Resources::LoadBitmap(normal);
    LoadSkin(normalImage, Resources::LoadBitmap(down), Resources::LoadBitmap(over),
             disabled == 0 ? normalImage : Resources::LoadBitmap(disabled),
             Resources::LoadBitmap(mask));
}

void CxSkinButton::LoadSkin(const QImage& normal, const QImage& down, const QImage& over,
                            const QImage& disabled, const QImage& mask)
{
    m_bmpNormal = QPixmap::fromImage(normal);
    m_bmpDown = QPixmap::fromImage(down);
    m_bmpOver = QPixmap::fromImage(over);
    m_bmpDisabled = QPixmap::fromImage(disabled);
    m_bmpMask = mask;

    m_rgnShape = RegionFromMask(mask);
    if (m_rgnShape.isEmpty()) {
        // No usable mask: a plain rectangle rather than a button nobody can see or click.
        clearMask();
    } else {
        setMask(m_rgnShape);
    }
    if (!mask.isNull())
        resize(mask.size());
    else if (!normal.isNull())
        resize(normal.size());
    updateGeometry();
    update();
}

QRegion CxSkinButton::RegionFromMask(const QImage& mask)
{
    QRegion region;
    if (mask.isNull())
        return region;
    const QImage pixels = mask.convertToFormat(QImage::Format_ARGB32);
    const auto isWhite = [&pixels](int x, int y) {
        const QRgb pixel = pixels.pixel(x, y);
        return qAlpha(pixel) == 0 || (pixel & 0xFFFFFF) == 0xFFFFFF;
    };
    // Bottom row first, as the shape has always been built; the result does not depend on it.
    for (int y = pixels.height() - 1; y >= 0; --y) {
        int x = 0;
        while (x < pixels.width()) {
            if (isWhite(x, y)) {
                ++x;
                continue;
            }
            const int first = x;
            while (x < pixels.width() && !isWhite(x, y))
                ++x;
            region += QRect(first, y, x - first, 1);
        }
    }
    return region;
}

void CxSkinButton::SetTipText(const QString& text)
{
    setToolTip(text);
}

void CxSkinButton::SetTextColor(const QColor& color)
{
    m_crText = color;
    update();
}

void CxSkinButton::SetKind(Kind kind)
{
    m_kind = kind;
    // Only a toggle can be checked, so becoming plain lets go of the check.
    if (kind == Kind::Plain)
        setChecked(false);
    setCheckable(kind == Kind::Toggle);
}

QSize CxSkinButton::sizeHint() const
{
    if (!m_bmpMask.isNull())
        return m_bmpMask.size();
    if (!m_bmpNormal.isNull())
        return m_bmpNormal.size();
    return QSize(23, 23);
}

CxSkinButton::Look CxSkinButton::CurrentLook() const
{
    if (!isEnabled())
        return Look::Disabled;
    if (isDown() || isChecked())
        return Look::Down;
    if (m_bHovering && !m_bmpOver.isNull())
        return Look::Over;
    return Look::Normal;
}

const QPixmap& CxSkinButton::PictureFor(Look look) const
{
    switch (look) {
    case Look::Disabled:
        return m_bmpDisabled;
    case Look::Down:
        return m_bmpDown;
    case Look::Over:
        return m_bmpOver;
    case Look::Normal:
        break;
    }
    return m_bmpNormal;
}

void CxSkinButton::paintEvent(QPaintEvent* /*event*/)
{
    // The parent has already painted what lies under the button; a picture's transparent
    // edge blends into it, and the shape keeps everything outside the mask untouched.
    QPainter painter(this);
    const Look look = CurrentLook();
    const QPixmap& picture = PictureFor(look);
    if (picture.isNull())
        painter.fillRect(rect(), palette().color(QPalette::Button));
    else
        painter.drawPixmap(0, 0, picture);
    PaintCaption(painter, look);
}

void CxSkinButton::PaintCaption(QPainter& painter, Look look) const
{
    const QString caption = text();
    if (caption.isEmpty())
        return;
    constexpr int flags = Qt::AlignCenter | Qt::TextSingleLine;
    QRect area = rect().adjusted(2, 0, -2, 0);
    if (look == Look::Disabled) {
        // Embossed: a light copy, and the grey text one pixel up and to the left of it.
        if (isChecked())
            area.translate(1, 1);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(area, flags, caption);
        painter.setPen(palette().color(QPalette::Disabled, QPalette::ButtonText));
        painter.drawText(area.translated(-1, -1), flags, caption);
        return;
    }
    if (look == Look::Down)
        area.translate(1, 1);
    painter.setPen(m_crText.isValid() ? m_crText : palette().color(QPalette::ButtonText));
    painter.drawText(area, flags, caption);
}

bool CxSkinButton::hitButton(const QPoint& pos) const
{
    // A release counts only over the button's own shape, not over the corners it cut away.
    if (!m_rgnShape.isEmpty())
        return m_rgnShape.contains(pos);
    return rect().contains(pos);
}

void CxSkinButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        // Other buttons end here: a right click on a button is not a right click on the
        // window behind it.
        event->accept();
        return;
    }
    SetHovering(false);
    QAbstractButton::mousePressEvent(event);
}

void CxSkinButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    // A toggle's state flips here, before clicked() reaches the parent.
    QAbstractButton::mouseReleaseEvent(event);
}

void CxSkinButton::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton) {
        // While pressed, the base class shows the down look only over the button.
        QAbstractButton::mouseMoveEvent(event);
        return;
    }
    if (!m_bHovering && hitButton(event->position().toPoint()))
        SetHovering(true);
    event->accept();
}

void CxSkinButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click of a double click is a press of its own, so a toggle flips twice.
    mousePressEvent(event);
}

void CxSkinButton::enterEvent(QEnterEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        SetHovering(true);
    QAbstractButton::enterEvent(event);
}

void CxSkinButton::leaveEvent(QEvent* event)
{
    SetHovering(false);
    QAbstractButton::leaveEvent(event);
}

void CxSkinButton::contextMenuEvent(QContextMenuEvent* event)
{
    // The parent's context menu belongs to its body, not to its buttons.
    event->accept();
}

void CxSkinButton::SetHovering(bool hovering)
{
    if (m_bHovering == hovering)
        return;
    m_bHovering = hovering;
    update();
}

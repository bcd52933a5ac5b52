#pragma once

// A push button that paints itself from pictures instead of the system's look, takes the
// shape of a mask picture (the mask's non-white pixels), shows a hover picture while the mouse
// is over it, and can act as a toggle that a click leaves checked.

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QRegion>

class CxSkinButton : public QAbstractButton
{
    Q_OBJECT

public:
    enum class Kind
    {
        Plain,  // clicks only; ignores setChecked(true)
        Toggle, // each click (or the space key) inverts the checked state before clicked()
    };

    explicit CxSkinButton(QWidget* parent = nullptr, Kind kind = Kind::Plain);

    // Pictures by bitmap resource number, in the order normal, down (pressed or checked),
    // over (hovering), disabled, mask. A disabled number of 0 means the normal picture. The
    // button takes the mask's shape and size.
    void LoadSkin(int normal, int down, int over, int disabled, int mask);
    // The same with the pictures themselves. A null mask leaves the button rectangular, sized
    // like the normal picture.
    void LoadSkin(const QImage& normal, const QImage& down, const QImage& over,
                  const QImage& disabled, const QImage& mask);

    void SetTipText(const QString& text);
    void SetTextColor(const QColor& color);
    void SetKind(Kind kind);
    Kind GetKind() const { return m_kind; }
    bool IsHovering() const { return m_bHovering; }

    // The mask's shape: in each row, every maximal run of pixels that are not pure white
    // becomes a one-pixel-high rectangle. Fully transparent pixels count as white.
    static QRegion RegionFromMask(const QImage& mask);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    enum class Look
    {
        Normal,
        Down,
        Over,
        Disabled
    };

    Look CurrentLook() const;
    const QPixmap& PictureFor(Look look) const;
    void PaintCaption(QPainter& painter, Look look) const;
    void SetHovering(bool hovering);

    Kind m_kind;
    bool m_bHovering = false;
    QPixmap m_bmpNormal;
    QPixmap m_bmpDown;
    QPixmap m_bmpOver;
    QPixmap m_bmpDisabled;
    QImage m_bmpMask;
    QRegion m_rgnShape;
    QColor m_crText; // invalid: the palette's button text
};

#include "ui/SettingsControls.h"

#include "ui/DialogPrompts.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QStringList>
#include <QVBoxLayout>

#include <algorithm>

// ---- CSpinButton

CSpinButton::CSpinButton(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_btnUp = new QToolButton(this);
    m_btnDown = new QToolButton(this);
    for (QToolButton* button : {m_btnUp, m_btnDown}) {
        button->setAutoRepeat(true);
        // Like the arrows of an up-down control: the edit keeps the focus.
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(button);
    }
    m_btnUp->setArrowType(Qt::UpArrow);
    m_btnDown->setArrowType(Qt::DownArrow);
    connect(m_btnUp, &QToolButton::clicked, this, [this] { StepBy(1); });
    connect(m_btnDown, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

void CSpinButton::SetBuddy(QLineEdit* buddy)
{
    if (m_buddy)
        m_buddy->removeEventFilter(this);
    m_buddy = buddy;
    if (!m_buddy)
        return;
    m_buddy->installEventFilter(this);
    // Remember the last good number, to step from when the edit holds none.
    const auto remember = [this](const QString& text) {
        bool ok = false;
        const int number = text.toInt(&ok);
        if (ok && number >= m_nLower && number <= m_nUpper)
            m_nPos = number;
    };
    remember(m_buddy->text());
    connect(m_buddy, &QLineEdit::textChanged, this, remember);
}

void CSpinButton::SetRange(int lower, int upper)
{
    m_nLower = std::min(lower, upper);
    m_nUpper = std::max(lower, upper);
    m_nPos = std::clamp(m_nPos, m_nLower, m_nUpper);
}

void CSpinButton::StepBy(int steps)
{
    if (!m_buddy)
        return;
    bool ok = false;
    const qlonglong typed = m_buddy->text().toLongLong(&ok);
    // A number in the edit counts even outside the range: 0 and up gives the lower bound.
    const qlonglong from = ok ? typed : m_nPos;
    m_nPos = static_cast<int>(std::clamp<qlonglong>(from + steps, m_nLower, m_nUpper));
    m_buddy->setText(QString::number(m_nPos));
}

bool CSpinButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_buddy && event->type() == QEvent::KeyPress && isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            StepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- CBrowseEdit

CBrowseEdit::CBrowseEdit(DialogPrompts& prompts, QWidget* parent)
    : QWidget(parent), m_prompts(prompts)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    m_edit = new QLineEdit(this);
    m_btnBrowse = new QToolButton(this);
    m_btnBrowse->setText(QStringLiteral("..."));
    m_btnBrowse->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_btnBrowse);
    setFocusProxy(m_edit);
    connect(m_btnBrowse, &QToolButton::clicked, this, [this] { OnBrowse(); });
}

void CBrowseEdit::EnableFolderBrowse()
{
    m_bFolder = true;
    m_strFilter.clear();
}

void CBrowseEdit::EnableFileBrowse(const QString& filter)
{
    m_bFolder = false;
    m_strFilter = filter;
}

QString CBrowseEdit::text() const
{
    return m_edit->text();
}

void CBrowseEdit::setText(const QString& text)
{
    m_edit->setText(text);
}

void CBrowseEdit::OnBrowse()
{
    const std::optional<QString> chosen =
        m_bFolder ? m_prompts.PickFolder(window(), m_edit->text())
                  : m_prompts.PickOpenFile(window(), m_edit->text(), m_strFilter);
    if (chosen)
        m_edit->setText(*chosen);
}

QString QtFileFilter(const QString& windowsFilter)
{
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QString patterns = parts[i + 1].trimmed();
        if (description.isEmpty() || patterns.isEmpty())
            continue;
        // Windows shows the description as written; Qt reads the patterns from the
        // parentheses, so a pattern list already in the description is not repeated.
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open > 0 && description.endsWith(QLatin1Char(')')))
            description = description.left(open).trimmed();
        filters << QStringLiteral("%1 (%2)").arg(
            description, QString(patterns).replace(QLatin1Char(';'), QLatin1Char(' ')));
    }
    return filters.join(QStringLiteral(";;"));
}

// ---- CColorPopup

namespace {

QPixmap Swatch(const QColor& color, QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(color);
    QPainter painter(&pixmap);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(0, 0, size.width() - 1, size.height() - 1);
    return pixmap;
}

QToolButton* MakeTextButton(const QString& text, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setAutoRaise(true);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

} // namespace

CColorPopup::CColorPopup(const std::vector<QColor>& palette, int columns, QWidget* parent)
    : QFrame(parent, Qt::Popup)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(2);

    m_btnDefault = MakeTextButton(QStringLiteral("Default"), this);
    layout->addWidget(m_btnDefault);
    connect(m_btnDefault, &QToolButton::clicked, this, [this] {
        close();
        emit defaultChosen();
    });

    auto* grid = new QGridLayout;
    grid->setSpacing(1);
    columns = std::max(columns, 1);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        auto* button = new QToolButton(this);
        const QColor color = palette[i];
        button->setIcon(Swatch(color, QSize(14, 14)));
        button->setIconSize(QSize(14, 14));
        button->setAutoRaise(true);
        button->setToolTip(color.name());
        grid->addWidget(button, static_cast<int>(i) / columns, static_cast<int>(i) % columns);
        connect(button, &QToolButton::clicked, this, [this, color] {
            close();
            emit paletteChosen(color);
        });
        m_paletteButtons.push_back(button);
    }
    layout->addLayout(grid);

    m_btnOther = MakeTextButton(QStringLiteral("Other..."), this);
    layout->addWidget(m_btnOther);
    connect(m_btnOther, &QToolButton::clicked, this, [this] {
        close();
        emit otherChosen();
    });
}

// ---- CColorButton

CColorButton::CColorButton(DialogPrompts& prompts, QWidget* parent)
    : QToolButton(parent), m_prompts(prompts)
{
    setText(QStringLiteral("Color"));
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    connect(this, &QToolButton::clicked, this, [this] { ShowPopup(); });
    UpdateSwatch();
}

void CColorButton::SetColor(const QColor& color)
{
    m_color = color;
    UpdateSwatch();
}

void CColorButton::ShowPopup()
{
    if (m_popup)
        m_popup->close();
    m_popup = new CColorPopup(Palette(), m_nColumns, this);
    connect(m_popup, &CColorPopup::defaultChosen, this, [this] { Choose(m_defaultColor, true); });
    connect(m_popup, &CColorPopup::paletteChosen, this,
            [this](const QColor& color) { Choose(color, false); });
    connect(m_popup, &CColorPopup::otherChosen, this, [this] { ChooseOther(); });
    m_popup->move(mapToGlobal(QPoint(0, height())));
    m_popup->show();
}

const std::vector<QColor>& CColorButton::Palette()
{
    // Four rows of five: greys, reds to yellows, greens to blues, the rest.
    // clang-format off
    static const std::vector<QColor> palette = {
        QColor(0, 0, 0),     QColor(64, 64, 64),  QColor(128, 128, 128), QColor(192, 192, 192), QColor(255, 255, 255),
        QColor(128, 0, 0),   QColor(255, 0, 0),   QColor(255, 128, 0),   QColor(255, 255, 0),   QColor(128, 128, 0),
        QColor(0, 128, 0),   QColor(0, 255, 0),   QColor(0, 128, 128),   QColor(0, 255, 255),   QColor(0, 0, 128),
        QColor(0, 0, 255),   QColor(128, 0, 128), QColor(255, 0, 255),   QColor(128, 64, 0),    QColor(255, 128, 192),
    };
    // clang-format on
    return palette;
}

void CColorButton::Choose(const QColor& color, bool isDefault)
{
    SetColor(color);
    emit colorChosen(color, isDefault);
}

void CColorButton::ChooseOther()
{
    if (const std::optional<QColor> chosen = m_prompts.PickColor(window(), m_color))
        Choose(*chosen, false);
}

void CColorButton::UpdateSwatch()
{
    const int side = std::max(8, fontMetrics().height() - 2);
    setIconSize(QSize(side, side));
    setIcon(Swatch(m_color.isValid() ? m_color : QColor(Qt::transparent), QSize(side, side)));
}

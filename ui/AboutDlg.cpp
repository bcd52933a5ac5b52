#include "ui/AboutDlg.h"

#include "ui/Resources.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace {

constexpr int kIconSize = 48;

} // namespace

CAboutDlg::CAboutDlg(const QString& version, const QString& buildDate, const QString& logPath,
                     QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Zellwick"));

    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap::fromImage(Resources::LoadIconImage(128, kIconSize)));
    icon->setAlignment(Qt::AlignTop);

    auto* text = new QVBoxLayout;
    QLabel* name = AddLine(QStringLiteral("Zellwick ") + version);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    text->addWidget(name);
    text->addWidget(AddLine(buildDate));
    text->addWidget(AddLine(QStringLiteral("Counts the hands you play and the player points "
                                           "(VPP) they earn, while you play.")));
    text->addWidget(AddLine(logPath.isEmpty() ? QStringLiteral("No log could be written.")
                                              : QStringLiteral("Log: ") + logPath));

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addLayout(text, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QLabel* CAboutDlg::AddLine(const QString& text)
{
    auto* line = new QLabel(text, this);
    line->setWordWrap(true);
    line->setMinimumWidth(260);
    m_lines.push_back(line);
    return line;
}

QStringList CAboutDlg::Lines() const
{
    QStringList lines;
    for (const QLabel* line : m_lines)
        lines.push_back(line->text());
    return lines;
}

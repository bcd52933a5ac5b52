#include "ui/DialogPrompts.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace {

// Message boxes carry the program's name, as the framework's do.
const QString kTitle = QStringLiteral("Zellwick");

} // namespace

void QtDialogPrompts::Message(QWidget* parent, const QString& text, Icon icon)
{
    if (icon == Icon::Warning)
        QMessageBox::warning(parent, kTitle, text);
    else
        QMessageBox::information(parent, kTitle, text);
}

bool QtDialogPrompts::Question(QWidget* parent, const QString& text)
{
    return QMessageBox::question(parent, kTitle, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

std::optional<QString> QtDialogPrompts::PickFolder(QWidget* parent, const QString& start)
{
    const QString folder = QFileDialog::getExistingDirectory(parent, QString(), start);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

std::optional<QString> QtDialogPrompts::PickOpenFile(QWidget* parent, const QString& start,
                                                     const QString& filter)
{
    const QString file = QFileDialog::getOpenFileName(parent, QString(), start, filter);
    if (file.isEmpty())
        return std::nullopt;
    return file;
}

std::optional<QColor> QtDialogPrompts::PickColor(QWidget* parent, const QColor& initial)
{
    const QColor colour = QColorDialog::getColor(initial, parent);
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

QtDialogPrompts& QtDialogPrompts::Instance()
{
    static QtDialogPrompts prompts;
    return prompts;
}

#pragma once

// The small questions a dialog asks through other windows: a message to acknowledge, a folder,
// a file to open, a colour. The program answers them with Qt's own dialogs; tests pass an
// implementation that records the messages and answers from a script, so no real modal
// window opens in a test.

#include <QColor>
#include <QString>

#include <optional>

class QWidget;

class DialogPrompts
{
public:
    enum class Icon
    {
        Information,
        Warning,
    };

    virtual ~DialogPrompts() = default;

    // A message with an OK button; returns when the user has read it.
    virtual void Message(QWidget* parent, const QString& text, Icon icon) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool Question(QWidget* parent, const QString& text) = 0;
    // A folder chosen, starting at start; nothing when the user cancelled.
    virtual std::optional<QString> PickFolder(QWidget* parent, const QString& start) = 0;
    // An existing file chosen with a Qt name filter ("Wave Files (*.wav)"), starting at start.
    virtual std::optional<QString> PickOpenFile(QWidget* parent, const QString& start,
                                                const QString& filter) = 0;
    // A colour chosen in the full colour dialog, starting at initial.
    virtual std::optional<QColor> PickColor(QWidget* parent, const QColor& initial) = 0;
};

// The real dialogs.
class QtDialogPrompts final : public DialogPrompts
{
public:
    void Message(QWidget* parent, const QString& text, Icon icon) override;
    bool Question(QWidget* parent, const QString& text) override;
    std::optional<QString> PickFolder(QWidget* parent, const QString& start) override;
    std::optional<QString> PickOpenFile(QWidget* parent, const QString& start,
                                        const QString& filter) override;
    std::optional<QColor> PickColor(QWidget* parent, const QColor& initial) override;

    // The program's one instance.
    static QtDialogPrompts& Instance();
};

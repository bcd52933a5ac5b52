#pragma once

// Controls of the settings dialog that Qt has no direct counterpart for: up-down arrows that
// step the number in an edit, an edit with a browse button, and a colour button with a small
// palette popup.

#include <QColor>
#include <QFrame>
#include <QPointer>
#include <QString>
#include <QToolButton>
#include <QWidget>

#include <vector>

class DialogPrompts;
class QLineEdit;

// Two arrows beside a number edit (its buddy). Each step reads the buddy's number, moves it by
// one within the range and writes it back; Up and Down in the buddy do the same. A buddy
// holding no number in range starts from the last number the arrows wrote.
class CSpinButton : public QWidget
{
    Q_OBJECT

public:
    explicit CSpinButton(QWidget* parent = nullptr);

    void SetBuddy(QLineEdit* buddy);
    void SetRange(int lower, int upper);
    int Lower() const { return m_nLower; }
    int Upper() const { return m_nUpper; }
    void StepBy(int steps);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_buddy = nullptr;
    QToolButton* m_btnUp = nullptr;
    QToolButton* m_btnDown = nullptr;
    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nPos = 0;
};

// An edit with a "..." button that browses for a folder or for a file to open and puts the
// choice into the edit. Disabling the control disables both.
class CBrowseEdit : public QWidget
{
    Q_OBJECT

public:
    CBrowseEdit(DialogPrompts& prompts, QWidget* parent = nullptr);

    void EnableFolderBrowse();
    // filter in Qt's form, e.g. "Wave Files (*.wav)".
    void EnableFileBrowse(const QString& filter);

    QLineEdit* Edit() const { return m_edit; }
    QToolButton* BrowseButton() const { return m_btnBrowse; }
    QString text() const;
    void setText(const QString& text);

private:
    void OnBrowse();

    DialogPrompts& m_prompts;
    QLineEdit* m_edit = nullptr;
    QToolButton* m_btnBrowse = nullptr;
    bool m_bFolder = true;
    QString m_strFilter;
};

// A file-dialog filter in the Windows form "Wave Files(*.wav)|*.wav||" in Qt's form
// "Wave Files (*.wav)"; several pairs are joined with ";;".
QString QtFileFilter(const QString& windowsFilter);

// The popup of a colour button: "Default" at the top, the palette in rows of a given number
// of columns, "Other..." at the bottom. It closes when a choice is made or on a click outside.
class CColorPopup : public QFrame
{
    Q_OBJECT

public:
    CColorPopup(const std::vector<QColor>& palette, int columns, QWidget* parent);

    QToolButton* DefaultButton() const { return m_btnDefault; }
    QToolButton* OtherButton() const { return m_btnOther; }
    const std::vector<QToolButton*>& PaletteButtons() const { return m_paletteButtons; }

signals:
    void defaultChosen();
    void paletteChosen(const QColor& color);
    void otherChosen();

private:
    QToolButton* m_btnDefault = nullptr;
    QToolButton* m_btnOther = nullptr;
    std::vector<QToolButton*> m_paletteButtons;
};

// A button captioned "Color" showing its colour; a click opens the popup above.
class CColorButton : public QToolButton
{
    Q_OBJECT

public:
    CColorButton(DialogPrompts& prompts, QWidget* parent = nullptr);

    void SetColor(const QColor& color);
    QColor GetColor() const { return m_color; }
    void SetDefaultColor(const QColor& color) { m_defaultColor = color; }
    QColor GetDefaultColor() const { return m_defaultColor; }
    void SetColumnsNumber(int columns) { m_nColumns = columns; }

    // The popup while it is open, or null.
    CColorPopup* Popup() const { return m_popup.data(); }
    void ShowPopup();

    // The colours the palette offers.
    static const std::vector<QColor>& Palette();

signals:
    // The user chose a colour; isDefault when it was the "Default" entry.
    void colorChosen(const QColor& color, bool isDefault);

private:
    void Choose(const QColor& color, bool isDefault);
    void ChooseOther();
    void UpdateSwatch();

    DialogPrompts& m_prompts;
    QColor m_color;
    QColor m_defaultColor;
    int m_nColumns = 5;
    QPointer<CColorPopup> m_popup;
};

#pragma once

// Stand-ins for the windows' tests: a Wine prefix of their own with the poker client's
// user.ini, answers to the windows' questions, a sound player that remembers, and WAV files.

#include "tests/support/TestSupport.h"
#include "ui/DialogPrompts.h"
#include "ui/SoundPlayer.h"

#include <QColor>
#include <QString>

class CDlgSettings;
class QLineEdit;

#include <deque>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Readable failures for Qt text.
void PrintTo(const QString& text, std::ostream* out);

namespace zellwick::test {

// A temporary Wine prefix that WINEPREFIX points to while it lives. dosdevices holds c: (to
// drive_c) and d: (to DriveD()).
class TempWinePrefix
{
public:
    TempWinePrefix();
    ~TempWinePrefix();
    TempWinePrefix(const TempWinePrefix&) = delete;
    TempWinePrefix& operator=(const TempWinePrefix&) = delete;

    const std::filesystem::path& Prefix() const { return m_prefix; }
    std::filesystem::path DriveC() const { return m_prefix / "drive_c"; }
    const std::filesystem::path& DriveD() const { return m_driveD; }
    // Writes the client's user.ini where it keeps it for the login name.
    void WriteUserIni(const std::string& text) const;

private:
    TempDir m_dir;
    std::filesystem::path m_prefix;
    std::filesystem::path m_driveD;
    std::optional<std::string> m_oldValue;
};

// A user.ini as the client writes it: the player's name (none when empty) and the hands folder
// in [Options], in [PipeOption] and before any section (none when empty).
std::string ClientIni(const std::string& name, const std::string& options,
                      const std::string& pipeOption = "", const std::string& noSection = "");

std::wstring Wide(const std::filesystem::path& path);

// A playable WAV file: 16-bit mono PCM at 44.1 kHz, with frames of silence.
std::string WaveBytes(int frames = 441);

// The settings dialog's text field with that number, and typing into it as the keyboard does.
QLineEdit* EditOf(const CDlgSettings& dialog, int id);
void Type(const CDlgSettings& dialog, int id, const QString& text);

class FakePrompts final : public DialogPrompts
{
public:
    void Message(QWidget* parent, const QString& text, Icon icon) override;
    bool Question(QWidget* parent, const QString& text) override;
    std::optional<QString> PickFolder(QWidget* parent, const QString& start) override;
    std::optional<QString> PickOpenFile(QWidget* parent, const QString& start,
                                        const QString& filter) override;
    std::optional<QColor> PickColor(QWidget* parent, const QColor& initial) override;

    std::vector<QString> messages;
    std::vector<Icon> icons;
    std::vector<QString> questions;
    // Answers, used in order. No answer left: Yes, and cancelled for the pickers.
    std::deque<bool> answers;
    std::deque<QString> folders;
    std::deque<QString> files;
    std::deque<QColor> colours;
    // What the last picker was asked.
    QString lastStart;
    QString lastFilter;
    QColor lastInitialColour;
};

class FakeSoundPlayer final : public SoundPlayer
{
public:
    void PlayFile(const QString& path) override { played.push_back(path); }
    void PlayResource(int id) override { played.push_back(QStringLiteral("#%1").arg(id)); }

    // Files as their paths, built-in sounds as "#<number>".
    std::vector<QString> played;
};

} // namespace zellwick::test

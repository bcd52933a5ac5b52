#pragma once

// Stand-ins for the settings dialog's tests: a Wine prefix of their own with the poker
// client's user.ini, answers to the dialog's questions, and a sound player that remembers.

#include "tests/support/TestSupport.h"
#include "ui/DialogPrompts.h"
#include "ui/SoundPlayer.h"

#include <QColor>
#include <QString>

#include <deque>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Readable failures for Qt text.
void PrintTo(const QString& text, std::ostream* out);

namespace zellwick::test {

// A temporary Wine prefix that WINEPREFIX points to while the object lives; the variable's
// old value comes back afterwards. dosdevices holds c: (to drive_c) and d: (to a folder of
// its own, DriveD()).
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
    // Where the client keeps user.ini for the login name.
    std::filesystem::path UserIni() const;
    void WriteUserIni(const std::string& text) const;

private:
    TempDir m_dir;
    std::filesystem::path m_prefix;
    std::filesystem::path m_driveD;
    std::optional<std::string> m_oldValue;
};

// A user.ini as the client writes it, with the player's name (none when empty) and the
// hands folder under the sections given.
class ClientIni
{
public:
    ClientIni& Name(std::string name);
    ClientIni& NoSection(std::string folder);  // SaveMyHandsPath before any section header
    ClientIni& Options(std::string folder);    // ... in [Options]
    ClientIni& PipeOption(std::string folder); // ... in [PipeOption]
    std::string Text() const;

private:
    std::string m_name = "Hero";
    std::string m_noSection;
    std::string m_options;
    std::string m_pipeOption;
};

// The UTF-8 path as the program's wide text, and back.
std::wstring Wide(const std::filesystem::path& path);

class FakePrompts final : public DialogPrompts
{
public:
    struct Shown
    {
        QString text;
        Icon icon;
    };

    void Message(QWidget* parent, const QString& text, Icon icon) override;
    bool Question(QWidget* parent, const QString& text) override;
    std::optional<QString> PickFolder(QWidget* parent, const QString& start) override;
    std::optional<QString> PickOpenFile(QWidget* parent, const QString& start,
                                        const QString& filter) override;
    std::optional<QColor> PickColor(QWidget* parent, const QColor& initial) override;

    std::vector<Shown> messages;
    std::vector<QString> questions;
    std::deque<bool> answers; // an empty queue answers Yes
    // Answers, used in order; an empty queue answers "cancelled".
    std::deque<QString> folders;
    std::deque<QString> files;
    std::deque<QColor> colours;
    // What the file dialog was asked.
    QString lastFilter;
    QString lastStart;
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

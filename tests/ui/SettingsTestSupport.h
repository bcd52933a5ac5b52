#pragma once

// Stand-ins for the windows' tests: a Wine prefix of their own with the poker client's
// user.ini, answers to the windows' questions, a sound player that remembers, WAV files.

#include "app/WideText.h"
#include "tests/support/TestSupport.h"
#include "ui/AutoDetect.h"
#include "ui/DialogPrompts.h"
#include "ui/DlgSettings.h"
#include "ui/SettingsControls.h"
#include "ui/SoundPlayer.h"

#include <QLineEdit>
#include <QString>
#include <QTest>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace zellwick::test {

namespace fs = std::filesystem;

// A temporary Wine prefix that WINEPREFIX points to while it lives; dosdevices holds c: (to
// drive_c) and d: (to DriveD()), as wineboot makes them.
class TempWinePrefix
{
public:
    TempWinePrefix()
    {
        if (const char* old = std::getenv("WINEPREFIX"))
            m_oldValue = old;
        fs::create_directories(DriveC() / "users");
        fs::create_directories(DriveD());
        fs::create_directories(m_prefix / "dosdevices");
        fs::create_directory_symlink("../drive_c", m_prefix / "dosdevices" / "c:");
        fs::create_directory_symlink(DriveD(), m_prefix / "dosdevices" / "d:");
        ::setenv("WINEPREFIX", m_prefix.c_str(), 1);
    }
    ~TempWinePrefix()
    {
        if (m_oldValue)
            ::setenv("WINEPREFIX", m_oldValue->c_str(), 1);
        else
            ::unsetenv("WINEPREFIX");
    }
    const fs::path& Prefix() const { return m_prefix; }
    fs::path DriveC() const { return m_prefix / "drive_c"; }
    fs::path DriveD() const { return m_dir / "drive-d"; }
    // Where the client keeps it for the login name.
    void WriteUserIni(const std::string& text) const
    {
        WriteFile(DriveC() / "users" / ToNativePath(LoginName()) /
                      "AppData/Local/PokerStars/user.ini",
                  text);
    }

private:
    TempDir m_dir;
    fs::path m_prefix = m_dir / "wineprefix";
    std::optional<std::string> m_oldValue;
};

// A user.ini as the client writes it: the player's name (none when empty) and the hands folder
// in [Options], [PipeOption] and before any section (none when empty).
inline std::string ClientIni(const std::string& name, const std::string& options,
                             const std::string& pipeOption = "", const std::string& noSection = "")
{
    // Windows line ends, blanks, quotes and neighbours, as the client leaves the file.
    const auto key = [](const char* form, const std::string& value) {
        return value.empty() ? std::string() : form + value + "\r\n";
    };
    return "Version=7\r\n" + key("SaveMyHandsPath=", noSection) + "[User]\r\nLastLogin=1\r\n" +
           key("Name=", name) + "\r\n[Options]\r\n" + key("SaveMyHandsPath = ", options) +
           "\r\n[PipeOption]\r\n" +
           key("SaveMyHandsPath=\"", pipeOption.empty() ? "" : pipeOption + "\"") +
           "\r\n[Lobby]\r\nSaveMyHandsPath=Z:\\never\\read\r\n";
}

inline std::wstring Wide(const fs::path& path)
{
    return FromUtf8(path.native());
}

// A playable WAV file: 16-bit mono PCM at 44.1 kHz, with frames of silence.
inline std::string WaveBytes(int frames = 441)
{
    const auto le = [](std::uint32_t value, int width) {
        std::string bytes;
        for (int i = 0; i < width; ++i)
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
        return bytes;
    };
    const std::uint32_t data = static_cast<std::uint32_t>(frames) * 2;
    return "RIFF" + le(36 + data, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(44100, 4) +
           le(88200, 4) + le(2, 2) + le(16, 2) + "data" + le(data, 4) + std::string(data, '\0');
}

// The settings dialog's text field with that number, and typing into it as the keyboard does.
inline QLineEdit* EditOf(const CDlgSettings& dialog, int id)
{
    QWidget* control = dialog.GetDlgItem(id);
    if (auto* browse = qobject_cast<CBrowseEdit*>(control))
        return browse->Edit();
    return qobject_cast<QLineEdit*>(control);
}

inline void Type(const CDlgSettings& dialog, int id, const QString& text)
{
    QLineEdit* edit = EditOf(dialog, id);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    edit->home(false);
    QTest::keyClicks(edit, text);
}

class FakePrompts final : public DialogPrompts
{
public:
    void Message(QWidget*, const QString& text, Icon icon) override
    {
        messages.push_back(text);
        icons.push_back(icon);
    }
    bool Question(QWidget*, const QString& text) override
    {
        questions.push_back(text);
        return Next(answers).value_or(true);
    }
    std::optional<QString> PickFolder(QWidget*, const QString&) override { return Next(folders); }
    std::optional<QString> PickOpenFile(QWidget*, const QString& start,
                                        const QString& filter) override
    {
        lastStart = start;
        lastFilter = filter;
        return Next(files);
    }
    std::optional<QColor> PickColor(QWidget*, const QColor& initial) override
    {
        lastInitialColour = initial;
        return Next(colours);
    }

    std::vector<QString> messages;
    std::vector<Icon> icons;
    std::vector<QString> questions;
    // Answers in order; none left: Yes, and cancelled for the pickers.
    std::deque<bool> answers;
    std::deque<QString> folders, files;
    std::deque<QColor> colours;
    QString lastStart, lastFilter;
    QColor lastInitialColour;

private:
    template <typename T>
    static std::optional<T> Next(std::deque<T>& queue)
    {
        if (queue.empty())
            return std::nullopt;
        T answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

// Files as their paths, built-in sounds as "#<number>".
class FakeSoundPlayer final : public SoundPlayer
{
public:
    void PlayFile(const QString& path) override { played.push_back(path); }
    void PlayResource(int id) override { played.push_back(QStringLiteral("#%1").arg(id)); }
    std::vector<QString> played;
};

} // namespace zellwick::test

#include "tests/ui/SettingsTestSupport.h"

#include "app/WideText.h"
#include "ui/AutoDetect.h"
#include "ui/DlgSettings.h"
#include "ui/SettingsControls.h"

#include <QLineEdit>
#include <QTest>

#include <cstdlib>

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace zellwick::test {

namespace fs = std::filesystem;

TempWinePrefix::TempWinePrefix() : m_prefix(m_dir / "wineprefix"), m_driveD(m_dir / "drive-d")
{
    if (const char* old = std::getenv("WINEPREFIX"))
        m_oldValue = old;
    fs::create_directories(m_prefix / "dosdevices");
    fs::create_directories(DriveC() / "users");
    fs::create_directories(m_driveD);
    // As wineboot makes them: c: relative into the prefix, other drives anywhere.
    fs::create_directory_symlink("../drive_c", m_prefix / "dosdevices" / "c:");
    fs::create_directory_symlink(m_driveD, m_prefix / "dosdevices" / "d:");
    ::setenv("WINEPREFIX", m_prefix.c_str(), 1);
}

TempWinePrefix::~TempWinePrefix()
{
    if (m_oldValue)
        ::setenv("WINEPREFIX", m_oldValue->c_str(), 1);
    else
        ::unsetenv("WINEPREFIX");
}

void TempWinePrefix::WriteUserIni(const std::string& text) const
{
    WriteFile(DriveC() / "users" / ToNativePath(LoginName()) / "AppData" / "Local" / "PokerStars" /
                  "user.ini",
              text);
}

std::string ClientIni(const std::string& name, const std::string& options,
                      const std::string& pipeOption, const std::string& noSection)
{
    // Windows line ends, blanks, quotes and neighbours, as the client leaves the file.
    std::string text = "Version=7\r\n";
    if (!noSection.empty())
        text += "SaveMyHandsPath=" + noSection + "\r\n";
    text += "[User]\r\nLastLogin=1714900000\r\n";
    if (!name.empty())
        text += "Name=" + name + "\r\n";
    text += "\r\n[Options]\r\nSound=1\r\n";
    if (!options.empty())
        text += "SaveMyHandsPath = " + options + "\r\n";
    text += "\r\n[PipeOption]\r\n";
    if (!pipeOption.empty())
        text += "SaveMyHandsPath=\"" + pipeOption + "\"\r\n";
    return text + "\r\n[Lobby]\r\nSaveMyHandsPath=Z:\\never\\read\r\n";
}

std::wstring Wide(const fs::path& path)
{
    return FromUtf8(path.native());
}

std::string WaveBytes(int frames)
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

QLineEdit* EditOf(const CDlgSettings& dialog, int id)
{
    QWidget* control = dialog.GetDlgItem(id);
    if (auto* browse = qobject_cast<CBrowseEdit*>(control))
        return browse->Edit();
    return qobject_cast<QLineEdit*>(control);
}

void Type(const CDlgSettings& dialog, int id, const QString& text)
{
    QLineEdit* edit = EditOf(dialog, id);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    edit->home(false);
    QTest::keyClicks(edit, text);
}

void FakePrompts::Message(QWidget*, const QString& text, Icon icon)
{
    messages.push_back(text);
    icons.push_back(icon);
}

namespace {

template <typename T>
std::optional<T> Next(std::deque<T>& answers)
{
    if (answers.empty())
        return std::nullopt;
    T answer = answers.front();
    answers.pop_front();
    return answer;
}

} // namespace

bool FakePrompts::Question(QWidget*, const QString& text)
{
    questions.push_back(text);
    return Next(answers).value_or(true);
}

std::optional<QString> FakePrompts::PickFolder(QWidget*, const QString& start)
{
    lastStart = start;
    return Next(folders);
}

std::optional<QString> FakePrompts::PickOpenFile(QWidget*, const QString& start,
                                                 const QString& filter)
{
    lastStart = start;
    lastFilter = filter;
    return Next(files);
}

std::optional<QColor> FakePrompts::PickColor(QWidget*, const QColor& initial)
{
    lastInitialColour = initial;
    return Next(colours);
}

} // namespace zellwick::test

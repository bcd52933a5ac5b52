#include "tests/ui/SettingsTestSupport.h"

#include "app/WideText.h"
#include "ui/AutoDetect.h"

#include <cstdlib>
#include <utility>

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

fs::path TempWinePrefix::UserIni() const
{
    return DriveC() / "users" / ToNativePath(LoginName()) / "AppData" / "Local" / "PokerStars" /
           "user.ini";
}

void TempWinePrefix::WriteUserIni(const std::string& text) const
{
    WriteFile(UserIni(), text);
}

ClientIni& ClientIni::Name(std::string name)
{
    m_name = std::move(name);
    return *this;
}

ClientIni& ClientIni::NoSection(std::string folder)
{
    m_noSection = std::move(folder);
    return *this;
}

ClientIni& ClientIni::Options(std::string folder)
{
    m_options = std::move(folder);
    return *this;
}

ClientIni& ClientIni::PipeOption(std::string folder)
{
    m_pipeOption = std::move(folder);
    return *this;
}

std::string ClientIni::Text() const
{
    // Windows line ends and a few neighbours, as the client leaves the file.
    std::string text = "Version=7\r\n";
    if (!m_noSection.empty())
        text += "SaveMyHandsPath=" + m_noSection + "\r\n";
    text += "[User]\r\nLastLogin=1714900000\r\n";
    if (!m_name.empty())
        text += "Name=" + m_name + "\r\n";
    text += "SavePassword=0\r\n\r\n[Options]\r\nSound=1\r\n";
    if (!m_options.empty())
        text += "SaveMyHandsPath = " + m_options + "\r\n";
    text += "SaveMyHands=1\r\n\r\n[PipeOption]\r\nTableLayout=2\r\n";
    if (!m_pipeOption.empty())
        text += "SaveMyHandsPath=\"" + m_pipeOption + "\"\r\n";
    text += "\r\n[Lobby]\r\nSaveMyHandsPath=Z:\\never\\read\r\n";
    return text;
}

std::wstring Wide(const fs::path& path)
{
    return FromUtf8(path.native());
}

void FakePrompts::Message(QWidget*, const QString& text, Icon icon)
{
    messages.push_back({text, icon});
}

bool FakePrompts::Question(QWidget*, const QString& text)
{
    questions.push_back(text);
    if (answers.empty())
        return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<QString> FakePrompts::PickFolder(QWidget*, const QString& start)
{
    lastStart = start;
    if (folders.empty())
        return std::nullopt;
    QString answer = folders.front();
    folders.pop_front();
    return answer;
}

std::optional<QString> FakePrompts::PickOpenFile(QWidget*, const QString& start,
                                                 const QString& filter)
{
    lastStart = start;
    lastFilter = filter;
    if (files.empty())
        return std::nullopt;
    QString answer = files.front();
    files.pop_front();
    return answer;
}

std::optional<QColor> FakePrompts::PickColor(QWidget*, const QColor& initial)
{
    lastInitialColour = initial;
    if (colours.empty())
        return std::nullopt;
    QColor answer = colours.front();
    colours.pop_front();
    return answer;
}

} // namespace zellwick::test

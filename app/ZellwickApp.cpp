#include "app/ZellwickApp.h"

#include "app/DesktopSession.h"
#include "app/Executable.h"
#include "app/WideText.h"
#include "corvask/corvask.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <sys/stat.h>
#include <utility>

#ifndef ZELLWICK_INSTALL_BINDIR
#define ZELLWICK_INSTALL_BINDIR ""
#endif

namespace {

std::wstring ExecutableFolder()
{
    std::array<wchar_t, 520> scratch{}; // the library may use it; its contents are not ours
    return GetExecDir(scratch.data());
}

// The installed program's folder is the system's (/usr/bin): not even root's log belongs
// there, where removing the package would leave it behind.
std::wstring ProgramLogFolder()
{
    const std::wstring folder = ExecutableFolder();
    return folder == FromUtf8(ZELLWICK_INSTALL_BINDIR) ? std::wstring() : folder;
}

// Made with the owner's access only, as a per-user state folder should be.
void MakeFolders(const std::wstring& folder)
{
    const std::string path = ToNativePath(folder).native();
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return;
        if (slash == std::string::npos)
            return;
    }
}

} // namespace

CZellwickApp::CZellwickApp() : CZellwickApp(ProgramLogFolder(), ExecutableBaseName(), StateFolder())
{}

CZellwickApp::CZellwickApp(std::wstring logFolder, std::wstring appName)
    : CZellwickApp(std::move(logFolder), std::move(appName), std::wstring())
{}

CZellwickApp::CZellwickApp(std::wstring logFolder, std::wstring appName,
                           std::wstring fallbackFolder)
    : m_strBuildDate(L"Version build data:  " + BuildDateFromCompilerDate(__DATE__)),
      m_strAppName(std::move(appName))
{
    if (OpenLog(logFolder) || fallbackFolder.empty())
        return;
    MakeFolders(fallbackFolder);
    OpenLog(fallbackFolder);
}

CZellwickApp::~CZellwickApp()
{
    if (m_logFile)
        std::fclose(m_logFile);
}

bool CZellwickApp::OpenLog(const std::wstring& folder)
{
    // Without a folder there is no place for the log; "/Zellwick.log" would be the root's.
    if (folder.empty())
        return false;
    const std::wstring logPath = folder + L"/" + kLogFileName;
    const std::string path = ToNativePath(logPath).native();
    struct stat info
    {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        TrimLogFile(logPath, kLogKeepBytes, kLogTrimAbove);
    // Append mode: every write goes to the end, also when a second instance writes too.
    m_logFile = std::fopen(path.c_str(), "ae");
    m_bLogOpen = m_logFile != nullptr;
    if (m_bLogOpen)
        m_strLogPath = logPath;
    return m_bLogOpen;
}

void CZellwickApp::WriteUtf8(const std::wstring& text)
{
    const std::string bytes = ToUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), m_logFile);
}

void CZellwickApp::WriteLog(const std::wstring& text)
{
    if (!m_bLogOpen)
        return;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    std::array<char, 128> stamp{};
    std::size_t length = 0;
    if (::localtime_r(&now, &local))
        length = std::strftime(stamp.data(), stamp.size(), "%d.%m.%Y  %H:%M:%S  ", &local);
    std::fwrite(stamp.data(), 1, length, m_logFile);
    WriteUtf8(text);
    std::fputc('\n', m_logFile);
    std::fflush(m_logFile);
}

void CZellwickApp::WriteRaw(const std::wstring& text)
{
    if (!m_bLogOpen)
        return;
    WriteUtf8(text);
}

std::wstring CZellwickApp::BuildDateFromCompilerDate(const char* date)
{
    // The compiler writes "Mmm dd yyyy", the day padded with a blank.
    static constexpr const char* kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
    if (!date || std::strlen(date) != 11)
        return {};
    int month = 0;
    for (int i = 0; i < 12; ++i) {
        if (std::strncmp(kMonths + 3 * i, date, 3) == 0)
            month = i + 1;
    }
    const char tens = date[4] == ' ' ? '0' : date[4];
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (month == 0 || !digit(tens) || !digit(date[5]) || !std::all_of(date + 7, date + 11, digit))
        return {};
    const std::wstring day{static_cast<wchar_t>(tens), static_cast<wchar_t>(date[5])};
    const std::wstring year = FromUtf8(std::string_view(date + 7, 4));
    return day + FormatW(L".%02d.", month) + year;
}

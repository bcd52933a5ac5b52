#include "ui/StartUp.h"

#include "app/Executable.h"
#include "app/WideText.h"
#include "app/ZellwickApp.h"
#include "corvask/corvask.h"
#include "ui/Clock.h"

#include <array>
#include <cstdio>
#include <ctime>

namespace {

constexpr std::size_t kMaxPathLength = 260;

std::wstring LocalTimeText(std::time_t when)
{
    std::tm local{};
    std::array<char, 128> text{};
    std::size_t length = 0;
    if (::localtime_r(&when, &local))
        length = std::strftime(text.data(), text.size(), "%d.%m.%Y  %H:%M:%S", &local);
    return FromUtf8(std::string_view(text.data(), length));
}

void WriteLogHeader(CZellwickApp& app, const Clock& clock)
{
    app.WriteRaw(LocalTimeText(clock.Now()) + L"\n");
    app.WriteRaw(ExecutablePath().substr(0, kMaxPathLength) + L"\n");
    app.WriteLog(FormatW(L"\n%ls\nVersion number %ls\n", app.m_strBuildDate.c_str(),
                         app.m_strVersion.c_str()));
    OSInfoLog(*app.m_logFile);
    CPUInfoLog(*app.m_logFile);
    std::fflush(app.m_logFile);
}

} // namespace

bool InitInstance(CZellwickApp& app, const Clock& clock, const std::function<void()>& runWindow)
{
    app.WriteLog(L"\n================================");
    app.WriteLog(L"Zellwick start");
    // Common controls and the framework's own start-up have no counterpart here.
    app.WriteLog(L"Zellwick InitInstance()");
    // The settings' owner is fixed in the application object (CZellwickApp::kCompanyName);
    // there is no shell manager and no taskbar id to set on this platform.
    app.WriteLog(L"Zellwick SetAppID");
    if (app.m_bLogOpen)
        WriteLogHeader(app, clock);
    app.LoadSettings();
    runWindow();
    return false;
}

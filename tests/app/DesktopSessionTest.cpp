#include "app/DesktopSession.h"
#include "app/ZellwickApp.h"
#include "tests/app/AppTestSupport.h"
#include "tests/corvask/OtherUser.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zellwick::test;

static void SetEnv(const char* name, const char* value)
{
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
}

TEST(DesktopSessionTest, LogGoesToTheStateFolderWhenTheProgramFolderIsReadOnly)
{
    const TempDir dir;
    const fs::path program = dir / "bin";
    const fs::path state = dir / "state";
    fs::create_directories(program);
    fs::create_directories(state);
    ASSERT_EQ(::chown(state.c_str(), 65534, 65534), 0);
    ::setenv("XDG_STATE_HOME", state.c_str(), 1);
    const int opened = RunAsOtherUser([&] {
        CZellwickApp app(program.wstring(), L"DesktopSessionTest", StateFolder());
        app.WriteLog(L"Zellwick start");
        return app.m_strLogPath == (state / "Zellwick/Zellwick.log").wstring() ? 1 : 0;
    });
    if (opened < 0)
        GTEST_SKIP() << "cannot run a check as user 65534 here";
    EXPECT_EQ(opened, 1) << "the About box names where the log is";
    EXPECT_EQ(LogTexts(state / "Zellwick/Zellwick.log"),
              std::vector<std::string>{"Zellwick start"});
    EXPECT_FALSE(fs::exists(program / "Zellwick.log"));
    EXPECT_EQ(fs::status(state / "Zellwick").permissions(), fs::perms::owner_all)
        << "the state folder is the user's own";

    // A program folder that can be written keeps the log, as before.
    const CZellwickApp beside(program.wstring(), L"DesktopSessionTest", (dir / "other").wstring());
    EXPECT_EQ(beside.m_strLogPath, (program / "Zellwick.log").wstring());
    EXPECT_FALSE(fs::exists(dir / "other"));

    ::unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(StateFolder(), fs::path(std::getenv("HOME")).wstring() + L"/.local/state/Zellwick");
}

TEST(DesktopSessionTest, X11IsChosenInAWaylandSessionWithAnXServerUnlessTheUserChose)
{
    struct Case
    {
        const char *wayland, *session, *display, *platform, *argument, *expected;
    } const cases[] = {
        {"wayland-0", nullptr, ":0", nullptr, nullptr, "xcb;wayland"},
        {nullptr, "wayland", ":0", "", nullptr, "xcb;wayland"},
        {"wayland-0", "wayland", nullptr, nullptr, nullptr, nullptr}, // no XWayland
        {nullptr, "x11", ":0", nullptr, nullptr, nullptr},
        {"wayland-0", "wayland", ":0", "wayland", nullptr, "wayland"},
        {"wayland-0", "wayland", ":0", nullptr, "-platform", nullptr},
    };
    const std::string saved = std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "";
    for (const Case& c : cases) {
        SetEnv("WAYLAND_DISPLAY", c.wayland);
        SetEnv("XDG_SESSION_TYPE", c.session);
        SetEnv("DISPLAY", c.display);
        SetEnv("QT_QPA_PLATFORM", c.platform);
        const char* argv[] = {"Zellwick", c.argument ? c.argument : "", "wayland"};
        const std::wstring note = PreferX11UnderWayland(c.argument ? 3 : 1, argv);
        const char* now = std::getenv("QT_QPA_PLATFORM");
        const std::string expected = c.expected ? c.expected : "-";
        EXPECT_EQ(std::string(now ? now : "-"), expected);
        EXPECT_EQ(note.empty(), expected != "xcb;wayland") << "one log line says so";
    }
    ::setenv("QT_QPA_PLATFORM", saved.c_str(), 1);
}

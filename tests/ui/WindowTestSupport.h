#pragma once

// The timer window under test: a clock moved by hand, a sound player that records, message
// boxes that record, the application object with its log and settings in the test's own
// folders, and hands to write.

#include "app/ZellwickApp.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/SettingsTestSupport.h"
#include "ui/Clock.h"
#include "ui/SoundPlayer.h"
#include "ui/ZellwickDlg.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QString>
#include <QTimer>

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zellwick::test {

class FakeClock final : public Clock
{
public:
    std::time_t Now() const override { return m_now; }
    void Advance(std::time_t seconds) { m_now += seconds; }

    std::time_t m_now = 1'700'000'000;
};

// What the window asked to play, in order: "resource:156" or "file:/path".
class RecordingSoundPlayer final : public SoundPlayer
{
public:
    void PlayFile(const QString& path) override
    {
        m_played.push_back("file:" + path.toStdString());
    }
    void PlayResource(int id) override { m_played.push_back("resource:" + std::to_string(id)); }

    std::vector<std::string> m_played;
};

// One whole cash hand at $0.01/$0.02 in which "Hero" earns 0.30 VPP, as the client writes it
// (ending with the blank lines between hands).
std::string HandText(long long handNumber);

// Log lines with their time stamps taken off.
std::vector<std::string> LogLines(const std::filesystem::path& logFile);
// Index of the first line equal to text at or after from, or -1.
int FindLine(const std::vector<std::string>& lines, const std::string& text, int from = 0);

// Runs action on the modal dialog of type T as soon as one is open, from inside the event loop
// of the call that opened it; returns at once. Fails the test if none opens within the
// deadline.
template <typename T>
void WhenModalOpens(std::function<void(T&)> action)
{
    auto* poll = new QTimer;
    const QDeadlineTimer deadline(10'000);
    QObject::connect(poll, &QTimer::timeout, [poll, deadline, action = std::move(action)] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog && !deadline.hasExpired())
            return;
        poll->stop();
        poll->deleteLater();
        if (dialog)
            action(*dialog);
        else
            ADD_FAILURE() << "no " << T::staticMetaObject.className() << " opened";
    });
    poll->start(0);
}

// A window test: the application object is ready with a nickname ("Hero") and an existing,
// empty history folder, as the settings would leave it; MakeWindow() opens the window.
class WindowTest : public ::testing::Test
{
protected:
    enum class Prepare
    {
        Nothing,          // the application object as constructed
        NicknameAndFolder // settings loaded from an empty store, then a nickname and a folder
    };
    explicit WindowTest(Prepare prepare = Prepare::NicknameAndFolder);
    ~WindowTest() override;

    CZellwickDlg& MakeWindow(ScreenScale scale = ScreenScale());
    // Moves the clock on and delivers the play timer's event, as five seconds of play do.
    void Tick(std::time_t seconds);
    QString Text(int id) const;
    QWidget* Item(int id) const { return m_dlg->GetDlgItem(id); }
    void Click(int id);
    std::wstring SettingsName() const { return m_app->m_strAppName; }

    TempDir m_logDir;
    TempDir m_history;
    FakeClock m_clock;
    RecordingSoundPlayer m_sound;
    FakePrompts m_prompts;
    // What the window is told of the desktop.
    Translucency m_translucency = Translucency::Supported;
    std::unique_ptr<CZellwickApp> m_app;
    std::unique_ptr<CZellwickDlg> m_dlg;
};

} // namespace zellwick::test

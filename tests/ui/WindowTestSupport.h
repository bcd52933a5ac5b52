#pragma once

// The timer window under test: a clock moved by hand, a sound player and message boxes that
// record, the application object with its log and settings in the test's own folders.

#include "app/ZellwickApp.h"
#include "tests/ui/SettingsTestSupport.h"
#include "ui/Clock.h"
#include "ui/DlgSettings.h"
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
    std::time_t m_now = 1'700'000'000;
};

// Runs action on the modal dialog of type T as soon as one is open, from inside the event loop
// of the call that opened it; returns at once.
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

// The application object as the settings leave it: loaded from an empty store, with the
// nickname "Hero" and an existing, empty history folder. MakeWindow() opens the window.
class WindowTest : public ::testing::Test
{
protected:
    using Dlg = CZellwickDlg;
    WindowTest();
    ~WindowTest() override;

    CZellwickDlg& MakeWindow(ScreenScale scale = ScreenScale());
    // Moves the clock on and delivers the play timer's event.
    void Tick(std::time_t seconds);
    // The totals as the history handler leaves them, then an update.
    void Show(std::int32_t hands, double vpp);
    QString Text(int id) const;
    QWidget* Item(int id) const { return m_dlg->GetDlgItem(id); }
    void Click(int id);
    QColor TextColour(int id) const;
    // The log's lines without their time stamps.
    std::vector<std::string> Log() const;
    bool Logged(const std::string& line) const;
    // The settings from the window's menu: edit runs in the open dialog, then OK or Cancel.
    void Settings(const std::function<void(CDlgSettings&)>& edit, bool ok = true);

    TempDir m_logDir;
    TempDir m_history;
    FakeClock m_clock;
    FakeSoundPlayer m_sound;
    FakePrompts m_prompts;
    Translucency m_translucency = Translucency::Supported;
    std::unique_ptr<CZellwickApp> m_app;
    std::unique_ptr<CZellwickDlg> m_dlg;
};

} // namespace zellwick::test

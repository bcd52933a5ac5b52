#pragma once

// The timer window under test: a clock moved by hand, a sound player and message boxes that
// record, the application object with its log and settings in the test's own folders.

#include "app/ZellwickApp.h"
#include "tests/ui/SettingsTestSupport.h"
#include "ui/Clock.h"
#include "ui/DlgSettings.h"
#include "ui/ZellwickDlg.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

namespace zellwick::test {

class FakeClock final : public Clock
{
public:
    std::time_t Now() const override { return m_now; }
    std::time_t m_now = 1'700'000'000;
};

// Runs action on the modal dialog of type T once it is open, inside the loop that runs it.
template <typename T>
void WhenModalOpens(std::function<void(T&)> action)
{
    QTimer::singleShot(0, [action = std::move(action)] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget()))
            action(*dialog);
        else
            ADD_FAILURE() << "no " << T::staticMetaObject.className() << " opened";
    });
}

// The application object as the settings leave it: loaded from an empty store, with the
// nickname "Hero" and an existing, empty history folder. MakeWindow() opens the window.
class WindowTest : public ::testing::Test
{
protected:
    using Dlg = CZellwickDlg;

    WindowTest() : m_app(std::make_unique<CZellwickApp>(m_logDir.wpath(), SettingsName()))
    {
        // The offscreen platform cannot shape a window or make it translucent, and says so
        // every time; the widget keeps what was asked all the same.
        static const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
                if (text.startsWith(QLatin1String("This plugin does not support ")))
                    return;
                if (previous)
                    previous(type, context, text);
                else
                    std::fprintf(stderr, "%s\n", qPrintable(text));
            });
        m_app->LoadSettings();
        m_app->m_strNickname = L"Hero";
        m_app->m_strHistoryPath = m_history.wpath();
    }

    static std::wstring SettingsName()
    {
        return L"ZellwickTest_" +
               Wide(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void MakeWindow(ScreenScale scale = ScreenScale())
    {
        m_dlg.reset();
        m_dlg = std::make_unique<Dlg>(*m_app, m_clock, m_sound, scale, m_prompts, m_translucency);
        m_dlg->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_dlg.get()));
    }
    // Moves the clock on and delivers the play timer's event.
    void Tick(std::time_t seconds)
    {
        m_clock.m_now += seconds;
        m_dlg->OnTimer(m_dlg->PlayTimerId());
    }
    // The totals as the history handler leaves them, then an update.
    void Show(std::int32_t hands, double vpp)
    {
        m_app->m_nHandCount = hands;
        m_app->m_dVpp = vpp;
        Tick(5);
    }
    QWidget* Item(int id) const { return m_dlg->GetDlgItem(id); }
    QString Text(int id) const { return qobject_cast<QLabel*>(Item(id))->text(); }
    QColor TextColour(int id) const { return Item(id)->palette().color(QPalette::WindowText); }
    void Click(int id)
    {
        ASSERT_TRUE(Item(id)->isVisible()) << "control " << id << " is hidden";
        QTest::mouseClick(Item(id), Qt::LeftButton, {}, Item(id)->rect().center());
    }
    // The log's lines without their time stamps.
    std::vector<std::string> Log() const
    {
        static const std::regex stamp(R"(^\d\d\.\d\d\.\d{4}  \d\d:\d\d:\d\d  )");
        std::vector<std::string> lines;
        std::istringstream text(ReadFile(m_logDir / "Zellwick.log"));
        for (std::string line; std::getline(text, line);)
            lines.push_back(std::regex_replace(line, stamp, ""));
        return lines;
    }
    bool Logged(const std::string& line) const
    {
        const auto lines = Log();
        return std::count(lines.begin(), lines.end(), line) > 0;
    }
    // The settings from the window's menu: edit runs in the open dialog, then OK or Cancel.
    void Settings(const std::function<void(CDlgSettings&)>& edit, bool ok = true)
    {
        WhenModalOpens<CDlgSettings>([edit, ok](CDlgSettings& dialog) {
            edit(dialog);
            QTest::mouseClick(dialog.GetDlgItem(ok ? CDlgSettings::IDOK : CDlgSettings::IDCANCEL),
                              Qt::LeftButton);
            if (dialog.isVisible()) {
                ADD_FAILURE() << "the settings dialog refused its entries";
                dialog.reject();
            }
        });
        m_dlg->ContextMenu()->actions().at(0)->trigger();
    }

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

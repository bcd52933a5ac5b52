#include "tests/ui/WindowTestSupport.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include <mutex>
#include <regex>
#include <sstream>

namespace zellwick::test {

namespace {

QtMessageHandler g_previousHandler = nullptr;

// The offscreen platform cannot shape a window, fix its size or make it translucent, and
// says so every time; the widget still keeps what was asked, where the tests read it.
void DropPlatformWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (!text.startsWith(QLatin1String("This plugin does not support ")))
        g_previousHandler(type, context, text);
}

std::wstring SettingsNameOfThisTest()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("ZellwickTest_") + info->test_suite_name() + "_" + info->name();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return std::wstring(name.begin(), name.end());
}

} // namespace

WindowTest::WindowTest()
    : m_app(std::make_unique<CZellwickApp>(m_logDir.wpath(), SettingsNameOfThisTest()))
{
    static std::once_flag once;
    std::call_once(once, [] { g_previousHandler = qInstallMessageHandler(DropPlatformWarnings); });
    m_app->LoadSettings();
    m_app->m_strNickname = L"Hero";
    m_app->m_strHistoryPath = m_history.wpath();
}

WindowTest::~WindowTest() = default;

CZellwickDlg& WindowTest::MakeWindow(ScreenScale scale)
{
    m_dlg.reset();
    m_dlg =
        std::make_unique<CZellwickDlg>(*m_app, m_clock, m_sound, scale, m_prompts, m_translucency);
    m_dlg->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(m_dlg.get()));
    return *m_dlg;
}

void WindowTest::Tick(std::time_t seconds)
{
    m_clock.m_now += seconds;
    m_dlg->OnTimer(m_dlg->PlayTimerId());
}

void WindowTest::Show(std::int32_t hands, double vpp)
{
    m_app->m_nHandCount = hands;
    m_app->m_dVpp = vpp;
    Tick(5);
}

QString WindowTest::Text(int id) const
{
    const auto* label = qobject_cast<const QLabel*>(Item(id));
    return label ? label->text() : QStringLiteral("<no label %1>").arg(id);
}

void WindowTest::Click(int id)
{
    QWidget* button = Item(id);
    ASSERT_TRUE(button->isVisible()) << "control " << id << " is hidden";
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

QColor WindowTest::TextColour(int id) const
{
    return Item(id)->palette().color(QPalette::WindowText);
}

std::vector<std::string> WindowTest::Log() const
{
    static const std::regex stamp(R"(^\d\d\.\d\d\.\d{4}  \d\d:\d\d:\d\d  )");
    std::vector<std::string> lines;
    std::istringstream text(ReadFile(m_logDir / "Zellwick.log"));
    for (std::string line; std::getline(text, line);)
        lines.push_back(std::regex_replace(line, stamp, ""));
    return lines;
}

bool WindowTest::Logged(const std::string& line) const
{
    const auto lines = Log();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

void WindowTest::Settings(const std::function<void(CDlgSettings&)>& edit, bool ok)
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

} // namespace zellwick::test

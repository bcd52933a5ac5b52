#include "tests/ui/WindowTestSupport.h"

#include "tests/support/SampleHand.h"

#include <QLabel>
#include <QTest>

#include <cstdio>
#include <mutex>
#include <regex>
#include <sstream>

namespace zellwick::test {

std::string HandText(long long handNumber)
{
    return SampleCashHand(handNumber);
}

std::vector<std::string> LogLines(const std::filesystem::path& logFile)
{
    static const std::regex stamp(R"(^\d\d\.\d\d\.\d{4}  \d\d:\d\d:\d\d  )");
    std::vector<std::string> lines;
    std::istringstream text(ReadFile(logFile));
    for (std::string line; std::getline(text, line);)
        lines.push_back(std::regex_replace(line, stamp, ""));
    return lines;
}

int FindLine(const std::vector<std::string>& lines, const std::string& text, int from)
{
    for (int i = std::max(from, 0); i < static_cast<int>(lines.size()); ++i) {
        if (lines[i] == text)
            return i;
    }
    return -1;
}

namespace {

QtMessageHandler g_previousHandler = nullptr;

// The offscreen platform cannot shape a window, fix its size, make it translucent or raise it,
// and says so every time; the widget still keeps what was asked, where the tests read it.
void DropMaskWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support ")))
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

void QuietMaskWarnings()
{
    static std::once_flag once;
    std::call_once(once, [] { g_previousHandler = qInstallMessageHandler(DropMaskWarnings); });
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

WindowTest::WindowTest(Prepare prepare)
    : m_app(std::make_unique<CZellwickApp>(m_logDir.wpath(), SettingsNameOfThisTest()))
{
    QuietMaskWarnings();
    if (prepare == Prepare::Nothing)
        return;
    // The defaults of an empty store, then what a user with a history folder has set.
    m_app->LoadSettings();
    m_app->m_strNickname = L"Hero";
    m_app->m_strHistoryPath = m_history.wpath();
}

WindowTest::~WindowTest()
{
    m_dlg.reset();
}

CZellwickDlg& WindowTest::MakeWindow(ScreenScale scale)
{
    m_dlg =
        std::make_unique<CZellwickDlg>(*m_app, m_clock, m_sound, scale, m_prompts, m_translucency);
    m_dlg->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(m_dlg.get()));
    return *m_dlg;
}

void WindowTest::Tick(std::time_t seconds)
{
    m_clock.Advance(seconds);
    m_dlg->OnTimer(m_dlg->PlayTimerId());
}

QString WindowTest::Text(int id) const
{
    const auto* label = qobject_cast<const QLabel*>(Item(id));
    return label ? label->text() : QStringLiteral("<no label %1>").arg(id);
}

void WindowTest::Click(int id)
{
    QWidget* button = Item(id);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isVisible()) << "control " << id << " is hidden";
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

} // namespace zellwick::test

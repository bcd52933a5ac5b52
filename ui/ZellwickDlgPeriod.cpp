// The play period: Start, Pause, Stop, the scan of the history folder at Start and the display
// update of the play timer.

#include "ui/ZellwickDlg.h"

#include "app/SessionsFile.h"
#include "app/WideText.h"
#include "app/ZellwickApp.h"
#include "ui/Clock.h"
#include "ui/CxSkinButton.h"
#include "ui/DialogPrompts.h"
#include "ui/SessionsDlg.h"
#include "ui/WindowLook.h"

#include <QFileInfo>
#include <QLabel>
#include <QTimerEvent>

#include <algorithm>
#include <cstdlib>
#include <mutex>

void CZellwickDlg::OnStart()
{
    m_mapFileOffsets.clear();
    m_app.m_nHandCount = 0;
    m_app.m_nVppCents = 0;
    m_app.m_dVpp = 0.0;

    m_app.WriteLog(L"Nickname = " + m_app.m_strNickname);
    m_app.WriteLog(L"Path = " + m_app.m_strHistoryPath);

    StopWatchingHistoryFolder();
    m_strPeriodFolder = m_app.m_strHistoryPath;
    // The period runs all the same: the time counts, and the watch is tried again at every
    // display update.
    StartWatch(true);

    m_stTime->hide();
    m_stHands->hide();
    EndPlayPeriod();
    m_btnStart->hide();

    m_strTime = QStringLiteral("00:00");
    m_nHands = 0;
    m_app.m_bHandsAlarmRung = 0;
    m_strVpp = QStringLiteral("0.00");

    m_timeStart = m_clock.Now();
    m_period = SessionRecord{};
    m_period.start = LocalTime::At(m_timeStart);
    m_period.nickname = ToUtf8(m_app.m_strNickname);
    m_period.historyFolder = ToUtf8(m_strPeriodFolder);
    m_nPlayTimer = startTimer(kPlayTimerPeriodMs);

    m_bRunning = true;
    m_bPaused = false;
    m_app.m_bVppAlarmRung = 0;
    m_app.m_bTimeAlarmRung = 0;

    m_stTime->show();
    m_stHands->show();
    m_btnStart->hide();
    m_btnStop->show();
    m_btnStop->setChecked(false);
    m_btnPause->show();
    RefreshReadouts();
    ShowCountingProblem();
}

bool CZellwickDlg::StartWatch(bool bAtStart)
{
    // At Start the watch comes before the scan, so that a file made in that moment is read
    // from its start; a retry finds a folder whose every file is new (RetryWatch).
    const std::uint32_t error = bAtStart
                                    ? m_handler.Follow(m_watcher, m_strPeriodFolder, m_clock.Now())
                                    : m_watcher.WatchDirectory(m_strPeriodFolder, &m_handler);
    if (error == 0) {
        m_strWatchedPath = m_strPeriodFolder;
        m_strWatchProblem.clear();
        return true;
    }
    const std::wstring reason = CDirectoryChangeWatcher::ErrorText(error);
    if (bAtStart)
        m_app.WriteLog(L"Failed to start watch:\n" + reason);
    const QString folder = QString::fromStdWString(m_strPeriodFolder);
    if (!QFileInfo::exists(folder)) {
        m_strWatchProblem = QStringLiteral("History folder not found: %1").arg(folder);
    } else {
        m_strWatchProblem = QStringLiteral("Cannot watch the history folder %1: %2")
                                .arg(folder, QString::fromStdWString(reason).simplified());
    }
    return false;
}

// The folder may come into being after Start: the client makes it with the first hand. What
// it holds by then was all written during the period, so it is read from its start. Watched
// first, then listed: a file made in between is both reported and listed, and the handler
// knows it for the file it already reads.
void CZellwickDlg::RetryWatch()
{
    if (!StartWatch(false))
        return;
    m_app.WriteLog(L"Watch started: " + m_strPeriodFolder);
    FileOffsetMap present;
    ::ScanHistoryFolder(m_strPeriodFolder, present, m_clock.Now());
    for (const auto& entry : present) {
        m_handler.OnFileAdded(entry.first);
        m_handler.OnFileModified(entry.first);
    }
}

void CZellwickDlg::ShowCountingProblem()
{
    QString problem = m_strWatchProblem;
    if (problem.isEmpty() && m_bRunning)
        problem = QString::fromStdWString(m_handler.CountingProblem());
    setToolTip(problem);
    m_bCountingWarning = !problem.isEmpty();
    QFont font = m_stHands->font();
    if (font.strikeOut() != m_bCountingWarning) {
        font.setStrikeOut(m_bCountingWarning);
        m_stHands->setFont(font);
    }
    ApplyTextColours();
}

void CZellwickDlg::OnPause()
{
    // The button keeps its own checked state: a click toggles it before this runs.
    if (m_bPaused)
        m_timeStart += m_clock.Now() - m_timePauseBegin;
    m_bPaused = !m_bPaused;
    if (m_bPaused)
        m_timePauseBegin = m_clock.Now();
    ApplyTextColours();
    RefreshReadouts();
}

void CZellwickDlg::OnStop()
{
    StopWatchingHistoryFolder();
    std::wstring problem;
    if (KeepPeriod(&problem) && m_dlgSessions)
        m_dlgSessions->Reload();
    // The player is at the window: a session that is not on the disk must not pass unnoticed.
    if (!problem.empty())
        m_prompts.Message(this, QString::fromStdWString(problem), DialogPrompts::Icon::Warning);

    m_stTime->hide();
    m_stHands->hide();
    EndPlayPeriod();
    m_btnStart->hide();

    // One hour digit, as the window first shows it. The hand total and the offsets stay until
    // the next Start resets them.
    m_strTime = QStringLiteral("0:00");
    m_nHands = 0;
    m_strVpp = QStringLiteral("0.00");
    m_app.m_nVppCents = 0;
    m_app.m_dVpp = 0.0;

    m_stTime->show();
    m_stHands->show();
    m_btnStop->hide();
    m_btnPause->hide();
    // A period stopped while paused would otherwise leave Pause drawn pressed, inverted for
    // the next period.
    m_btnPause->setChecked(false);
    m_bPaused = false;
    m_strWatchProblem.clear();
    ShowCountingProblem();
    m_btnStart->show();
    RefreshReadouts();
}

void CZellwickDlg::StopWatchingHistoryFolder()
{
    // The folder the watch was started on: the settings may have named another one since,
    // and a watch left running would go on counting into the next period.
    const std::wstring folder =
        m_strWatchedPath.empty() ? m_app.m_strHistoryPath : m_strWatchedPath;
    m_strWatchedPath.clear();
    bool watching = false;
    {
        const std::lock_guard<std::recursive_mutex> lock(m_watcher.Lock());
        watching = m_watcher.IsWatching(folder);
    }
    if (watching)
        m_watcher.UnwatchDirectory(folder);
}

bool CZellwickDlg::IsWatchingFolder(const std::wstring& folder)
{
    const std::lock_guard<std::recursive_mutex> lock(m_watcher.Lock());
    return m_watcher.IsWatching(folder);
}

void CZellwickDlg::EndPlayPeriod()
{
    KillPlayTimer();
    m_bRunning = false;
    m_bPaused = false;
    m_btnStart->setEnabled(true);
    m_btnStart->setChecked(false);
    RefreshReadouts();
}

void CZellwickDlg::KillPlayTimer()
{
    if (m_nPlayTimer != 0)
        killTimer(m_nPlayTimer);
    m_nPlayTimer = 0;
}

bool CZellwickDlg::KeepPeriod(std::wstring* problem)
{
    if (!m_bRunning)
        return false;
    const std::time_t now = m_clock.Now();
    m_period.end = LocalTime::At(now);
    // A clock set back during the period must not make a record no reader would take.
    m_period.playSeconds =
        std::max<std::int64_t>(0, (m_bPaused ? m_timePauseBegin : now) - m_timeStart);
    m_period.hands = m_app.m_nHandCount;
    m_period.vppCents = m_app.m_nVppCents;
    if (!m_period.IsWorthKeeping())
        return false;
    const std::filesystem::path file = SessionsFile();
    std::string error;
    if (!AppendSession(file, m_period, error)) {
        const std::wstring text =
            L"Cannot keep the session in " + FromUtf8(file.string()) + L": " + FromUtf8(error);
        m_app.WriteLog(text);
        if (problem)
            *problem = text;
        return false;
    }
    m_app.WriteLog(FormatW(L"Session kept: %lld hands, %lld.%02lld VPP, %s played",
                           static_cast<long long>(m_period.hands),
                           static_cast<long long>(m_period.vppCents / 100),
                           static_cast<long long>(m_period.vppCents % 100),
                           PlayTimeText(m_period.playSeconds).c_str()));
    return true;
}

CZellwickDlg* CZellwickDlg::s_windowKeptAtExit = nullptr;

void CZellwickDlg::KeepPeriodAtExit(CZellwickDlg* window)
{
    [[maybe_unused]] static const bool registered = std::atexit(&OnProgramExit) == 0;
    s_windowKeptAtExit = window;
}

void CZellwickDlg::OnProgramExit()
{
    if (s_windowKeptAtExit)
        s_windowKeptAtExit->EndAtExit();
}

void CZellwickDlg::EndAtExit()
{
    if (!m_bRunning)
        return;
    // The watch may still deliver; the totals are what the window thread counted so far.
    m_app.WriteLog(L"Ending without the window closing");
    KeepPeriod();
    m_bRunning = false;
}

void CZellwickDlg::done(int result)
{
    // However the window closes, a running period is kept; its last changes are read first.
    if (m_bRunning) {
        StopWatchingHistoryFolder();
        KeepPeriod();
    }
    EndPlayPeriod();
    QDialog::done(result);
}

void CZellwickDlg::timerEvent(QTimerEvent* event)
{
    if (!m_bPaused && event->timerId() == m_nPlayTimer && m_nPlayTimer != 0)
        OnTimer(event->timerId());
    else
        QDialog::timerEvent(event);
}

void CZellwickDlg::OnTimer(int nIDEvent)
{
    // While paused the timer runs on, but the readouts freeze and no alarm is checked.
    if (m_bPaused)
        return;
    if (nIDEvent == m_nPlayTimer && m_nPlayTimer != 0)
        UpdateDisplay();
}

int CZellwickDlg::VppFontHeightFor(int nAppliedSize, double dVpp)
{
    static constexpr int kHeights[3][4] = {{28, 24, 22, 20}, {36, 32, 30, 28}, {44, 40, 38, 36}};
    const int row = nAppliedSize == 0 || nAppliedSize == 1 ? nAppliedSize : 2;
    const int column = dVpp < 1000 ? 0 : dVpp < 10000 ? 1 : dVpp < 100000 ? 2 : 3;
    return kHeights[row][column];
}

void CZellwickDlg::UpdateDisplay()
{
    if (!m_strWatchProblem.isEmpty())
        RetryWatch();
    m_stTime->hide();
    const std::int64_t elapsed = m_clock.Now() - m_timeStart;
    const std::int64_t minutes = elapsed / 60;
    const std::int64_t hours = minutes / 60;
    m_strTime = QString::asprintf("%02d:%02d", static_cast<int>(hours),
                                  static_cast<int>(minutes - 60 * hours));
    m_stTime->show();

    if (m_nHands != m_app.m_nHandCount) {
        m_stHands->hide();
        m_stVpp->hide();
        m_nHands = m_app.m_nHandCount;
        const int height = VppFontHeightFor(m_app.m_nAppliedSize, m_app.m_dVpp);
        const bool topTier = m_app.m_dVpp >= 100000;
        if (topTier || height != m_nVppFontHeight || m_bVppFontStale)
            SetVppFont(height);
        m_strVpp = topTier ? QString::asprintf("%.1f", m_app.m_dVpp)
                           : QString::asprintf("%.2f", m_app.m_dVpp);
        m_stHands->show();
        m_stVpp->show();
        CheckHandsAlarm();
        CheckVppAlarm();
    } else if (m_bVppFontStale) {
        m_stVpp->hide();
        SetVppFont(VppFontHeightFor(m_app.m_nAppliedSize, m_app.m_dVpp));
        m_stVpp->show();
    }
    CheckTimeAlarm();
    ShowCountingProblem();
    RefreshReadouts();
}

void CZellwickDlg::SetVppFont(int height)
{
    m_nVppFontHeight = height;
    m_bVppFontStale = false;
    m_stVpp->setFont(CellFont(QString::fromLatin1(kReadoutFace), m_scale.ScaleY(height), 700));
}

void CZellwickDlg::RefreshReadouts()
{
    m_stTime->setText(m_strTime);
    m_stHands->setText(QString::number(m_nHands));
    m_stVpp->setText(m_strVpp);
    FitTextsToTheirPlaces();
}

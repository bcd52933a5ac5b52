// The play period: Start, Pause, Stop, the scan of the history folder at Start and the display
// update of the play timer.

#include "ui/ZellwickDlg.h"

#include "app/ZellwickApp.h"
#include "ui/Clock.h"
#include "ui/CxSkinButton.h"
#include "ui/WindowLook.h"

#include <QLabel>
#include <QTimerEvent>

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
    const std::uint32_t error = m_handler.Follow(m_watcher, m_app.m_strHistoryPath, m_clock.Now());
    // The period runs all the same: the time counts, only no hands are.
    if (error != 0)
        m_app.WriteLog(L"Failed to start watch:\n" + CDirectoryChangeWatcher::ErrorText(error));
    else
        m_strWatchedPath = m_app.m_strHistoryPath;

    m_stTime->hide();
    m_stHands->hide();
    EndPlayPeriod();
    m_btnStart->hide();

    m_strTime = QStringLiteral("00:00");
    m_nHands = 0;
    m_app.m_bHandsAlarmRung = 0;
    m_strVpp = QStringLiteral("0.00");

    m_timeStart = m_clock.Now();
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
}

void CZellwickDlg::OnPause()
{
    // The button keeps its own checked state: a click toggles it before this runs.
    if (m_bPaused)
        m_timeStart += m_clock.Now() - m_timePauseBegin;
    m_bPaused = !m_bPaused;
    if (m_bPaused)
        m_timePauseBegin = m_clock.Now();
    RefreshReadouts();
}

void CZellwickDlg::OnStop()
{
    StopWatchingHistoryFolder();

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
    m_btnStart->show();
    RefreshReadouts();
}

void CZellwickDlg::ScanHistoryFolder(std::wstring folder)
{
    ::ScanHistoryFolder(folder, m_mapFileOffsets, m_clock.Now());
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

void CZellwickDlg::done(int result)
{
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
        if (topTier || height != m_nVppFontHeight)
            SetVppFont(height);
        m_strVpp = topTier ? QString::asprintf("%.1f", m_app.m_dVpp)
                           : QString::asprintf("%.2f", m_app.m_dVpp);
        m_stHands->show();
        m_stVpp->show();
        CheckHandsAlarm();
        CheckVppAlarm();
    }
    CheckTimeAlarm();
    RefreshReadouts();
}

void CZellwickDlg::SetVppFont(int height)
{
    m_nVppFontHeight = height;
    m_stVpp->setFont(CellFont(QString::fromLatin1(kReadoutFace), m_scale.ScaleY(height), 700));
}

void CZellwickDlg::RefreshReadouts()
{
    m_stTime->setText(m_strTime);
    m_stHands->setText(QString::number(m_nHands));
    m_stVpp->setText(m_strVpp);
    FitTextsToTheirPlaces();
}

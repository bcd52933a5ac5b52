#pragma once

// The timer window: a tiny frameless, always-on-top window that runs the play period (Start,
// Pause, Stop), follows the history folder while it runs, shows the play time, the hands and
// the VPP every five seconds, and rings the alarms.

#include "history/DirectoryChangeHandlerHistory.h"
#include "history/HandAnalysis.h"
#include "history/HistoryScan.h"
#include "ui/AppHistoryLog.h"
#include "ui/ScreenScale.h"
#include "watch/DirectoryChangeWatcher.h"

#include <QDialog>
#include <QIcon>
#include <QRegion>
#include <QString>

#include <cstdint>
#include <map>
#include <string>

class CZellwickApp;
class Clock;
class CxSkinButton;
class QLabel;
class SoundPlayer;

class CZellwickDlg : public QDialog
{
    Q_OBJECT

public:
    // Controls of the window, by their numbers in the window's template.
    enum ControlId
    {
        IDC_TIME = 1000,
        IDC_HANDS = 1001,
        IDC_VPP = 1002,
        IDC_HANDS_LABEL = 1003,
        IDC_HANDS_ALARM = 1004,
        IDC_VPP_LABEL = 1005,
        IDC_VPP_ALARM = 1006,
        IDC_TIME_ALARM = 1007,
        IDC_STOP = 1010,
        IDC_START = 1017,
        IDC_PAUSE = 1018,
    };

    // Built-in sounds of the three alarms.
    static constexpr int kHandsSound = 156;
    static constexpr int kVppSound = 157;
    static constexpr int kTimeSound = 169;
    static constexpr int kPlayTimerPeriodMs = 5000;

    // Everything the window needs from outside: the application object (settings, totals,
    // log), the clock, the program's sound player and the screen's resolution. They must
    // outlive the window. The window's start-up runs here, an automatic Start included.
    CZellwickDlg(CZellwickApp& app, Clock& clock, SoundPlayer& sound, ScreenScale scale,
                 QWidget* parent = nullptr);
    ~CZellwickDlg() override;

    // The play period.
    void OnStart();
    void OnPause();
    void OnStop();
    // Enters the recent history files under folder at their current size.
    void ScanHistoryFolder(std::wstring folder);
    // A timer event by its id; only the play timer's, while not paused, updates the display.
    void OnTimer(int nIDEvent);
    void UpdateDisplay();
    // An empty path plays the built-in sound id.
    void PlayAlarmSound(const std::wstring& path, int id);

    // The control with that number, or null.
    QWidget* GetDlgItem(int id) const;
    // The running play timer's id; 0 while none runs.
    int PlayTimerId() const { return m_nPlayTimer; }
    bool IsRunning() const { return m_bRunning; }
    bool IsPaused() const { return m_bPaused; }
    const FileOffsetMap& FileOffsets() const { return m_mapFileOffsets; }
    // Height in pixels at 96 dpi of the VPP readout's font, as the display update last chose.
    int VppFontHeight() const { return m_nVppFontHeight; }
    const ScreenScale& Scale() const { return m_scale; }

    // Face and heights (at 96 dpi) of the readouts at start-up.
    static constexpr const char* kReadoutFace = "Times New Roman";
    static constexpr int kTimeFontHeight = 18;
    static constexpr int kHandsFontHeight = 22;
    static constexpr int kVppFontHeight = 28;
    // The VPP font for the applied window size and the VPP shown.
    static int VppFontHeightFor(int nAppliedSize, double dVpp);

public slots:
    // Ends the window however it is ended: the play timer stops and Start is ready again.
    void done(int result) override;

protected:
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void OnInitDialog();
    void CreateControls();
    void CreateButtons();
    void CheckSettingsForStart();
    void ApplyStartupLook();
    void ApplyTextColours();
    void SetOpacity(int percent);
    void RestoreSavedPosition();
    void PlaceAlarmIcons();
    void ShowAlarmIndicators();

    void EndPlayPeriod();
    void KillPlayTimer();
    void StopWatchingHistoryFolder();
    void RefreshReadouts();
    void SetVppFont(int height);

    void CheckHandsAlarm();
    void CheckVppAlarm();
    void CheckTimeAlarm();

    CZellwickApp& m_app;
    Clock& m_clock;
    SoundPlayer& m_sound;
    ScreenScale m_scale;

    QIcon m_hIcon;
    QRegion m_rgnWindow;
    CxSkinButton* m_btnStart = nullptr;
    CxSkinButton* m_btnStop = nullptr;
    CxSkinButton* m_btnPause = nullptr;
    QString m_strTime = QStringLiteral("00:00");
    std::int32_t m_nHands = 0;
    std::int64_t m_timeStart = 0;
    int m_nVppFontHeight = kVppFontHeight;
    QString m_strVpp = QStringLiteral("0.00");
    std::int64_t m_timePauseBegin = 0;
    QRect m_rcTemplate;
    bool m_bRunning = false;
    bool m_bPaused = false;
    int m_nPlayTimer = 0;

    // The history files followed and how far each was read; the handler works on it.
    FileOffsetMap m_mapFileOffsets;
    AppHistoryLog m_historyLog;
    HandHistoryParser m_parser;
    CDirectoryChangeWatcher m_watcher;
    CDirectoryChangeHandlerHistory m_handler;

    QLabel* m_stTime = nullptr;
    QLabel* m_stHands = nullptr;
    QLabel* m_stVpp = nullptr;
    QLabel* m_stHandsLabel = nullptr;
    QLabel* m_stVppLabel = nullptr;
    QLabel* m_icoHandsAlarm = nullptr;
    QLabel* m_icoVppAlarm = nullptr;
    QLabel* m_icoTimeAlarm = nullptr;
    std::map<int, QWidget*> m_controls;
};

#pragma once

// The timer window: a tiny frameless, always-on-top window that runs the play period (Start,
// Pause, Stop), follows the history folder while it runs, shows the play time, the hands and
// the VPP every five seconds, and rings the alarms. Its look (three sizes, colours, opacity,
// rounded shape, saved place) and its commands (context menu: Settings, Sessions, About, Exit)
// belong to it too.

#include "app/SessionRecord.h"
#include "history/DirectoryChangeHandlerHistory.h"
#include "history/HandAnalysis.h"
#include "history/HistoryScan.h"
#include "ui/AppHistoryLog.h"
#include "ui/ScreenScale.h"
#include "ui/Translucency.h"
#include "watch/DirectoryChangeWatcher.h"

#include <QDialog>
#include <QIcon>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

class CSessionsDlg;
class CZellwickApp;
class Clock;
class CxSkinButton;
class DialogPrompts;
class QLabel;
class QMenu;
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
    // Said once a run when an opacity below 100 % cannot show.
    static constexpr const char* kLayeringMessage =
        "The desktop cannot show translucent windows: a compositing manager is needed";
    static constexpr const char* kStartNeedsSettingsTip =
        "Right-click the window and choose Settings to enter your nickname and history folder";

    // The window's sizes.
    enum WindowSize
    {
        kSmall = 0,
        kMedium = 1,
        kLarge = 2,
    };

    // Everything the window needs from outside: the application object (settings, totals,
    // log), the clock, the program's sound player, the screen's resolution, the message boxes
    // (for the settings dialog too) and whether the desktop shows translucent windows. They
    // must outlive the window. The window's start-up runs here, an automatic Start included.
    CZellwickDlg(CZellwickApp& app, Clock& clock, SoundPlayer& sound, ScreenScale scale,
                 DialogPrompts& prompts, Translucency translucency, QWidget* parent = nullptr);
    ~CZellwickDlg() override;

    // The play period.
    void OnStart();
    void OnPause();
    void OnStop();
    // Ends the program on a signal (SIGTERM, SIGINT, SIGHUP) as closing the window does: the
    // running period is kept, and dialogs open over the window are cancelled first.
    void EndBySignal(int signal);
    // The window whose running period is kept should the program end through exit() past
    // every close path, as it does when the X server goes away at a logout or shutdown; null
    // for none.
    static void KeepPeriodAtExit(CZellwickDlg* window);
    // A timer event by its id; only the play timer's, while not paused, updates the display.
    void OnTimer(int nIDEvent);
    void UpdateDisplay();
    // An empty path plays the built-in sound id.
    void PlayAlarmSound(const std::wstring& path, int id);

    // Commands. Settings runs the settings dialog and, after OK, applies what it changed;
    // About shows the About box; both return when their dialog has closed.
    void OnSettings();
    void OnAbout();
    // Shows the Sessions window, the one already open raised and read again; it stays open
    // while this returns.
    CSessionsDlg* OnSessions();
    // The context menu at a point of the screen; it stays open while this returns.
    void OnContextMenu(const QPoint& globalPos);
    QMenu* ContextMenu() const { return m_menuContext; }

    // Lays the window out for a size (WindowSize); nothing for another value or for the size
    // already applied.
    void ApplySize(int size);

    // The control with that number, or null.
    QWidget* GetDlgItem(int id) const;
    // The running play timer's id; 0 while none runs.
    int PlayTimerId() const { return m_nPlayTimer; }
    bool IsRunning() const { return m_bRunning; }
    bool IsPaused() const { return m_bPaused; }
    const FileOffsetMap& FileOffsets() const { return m_mapFileOffsets; }
    // Whether the window's watcher follows folder now.
    bool IsWatchingFolder(const std::wstring& folder);
    // Height in pixels at 96 dpi of the VPP readout's font, as the display update last chose.
    int VppFontHeight() const { return m_nVppFontHeight; }
    // What keeps the running period from counting, in one line; empty while it counts. The
    // window's tooltip says it, and the hands readout is struck through meanwhile.
    QString CountingProblem() const { return toolTip(); }
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
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnInitDialog();
    void CreateControls();
    void CreateButtons();
    void CheckSettingsForStart();
    void CreateContextMenu();
    void ApplyStartupLook();
    void ApplyStartupSize();
    void ApplyTextColours();
    void ApplyBackground();
    void SetOpacity(int percent);
    void RestoreSavedPosition();
    void LayoutForSize(int growth, int fontBase, int size);
    void PlaceControls(int width, int height);
    void SetLayoutFonts(int fontBase);
    void LoadSkins(int size);
    void FitTextsToTheirPlaces();
    void PlaceAlarmIcons();
    void ShowAlarmIndicators();
    void Redraw();

    void EndPlayPeriod();
    void KillPlayTimer();
    // Adds the running period, worth a line, to the sessions file; true when it did, else
    // the reason of a failure (logged) in problem. Called after the watch has stopped, so that
    // its totals are final.
    bool KeepPeriod(std::wstring* problem = nullptr);
    void EndAtExit();
    static void OnProgramExit();
    void StopWatchingHistoryFolder();
    void RefreshReadouts();
    void SetVppFont(int height);
    // Watches the period's folder (at Start with the scan of its recent files); says what
    // keeps it from counting when the watch cannot start.
    bool StartWatch(bool bAtStart);
    void RetryWatch();
    void ShowCountingProblem();

    void CheckHandsAlarm();
    void CheckVppAlarm();
    void CheckTimeAlarm();

    CZellwickApp& m_app;
    Clock& m_clock;
    SoundPlayer& m_sound;
    ScreenScale m_scale;
    DialogPrompts& m_prompts;
    Translucency m_translucency;
    bool m_bLayeringReported = false;
    // Where the mouse holds the window while it drags it itself.
    std::optional<QPoint> m_dragOffset;

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
    // The window's rectangle as first made: every later layout has its size.
    QRect m_rcTemplate;
    // A new size's layout gave the VPP readout a font of its own; the next update chooses.
    bool m_bVppFontStale = false;
    bool m_bRunning = false;
    bool m_bPaused = false;
    int m_nPlayTimer = 0;
    // The folder the running watch was started on; the history folder may change meanwhile.
    std::wstring m_strWatchedPath;
    // The folder of this play period, and why its watch could not start (empty once it runs).
    std::wstring m_strPeriodFolder;
    QString m_strWatchProblem;
    // The running period's record: its start, nickname and folder; the rest comes at its end.
    SessionRecord m_period;
    static CZellwickDlg* s_windowKeptAtExit;
    bool m_bCountingWarning = false;

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
    QMenu* m_menuContext = nullptr;
    QPointer<CSessionsDlg> m_dlgSessions;
};

#pragma once

// The application object: the log file, the settings in memory, the alarm state of the play
// period and the running totals. The executable has one global instance; tests make their own
// with the log in a temporary folder and settings under a name of their own.

#include <cstdint>
#include <cstdio>
#include <string>

class CZellwickApp
{
public:
    static constexpr const wchar_t* kCompanyName = L"Tervalon"; // owner of the settings
    static constexpr const wchar_t* kLogFileName = L"Zellwick.log";
    static constexpr std::uint64_t kLogKeepBytes = 80000;
    static constexpr std::uint64_t kLogTrimAbove = 200000;

    // The log beside the executable when it can be written there, otherwise in the per-user
    // state folder; the settings under the executable's base name.
    CZellwickApp();
    // The log in logFolder (no log when it is empty), the settings under appName.
    CZellwickApp(std::wstring logFolder, std::wstring appName);
    // As above, with the log in fallbackFolder (made when missing) when logFolder cannot take it.
    CZellwickApp(std::wstring logFolder, std::wstring appName, std::wstring fallbackFolder);
    ~CZellwickApp();
    CZellwickApp(const CZellwickApp&) = delete;
    CZellwickApp& operator=(const CZellwickApp&) = delete;

    // One time-stamped line, flushed at once. Nothing happens while the log is not open.
    void WriteLog(const std::wstring& text);
    // Text as it is: no stamp, no line feed, no flush.
    void WriteRaw(const std::wstring& text);

    // The settings of the start-up sequence, in their order, with the checks of the history
    // folder and the sound files and their log lines.
    void LoadSettings();
    // Every setting the settings dialog stores, in its order. Write failures are not noticed.
    void StoreSettings();
    // Read by the timer window during its own start-up, and when it closes.
    int ReadViewSize() const;
    void WriteViewSize(int size);
    std::wstring ReadWindowPos() const;
    void WriteWindowPos(const std::wstring& pos);

    // Where the settings of m_strAppName live (a file on this platform).
    std::wstring SettingsLocation() const;

    // "24.11.2016" from a compiler date such as "Nov 24 2016".
    static std::wstring BuildDateFromCompilerDate(const char* date);

    // Log.
    std::FILE* m_logFile = nullptr;
    int m_bLogOpen = 0;
    std::wstring m_strLogPath; // where the log is open; empty without a log
    std::wstring m_strVersion = L"v2.7";
    std::wstring m_strBuildDate;

    // Settings, with the values they have before loading.
    std::wstring m_strAppName;
    std::wstring m_strNickname;
    std::wstring m_strHistoryPath;
    int m_bRunOnStart = 0;
    std::uint32_t m_crColorText = 0;
    std::uint32_t m_crColorText2 = 0;
    std::uint32_t m_crColorText3 = 0;
    std::uint32_t m_crColorBg = 0;
    int m_nOpacity = 0;
    int m_nSize = 0;
    int m_bHandsAlarm = 0;
    int m_nHandsAlarm = 700;
    std::wstring m_strHandsSound;
    int m_bVppAlarm = 0;
    int m_nVppAlarm = 50;
    std::wstring m_strVppSound;
    int m_bTimeAlarm = 0;
    int m_nTimeAlarmMinutes = 60;
    std::wstring m_strTimeSound;
    std::wstring m_strAlarmTime = L"01:00"; // not stored: the time alarm as "hh:mm"

    // Window and play-period state.
    int m_nAppliedSize = 0;
    int m_bHandsAlarmRung = 0;
    int m_bVppAlarmRung = 0;
    int m_bTimeAlarmRung = 0;

    // Running totals since Start.
    std::int32_t m_nHandCount = 0;
    std::int32_t m_nVppCents = 0;
    double m_dVpp = 0.0;

private:
    bool OpenLog(const std::wstring& folder);
    void WriteUtf8(const std::wstring& text);
    void CheckHistoryPath();
};

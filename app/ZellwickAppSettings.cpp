// Loading and storing the settings of the application object.

#include "app/ZellwickApp.h"

#include "app/SettingsStore.h"
#include "app/WideText.h"

#include <filesystem>
#include <limits>
#include <system_error>

namespace {

constexpr const wchar_t* kBaseInfo = L"BaseInfo";
constexpr const wchar_t* kView = L"View";
constexpr const wchar_t* kAlarm = L"Alarm";
constexpr const wchar_t* kAlarm2 = L"Alarm2";
constexpr const wchar_t* kAlarm3 = L"Alarm3";

constexpr std::uint32_t kDefaultColorText = 0xFFFFFF;  // white
constexpr std::uint32_t kDefaultColorText2 = 0x00C313; // green
constexpr std::uint32_t kDefaultColorText3 = 0x00C0FF; // amber
constexpr std::uint32_t kDefaultColorBg = 0x37323D;
constexpr int kDefaultOpacity = 100;

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

// One "%d" of the scanf family: blanks, a sign, digits. Numbers beyond int saturate.
bool ScanInt(const wchar_t*& cursor, int& value)
{
    const wchar_t* p = cursor;
    while (IsBlank(*p))
        ++p;
    const bool negative = *p == L'-';
    if (*p == L'-' || *p == L'+')
        ++p;
    if (*p < L'0' || *p > L'9')
        return false;
    long long number = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        if (number <= std::numeric_limits<int>::max())
            number = number * 10 + (*p - L'0');
    }
    number = negative ? -number : number;
    if (number > std::numeric_limits<int>::max())
        number = std::numeric_limits<int>::max();
    if (number < std::numeric_limits<int>::min())
        number = std::numeric_limits<int>::min();
    value = static_cast<int>(number);
    cursor = p;
    return true;
}

// "%d:%d" into the on flag and the number; a field that does not scan leaves its member alone.
void ScanParam(const std::wstring& text, int& on, int& number)
{
    const wchar_t* cursor = text.c_str();
    if (!ScanInt(cursor, on) || *cursor != L':')
        return;
    ++cursor;
    ScanInt(cursor, number);
}

bool FolderExists(const std::wstring& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(ToNativePath(path), ec);
}

bool FileExists(const std::wstring& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(ToNativePath(path), ec);
}

void LoadAlarmParam(const CSettingsStore& store, const wchar_t* section,
                    const wchar_t* defaultParam, int& on, int& number)
{
    ScanParam(store.GetString(section, L"Param", defaultParam), on, number);
}

void LoadAlarmSound(const CSettingsStore& store, const wchar_t* section, std::wstring& sound)
{
    sound = store.GetString(section, L"Sound", L"");
    // A sound that is gone (or is no file) is forgotten in memory: the built-in one rings.
    if (!FileExists(sound))
        sound.clear();
}

std::wstring FormatParam(int on, int number)
{
    return FormatW(L"%d:%d", on, number);
}

} // namespace

void CZellwickApp::LoadSettings()
{
    const CSettingsStore store(kCompanyName, m_strAppName);

    m_strHistoryPath = store.GetString(kBaseInfo, L"History", L"");
    CheckHistoryPath();
    m_strNickname = store.GetString(kBaseInfo, L"Nickname", L"");
    m_bRunOnStart = store.GetInt(kBaseInfo, L"RunOnStart", 0);
    WriteLog(FormatW(L"RunOnStart = %d", m_bRunOnStart));

    m_crColorText = store.GetDword(kView, L"ColorText", kDefaultColorText);
    m_crColorText2 = store.GetDword(kView, L"ColorText2", kDefaultColorText2);
    m_crColorText3 = store.GetDword(kView, L"ColorText3", kDefaultColorText3);
    m_crColorBg = store.GetDword(kView, L"ColorBg", kDefaultColorBg);
    m_nOpacity = store.GetInt(kView, L"Opacity", kDefaultOpacity);

    LoadAlarmParam(store, kAlarm, L"0:700", m_bHandsAlarm, m_nHandsAlarm);
    LoadAlarmSound(store, kAlarm, m_strHandsSound);
    LoadAlarmParam(store, kAlarm2, L"0:10", m_bVppAlarm, m_nVppAlarm);
    LoadAlarmSound(store, kAlarm2, m_strVppSound);
    LoadAlarmParam(store, kAlarm3, L"0:60", m_bTimeAlarm, m_nTimeAlarmMinutes);
    m_strAlarmTime = FormatW(L"%02d:%02d", m_nTimeAlarmMinutes / 60, m_nTimeAlarmMinutes % 60);
    LoadAlarmSound(store, kAlarm3, m_strTimeSound);
}

void CZellwickApp::CheckHistoryPath()
{
    WriteLog(FormatW(L"HistoryPath = %ls", m_strHistoryPath.c_str()));
    // A file in place of the folder cannot be watched either; the stored value stays.
    if (!FolderExists(m_strHistoryPath)) {
        WriteLog(FormatW(L"HistoryPath = %ls is not found!", m_strHistoryPath.c_str()));
        m_strHistoryPath.clear();
    }
}

void CZellwickApp::StoreSettings()
{
    CSettingsStore store(kCompanyName, m_strAppName);
    store.WriteString(kBaseInfo, L"Nickname", m_strNickname);
    store.WriteString(kBaseInfo, L"History", m_strHistoryPath);
    store.WriteInt(kBaseInfo, L"RunOnStart", m_bRunOnStart);
    store.WriteDword(kView, L"ColorBg", m_crColorBg);
    store.WriteDword(kView, L"ColorText", m_crColorText);
    store.WriteDword(kView, L"ColorText2", m_crColorText2);
    store.WriteDword(kView, L"ColorText3", m_crColorText3);
    store.WriteString(kAlarm, L"Param", FormatParam(m_bHandsAlarm, m_nHandsAlarm));
    store.WriteString(kAlarm, L"Sound", m_strHandsSound);
    store.WriteString(kAlarm2, L"Param", FormatParam(m_bVppAlarm, m_nVppAlarm));
    store.WriteString(kAlarm2, L"Sound", m_strVppSound);
    store.WriteString(kAlarm3, L"Param", FormatParam(m_bTimeAlarm, m_nTimeAlarmMinutes));
    store.WriteString(kAlarm3, L"Sound", m_strTimeSound);
    store.WriteInt(kView, L"Size", m_nSize);
    store.WriteInt(kView, L"Opacity", m_nOpacity);
}

int CZellwickApp::ReadViewSize() const
{
    return CSettingsStore(kCompanyName, m_strAppName).GetInt(kView, L"Size", 0);
}

void CZellwickApp::WriteViewSize(int size)
{
    CSettingsStore(kCompanyName, m_strAppName).WriteInt(kView, L"Size", size);
}

std::wstring CZellwickApp::ReadWindowPos() const
{
    return CSettingsStore(kCompanyName, m_strAppName).GetString(kView, L"wndPos", L"");
}

void CZellwickApp::WriteWindowPos(const std::wstring& pos)
{
    CSettingsStore(kCompanyName, m_strAppName).WriteString(kView, L"wndPos", pos);
}

std::wstring CZellwickApp::SettingsLocation() const
{
    return CSettingsStore(kCompanyName, m_strAppName).Location();
}

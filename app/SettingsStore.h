#pragma once

// The per-user settings store: sections and keys with whole numbers (the registry's DWORDs) and
// texts. On this platform an INI file $XDG_CONFIG_HOME/<company>/<application>.conf kept by
// QSettings; on Windows the registry key Software\<company>\<application>.

#include <cstdint>
#include <memory>
#include <string>

class QSettings;

class CSettingsStore
{
public:
    CSettingsStore(const std::wstring& company, const std::wstring& appName);
    ~CSettingsStore();
    CSettingsStore(const CSettingsStore&) = delete;
    CSettingsStore& operator=(const CSettingsStore&) = delete;

    // A missing value gives the default. So does a value that is no whole number from
    // -2147483648 to 4294967295 in decimal (text where a number belongs, "12abc", "0x10"):
    // a DWORD reader finds no DWORD there. Negative numbers come back as their 32-bit pattern.
    std::uint32_t GetDword(const wchar_t* section, const wchar_t* key,
                           std::uint32_t defaultValue) const;
    int GetInt(const wchar_t* section, const wchar_t* key, int defaultValue) const;
    // A missing value gives the default.
    std::wstring GetString(const wchar_t* section, const wchar_t* key,
                           const std::wstring& defaultValue) const;

    void WriteDword(const wchar_t* section, const wchar_t* key, std::uint32_t value);
    void WriteInt(const wchar_t* section, const wchar_t* key, int value);
    void WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value);

    // The file (or registry path) the values live in.
    std::wstring Location() const;

private:
    std::unique_ptr<QSettings> m_settings;
};

#pragma once

// A read-only INI reader with the rules of the Windows private-profile functions: section and
// key names compared without regard to case, blanks around names and values trimmed, a value
// in matching quotes unquoted, the first matching section and key win, anything missing gives
// an empty string. Used on the poker client's own configuration file.

#include <memory>
#include <string>

class CIni
{
public:
    CIni() = default;
    explicit CIni(const wchar_t* pszPath);
    virtual ~CIni();
    CIni(const CIni&) = delete;
    CIni& operator=(const CIni&) = delete;

    // The value of key in section, whole, however long. An empty section name means the keys
    // before the first section header. A null section or key gives an empty string without
    // reading the file; so does a missing or unreadable file, section or key.
    std::wstring GetString(const wchar_t* section, const wchar_t* key) const;

    std::unique_ptr<wchar_t[]> m_pszPath; // owned copy of the file's full path, may be absent
};

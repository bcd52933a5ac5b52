#include "ui/AutoDetect.h"

#include "app/Ini.h"
#include "app/WideText.h"

#include <QString>

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <filesystem>
#include <optional>
#include <pwd.h>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const wchar_t* kHandsPathKey = L"SaveMyHandsPath";

std::wstring FromNative(const fs::path& path)
{
    return FromUtf8(path.native()); // path::wstring() throws for non-ASCII under the C locale
}

std::wstring EnvironmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? FromUtf8(value) : std::wstring();
}

std::wstring HomeFolder()
{
    std::wstring home = EnvironmentValue("HOME");
    if (home.empty()) {
        if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_dir)
            home = FromUtf8(entry->pw_dir);
    }
    return home;
}

bool Exists(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

std::vector<std::wstring> SplitComponents(std::wstring_view text)
{
    std::vector<std::wstring> components;
    while (!text.empty()) {
        const auto end = std::find_if(text.begin(), text.end(), IsSeparator);
        const std::size_t length = static_cast<std::size_t>(end - text.begin());
        if (length > 0)
            components.emplace_back(text.substr(0, length));
        text.remove_prefix(std::min(length + 1, text.size()));
    }
    return components;
}

// The entry of folder whose name equals name without regard to case; the first in name
// order when several do, so the answer does not depend on the directory's order.
std::optional<fs::path> FindIgnoringCase(const fs::path& folder, const std::wstring& name)
{
    const QString wanted = QString::fromStdWString(name);
    std::vector<fs::path> matches;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const QString entry = QString::fromStdWString(FromNative(it->path().filename()));
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
            matches.push_back(it->path());
    }
    if (matches.empty())
        return std::nullopt;
    return *std::min_element(matches.begin(), matches.end());
}

// base joined with the components, each matched without regard to case where its exact
// spelling is missing. Once one matches nothing, the rest cannot exist and stay as written.
fs::path JoinMatchingCase(fs::path base, const std::vector<std::wstring>& components)
{
    bool searching = true;
    for (const std::wstring& component : components) {
        fs::path exact = base / ToNativePath(component);
        if (searching && !Exists(exact)) {
            if (const auto found = FindIgnoringCase(base, component)) {
                base = *found;
                continue;
            }
            searching = false;
        }
        base = std::move(exact);
    }
    return base;
}

// Where the prefix keeps a drive: the target of dosdevices/<letter>:, or drive_c for C:
// when there is no such entry. Nothing when the drive is not there.
std::optional<fs::path> DriveRoot(const fs::path& prefix, wchar_t letter)
{
    const wchar_t lower = static_cast<wchar_t>(std::towlower(letter));
    const fs::path devices = prefix / "dosdevices";
    const fs::path entry = devices / ToNativePath(std::wstring{lower, L':'});
    std::error_code ec;
    if (fs::is_symlink(entry, ec)) {
        const fs::path target = fs::read_symlink(entry, ec);
        if (!ec && fs::exists(entry, ec)) // a dangling link names no drive
            return (target.is_absolute() ? target : devices / target).lexically_normal();
    } else if (fs::is_directory(entry, ec)) {
        return entry;
    }
    if (lower == L'c')
        return prefix / "drive_c";
    return std::nullopt;
}

bool IsDriveLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

} // namespace

std::wstring WinePrefixFolder()
{
    std::wstring prefix = EnvironmentValue("WINEPREFIX");
    if (prefix.empty())
        prefix = FromNative(ToNativePath(HomeFolder()) / ".wine");
    return prefix;
}

std::wstring LoginName()
{
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name)
        return FromUtf8(entry->pw_name);
    return EnvironmentValue("USER");
}

std::wstring ClientIniPath(const std::wstring& prefix, const std::wstring& login)
{
    const fs::path file =
        JoinMatchingCase(ToNativePath(prefix), {L"drive_c", L"users", login, L"AppData", L"Local",
                                                L"PokerStars", L"user.ini"});
    return FromNative(file);
}

std::wstring LinuxPathInPrefix(const std::wstring& prefix, const std::wstring& windowsPath)
{
    if (windowsPath.size() < 2 || !IsDriveLetter(windowsPath[0]) || windowsPath[1] != L':')
        return {};
    const std::optional<fs::path> root = DriveRoot(ToNativePath(prefix), windowsPath[0]);
    if (!root)
        return {};
    const std::wstring_view rest = std::wstring_view(windowsPath).substr(2);
    std::wstring path = FromNative(JoinMatchingCase(*root, SplitComponents(rest)));
    const bool trailing = rest.empty() || IsSeparator(rest.back());
    if (trailing && (path.empty() || path.back() != L'/'))
        path += L'/';
    return path;
}

void AutoDetect(std::wstring& nickname, bool wantNick, std::wstring& folder, bool wantFolder)
{
    const std::wstring prefix = WinePrefixFolder();
    const std::wstring login = LoginName();
    const std::wstring iniPath = login.empty() ? std::wstring() : ClientIniPath(prefix, login);
    std::error_code ec;
    if (iniPath.empty() || !fs::exists(ToNativePath(iniPath), ec)) {
        // Nothing to be found: what was asked for is empty, what the user typed stays.
        if (wantNick)
            nickname.clear();
        if (wantFolder)
            folder.clear();
        return;
    }

    const CIni ini(iniPath.c_str());
    if (wantFolder) {
        const std::wstring fromOptions = ini.GetString(L"Options", kHandsPathKey);
        std::wstring found = ini.GetString(L"", kHandsPathKey);
        if (found.empty())
            found = ini.GetString(L"PipeOption", kHandsPathKey);
        if (found.empty())
            found = fromOptions;
        folder = found.empty() ? std::wstring() : LinuxPathInPrefix(prefix, found);
    }
    if (wantNick)
        nickname = ini.GetString(L"User", L"Name");
    // The client keeps each player's hands in a folder of the player's name below its own.
    if (wantNick && wantFolder && !folder.empty() && !nickname.empty()) {
        if (folder.back() != L'/')
            folder += L'/';
        folder += nickname;
    }
}

#include "app/Ini.h"

#include "app/WideText.h"

#include <QChar>
#include <QString>

#include <cstring>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>
#include <sys/stat.h>

namespace {

// Whole file as bytes; nothing for anything but a readable regular file (a folder, a pipe
// or a device would never end or make no sense).
std::optional<std::string> ReadFileBytes(const std::wstring& path)
{
    const std::string native = ToNativePath(path).native();
    struct stat info
    {};
    if (::stat(native.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    std::ifstream in(native, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian)
{
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(
            static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size())).toStdWString();
}

// UTF-8 with or without its byte-order mark; UTF-16 when a byte-order mark says so, as the
// Windows reader accepts it too.
std::wstring DecodeText(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return FromUtf8(bytes.substr(3));
    if (bytes.starts_with("\xFF\xFE"))
        return DecodeUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF"))
        return DecodeUtf16(bytes.substr(2), true);
    return FromUtf8(bytes);
}

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\v' || c == L'\f' || c == L'\r' || c == L'\n';
}

std::wstring_view Trim(std::wstring_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::wstring_view Unquote(std::wstring_view value)
{
    if (value.size() >= 2 && value.front() == value.back() &&
        (value.front() == L'"' || value.front() == L'\''))
        return value.substr(1, value.size() - 2);
    return value;
}

char32_t Fold(wchar_t c)
{
    return QChar::toCaseFolded(static_cast<char32_t>(c));
}

bool SameName(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i]))
            return false;
    }
    return true;
}

// The next line of text, without its line end (LF, CRLF or a lone CR).
std::wstring_view NextLine(std::wstring_view& text)
{
    const std::size_t end = text.find_first_of(L"\r\n");
    const std::wstring_view line = text.substr(0, end);
    if (end == std::wstring_view::npos) {
        text = {};
    } else {
        const bool crlf = text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n';
        text.remove_prefix(end + (crlf ? 2 : 1));
    }
    return line;
}

} // namespace

CIni::CIni(const wchar_t* pszPath)
{
    if (!pszPath)
        return;
    const std::size_t length = std::wcslen(pszPath);
    m_pszPath = std::make_unique<wchar_t[]>(length + 1);
    std::wmemcpy(m_pszPath.get(), pszPath, length + 1);
}

CIni::~CIni() = default;

std::wstring CIni::GetString(const wchar_t* section, const wchar_t* key) const
{
    if (!section || !key || !m_pszPath)
        return {};
    const std::optional<std::string> bytes = ReadFileBytes(m_pszPath.get());
    if (!bytes)
        return {};
    const std::wstring text = DecodeText(*bytes);
    const std::wstring_view wantedSection = Trim(section);
    const std::wstring_view wantedKey = Trim(key);

    std::wstring_view rest = text;
    bool inSection = wantedSection.empty(); // keys before the first header have no section
    while (!rest.empty()) {
        const std::wstring_view line = Trim(NextLine(rest));
        if (line.empty() || line.front() == L';' || line.front() == L'#')
            continue;
        if (line.front() == L'[') {
            const std::size_t close = line.find(L']');
            if (close != std::wstring_view::npos)
                inSection = SameName(Trim(line.substr(1, close - 1)), wantedSection);
            continue;
        }
        const std::size_t equals = line.find(L'=');
        if (!inSection || equals == std::wstring_view::npos)
            continue;
        if (SameName(Trim(line.substr(0, equals)), wantedKey))
            return std::wstring(Unquote(Trim(line.substr(equals + 1))));
    }
    return {};
}

#pragma once

// Wide text at the edges of the program: printf-style formatting, UTF-8 for files and paths.

#include <filesystem>
#include <string>
#include <string_view>

// printf-style formatting into a wide string. On this platform "%ls" takes a wide string and
// "%s" a narrow one, so callers pass std::wstring arguments as "%ls" with c_str(). A format
// that cannot be produced (an unencodable narrow argument, or more than 4 Mi characters)
// gives an empty string.
std::wstring FormatW(const wchar_t* fmt, ...);

// Wide text as UTF-8. Characters that are not Unicode scalar values become U+FFFD.
std::string ToUtf8(std::wstring_view text);

// UTF-8 bytes as wide text. A byte that does not belong to a valid UTF-8 sequence is taken as
// a Windows-1252 character, the encoding older Windows tools wrote, so nothing is lost.
std::wstring FromUtf8(std::string_view bytes);

// Windows-1252 byte as a Unicode code point.
char32_t FromWindows1252(unsigned char byte);

// A wide path as a file-system path (UTF-8 on this platform), independent of the C locale.
std::filesystem::path ToNativePath(const std::wstring& path);

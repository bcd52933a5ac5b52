#pragma once

// Text decoding shared by the history reader, the path helpers and the error texts.

#include <string>
#include <string_view>

namespace corvask {

// Decodes UTF-8 and appends it to out. A byte that is not part of a valid, shortest-form
// sequence is taken as the Windows-1252 character of that byte: older client files carry
// such bytes, and the euro sign must survive as a currency.
void AppendUtf8Lenient(std::string_view bytes, std::wstring& out);

// The same decoding into a buffer with room for bytes.size() characters (decoding never gives
// more characters than bytes); returns how many it wrote.
std::size_t DecodeUtf8Lenient(std::string_view bytes, wchar_t* out);

// The Windows-1252 character of one byte (bytes below 0x80 are ASCII).
wchar_t Cp1252ToWide(unsigned char byte);

// File names are bytes: a byte that is not valid UTF-8 becomes U+DC00 plus the byte (a lone
// surrogate that no valid text contains), so that AppendUtf8Unescaped gives the same bytes back.
constexpr wchar_t kEscapeBase = 0xDC00;
void AppendUtf8Escaped(std::string_view bytes, std::wstring& out);

// Encodes wide text as UTF-8, turning escaped bytes back into themselves. False for a
// character that no encoding can hold (negative or above U+10FFFF).
bool AppendUtf8Unescaped(std::wstring_view text, std::string& out);

} // namespace corvask

#include "watch/PathText.h"

namespace zellwick::watch {

namespace {

constexpr char32_t kEscapeBase = 0xDC00;

struct Utf8Lead
{
    int length = 0;        // bytes in the sequence, 0 when the byte cannot start one
    char32_t bits = 0;     // value bits of the lead byte
    char32_t smallest = 0; // smallest code point the length may carry (no overlong forms)
};

Utf8Lead ReadLead(unsigned char byte)
{
    if ((byte & 0xE0) == 0xC0)
        return {2, static_cast<char32_t>(byte & 0x1F), 0x80};
    if ((byte & 0xF0) == 0xE0)
        return {3, static_cast<char32_t>(byte & 0x0F), 0x800};
    if ((byte & 0xF8) == 0xF0)
        return {4, static_cast<char32_t>(byte & 0x07), 0x10000};
    return {};
}

// The code point of the sequence at pos, or 0 when it is not valid UTF-8.
char32_t DecodeSequence(std::string_view bytes, size_t pos, int& length)
{
    const Utf8Lead lead = ReadLead(static_cast<unsigned char>(bytes[pos]));
    length = lead.length;
    if (length == 0 || pos + length > bytes.size())
        return 0;
    char32_t value = lead.bits;
    for (int k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[pos + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (next & 0x3F);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (value < lead.smallest || value > 0x10FFFF || surrogate)
        return 0;
    return value;
}

void AppendUtf8(std::string& out, char32_t value)
{
    if (value < 0x80) {
        out += static_cast<char>(value);
    } else if (value < 0x800) {
        out += static_cast<char>(0xC0 | (value >> 6));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
        out += static_cast<char>(0xE0 | (value >> 12));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (value >> 18));
        out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    }
}

} // namespace

std::wstring WideFromNative(std::string_view bytes)
{
    std::wstring text;
    text.reserve(bytes.size());
    size_t pos = 0;
    while (pos < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[pos]);
        if (byte < 0x80) {
            text += static_cast<wchar_t>(byte);
            ++pos;
            continue;
        }
        int length = 0;
        const char32_t value = DecodeSequence(bytes, pos, length);
        if (value != 0) {
            text += static_cast<wchar_t>(value);
            pos += static_cast<size_t>(length);
        } else {
            text += static_cast<wchar_t>(kEscapeBase + byte);
            ++pos;
        }
    }
    return text;
}

std::string NativeFromWide(std::wstring_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (const wchar_t ch : text) {
        const auto value = static_cast<char32_t>(ch);
        if (value >= kEscapeBase + 0x80 && value <= kEscapeBase + 0xFF)
            bytes += static_cast<char>(value - kEscapeBase);
        else
            AppendUtf8(bytes, value > 0x10FFFF ? 0xFFFD : value);
    }
    return bytes;
}

} // namespace zellwick::watch

#include "corvask/Utf8Text.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace corvask {

namespace {

// 0x80..0x9F of Windows-1252; the five unassigned bytes keep their own code point.
constexpr std::array<wchar_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Length of the valid sequence that starts at p (1 to 4), or 0 when the lead byte does not
// start a valid, shortest-form sequence within [p, end). The second byte's allowed range
// rules out overlong forms, surrogates and code points above U+10FFFF.
std::size_t ValidSequenceLength(const unsigned char* p, const unsigned char* end)
{
    const unsigned char lead = p[0];
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (static_cast<std::size_t>(end - p) < length || p[1] < low || p[1] > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsContinuation(p[i]))
            return 0;
    }
    return length;
}

char32_t DecodeSequence(const unsigned char* p, std::size_t length)
{
    static constexpr unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t code = p[0] & kLeadMask[length];
    for (std::size_t i = 1; i < length; ++i)
        code = (code << 6) | (p[i] & 0x3F);
    return code;
}

bool EightAscii(const unsigned char* p)
{
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ULL) == 0;
}

wchar_t EscapeByte(unsigned char byte)
{
    return static_cast<wchar_t>(kEscapeBase + byte);
}

template <typename Fallback>
void AppendUtf8(std::string_view bytes, std::wstring& out, Fallback fallback)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    // Never more characters than bytes: write in place, then cut to what was produced.
    const std::size_t base = out.size();
    out.resize(base + bytes.size());
    wchar_t* dst = out.data() + base;
    while (p < end) {
        while (end - p >= 8 && EightAscii(p)) {
            for (int i = 0; i < 8; ++i)
                dst[i] = static_cast<wchar_t>(p[i]);
            p += 8;
            dst += 8;
        }
        if (p == end)
            break;
        if (*p < 0x80) {
            *dst++ = static_cast<wchar_t>(*p++);
            continue;
        }
        const std::size_t length = ValidSequenceLength(p, end);
        if (length == 0) {
            *dst++ = fallback(*p++);
            continue;
        }
        *dst++ = static_cast<wchar_t>(DecodeSequence(p, length));
        p += length;
    }
    out.resize(static_cast<std::size_t>(dst - out.data()));
}

} // namespace

wchar_t Cp1252ToWide(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kCp1252High[byte - 0x80];
    return static_cast<wchar_t>(byte);
}

void AppendUtf8Lenient(std::string_view bytes, std::wstring& out)
{
    AppendUtf8(bytes, out, Cp1252ToWide);
}

void AppendUtf8Escaped(std::string_view bytes, std::wstring& out)
{
    AppendUtf8(bytes, out, EscapeByte);
}

bool AppendUtf8Unescaped(std::wstring_view text, std::string& out)
{
    out.reserve(out.size() + text.size());
    for (const wchar_t wide : text) {
        const auto code = static_cast<std::uint32_t>(wide);
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code >= kEscapeBase + 0x80U && code <= kEscapeBase + 0xFFU) {
            out += static_cast<char>(code - kEscapeBase);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code <= 0x10FFFF) {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            return false;
        }
    }
    return true;
}

} // namespace corvask

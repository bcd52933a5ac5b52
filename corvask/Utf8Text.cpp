#include "corvask/Utf8Text.h"

#include <array>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)
// Widens 16 ASCII bytes; false, with nothing written, when one of them is not ASCII.
bool WidenSixteen(const unsigned char* p, wchar_t* dst)
{
    static_assert(sizeof(wchar_t) == 4);
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    if (_mm_movemask_epi8(bytes) != 0)
        return false;
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_unpacklo_epi8(bytes, zero);
    const __m128i high = _mm_unpackhi_epi8(bytes, zero);
    auto* out = reinterpret_cast<__m128i*>(dst);
    _mm_storeu_si128(out, _mm_unpacklo_epi16(low, zero));
    _mm_storeu_si128(out + 1, _mm_unpackhi_epi16(low, zero));
    _mm_storeu_si128(out + 2, _mm_unpacklo_epi16(high, zero));
    _mm_storeu_si128(out + 3, _mm_unpackhi_epi16(high, zero));
    return true;
}
#else
bool EightAscii(const unsigned char* p)
{
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ULL) == 0;
}
#endif

// Widens the leading run of ASCII bytes; returns how many bytes it took. Most history text is
// ASCII in short lines, and this is where decoding spends its time.
std::size_t WidenAsciiRun(const unsigned char* p, const unsigned char* end, wchar_t* dst)
{
    const unsigned char* const start = p;
#if defined(__SSE2__)
    while (end - p >= 16) {
        if (!WidenSixteen(p, dst))
            break;
        p += 16;
        dst += 16;
    }
    // Fewer than 16 bytes left in a run of at least 16: the last 16 bytes as one block, which
    // writes some characters a second time, with the same values.
    const std::ptrdiff_t left = end - p;
    if (left > 0 && left < 16 && end - start >= 16 && WidenSixteen(end - 16, dst + left - 16))
        return static_cast<std::size_t>(end - start);
#else
    while (end - p >= 8 && EightAscii(p)) {
        for (int i = 0; i < 8; ++i)
            dst[i] = static_cast<wchar_t>(p[i]);
        p += 8;
        dst += 8;
    }
#endif
    while (p < end && *p < 0x80)
        *dst++ = static_cast<wchar_t>(*p++);
    return static_cast<std::size_t>(p - start);
}

wchar_t EscapeByte(unsigned char byte)
{
    return static_cast<wchar_t>(kEscapeBase + byte);
}

// Decodes into out, which has room for bytes.size() characters (never more characters than
// bytes); returns how many it wrote.
template <typename Fallback>
std::size_t DecodeUtf8(std::string_view bytes, wchar_t* out, Fallback fallback)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    wchar_t* dst = out;
    while (p < end) {
        const std::size_t run = WidenAsciiRun(p, end, dst);
        p += run;
        dst += run;
        if (p == end)
            break;
        const std::size_t length = ValidSequenceLength(p, end);
        if (length == 0) {
            *dst++ = fallback(*p++);
            continue;
        }
        *dst++ = static_cast<wchar_t>(DecodeSequence(p, length));
        p += length;
    }
    return static_cast<std::size_t>(dst - out);
}

template <typename Fallback>
void AppendUtf8(std::string_view bytes, std::wstring& out, Fallback fallback)
{
    // Write in place, then cut to what was produced.
    const std::size_t base = out.size();
    out.resize(base + bytes.size());
    out.resize(base + DecodeUtf8(bytes, out.data() + base, fallback));
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

std::size_t DecodeUtf8Lenient(std::string_view bytes, wchar_t* out)
{
    return DecodeUtf8(bytes, out, Cp1252ToWide);
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

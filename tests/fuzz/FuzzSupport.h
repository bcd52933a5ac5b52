#pragma once

// Small helpers shared by the fuzz targets.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace zellwick::fuzz {

// A broken invariant: say which, then stop so that libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

inline void Check(bool condition, const char* what)
{
    if (!condition)
        Fail(what);
}

// Takes parameters from the front of the input; what is left is the text.
class FuzzInput
{
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : m_bytes(reinterpret_cast<const char*>(data), size)
    {}

    std::uint8_t TakeByte()
    {
        if (m_bytes.empty())
            return 0;
        const auto byte = static_cast<std::uint8_t>(m_bytes.front());
        m_bytes.remove_prefix(1);
        return byte;
    }

    std::string_view Rest() const { return m_bytes; }

private:
    std::string_view m_bytes;
};

// UTF-8 as far as it is valid; any other byte stands for itself, so every wide value below
// 0x100 and every encoded character can be reached.
inline std::wstring DecodeLenient(std::string_view bytes)
{
    std::wstring text;
    text.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        bool valid = lead >= 0xC2 && lead <= 0xF4 && i + length <= bytes.size();
        char32_t value = lead & (0x7F >> length);
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            valid = (next & 0xC0) == 0x80;
            value = (value << 6) | (next & 0x3F);
        }
        if (valid) {
            text.push_back(static_cast<wchar_t>(value));
            i += length;
        } else {
            text.push_back(static_cast<wchar_t>(lead)); // ASCII, or a byte standing for itself
            ++i;
        }
    }
    return text;
}

} // namespace zellwick::fuzz

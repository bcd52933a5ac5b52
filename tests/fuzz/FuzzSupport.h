#pragma once

// Small helpers shared by the fuzz targets.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace zellwick::fuzz {

// A broken invariant: say which, then stop so that libFuzzer keeps the input.
inline void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// Takes parameters from the front of the input; what is left is the text.
struct FuzzInput
{
    std::string_view bytes;

    std::uint8_t TakeByte()
    {
        const auto byte = bytes.empty() ? std::uint8_t{0} : static_cast<std::uint8_t>(bytes[0]);
        bytes.remove_prefix(bytes.empty() ? 0 : 1);
        return byte;
    }
};

} // namespace zellwick::fuzz

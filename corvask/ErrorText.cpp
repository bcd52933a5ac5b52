#include "corvask/ErrorText.h"

#include "corvask/Utf8Text.h"

#include <climits>
#include <cstring>

namespace corvask {

namespace {

// strerror_r comes in two flavours; both lead to the text here.
[[maybe_unused]] const char* PickText(int result, const char* buffer)
{
    return result == 0 ? buffer : nullptr;
}

[[maybe_unused]] const char* PickText(const char* result, const char*)
{
    return result;
}

} // namespace

std::wstring ErrorText(std::uint32_t code)
{
    std::string text;
    if (code <= static_cast<std::uint32_t>(INT_MAX)) {
        char buffer[256] = {};
        const char* found =
            PickText(::strerror_r(static_cast<int>(code), buffer, sizeof buffer), buffer);
        if (found)
            text = found;
    }
    if (text.empty())
        text = "Unknown error " + std::to_string(code);
    // The text follows the locale's language; its bytes are UTF-8 or plain ASCII.
    std::wstring wide;
    AppendUtf8Lenient(text, wide);
    return wide;
}

} // namespace corvask

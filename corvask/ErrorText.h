#pragma once

#include <cstdint>
#include <string>

namespace corvask {

// The system's readable text for an errno value; "Unknown error N" for a code it does not know.
std::wstring ErrorText(std::uint32_t code);

} // namespace corvask

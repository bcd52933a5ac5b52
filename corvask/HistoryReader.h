#pragma once

// Following a growing history file: the complete lines from a byte offset on.

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace corvask {

inline constexpr std::uint64_t kNoByteLimit = std::numeric_limits<std::uint64_t>::max();

// Appends the complete lines from offset on to lines and moves offset past exactly the bytes
// consumed; at most maxBytes of them, unless the first line alone is longer. Returns 0, or an
// errno value with offset and lines untouched.
int ReadHistoryLines(const std::string& path, std::int64_t& offset,
                     std::vector<std::wstring>& lines, std::uint64_t maxBytes);

// The same, but the lines read replace what lines held, and its strings are used again for
// their storage: a caller that reads piece after piece into one vector allocates next to
// nothing. On failure lines is left empty.
int ReadHistoryLinesReusing(const std::string& path, std::int64_t& offset,
                            std::vector<std::wstring>& lines, std::uint64_t maxBytes);

} // namespace corvask

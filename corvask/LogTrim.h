#pragma once

#include <cstdint>
#include <string>

namespace corvask {

// Once the file is larger than maxBytes, keeps its newest keepBytes from the first line start
// inside them. The kept text is written aside and renamed into place; on any failure the
// file stays as it was. Returns 0 or an errno value (the interface itself reports nothing).
int TrimLog(const std::string& path, std::uint64_t keepBytes, std::uint64_t maxBytes);

} // namespace corvask

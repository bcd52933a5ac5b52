#pragma once

#include <cstdint>
#include <string>

namespace zellwick::watch {

// Results of the folder watch: 0 for success, one of the watch's own codes below, or an errno
// value from the system. The own codes keep the numbers the program has always logged.
inline constexpr std::uint32_t kWatchSuccess = 0;
inline constexpr std::uint32_t kErrorOutOfMemory = 14;        // a record could not be made
inline constexpr std::uint32_t kErrorInvalidParameter = 87;   // empty path or no handler
inline constexpr std::uint32_t kErrorBadPathname = 161;       // missing path or not a folder
inline constexpr std::uint32_t kErrorMaxThreadsReached = 164; // the worker could not start

// A readable text for any result of the watch: its own codes by their meaning, errno values
// by the system's text, and the inotify limits by the setting that raises them.
std::wstring WatchErrorText(std::uint32_t code);

} // namespace zellwick::watch

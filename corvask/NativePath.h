#pragma once

// Wide paths of the interface to the bytes the system names files with, and back.

#include <string>
#include <string_view>

namespace corvask {

// False when the path cannot name a file: an embedded NUL would silently name another one,
// and some wide values have no encoding at all.
bool ToNativePath(std::wstring_view path, std::string& native);

// Bytes that are not UTF-8 survive the trip back through ToNativePath.
std::wstring FromNativePath(std::string_view native);

} // namespace corvask

#pragma once

#include <string>

namespace corvask {

// The folder of the running executable as bytes, without a trailing '/' (so "" for the root).
std::string ExecutableFolder();

} // namespace corvask

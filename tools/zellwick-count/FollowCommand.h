#pragma once

#include "tools/zellwick-count/CountCommand.h"

#include <string>

namespace zellwick::count {

// zellwick-count --follow: counts what the client appends to the folder's history files while
// it runs, until SIGINT or SIGTERM, then prints the totals as a count does. Returns the exit
// status: 0 stopped by a signal, 1 the folder could not be watched or the output not written.
int RunFollowCommand(const CountCommand& command, const std::wstring& nickname);

} // namespace zellwick::count

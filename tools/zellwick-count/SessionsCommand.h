#pragma once

#include "tools/zellwick-count/CountCommand.h"

namespace zellwick::count {

// zellwick-count --sessions: the play periods kept in the sessions file (the command's one path,
// or the user's file) and their totals. Returns the exit status: 0 listed, also when no file
// was kept yet; 1 the file could not be read or the list not written; 2 no file given or known.
int RunSessionsCommand(const CountCommand& command);

} // namespace zellwick::count

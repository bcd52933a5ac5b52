#include "tools/zellwick-count/SessionsCommand.h"

#include <cstdio>

namespace zellwick::count {

// Built without the application layer, which keeps the sessions file.
int RunSessionsCommand(const CountCommand&)
{
    std::fputs("zellwick-count: this build cannot list sessions (built without app/)\n", stderr);
    return 2;
}

} // namespace zellwick::count

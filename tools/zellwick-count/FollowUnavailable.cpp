#include "tools/zellwick-count/FollowCommand.h"

#include <cstdio>

namespace zellwick::count {

// Built without the folder watch: counting files still works, following them does not.
int RunFollowCommand(const CountCommand&, const std::wstring&)
{
    std::fputs("zellwick-count: this build cannot follow a folder (built without the watch)\n",
               stderr);
    return 2;
}

} // namespace zellwick::count

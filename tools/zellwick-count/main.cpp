#include "tools/zellwick-count/CountCommand.h"

#include <cstdio>

int main(int argc, char** argv)
{
    using namespace zellwick::count;
    std::string error;
    const auto command = ParseCountCommand(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!command) {
        std::fprintf(stderr, "zellwick-count: %s\n(--help explains the options)\n", error.c_str());
        return 2;
    }
    if (command->help) {
        std::fputs(CountHelpText(), stdout);
        return 0;
    }
    return RunCountCommand(*command);
}

#include "tools/zellwick-genhands/GenCommand.h"

#include <cstdio>

int main(int argc, char** argv)
{
    using namespace zellwick::genhands;
    std::string error;
    const auto command = ParseGenCommand(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!command) {
        std::fprintf(stderr, "zellwick-genhands: %s\n(--help explains the options)\n",
                     error.c_str());
        return 2;
    }
    if (command->help) {
        std::fputs(GenHelpText(), stdout);
        return 0;
    }
    return RunGenCommand(*command);
}

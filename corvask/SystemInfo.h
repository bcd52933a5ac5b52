#pragma once

// Facts about the machine for the log's header. Every fact that cannot be found reads
// "unknown"; nothing here fails.

#include <string>
#include <vector>

namespace corvask {

// Where the facts come from; tests point these elsewhere.
struct SystemSources
{
    std::vector<std::string> osReleaseFiles = {"/etc/os-release", "/usr/lib/os-release"};
    std::string cpuInfoFile = "/proc/cpuinfo";
    std::string memInfoFile = "/proc/meminfo";
};

// "System: ...", "Release: ...", "Kernel: ..."; each line ends in '\n'.
std::vector<std::string> OSInfoLines(const SystemSources& sources);

// "Processor: ...", "Cores: ...", "Memory: ..."; each line ends in '\n'.
std::vector<std::string> CPUInfoLines(const SystemSources& sources);

} // namespace corvask

#include "corvask/SystemInfo.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sys/utsname.h>
#include <unistd.h>

namespace corvask {

namespace {

const std::string kUnknown = "unknown";

std::string Trim(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Calls visit(key, value) for every "key<separator>value" line of a small text file; false
// when the file cannot be opened. visit returns true to stop.
template <typename Visit>
bool ForEachEntry(const std::string& path, char separator, Visit visit)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "re"),
                                                         &std::fclose);
    if (!file)
        return false;
    char* raw = nullptr;
    std::size_t capacity = 0;
    bool stop = false;
    while (!stop && ::getline(&raw, &capacity, file.get()) >= 0) {
        const std::string line(raw);
        const std::size_t at = line.find(separator);
        if (at != std::string::npos)
            stop = visit(Trim(line.substr(0, at)), Trim(line.substr(at + 1)));
    }
    std::free(raw);
    return true;
}

// os-release values are shell words: quoted, with backslash escapes inside double quotes.
std::string Unquote(const std::string& value)
{
    if (value.size() < 2 || (value.front() != '"' && value.front() != '\'') ||
        value.back() != value.front())
        return value;
    const bool escapes = value.front() == '"';
    std::string plain;
    for (std::size_t i = 1; i + 1 < value.size(); ++i) {
        if (escapes && value[i] == '\\' && i + 2 < value.size())
            ++i;
        plain += value[i];
    }
    return plain;
}

std::string OrUnknown(const std::string& value)
{
    return value.empty() ? kUnknown : value;
}

std::string PrettyName(const SystemSources& sources)
{
    for (const std::string& path : sources.osReleaseFiles) {
        std::string name;
        const bool opened =
            ForEachEntry(path, '=', [&](const std::string& key, const std::string& value) {
                if (key == "PRETTY_NAME")
                    name = Unquote(value);
                return !name.empty();
            });
        if (opened)
            return OrUnknown(name);
    }
    return kUnknown;
}

std::string ProcessorModel(const SystemSources& sources)
{
    // x86 names it "model name"; other architectures use one of the later keys.
    static const char* const kKeys[] = {"model name", "Model", "Hardware",
                                        "cpu model",  "cpu",   "Processor"};
    std::string best;
    std::size_t bestRank = std::size(kKeys);
    ForEachEntry(sources.cpuInfoFile, ':', [&](const std::string& key, const std::string& value) {
        for (std::size_t rank = 0; rank < bestRank; ++rank) {
            if (key == kKeys[rank] && !value.empty()) {
                best = value;
                bestRank = rank;
            }
        }
        return bestRank == 0;
    });
    return OrUnknown(best);
}

std::string MemoryText(const SystemSources& sources)
{
    unsigned long long kib = 0;
    ForEachEntry(sources.memInfoFile, ':', [&](const std::string& key, const std::string& value) {
        if (key == "MemTotal")
            kib = std::strtoull(value.c_str(), nullptr, 10);
        return kib != 0;
    });
    if (kib == 0) {
        const long pages = ::sysconf(_SC_PHYS_PAGES);
        const long pageSize = ::sysconf(_SC_PAGESIZE);
        if (pages > 0 && pageSize > 0)
            kib = static_cast<unsigned long long>(pages) *
                  static_cast<unsigned long long>(pageSize) / 1024;
    }
    return kib == 0 ? kUnknown : std::to_string(kib / 1024) + " MB";
}

std::string CoresText()
{
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? std::to_string(online) : kUnknown;
}

std::string Line(const char* label, const std::string& value)
{
    return std::string(label) + ": " + value + "\n";
}

} // namespace

std::vector<std::string> OSInfoLines(const SystemSources& sources)
{
    struct utsname names = {};
    const bool named = ::uname(&names) == 0;
    std::string kernel = kUnknown;
    if (named && names.release[0] != '\0')
        kernel = std::string(names.release) + " (" + OrUnknown(names.machine) + ")";
    return {Line("System", named ? OrUnknown(names.sysname) : kUnknown),
            Line("Release", PrettyName(sources)), Line("Kernel", kernel)};
}

std::vector<std::string> CPUInfoLines(const SystemSources& sources)
{
    return {Line("Processor", ProcessorModel(sources)), Line("Cores", CoresText()),
            Line("Memory", MemoryText(sources))};
}

} // namespace corvask

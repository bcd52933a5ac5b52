#include "corvask/ExecDir.h"

#include <climits>
#include <cstdlib>
#include <sys/auxv.h>
#include <unistd.h>

namespace corvask {

namespace {

std::string ReadExeLink()
{
    std::string target(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", target.data(), target.size());
        if (length < 0)
            return {};
        if (static_cast<std::size_t>(length) < target.size()) {
            target.resize(static_cast<std::size_t>(length));
            return target;
        }
        target.resize(target.size() * 2);
    }
}

// Without /proc, the name the program was started by, made absolute.
std::string ResolveStartName()
{
    const auto* name = reinterpret_cast<const char*>(::getauxval(AT_EXECFN));
    if (!name)
        return {};
    char* resolved = ::realpath(name, nullptr);
    if (!resolved)
        return {};
    std::string path(resolved);
    std::free(resolved);
    return path;
}

} // namespace

std::string ExecutableFolder()
{
    std::string exe = ReadExeLink();
    if (exe.empty() || exe.front() != '/')
        exe = ResolveStartName();
    const std::size_t slash = exe.rfind('/');
    if (slash == std::string::npos)
        return "."; // nothing better known: the current folder rather than the root
    return exe.substr(0, slash);
}

} // namespace corvask

#include "tests/app/AppTestSupport.h"

#include "tests/support/TestSupport.h"

#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace zellwick::test {

std::optional<bool> RunAsNobody(const std::function<bool()>& check)
{
    constexpr int kCannotDrop = 3;
    const pid_t child = ::fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(kCannotDrop);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) == kCannotDrop)
        return std::nullopt;
    return WEXITSTATUS(status) == 0;
}

std::vector<std::string> ReadLines(const std::filesystem::path& file)
{
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(file));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool IsStampedLine(const std::string& line, const std::string& text)
{
    if (line.size() < text.size())
        return false;
    const std::string stamp = line.substr(0, line.size() - text.size());
    return std::regex_match(stamp, std::regex(kStampPattern)) &&
           line.compare(stamp.size(), std::string::npos, text) == 0;
}

} // namespace zellwick::test

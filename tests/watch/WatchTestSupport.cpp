#include "tests/watch/WatchTestSupport.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zellwick::test {

int RunInChild(const std::function<int()>& check)
{
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0)
        ::_exit(check());
    int status = 0;
    if (::waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool DropToNobody()
{
    return ::setgid(65534) == 0 && ::setuid(65534) == 0;
}

bool WriteSystemFile(const std::string& file, const std::string& text)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return written;
}

bool EnterOwnUserNamespace()
{
    const uid_t uid = ::geteuid();
    if (::unshare(CLONE_NEWUSER) != 0)
        return false;
    return WriteSystemFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1\n");
}

} // namespace zellwick::test

#pragma once

#include <cerrno>
#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zellwick::test {

// Runs check in a child process as the unprivileged user 65534 (no supplementary groups) and
// returns its result (0 to 254); -1 when the child could not drop its privileges. The check
// must not touch gtest: it only computes a number.
inline int RunAsOtherUser(const std::function<int()>& check)
{
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(255);
        ::_exit(check() & 0xFF);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

} // namespace zellwick::test

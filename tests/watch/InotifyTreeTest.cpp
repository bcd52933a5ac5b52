#include "watch/InotifyTree.h"
#include "tests/support/TestSupport.h"
#include "watch/DirectoryChangeWatcher.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zellwick::test;
using zellwick::watch::ChangeKind;
using zellwick::watch::InotifyTree;

namespace {

bool WriteSystemFile(const std::string& file, const std::string& text)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    const bool written =
        fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return written;
}

// In a forked child (no Qt, no gtest), root of a user namespace of its own, whose inotify watch
// limit it may set: out of watches for two of three subfolders, the rest of the tree is
// watched, each of the two is named once and listed all the same; once watches are free again
// they are watched at their next try, and what was made in them meanwhile is reported. A root
// without a watch is an error that names the limit.
TEST(InotifyTree, ASubfolderWithoutAWatchIsNamedOnceAndTriedAgain)
{
    TempDir dir;
    for (const char* name : {"s1/a.txt", "s2/b.txt", "s3/c.txt"})
        WriteFile(dir / name, "x");
    const uid_t uid = ::geteuid();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const auto check = [&] {
            if (::unshare(CLONE_NEWUSER) != 0 ||
                !WriteSystemFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1\n") ||
                !WriteSystemFile("/proc/sys/user/max_inotify_watches", "2\n"))
                return 77;
            std::unique_ptr<InotifyTree> tree;
            if (InotifyTree::Open(dir.path().string(), tree) != 0 || !tree->Knows("s2/b.txt"))
                return 1;
            InotifyTree::Changes changes;
            const auto now = InotifyTree::Clock::now();
            tree->LookAfterUnwatched(now, changes);
            tree->LookAfterUnwatched(now, changes);
            if (changes.size() != 2 || changes[0].kind != ChangeKind::Unwatched ||
                changes[0].error != ENOSPC || !tree->NextRetry())
                return 2;
            const std::string unwatched = changes[0].path;
            WriteFile(dir / "top.txt", "x");
            changes.clear();
            tree->ReadEvents(changes);
            if (changes.empty() || changes[0].path != "top.txt")
                return 3;
            WriteSystemFile("/proc/sys/user/max_inotify_watches", "100\n");
            WriteFile(dir / unwatched / "d.txt", "x");
            changes.clear();
            tree->LookAfterUnwatched(now + InotifyTree::kRetryTime, changes);
            const auto added = std::find_if(changes.begin(), changes.end(), [&](const auto& c) {
                return c.kind == ChangeKind::Added && c.path == unwatched + "/d.txt";
            });
            if (added == changes.end() || tree->NextRetry())
                return 4;
            WriteSystemFile("/proc/sys/user/max_inotify_watches", "0\n");
            CDirectoryChangeWatcher watcher;
            CDirectoryChangeHandler handler;
            TempDir other;
            if (watcher.WatchDirectory(other.wpath(), &handler) != ENOSPC)
                return 5;
            return CDirectoryChangeWatcher::ErrorText(ENOSPC).find(
                       L"fs.inotify.max_user_watches") != std::wstring::npos
                       ? 0
                       : 6;
        };
        ::_exit(check());
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "user namespaces are not available here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace

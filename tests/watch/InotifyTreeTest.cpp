#include "watch/InotifyTree.h"
#include "tests/support/TestSupport.h"
#include "watch/DirectoryChangeWatcher.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zellwick::test;
using zellwick::watch::ChangeKind;
using zellwick::watch::InotifyTree;

namespace {

std::string Describe(const InotifyTree::Changes& changes)
{
    static const char* const kNames[] = {"",         "added",   "removed",
                                         "modified", "renamed", "unwatched"};
    std::string text;
    for (const auto& change : changes) {
        text += (text.empty() ? "" : ", ") + std::string(kNames[static_cast<int>(change.kind)]) +
                " " + change.path + (change.newPath.empty() ? "" : " -> " + change.newPath);
    }
    return text;
}

// With room for one event per read, a rename's two halves come in two reads and still pair;
// a move away without partner is a removal once the pairing time is over.
TEST(InotifyTree, MovesArePairedAcrossReadsOrRemovedWhenNoPartnerCame)
{
    TempDir dir;
    TempDir outside;
    WriteFile(dir / "a.txt", "x");
    WriteFile(dir / "c.txt", "x");
    std::unique_ptr<InotifyTree> tree;
    ASSERT_EQ(InotifyTree::Open(dir.path().string(), tree, sizeof(inotify_event) + 16), 0);
    fs::rename(dir / "a.txt", dir / "b.txt");
    InotifyTree::Changes changes;
    ASSERT_EQ(tree->ReadEvents(changes), 0);
    EXPECT_TRUE(changes.empty());
    ASSERT_EQ(tree->ReadEvents(changes), 0);
    EXPECT_EQ(Describe(changes), "renamed a.txt -> b.txt");
    EXPECT_TRUE(tree->Knows("b.txt"));
    fs::rename(dir / "c.txt", outside / "c.txt");
    changes.clear();
    const auto now = InotifyTree::Clock::now();
    ASSERT_EQ(tree->ReadEvents(changes, now), 0);
    tree->ExpireMoves(now + InotifyTree::kMovePairingTime - std::chrono::milliseconds(1), changes);
    EXPECT_TRUE(changes.empty());
    tree->ExpireMoves(now + InotifyTree::kMovePairingTime, changes);
    EXPECT_EQ(Describe(changes), "removed c.txt");
}

bool WriteSystemFile(const std::string& file, const std::string& text)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    const bool written =
        fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return written;
}

// Root of a user namespace of its own (forked, single-threaded): may set its inotify limits.
bool EnterOwnUserNamespace()
{
    const uid_t uid = ::geteuid();
    return ::unshare(CLONE_NEWUSER) == 0 &&
           WriteSystemFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1\n");
}

// Runs check in a forked child without Qt or gtest: 0 is success, 77 not possible here.
void ExpectInChild(const std::function<int()>& check, const char* unavailable)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(check());
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << unavailable;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Out of watches for two of the subfolders: the rest of the tree is watched, each of the two
// is named once and listed all the same; once watches are free again they are watched at
// their next try, and what was made in them meanwhile is reported. A root without a watch is
// an error that names the limit.
TEST(InotifyTree, ASubfolderWithoutAWatchIsNamedOnceAndTriedAgain)
{
    TempDir dir;
    for (const char* name : {"s1/a.txt", "s2/b.txt", "s3/c.txt"})
        WriteFile(dir / name, "x");
    ExpectInChild(
        [&] {
            if (!EnterOwnUserNamespace() ||
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
            if (Describe(changes) != "added top.txt, modified top.txt")
                return 3;
            WriteSystemFile("/proc/sys/user/max_inotify_watches", "100\n");
            WriteFile(dir / unwatched / "d.txt", "x");
            changes.clear();
            tree->LookAfterUnwatched(now + InotifyTree::kRetryTime, changes);
            const std::string made = unwatched + "/d.txt";
            if (Describe(changes).find("added " + made + ", modified " + made) ==
                    std::string::npos ||
                tree->NextRetry())
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
        },
        "user namespaces are not available here");
}

// In a mount namespace of its own: a root unmounted under the tree ends it (ENODEV).
TEST(InotifyTree, AnUnmountedRootEndsTheTree)
{
    TempDir dir;
    fs::create_directories(dir / "mnt");
    const std::string mountPoint = (dir / "mnt").string();
    ExpectInChild(
        [&] {
            if (!EnterOwnUserNamespace() || ::unshare(CLONE_NEWNS) != 0 ||
                ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount("none", mountPoint.c_str(), "tmpfs", 0, nullptr) != 0)
                return 77;
            std::unique_ptr<InotifyTree> tree;
            if (InotifyTree::Open(mountPoint, tree) != 0 ||
                ::umount2(mountPoint.c_str(), MNT_DETACH) != 0)
                return 1;
            InotifyTree::Changes changes;
            int result = 0;
            for (int i = 0; i < 10 && result == 0; ++i)
                result = tree->ReadEvents(changes);
            return result == ENODEV ? 0 : 2;
        },
        "mount namespaces are not available here");
}

} // namespace

#include "watch/InotifyTree.h"
#include "tests/support/TestSupport.h"
#include "watch/DirectoryChangeWatcher.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zellwick::test;
using ::testing::ElementsAre;
using zellwick::watch::ChangeKind;
using zellwick::watch::InotifyTree;

namespace {

std::vector<std::string> Describe(const InotifyTree::Changes& changes)
{
    static const char* const kNames[] = {"", "added", "removed", "modified", "renamed"};
    std::vector<std::string> lines;
    for (const auto& change : changes) {
        std::string line = std::string(kNames[static_cast<int>(change.kind)]) + " " + change.path;
        if (change.kind == ChangeKind::Renamed)
            line += " -> " + change.newPath;
        if (change.kind == ChangeKind::Modified && !lines.empty() && lines.back() == line)
            continue;
        lines.push_back(line);
    }
    return lines;
}

// Reads until the descriptor has nothing more.
InotifyTree::Changes ReadAll(InotifyTree& tree)
{
    InotifyTree::Changes changes;
    for (;;) {
        bool got = false;
        EXPECT_EQ(tree.ReadEvents(changes, InotifyTree::Clock::now(), &got), 0);
        if (!got)
            return changes;
    }
}

std::unique_ptr<InotifyTree> OpenTree(const fs::path& root, size_t readSize = 64 * 1024)
{
    std::unique_ptr<InotifyTree> tree;
    EXPECT_EQ(InotifyTree::Open(root.string(), tree, readSize), 0);
    return tree;
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

// Makes the calling (forked, single-threaded) process root of a user namespace of its own, so
// that it may set the namespace's own inotify limits and mount.
bool EnterOwnUserNamespace()
{
    const uid_t uid = ::geteuid();
    return ::unshare(CLONE_NEWUSER) == 0 &&
           WriteSystemFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1\n");
}

// Runs check in a forked child, which must use neither Qt nor gtest: it reports through its
// exit status, 0 when all went well and 77 when the system does not allow the test.
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

// A folder moved away takes its files and its watches with it.
TEST(InotifyTree, WatchesTheWholeTreeWithoutReportingItOrFollowingLinks)
{
    TempDir dir;
    TempDir outside;
    WriteFile(dir / "a.txt", "x");
    WriteFile(dir / "s" / "t" / "b.txt", "x");
    fs::create_directories(dir / "real");
    fs::create_directory_symlink(dir.path(), dir / "real" / "loop");
    auto tree = OpenTree(dir.path());
    ASSERT_TRUE(tree);
    EXPECT_TRUE(tree->Knows("a.txt"));
    EXPECT_TRUE(tree->Knows("s/t/b.txt"));
    EXPECT_TRUE(tree->Knows("real/loop")); // a name in the folder, nothing more
    EXPECT_EQ(tree->FolderCount(), 4u);
    EXPECT_TRUE(ReadAll(*tree).empty());

    fs::rename(dir / "s", outside / "s");
    InotifyTree::Changes changes = ReadAll(*tree);
    tree->Drain(changes);
    EXPECT_THAT(Describe(changes), ElementsAre("removed s/t/b.txt"));
    EXPECT_EQ(tree->FolderCount(), 2u);
    AppendFile(outside / "s" / "t" / "b.txt", "more");
    EXPECT_TRUE(ReadAll(*tree).empty());
}

// With room for one event per read, the move away ends one read and its partner begins the
// next: they still make one rename.
TEST(InotifyTree, ARenameSplitAcrossTwoReadsIsPaired)
{
    TempDir dir;
    WriteFile(dir / "a.txt", "x");
    auto tree = OpenTree(dir.path(), sizeof(inotify_event) + 16);
    ASSERT_TRUE(tree);
    fs::rename(dir / "a.txt", dir / "b.txt");
    InotifyTree::Changes changes;
    ASSERT_EQ(tree->ReadEvents(changes), 0);
    EXPECT_TRUE(changes.empty());
    EXPECT_TRUE(tree->NextDeadline().has_value());
    ASSERT_EQ(tree->ReadEvents(changes), 0);
    EXPECT_THAT(Describe(changes), ElementsAre("renamed a.txt -> b.txt"));
    EXPECT_FALSE(tree->NextDeadline().has_value());
    EXPECT_TRUE(tree->Knows("b.txt"));
    EXPECT_FALSE(tree->Knows("a.txt"));
}

TEST(InotifyTree, AMoveAwayWithoutPartnerIsARemovalOnceThePairingTimeIsOver)
{
    TempDir dir;
    TempDir outside;
    WriteFile(dir / "a.txt", "x");
    auto tree = OpenTree(dir.path());
    ASSERT_TRUE(tree);
    fs::rename(dir / "a.txt", outside / "a.txt");
    const auto now = InotifyTree::Clock::now();
    InotifyTree::Changes changes;
    ASSERT_EQ(tree->ReadEvents(changes, now), 0);
    tree->ExpireMoves(now + InotifyTree::kMovePairingTime - std::chrono::milliseconds(1), changes);
    EXPECT_TRUE(changes.empty());
    tree->ExpireMoves(now + InotifyTree::kMovePairingTime, changes);
    EXPECT_THAT(Describe(changes), ElementsAre("removed a.txt"));
    EXPECT_FALSE(tree->Knows("a.txt"));
}

// The listing of a folder and the creation event of a file in it can both tell of the file;
// it is added once. A file moved over it, or made anew, is added again.
TEST(InotifyTree, AFileSeenByAListingAndByItsEventIsAddedOnce)
{
    TempDir dir;
    TempDir outside;
    fs::create_directories(dir / "s");
    auto tree = OpenTree(dir.path());
    ASSERT_TRUE(tree);
    WriteFile(dir / "s" / "h.txt", "hand\n");
    InotifyTree::Changes changes;
    ASSERT_EQ(tree->Rescan(changes), 0); // lists it before its events are read
    const InotifyTree::Changes events = ReadAll(*tree);
    changes.insert(changes.end(), events.begin(), events.end());
    EXPECT_THAT(Describe(changes), ElementsAre("added s/h.txt", "modified s/h.txt"));

    WriteFile(outside / "h.txt", "replacement\n");
    fs::rename(outside / "h.txt", dir / "s" / "h.txt");
    EXPECT_THAT(Describe(ReadAll(*tree)), ElementsAre("added s/h.txt"));

    fs::remove(dir / "s" / "h.txt");
    WriteFile(dir / "s" / "h.txt", "again\n");
    EXPECT_THAT(Describe(ReadAll(*tree)),
                ElementsAre("removed s/h.txt", "added s/h.txt", "modified s/h.txt"));
}

// In a mount namespace of its own, where the test may mount and unmount a folder.
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
            WriteFile(fs::path(mountPoint) / "a.txt", "x");
            std::unique_ptr<InotifyTree> tree;
            if (InotifyTree::Open(mountPoint, tree) != 0)
                return 1;
            if (::umount2(mountPoint.c_str(), MNT_DETACH) != 0)
                return 2;
            InotifyTree::Changes changes;
            int result = 0;
            for (int i = 0; i < 10 && result == 0; ++i)
                result = tree->ReadEvents(changes);
            return result == ENODEV ? 0 : 3;
        },
        "mount namespaces are not available here");
}

// As nobody: a folder that may not be read is left out, the rest is watched; a root that may
// not be read is an error.
TEST(InotifyTree, FoldersWithoutPermissionAreLeftOut)
{
    if (!RunningAsRoot())
        GTEST_SKIP() << "needs root to switch to another user";
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
    WriteFile(dir / "open" / "a.txt", "x");
    WriteFile(dir / "closed" / "b.txt", "x");
    fs::permissions(dir / "closed", fs::perms::owner_all);
    ExpectInChild(
        [&] {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                return 77;
            std::unique_ptr<InotifyTree> tree;
            if (InotifyTree::Open(dir.path().string(), tree) != 0)
                return 1;
            if (!tree->Knows("open/a.txt") || tree->Knows("closed/b.txt") ||
                tree->FolderCount() != 2)
                return 2;
            std::unique_ptr<InotifyTree> closed;
            return InotifyTree::Open((dir / "closed").string(), closed) == EACCES ? 0 : 3;
        },
        "cannot switch to uid 65534 here");
}

// In a user namespace of its own, whose inotify watch limit the test may lower: running out
// of watches is an error of WatchDirectory that names the limit, not a hang.
TEST(InotifyTree, RunningOutOfWatchesIsAnErrorThatNamesTheLimit)
{
    TempDir dir;
    for (int i = 0; i < 6; ++i)
        fs::create_directories(dir / ("s" + std::to_string(i)));
    ExpectInChild(
        [&] {
            if (!EnterOwnUserNamespace() ||
                !WriteSystemFile("/proc/sys/user/max_inotify_watches", "3\n"))
                return 77;
            std::unique_ptr<InotifyTree> tree;
            if (InotifyTree::Open(dir.path().string(), tree) != ENOSPC)
                return 1;
            CDirectoryChangeWatcher watcher;
            CDirectoryChangeHandler handler;
            if (watcher.WatchDirectory(dir.wpath(), &handler) != ENOSPC || errno != ENOSPC)
                return 2;
            if (watcher.IsWatching(dir.wpath()))
                return 3;
            const std::wstring text = CDirectoryChangeWatcher::ErrorText(ENOSPC);
            return text.find(L"fs.inotify.max_user_watches") != std::wstring::npos ? 0 : 4;
        },
        "user namespaces are not available here");
}

TEST(InotifyTree, RunningOutOfDescriptorsIsAnErrorThatNamesTheLimit)
{
    TempDir dir;
    ExpectInChild(
        [&] {
            CDirectoryChangeWatcher watcher;
            CDirectoryChangeHandler handler;
            // A first call while descriptors are left: the sanitizers' type checks need one.
            if (watcher.WatchDirectory((dir / "missing").wstring(), &handler) != 161)
                return 3;
            rlimit limit{};
            if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
                return 77;
            limit.rlim_cur = 64;
            if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
                return 77;
            std::vector<int> taken;
            for (int fd = ::open("/dev/null", O_RDONLY); fd >= 0;
                 fd = ::open("/dev/null", O_RDONLY))
                taken.push_back(fd);
            const std::uint32_t result = watcher.WatchDirectory(dir.wpath(), &handler);
            for (const int fd : taken)
                ::close(fd);
            if (result != EMFILE)
                return 1;
            const std::wstring text = CDirectoryChangeWatcher::ErrorText(EMFILE);
            return text.find(L"max_user_instances") != std::wstring::npos &&
                           text.find(L"open-file limit") != std::wstring::npos
                       ? 0
                       : 2;
        },
        "cannot lower the open-file limit here");
}

} // namespace

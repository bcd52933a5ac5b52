#include "watch/InotifyTree.h"
#include "tests/support/TestSupport.h"
#include "tests/watch/WatchTestSupport.h"
#include "watch/DirectoryChangeWatcher.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
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

int QueueLimit()
{
    std::ifstream in("/proc/sys/fs/inotify/max_queued_events");
    int limit = 0;
    in >> limit;
    return limit;
}

TEST(InotifyTree, OpeningAMissingFolderGivesItsError)
{
    TempDir dir;
    std::unique_ptr<InotifyTree> tree;
    EXPECT_EQ(InotifyTree::Open((dir / "missing").string(), tree), ENOENT);
    EXPECT_EQ(tree, nullptr);
}

TEST(InotifyTree, KnowsTheFilesOfTheWholeTreeWithoutReportingThem)
{
    TempDir dir;
    WriteFile(dir / "a.txt", "x");
    WriteFile(dir / "s" / "t" / "b.txt", "x");
    std::unique_ptr<InotifyTree> tree;
    ASSERT_EQ(InotifyTree::Open(dir.path().string(), tree), 0);
    EXPECT_TRUE(tree->Knows("a.txt"));
    EXPECT_TRUE(tree->Knows("s/t/b.txt"));
    EXPECT_EQ(tree->FolderCount(), 3u);
    EXPECT_TRUE(ReadAll(*tree).empty());
}

TEST(InotifyTree, LinksToFoldersAreNotFollowed)
{
    TempDir dir;
    fs::create_directories(dir / "real");
    fs::create_directory_symlink(dir.path(), dir / "real" / "loop");
    std::unique_ptr<InotifyTree> tree;
    ASSERT_EQ(InotifyTree::Open(dir.path().string(), tree), 0);
    EXPECT_EQ(tree->FolderCount(), 2u);
    EXPECT_TRUE(tree->Knows("real/loop")); // a name in the folder, nothing more
}

// With room for one event per read, the move away ends one read and its partner begins the
// next: they still make one rename.
TEST(InotifyTree, ARenameSplitAcrossTwoReadsIsPaired)
{
    TempDir dir;
    WriteFile(dir / "a.txt", "x");
    std::unique_ptr<InotifyTree> tree;
    const size_t oneEvent = sizeof(inotify_event) + 16;
    ASSERT_EQ(InotifyTree::Open(dir.path().string(), tree, oneEvent), 0);
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
    std::unique_ptr<InotifyTree> tree;
    ASSERT_EQ(InotifyTree::Open(dir.path().string(), tree), 0);
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

// A follower must see the old file go before the new one of the same name comes.
TEST(InotifyTree, AnyOtherEventSettlesAPendingMoveFirst)
{
    TempDir dir;
    TempDir outside;
    WriteFile(dir / "a.txt", "old");
    std::unique_ptr<InotifyTree> tree;
    ASSERT_EQ(InotifyTree::Open(dir.path().string(), tree), 0);
    fs::rename(dir / "a.txt", outside / "a.txt");
    WriteFile(dir / "a.txt", "new");
    EXPECT_THAT(Describe(ReadAll(*tree)),
                ElementsAre("removed a.txt", "added a.txt", "modified a.txt"));
}

TEST(InotifyTree, AFolderMovedAwayTakesItsFilesAndItsWatches)
{
    TempDir dir;
    TempDir outside;
    WriteFile(dir / "s" / "a.txt", "x");
    std::unique_ptr<InotifyTree> tree;
    ASSERT_EQ(InotifyTree::Open(dir.path().string(), tree), 0);
    fs::rename(dir / "s", outside / "s");
    InotifyTree::Changes changes = ReadAll(*tree);
    tree->Drain(changes);
    EXPECT_THAT(Describe(changes), ElementsAre("removed s/a.txt"));
    EXPECT_EQ(tree->FolderCount(), 1u);
    AppendFile(outside / "s" / "a.txt", "more"); // no longer ours
    EXPECT_TRUE(ReadAll(*tree).empty());
}

// The listing of a folder and the creation event of a file in it can both tell of the file;
// it is added once. A file made anew after that is added again.
TEST(InotifyTree, AFileSeenByAListingAndByItsEventIsAddedOnce)
{
    TempDir dir;
    fs::create_directories(dir / "s");
    std::unique_ptr<InotifyTree> tree;
    ASSERT_EQ(InotifyTree::Open(dir.path().string(), tree), 0);
    WriteFile(dir / "s" / "h.txt", "hand\n");
    InotifyTree::Changes changes;
    ASSERT_EQ(tree->Rescan(changes), 0); // lists it before its events are read
    const InotifyTree::Changes events = ReadAll(*tree);
    changes.insert(changes.end(), events.begin(), events.end());
    EXPECT_THAT(Describe(changes), ElementsAre("added s/h.txt", "modified s/h.txt"));

    fs::remove(dir / "s" / "h.txt");
    WriteFile(dir / "s" / "h.txt", "again\n");
    EXPECT_THAT(Describe(ReadAll(*tree)),
                ElementsAre("removed s/h.txt", "added s/h.txt", "modified s/h.txt"));
}

TEST(InotifyTree, AFileMovedOverAListedOneIsAddedAgain)
{
    TempDir dir;
    TempDir outside;
    fs::create_directories(dir / "s");
    std::unique_ptr<InotifyTree> tree;
    ASSERT_EQ(InotifyTree::Open(dir.path().string(), tree), 0);
    WriteFile(dir / "s" / "h.txt", "first\n");
    InotifyTree::Changes changes;
    ASSERT_EQ(tree->Rescan(changes), 0);
    ReadAll(*tree);
    WriteFile(outside / "h.txt", "replacement\n");
    fs::rename(outside / "h.txt", dir / "s" / "h.txt");
    EXPECT_THAT(Describe(ReadAll(*tree)), ElementsAre("added s/h.txt"));
}

// Lost events: the kernel's queue overflows while nobody reads. The rescan that follows
// reports every known file as modified, new ones as added (with their text), and gone ones
// as removed, so a follower loses nothing.
TEST(InotifyTree, AnOverflowIsRecoveredByListingTheTreeAgain)
{
    const int limit = QueueLimit();
    if (limit <= 0 || limit > 200000)
        GTEST_SKIP() << "the inotify queue limit (" << limit << ") is out of reach for a test";
    TempDir dir;
    for (const char* name : {"k1.txt", "k2.txt", "k3.txt", "quiet.txt"})
        WriteFile(dir / name, "x\n");
    std::unique_ptr<InotifyTree> tree;
    ASSERT_EQ(InotifyTree::Open(dir.path().string(), tree), 0);
    {
        // Two files in turn, so the kernel cannot merge the events.
        const int one = ::open((dir / "k1.txt").c_str(), O_WRONLY | O_APPEND);
        const int two = ::open((dir / "k2.txt").c_str(), O_WRONLY | O_APPEND);
        for (int i = 0; i <= limit / 2 + 10; ++i) {
            ASSERT_EQ(::write(one, "y", 1), 1);
            ASSERT_EQ(::write(two, "y", 1), 1);
        }
        ::close(one);
        ::close(two);
    }
    fs::remove(dir / "k3.txt");
    WriteFile(dir / "new" / "n1.txt", "hand\n");
    WriteFile(dir / "n2.txt", "");
    const std::vector<std::string> lines = Describe(ReadAll(*tree));
    auto count = [&](const std::string& line) {
        return std::count(lines.begin(), lines.end(), line);
    };
    EXPECT_EQ(count("removed k3.txt"), 1);
    EXPECT_EQ(count("added new/n1.txt"), 1);
    EXPECT_EQ(count("modified new/n1.txt"), 1);
    EXPECT_EQ(count("added n2.txt"), 1);
    EXPECT_EQ(count("modified n2.txt"), 0);
    EXPECT_GE(count("modified k1.txt"), 1);
    EXPECT_EQ(count("modified quiet.txt"), 1); // only the rescan says so
    EXPECT_TRUE(tree->Knows("new/n1.txt"));
    EXPECT_FALSE(tree->Knows("k3.txt"));
    // The new folder is watched from now on.
    AppendFile(dir / "new" / "n1.txt", "hand\n");
    EXPECT_THAT(Describe(ReadAll(*tree)), ElementsAre("modified new/n1.txt"));
}

TEST(InotifyTree, TheDeletedRootEndsTheTree)
{
    TempDir dir;
    fs::create_directories(dir / "hh");
    WriteFile(dir / "hh" / "a.txt", "x");
    std::unique_ptr<InotifyTree> tree;
    ASSERT_EQ(InotifyTree::Open((dir / "hh").string(), tree), 0);
    fs::remove_all(dir / "hh");
    InotifyTree::Changes changes;
    int result = 0;
    for (int i = 0; i < 10 && result == 0; ++i)
        result = tree->ReadEvents(changes);
    EXPECT_EQ(result, ENOENT);
    EXPECT_THAT(Describe(changes), ElementsAre("removed a.txt"));
}

// Run in a mount namespace of its own, where the test may mount and unmount a folder.
TEST(InotifyTree, AnUnmountedRootEndsTheTree)
{
    TempDir dir;
    fs::create_directories(dir / "mnt");
    const std::string mountPoint = (dir / "mnt").string();
    const int status = RunInChild([&] {
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
    });
    if (status == 77)
        GTEST_SKIP() << "mount namespaces are not available here";
    EXPECT_EQ(status, 0);
}

// Run as nobody in a child: a folder that may not be read is left out, the rest is watched;
// a root that may not be read is an error.
TEST(InotifyTree, FoldersWithoutPermissionAreLeftOut)
{
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
    WriteFile(dir / "open" / "a.txt", "x");
    WriteFile(dir / "closed" / "b.txt", "x");
    fs::permissions(dir / "closed", fs::perms::owner_all);
    if (!RunningAsRoot())
        GTEST_SKIP() << "needs root to switch to another user";
    const int status = RunInChild([&] {
        if (!DropToNobody())
            return 77;
        std::unique_ptr<InotifyTree> tree;
        if (InotifyTree::Open(dir.path().string(), tree) != 0)
            return 1;
        if (!tree->Knows("open/a.txt") || tree->Knows("closed/b.txt") || tree->FolderCount() != 2)
            return 2;
        std::unique_ptr<InotifyTree> closed;
        if (InotifyTree::Open((dir / "closed").string(), closed) != EACCES)
            return 3;
        return 0;
    });
    if (status == 77)
        GTEST_SKIP() << "cannot switch to uid 65534 here";
    EXPECT_EQ(status, 0);
}

// Run in a user namespace of its own, whose inotify watch limit the test may lower: running
// out of watches is an error of WatchDirectory that names the limit, not a hang.
TEST(InotifyTree, RunningOutOfWatchesIsAnErrorThatNamesTheLimit)
{
    TempDir dir;
    for (int i = 0; i < 6; ++i)
        fs::create_directories(dir / ("s" + std::to_string(i)));
    const int status = RunInChild([&] {
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
        if (CDirectoryChangeWatcher::ErrorText(ENOSPC).find(L"max_user_watches") ==
            std::wstring::npos)
            return 4;
        return 0;
    });
    if (status == 77)
        GTEST_SKIP() << "user namespaces are not available here";
    EXPECT_EQ(status, 0);
}

TEST(InotifyTree, RunningOutOfDescriptorsIsAnErrorThatNamesTheLimit)
{
    TempDir dir;
    const int status = RunInChild([&] {
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
        for (int fd = ::open("/dev/null", O_RDONLY); fd >= 0; fd = ::open("/dev/null", O_RDONLY))
            taken.push_back(fd);
        const std::uint32_t result = watcher.WatchDirectory(dir.wpath(), &handler);
        for (const int fd : taken)
            ::close(fd);
        if (result != EMFILE)
            return 1;
        if (CDirectoryChangeWatcher::ErrorText(EMFILE).find(L"open-file limit") ==
            std::wstring::npos)
            return 2;
        return 0;
    });
    if (status == 77)
        GTEST_SKIP() << "cannot lower the open-file limit here";
    EXPECT_EQ(status, 0);
}

} // namespace

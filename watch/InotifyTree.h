#pragma once

// One watched folder tree over inotify: one descriptor, a watch on the folder and on every
// folder below it, and the set of files known to exist. It turns the kernel's events into
// added, removed, modified and renamed files, with paths relative to the root.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <unordered_map>
#include <vector>

struct stat;

namespace zellwick::watch {

enum class ChangeKind
{
    Added = 1,
    Removed = 2,
    Modified = 3,
    Renamed = 4,
    Unwatched = 5, // a folder of the tree got no watch (error says why); it is listed anyway
};

struct TreeChange
{
    ChangeKind kind;
    std::string path;    // relative to the root, '/' between folders
    std::string newPath; // renames only
    int error = 0;       // Unwatched only
};

class InotifyTree
{
public:
    using Clock = std::chrono::steady_clock;
    using Changes = std::vector<TreeChange>;

    // How long a move away waits for the move in that would make it a rename.
    static constexpr std::chrono::milliseconds kMovePairingTime{50};
    static constexpr std::size_t kDefaultReadSize = 64 * 1024;
    // How often a folder that could not be watched is tried again.
    static constexpr std::chrono::seconds kRetryTime{2};

    // Watches root and every folder below it and lists the files there (without reporting
    // them). Returns 0, or the errno that stopped the root's watch (ENOSPC: the watch limit).
    // A folder below the root that gets no watch is listed all the same, reported once as
    // Unwatched, and tried again every kRetryTime.
    static int Open(const std::string& root, std::unique_ptr<InotifyTree>& tree,
                    std::size_t readSize = kDefaultReadSize);
    ~InotifyTree();
    InotifyTree(const InotifyTree&) = delete;
    InotifyTree& operator=(const InotifyTree&) = delete;

    int Fd() const { return m_fd; }

    // One read of the descriptor. Returns 0 while the tree goes on, or an errno once it has
    // ended (ENOENT: the root was deleted or moved, ENODEV: unmounted). gotEvents tells
    // whether anything was read.
    int ReadEvents(Changes& changes, Clock::time_point now = Clock::now(),
                   bool* gotEvents = nullptr);
    // Reads what is queued (a bounded number of times) and settles pending moves; for a stop.
    void Drain(Changes& changes);
    // Moves away that found no partner in time are removals.
    void ExpireMoves(Clock::time_point now, Changes& changes);
    std::optional<Clock::time_point> NextDeadline() const;
    // Lists the whole tree again and reports what differs from the known files: unknown ones
    // as added (and modified when they hold text), known ones as modified, missing ones as
    // removed. Used when the kernel dropped events.
    int Rescan(Changes& changes);
    // Reports every file as added, and as modified when it holds text: a tree opened on a
    // folder that came back holds nothing anybody has read.
    void ReportAllAsNew(Changes& changes) const;
    // Folders without a watch: reports them once, and at their time tries to watch them again
    // and reports what changed in them meanwhile as a rescan does.
    void LookAfterUnwatched(Clock::time_point now, Changes& changes);
    std::optional<Clock::time_point> NextRetry() const;

    bool Knows(const std::string& relPath) const { return m_known.count(relPath) != 0; }
    std::size_t FolderCount() const { return m_dirOfWd.size(); }

private:
    struct KnownFile
    {
        ino_t ino = 0;
        dev_t dev = 0;
        bool listed = false; // reported by a listing; its own creation event may still come
    };
    using KnownFiles = std::map<std::string, KnownFile>;
    struct PendingMove
    {
        std::uint32_t cookie;
        std::string path;
        bool isDir;
        Clock::time_point deadline;
    };
    using FileVisitor = std::function<void(const std::string&, const struct stat&)>;
    struct Unwatched
    {
        int error;
        bool reported;
    };

    InotifyTree(std::string root, int fd, std::size_t readSize);

    std::string Absolute(const std::string& relPath) const;
    int WatchAndList(const std::string& relDir, bool isTreeRoot, const FileVisitor& onFile,
                     std::vector<int>* seenWds);
    int AddWatch(const std::string& relDir, bool isTreeRoot, int& wd);
    void MapFolder(int wd, const std::string& relDir);

    int HandleEvent(int wd, std::uint32_t mask, std::uint32_t cookie, const std::string& name,
                    Clock::time_point now, Changes& changes);
    int FolderEvent(std::uint32_t mask, std::uint32_t cookie, const std::string& relPath,
                    Clock::time_point now, Changes& changes);
    void FileEvent(std::uint32_t mask, std::uint32_t cookie, const std::string& relPath,
                   Clock::time_point now, Changes& changes);
    std::optional<PendingMove> TakePartner(std::uint32_t cookie, bool isDir);
    void SettleMoves(Changes& changes);
    void SettleMove(const PendingMove& move, Changes& changes);

    void FileCreated(const std::string& relPath, Changes& changes);
    void FileRenamed(const std::string& oldPath, const std::string& newPath, Changes& changes);
    int AddSubtree(const std::string& relDir, Changes& changes);
    void RemoveSubtree(const std::string& relDir, bool unwatch, Changes& changes);
    void RenameSubtree(const std::string& oldDir, const std::string& newDir, Changes& changes);
    void ForgetWatch(int wd, Changes& changes);

    std::string m_root;
    int m_fd;
    int m_rootWd = -1;
    std::vector<char> m_buffer;
    KnownFiles m_known;
    std::unordered_map<int, std::string> m_dirOfWd;
    std::map<std::string, int> m_wdOfDir;
    std::deque<PendingMove> m_pending;
    std::map<std::string, Unwatched> m_unwatched;
    Clock::time_point m_nextRetry{};
};

} // namespace zellwick::watch

#include "watch/InotifyTree.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <set>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zellwick::watch {

namespace {

constexpr std::uint32_t kEventMask = IN_MODIFY | IN_CREATE | IN_DELETE | IN_MOVED_FROM |
                                     IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR |
                                     IN_EXCL_UNLINK;
// Folders below the root are never followed through a link, so a link loop cannot trap the
// walk. The root itself may be a link: it is the folder the user chose.
constexpr std::uint32_t kSubfolderMask = kEventMask | IN_DONT_FOLLOW;
constexpr int kDrainReads = 64;

std::string Join(const std::string& dir, const std::string& name)
{
    return dir.empty() ? name : dir + "/" + name;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool SameFile(ino_t ino, dev_t dev, const struct stat& st)
{
    return ino == st.st_ino && dev == st.st_dev;
}

} // namespace

InotifyTree::InotifyTree(std::string root, int fd, std::size_t readSize)
    : m_root(std::move(root)), m_fd(fd), m_buffer(readSize)
{}

InotifyTree::~InotifyTree()
{
    ::close(m_fd); // takes every watch with it
}

int InotifyTree::Open(const std::string& root, std::unique_ptr<InotifyTree>& tree,
                      std::size_t readSize)
{
    const int fd = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (fd < 0)
        return errno;
    std::unique_ptr<InotifyTree> made(new InotifyTree(root, fd, readSize));
    InotifyTree* self = made.get();
    const int result = made->WatchAndList(
        "", true,
        [self](const std::string& relPath, const struct stat& st) {
            // Files there at the start are known, but their creation was not seen.
            self->m_known[relPath] = {st.st_ino, st.st_dev, false};
        },
        nullptr);
    if (result != 0)
        return result;
    tree = std::move(made);
    return 0;
}

std::string InotifyTree::Absolute(const std::string& relPath) const
{
    if (relPath.empty())
        return m_root;
    if (!m_root.empty() && m_root.back() == '/')
        return m_root + relPath;
    return m_root + "/" + relPath;
}

// Watches each folder before listing it, so a file created in between is seen either in the
// listing or as an event (or both: the known files sort that out).
int InotifyTree::WatchAndList(const std::string& relDir, bool isTreeRoot, const FileVisitor& onFile,
                              std::vector<int>* seenWds)
{
    std::vector<std::string> folders{relDir};
    bool first = true;
    while (!folders.empty()) {
        const std::string rel = folders.back();
        folders.pop_back();
        const bool isRoot = first && isTreeRoot;
        first = false;
        int wd = -1;
        const int watchError = AddWatch(rel, isRoot, wd);
        if (watchError == 0) {
            m_unwatched.erase(rel);
            if (seenWds)
                seenWds->push_back(wd);
        } else if (isRoot) {
            return watchError;
        } else if (watchError == ENOSPC || watchError == ENOMEM) {
            // Out of watches: the rest of the tree goes on being watched, and this folder is
            // listed all the same and tried again later.
            const auto [entry, fresh] = m_unwatched.try_emplace(rel, Unwatched{watchError, false});
            if (fresh && m_nextRetry == Clock::time_point{})
                m_nextRetry = Clock::now() + kRetryTime;
        } else {
            continue; // a folder that vanished or may not be read is left out
        }
        DIR* dir = ::opendir(Absolute(rel).c_str());
        if (!dir) {
            if (isRoot)
                return errno;
            continue;
        }
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            const std::string child = Join(rel, name);
            struct stat st = {};
            if (::lstat(Absolute(child).c_str(), &st) != 0)
                continue; // gone already; its removal event follows
            if (S_ISDIR(st.st_mode))
                folders.push_back(child);
            else
                onFile(child, st);
        }
        ::closedir(dir);
    }
    return 0;
}

int InotifyTree::AddWatch(const std::string& relDir, bool isTreeRoot, int& wd)
{
    const std::uint32_t mask = relDir.empty() ? kEventMask : kSubfolderMask;
    wd = ::inotify_add_watch(m_fd, Absolute(relDir).c_str(), mask);
    if (wd < 0)
        return errno;
    if (relDir.empty() && isTreeRoot)
        m_rootWd = wd;
    MapFolder(wd, relDir);
    return 0;
}

void InotifyTree::MapFolder(int wd, const std::string& relDir)
{
    const auto byWd = m_dirOfWd.find(wd);
    if (byWd != m_dirOfWd.end() && byWd->second != relDir) {
        const auto old = m_wdOfDir.find(byWd->second);
        if (old != m_wdOfDir.end() && old->second == wd)
            m_wdOfDir.erase(old);
    }
    const auto byName = m_wdOfDir.find(relDir);
    if (byName != m_wdOfDir.end() && byName->second != wd) {
        // Another folder held this name before: it is no longer reachable under it.
        ::inotify_rm_watch(m_fd, byName->second);
        m_dirOfWd.erase(byName->second);
    }
    m_dirOfWd[wd] = relDir;
    m_wdOfDir[relDir] = wd;
}

int InotifyTree::ReadEvents(Changes& changes, Clock::time_point now, bool* gotEvents)
{
    if (gotEvents)
        *gotEvents = false;
    const ssize_t got = ::read(m_fd, m_buffer.data(), m_buffer.size());
    if (got < 0)
        return (errno == EAGAIN || errno == EINTR) ? 0 : errno;
    if (gotEvents)
        *gotEvents = got > 0;
    const auto size = static_cast<size_t>(got);
    size_t offset = 0;
    while (offset + sizeof(inotify_event) <= size) {
        inotify_event event;
        std::memcpy(&event, m_buffer.data() + offset, sizeof event);
        const char* namePtr = m_buffer.data() + offset + sizeof event;
        offset += sizeof event + event.len;
        if (offset > size)
            break;
        const std::string name(namePtr, ::strnlen(namePtr, event.len));
        const int result = HandleEvent(event.wd, event.mask, event.cookie, name, now, changes);
        if (result != 0)
            return result;
    }
    return 0;
}

void InotifyTree::Drain(Changes& changes)
{
    for (int i = 0; i < kDrainReads; ++i) {
        bool gotEvents = false;
        if (ReadEvents(changes, Clock::now(), &gotEvents) != 0 || !gotEvents)
            break;
    }
    SettleMoves(changes);
}

int InotifyTree::HandleEvent(int wd, std::uint32_t mask, std::uint32_t cookie,
                             const std::string& name, Clock::time_point now, Changes& changes)
{
    if (mask & IN_Q_OVERFLOW) {
        // Events were lost: what is on disk now is the only truth left.
        m_pending.clear();
        return Rescan(changes);
    }
    // The two halves of a rename come one right after the other (perhaps in two reads);
    // anything else in between means the move away has no partner here.
    const bool completesMove =
        (mask & IN_MOVED_TO) && !m_pending.empty() && m_pending.front().cookie == cookie;
    if (!completesMove)
        SettleMoves(changes);
    const auto found = m_dirOfWd.find(wd);
    if (found == m_dirOfWd.end())
        return 0;
    if (wd == m_rootWd) {
        if (mask & IN_UNMOUNT)
            return ENODEV;
        if (mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED))
            return ENOENT;
    }
    if (mask & IN_IGNORED) {
        ForgetWatch(wd, changes);
        return 0;
    }
    if ((mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) || name.empty())
        return 0; // a subfolder's own fate is told by its parent's events
    const std::string relPath = Join(found->second, name);
    if (mask & IN_ISDIR)
        return FolderEvent(mask, cookie, relPath, now, changes);
    FileEvent(mask, cookie, relPath, now, changes);
    return 0;
}

int InotifyTree::FolderEvent(std::uint32_t mask, std::uint32_t cookie, const std::string& relPath,
                             Clock::time_point now, Changes& changes)
{
    if (mask & IN_CREATE)
        return AddSubtree(relPath, changes);
    if (mask & IN_MOVED_TO) {
        if (const auto from = TakePartner(cookie, true)) {
            RenameSubtree(from->path, relPath, changes);
            return 0;
        }
        return AddSubtree(relPath, changes);
    }
    if (mask & IN_MOVED_FROM)
        m_pending.push_back({cookie, relPath, true, now + kMovePairingTime});
    else if (mask & IN_DELETE)
        RemoveSubtree(relPath, false, changes);
    return 0;
}

void InotifyTree::FileEvent(std::uint32_t mask, std::uint32_t cookie, const std::string& relPath,
                            Clock::time_point now, Changes& changes)
{
    if (mask & IN_CREATE) {
        FileCreated(relPath, changes);
    } else if (mask & IN_MOVED_TO) {
        if (const auto from = TakePartner(cookie, false))
            FileRenamed(from->path, relPath, changes);
        else
            FileCreated(relPath, changes);
    } else if (mask & IN_MOVED_FROM) {
        m_pending.push_back({cookie, relPath, false, now + kMovePairingTime});
    } else if (mask & IN_DELETE) {
        m_known.erase(relPath);
        changes.push_back({ChangeKind::Removed, relPath, {}});
    } else if (mask & IN_MODIFY) {
        m_known.try_emplace(relPath);
        changes.push_back({ChangeKind::Modified, relPath, {}});
    }
}

std::optional<InotifyTree::PendingMove> InotifyTree::TakePartner(std::uint32_t cookie, bool isDir)
{
    if (m_pending.empty() || m_pending.front().cookie != cookie || m_pending.front().isDir != isDir)
        return std::nullopt;
    PendingMove move = m_pending.front();
    m_pending.pop_front();
    return move;
}

void InotifyTree::SettleMoves(Changes& changes)
{
    while (!m_pending.empty()) {
        const PendingMove move = m_pending.front();
        m_pending.pop_front();
        SettleMove(move, changes);
    }
}

void InotifyTree::SettleMove(const PendingMove& move, Changes& changes)
{
    if (move.isDir) {
        RemoveSubtree(move.path, true, changes);
        return;
    }
    m_known.erase(move.path);
    changes.push_back({ChangeKind::Removed, move.path, {}});
}

void InotifyTree::ExpireMoves(Clock::time_point now, Changes& changes)
{
    while (!m_pending.empty() && m_pending.front().deadline <= now) {
        const PendingMove move = m_pending.front();
        m_pending.pop_front();
        SettleMove(move, changes);
    }
}

std::optional<InotifyTree::Clock::time_point> InotifyTree::NextDeadline() const
{
    if (m_pending.empty())
        return std::nullopt;
    return m_pending.front().deadline;
}

void InotifyTree::FileCreated(const std::string& relPath, Changes& changes)
{
    struct stat st = {};
    const bool exists = ::lstat(Absolute(relPath).c_str(), &st) == 0;
    const auto known = m_known.find(relPath);
    if (known != m_known.end() && known->second.listed) {
        known->second.listed = false;
        // The listing of a new folder reported this very file already; a second "added"
        // would have a follower read it from the start again.
        if (!exists || SameFile(known->second.ino, known->second.dev, st))
            return;
    }
    m_known[relPath] = exists ? KnownFile{st.st_ino, st.st_dev, false} : KnownFile{};
    changes.push_back({ChangeKind::Added, relPath, {}});
}

void InotifyTree::FileRenamed(const std::string& oldPath, const std::string& newPath,
                              Changes& changes)
{
    m_known.erase(oldPath);
    struct stat st = {};
    const bool exists = ::lstat(Absolute(newPath).c_str(), &st) == 0;
    m_known[newPath] = exists ? KnownFile{st.st_ino, st.st_dev, false} : KnownFile{};
    changes.push_back({ChangeKind::Renamed, oldPath, newPath});
}

// A folder that appeared: watch it and everything in it, and report the files already there
// as added, and as modified when they hold text, so that a follower reads them at once.
int InotifyTree::AddSubtree(const std::string& relDir, Changes& changes)
{
    return WatchAndList(
        relDir, false,
        [this, &changes](const std::string& relPath, const struct stat& st) {
            const auto known = m_known.find(relPath);
            if (known != m_known.end() && SameFile(known->second.ino, known->second.dev, st))
                return;
            m_known[relPath] = {st.st_ino, st.st_dev, true};
            changes.push_back({ChangeKind::Added, relPath, {}});
            if (S_ISREG(st.st_mode) && st.st_size > 0)
                changes.push_back({ChangeKind::Modified, relPath, {}});
        },
        nullptr);
}

void InotifyTree::RemoveSubtree(const std::string& relDir, bool unwatch, Changes& changes)
{
    const std::string prefix = relDir + "/";
    auto forget = [this, unwatch](std::map<std::string, int>::iterator it) {
        if (unwatch)
            ::inotify_rm_watch(m_fd, it->second);
        m_dirOfWd.erase(it->second);
        return m_wdOfDir.erase(it);
    };
    if (const auto exact = m_wdOfDir.find(relDir); exact != m_wdOfDir.end())
        forget(exact);
    for (auto it = m_wdOfDir.lower_bound(prefix);
         it != m_wdOfDir.end() && StartsWith(it->first, prefix);)
        it = forget(it);
    for (auto it = m_known.lower_bound(prefix);
         it != m_known.end() && StartsWith(it->first, prefix);) {
        changes.push_back({ChangeKind::Removed, it->first, {}});
        it = m_known.erase(it);
    }
}

void InotifyTree::RenameSubtree(const std::string& oldDir, const std::string& newDir,
                                Changes& changes)
{
    const std::string oldPrefix = oldDir + "/";
    std::vector<std::pair<std::string, int>> folders;
    if (const auto exact = m_wdOfDir.find(oldDir); exact != m_wdOfDir.end()) {
        folders.emplace_back(newDir, exact->second);
        m_wdOfDir.erase(exact);
    }
    for (auto it = m_wdOfDir.lower_bound(oldPrefix);
         it != m_wdOfDir.end() && StartsWith(it->first, oldPrefix);) {
        folders.emplace_back(newDir + it->first.substr(oldDir.size()), it->second);
        it = m_wdOfDir.erase(it);
    }
    for (const auto& [relDir, wd] : folders) {
        m_wdOfDir[relDir] = wd;
        m_dirOfWd[wd] = relDir;
    }
    std::vector<std::pair<std::string, KnownFile>> files;
    for (auto it = m_known.lower_bound(oldPrefix);
         it != m_known.end() && StartsWith(it->first, oldPrefix);) {
        files.emplace_back(it->first, it->second);
        it = m_known.erase(it);
    }
    for (const auto& [oldPath, file] : files) {
        const std::string newPath = newDir + oldPath.substr(oldDir.size());
        m_known[newPath] = file;
        changes.push_back({ChangeKind::Renamed, oldPath, newPath});
    }
}

void InotifyTree::ForgetWatch(int wd, Changes& changes)
{
    const auto found = m_dirOfWd.find(wd);
    if (found == m_dirOfWd.end())
        return;
    const std::string relDir = found->second;
    m_dirOfWd.erase(found);
    const auto byName = m_wdOfDir.find(relDir);
    if (byName == m_wdOfDir.end() || byName->second != wd)
        return;
    m_wdOfDir.erase(byName);
    // Whatever is still known below a folder the kernel stopped watching is gone for us.
    const std::string prefix = relDir + "/";
    for (auto it = m_known.lower_bound(prefix);
         it != m_known.end() && StartsWith(it->first, prefix);) {
        changes.push_back({ChangeKind::Removed, it->first, {}});
        it = m_known.erase(it);
    }
}

int InotifyTree::Rescan(Changes& changes)
{
    struct Found
    {
        KnownFile file;
        bool holdsText;
    };
    std::map<std::string, Found> found;
    std::vector<int> seenWds;
    const int result = WatchAndList(
        "", true,
        [&found](const std::string& relPath, const struct stat& st) {
            found[relPath] = {{st.st_ino, st.st_dev, true}, S_ISREG(st.st_mode) && st.st_size > 0};
        },
        &seenWds);
    if (result != 0)
        return result;
    // Folders that went while events were lost: their watches are dropped.
    const std::set<int> seen(seenWds.begin(), seenWds.end());
    std::vector<int> stale;
    for (const auto& [wd, relDir] : m_dirOfWd) {
        if (!seen.count(wd))
            stale.push_back(wd);
    }
    for (const int wd : stale) {
        ::inotify_rm_watch(m_fd, wd);
        const auto byName = m_wdOfDir.find(m_dirOfWd[wd]);
        if (byName != m_wdOfDir.end() && byName->second == wd)
            m_wdOfDir.erase(byName);
        m_dirOfWd.erase(wd);
    }
    for (const auto& [relPath, file] : m_known) {
        if (!found.count(relPath))
            changes.push_back({ChangeKind::Removed, relPath, {}});
    }
    KnownFiles known;
    for (const auto& [relPath, now] : found) {
        const auto before = m_known.find(relPath);
        const bool replaced =
            before != m_known.end() && before->second.ino != 0 &&
            (before->second.ino != now.file.ino || before->second.dev != now.file.dev);
        if (before == m_known.end() || replaced) {
            changes.push_back({ChangeKind::Added, relPath, {}});
            if (now.holdsText)
                changes.push_back({ChangeKind::Modified, relPath, {}});
        } else {
            // A follower reads on from where it was; nothing it missed is lost.
            changes.push_back({ChangeKind::Modified, relPath, {}});
        }
        known[relPath] = now.file;
    }
    m_known = std::move(known);
    return 0;
}

void InotifyTree::ReportAllAsNew(Changes& changes) const
{
    for (const auto& [relPath, file] : m_known) {
        changes.push_back({ChangeKind::Added, relPath, {}});
        struct stat st = {};
        if (::stat(Absolute(relPath).c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
            changes.push_back({ChangeKind::Modified, relPath, {}});
    }
}

std::optional<InotifyTree::Clock::time_point> InotifyTree::NextRetry() const
{
    for (const auto& [relDir, unwatched] : m_unwatched) {
        if (!unwatched.reported)
            return Clock::time_point{}; // the notice is due at once
    }
    if (m_unwatched.empty())
        return std::nullopt;
    return m_nextRetry;
}

void InotifyTree::LookAfterUnwatched(Clock::time_point now, Changes& changes)
{
    for (auto& [relDir, unwatched] : m_unwatched) {
        if (!unwatched.reported) {
            unwatched.reported = true;
            changes.push_back({ChangeKind::Unwatched, relDir, {}, unwatched.error});
        }
    }
    if (m_unwatched.empty() || now < m_nextRetry)
        return;
    m_nextRetry = now + kRetryTime;
    std::vector<std::string> folders;
    for (const auto& [relDir, unwatched] : m_unwatched)
        folders.push_back(relDir);
    std::set<std::string> found;
    std::vector<std::string> listed;
    for (const std::string& relDir : folders) {
        // In name order, so a folder below one listed already was listed with it.
        if (std::any_of(listed.begin(), listed.end(), [&relDir](const std::string& above) {
                return StartsWith(relDir, above + "/");
            }))
            continue;
        listed.push_back(relDir);
        WatchAndList(
            relDir, false,
            [this, &changes, &found](const std::string& relPath, const struct stat& st) {
                found.insert(relPath);
                const bool holdsText = S_ISREG(st.st_mode) && st.st_size > 0;
                const auto known = m_known.find(relPath);
                if (known == m_known.end() || !SameFile(known->second.ino, known->second.dev, st)) {
                    m_known[relPath] = {st.st_ino, st.st_dev, true};
                    changes.push_back({ChangeKind::Added, relPath, {}});
                }
                // Nothing told what happened in the folder meanwhile: whoever follows its
                // files reads on.
                if (holdsText)
                    changes.push_back({ChangeKind::Modified, relPath, {}});
            },
            nullptr);
        const std::string prefix = relDir + "/";
        for (auto it = m_known.lower_bound(prefix);
             it != m_known.end() && StartsWith(it->first, prefix);) {
            if (found.count(it->first) != 0) {
                ++it;
                continue;
            }
            changes.push_back({ChangeKind::Removed, it->first, {}});
            it = m_known.erase(it);
        }
    }
}

} // namespace zellwick::watch

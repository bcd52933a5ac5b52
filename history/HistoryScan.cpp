#include "history/HistoryScan.h"

#include "watch/PathText.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::time_t kSecondsPerHour = 3600;
constexpr std::time_t kRecentHours = 20;

// Whole hours, truncated: a file 20 h 59 min old is still recent. A file written "in the
// future" (a clock set back, a copy from another machine) is recent too: its age is negative.
bool IsRecent(std::time_t written, std::time_t now)
{
    if (written >= now)
        return true;
    // Unsigned, so that no pair of times can overflow the difference.
    const auto age = static_cast<std::uint64_t>(now) - static_cast<std::uint64_t>(written);
    return age / kSecondsPerHour <= static_cast<std::uint64_t>(kRecentHours);
}

bool IsHistoryName(std::wstring_view name)
{
    return name.size() > 4 && name.substr(name.size() - 4) == L".txt" && name[0] == L'H' &&
           name[1] == L'H';
}

struct FolderId
{
    dev_t dev;
    ino_t ino;
};

class Scanner
{
public:
    Scanner(FileOffsetMap& offsets, std::time_t now) : m_offsets(offsets), m_now(now) {}

    // Takes ownership of dirFd. prefix is the folder's key form and ends with '/'.
    void ScanFolder(int dirFd, const std::wstring& prefix)
    {
        struct stat self = {};
        if (::fstat(dirFd, &self) != 0 || IsOnPath(self)) {
            ::close(dirFd);
            return;
        }
        DIR* dir = ::fdopendir(dirFd);
        if (!dir) {
            ::close(dirFd);
            return;
        }
        m_path.push_back({self.st_dev, self.st_ino});
        while (const dirent* entry = ::readdir(dir))
            TakeEntry(::dirfd(dir), entry->d_name, prefix);
        m_path.pop_back();
        ::closedir(dir);
    }

private:
    void TakeEntry(int dirFd, const char* name, const std::wstring& prefix)
    {
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            return;
        struct stat info = {};
        // Links are looked at, never through: a link to a folder cannot make a loop.
        if (::fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return;
        const std::wstring wideName = zellwick::watch::WideFromNative(name);
        if (S_ISDIR(info.st_mode)) {
            const int childFd =
                ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (childFd >= 0) // an unreadable folder is left out
                ScanFolder(childFd, prefix + wideName + L'/');
            return;
        }
        if (S_ISREG(info.st_mode) && IsHistoryName(wideName) &&
            IsRecent(info.st_mtim.tv_sec, m_now))
            m_offsets[prefix + wideName] = static_cast<std::int64_t>(info.st_size);
    }

    // A folder met again below itself (a bind mount of an ancestor) is not entered twice.
    bool IsOnPath(const struct stat& folder) const
    {
        for (const FolderId& id : m_path) {
            if (id.dev == folder.st_dev && id.ino == folder.st_ino)
                return true;
        }
        return false;
    }

    FileOffsetMap& m_offsets;
    std::time_t m_now;
    std::vector<FolderId> m_path; // the folders being listed, from the top down
};

} // namespace

void ScanHistoryFolder(const std::wstring& folder, FileOffsetMap& offsets, std::time_t now)
{
    if (folder.empty())
        return;
    // The folder itself may be a link (a history folder inside a Wine prefix, say); only the
    // folders below it are never entered through one.
    const int fd =
        ::open(zellwick::watch::NativeFromWide(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    const std::wstring prefix = folder.back() == L'/' ? folder : folder + L'/';
    Scanner(offsets, now).ScanFolder(fd, prefix);
}

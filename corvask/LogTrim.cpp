#include "corvask/LogTrim.h"

#include "corvask/FileHandle.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace corvask {

namespace {

constexpr std::size_t kCopyBlock = 64 * 1024;

// The first line start in [from, size): just after a '\n' at from - 1 or later. A tail that
// holds no line start at all is kept as it is rather than thrown away whole.
int FindKeepStart(int fd, std::uint64_t from, std::uint64_t size, std::uint64_t& keepStart)
{
    keepStart = from;
    std::vector<char> block(kCopyBlock);
    for (std::uint64_t at = from - 1; at + 1 < size;) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), size - 1 - at));
        const std::int64_t got = ReadAt(fd, block.data(), want, at);
        if (got < 0)
            return errno;
        if (got == 0)
            break;
        if (const void* hit = std::memchr(block.data(), '\n', static_cast<std::size_t>(got))) {
            keepStart =
                at + static_cast<std::uint64_t>(static_cast<const char*>(hit) - block.data()) + 1;
            return 0;
        }
        at += static_cast<std::uint64_t>(got);
    }
    return 0;
}

// Copies [from, end of file) to out and returns where the copy stopped, so that lines another
// program appends meanwhile are carried over too.
int CopyToEnd(int in, int out, std::uint64_t from, std::uint64_t& copiedTo)
{
    std::vector<char> block(kCopyBlock);
    for (;;) {
        const std::int64_t got = ReadAt(in, block.data(), block.size(), from);
        if (got < 0)
            return errno;
        if (got == 0)
            break;
        if (!WriteAll(out, block.data(), static_cast<std::size_t>(got)))
            return errno;
        from += static_cast<std::uint64_t>(got);
    }
    copiedTo = from;
    return 0;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A new file beside the log, with the log's owner and permissions; removed again on failure.
int CreateAside(const std::string& path, const struct stat& original, std::string& asidePath,
                FileHandle& aside)
{
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string pattern = FolderOf(path) + "/." + name + ".trim-XXXXXX";
    aside.Reset(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!aside.valid())
        return errno;
    asidePath = pattern;
    // Keeping the owner needs privileges; the permissions below are kept either way.
    [[maybe_unused]] const int ownerKept = ::fchown(aside.get(), original.st_uid, original.st_gid);
    if (::fchmod(aside.get(), original.st_mode & 07777) != 0) {
        const int error = errno;
        ::unlink(asidePath.c_str());
        asidePath.clear();
        return error;
    }
    return 0;
}

void SyncFolder(const std::string& path)
{
    FileHandle folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid())
        ::fsync(folder.get());
}

int WriteKeptPart(const std::string& path, int in, const struct stat& original,
                  std::uint64_t keepStart)
{
    std::string asidePath;
    FileHandle aside;
    int error = CreateAside(path, original, asidePath, aside);
    std::uint64_t copiedTo = 0;
    if (error == 0)
        error = CopyToEnd(in, aside.get(), keepStart, copiedTo);
    if (error == 0 && ::fsync(aside.get()) != 0)
        error = errno;
    if (error == 0)
        error = aside.Close();
    if (error == 0 && ::rename(asidePath.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        if (!asidePath.empty())
            ::unlink(asidePath.c_str());
        return error;
    }
    SyncFolder(path);
    return 0;
}

// The real file behind a link, so that the link itself stays.
std::string ResolvedPath(const std::string& path)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return path;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

} // namespace

int TrimLog(const std::string& givenPath, std::uint64_t keepBytes, std::uint64_t maxBytes)
{
    const std::string path = ResolvedPath(givenPath);
    FileHandle in(OpenForReading(path));
    if (!in.valid())
        return errno;
    struct stat info = {};
    if (::fstat(in.get(), &info) != 0)
        return errno;
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (!S_ISREG(info.st_mode) || size <= maxBytes || keepBytes >= size)
        return 0;
    std::uint64_t keepStart = 0;
    if (const int error = FindKeepStart(in.get(), size - keepBytes, size, keepStart))
        return error;
    return WriteKeptPart(path, in.get(), info, keepStart);
}

} // namespace corvask

#include "app/SessionsFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

std::string Reason(int error)
{
    return std::strerror(error);
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// A new file's name is on the disk only once its folder is synced too.
void SyncFolder(const fs::path& folder)
{
    const Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

bool IsHeader(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line == kSessionsHeader;
}

} // namespace

fs::path SessionsFile()
{
    // A relative $XDG_DATA_HOME is invalid and ignored.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/')
        return fs::path(data) / "Zellwick" / "sessions.csv";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return fs::path(home) / ".local" / "share" / "Zellwick" / "sessions.csv";
    return {};
}

bool AppendSession(const fs::path& file, const SessionRecord& record, std::string& error)
{
    if (file.empty()) {
        error = "no folder for it: neither XDG_DATA_HOME nor HOME is set";
        return false;
    }
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec) {
        error = "cannot make " + file.parent_path().string() + ": " + ec.message();
        return false;
    }
    const Descriptor fd(::open(file.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    if (fd.get() < 0) {
        error = Reason(errno);
        return false;
    }
    // Two windows ending their periods at once write one after the other, and only one
    // writes the header.
    while (::flock(fd.get(), LOCK_EX) != 0 && errno == EINTR) {
    }
    struct stat status
    {};
    if (::fstat(fd.get(), &status) != 0) {
        error = Reason(errno);
        return false;
    }
    std::string bytes;
    if (status.st_size == 0) {
        bytes.append(kSessionsHeader).push_back('\n');
    } else {
        char last = '\n';
        if (::pread(fd.get(), &last, 1, status.st_size - 1) == 1 && last != '\n')
            bytes.push_back('\n');
    }
    bytes += SessionCsvLine(record);
    if (!WriteAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) {
        error = Reason(errno);
        return false;
    }
    if (status.st_size == 0)
        SyncFolder(file.parent_path());
    return true;
}

SessionsRead ReadSessions(const fs::path& file)
{
    SessionsRead read;
    const Descriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            read.missing = true;
        else
            read.error = Reason(errno);
        return read;
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            read.error = Reason(errno);
            return read;
        }
        if (got == 0)
            break;
        text.append(buffer, static_cast<size_t>(got));
    }
    std::string_view rest = text;
    if (rest.starts_with("\xEF\xBB\xBF"))
        rest.remove_prefix(3);
    int number = 0;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        ++number;
        if (line.empty() || line == "\r" || IsHeader(line))
            continue;
        if (auto record = ParseSessionLine(line))
            read.sessions.push_back(std::move(*record));
        else
            read.damagedLines.push_back(number);
    }
    return read;
}

std::string DamagedLinesText(const SessionsRead& read, const fs::path& file)
{
    if (read.damagedLines.empty())
        return {};
    std::string text =
        read.damagedLines.size() == 1 ? "Skipped damaged line " : "Skipped damaged lines ";
    // A file that is no sessions file at all would name every line.
    constexpr size_t kNamed = 10;
    for (size_t i = 0; i < read.damagedLines.size() && i < kNamed; ++i)
        text += (i ? ", " : "") + std::to_string(read.damagedLines[i]);
    if (read.damagedLines.size() > kNamed)
        text += " and " + std::to_string(read.damagedLines.size() - kNamed) + " more";
    text += " of ";
    text += file.string();
    return text;
}

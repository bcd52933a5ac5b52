#include "corvask/HistoryReader.h"

#include "corvask/FileHandle.h"
#include "corvask/Utf8Text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <string_view>
#include <sys/stat.h>

namespace corvask {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
constexpr std::size_t kBlockSize = std::size_t{1} << 20;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::uint64_t kByteOrderMarkSize = 3;

// Finds one byte value and remembers how far it looked, so that a line that grows over many
// blocks, or a file full of one kind of line end, is scanned only once.
class ByteFinder
{
public:
    explicit ByteFinder(char wanted) : m_wanted(wanted) {}

    std::size_t Next(const char* buffer, std::size_t from, std::size_t limit)
    {
        if (m_found != kNone && m_found >= from)
            return m_found;
        const std::size_t start = std::max(from, m_searched);
        if (start >= limit)
            return kNone;
        const void* hit = std::memchr(buffer + start, m_wanted, limit - start);
        if (hit) {
            m_found = static_cast<std::size_t>(static_cast<const char*>(hit) - buffer);
            m_searched = m_found + 1;
        } else {
            m_found = kNone;
            m_searched = limit;
        }
        return m_found;
    }

    // The buffer's contents moved towards its start by this many bytes.
    void Shift(std::size_t by)
    {
        m_found = (m_found == kNone || m_found < by) ? kNone : m_found - by;
        m_searched = m_searched > by ? m_searched - by : 0;
    }

private:
    char m_wanted;
    std::size_t m_found = kNone;
    std::size_t m_searched = 0;
};

// Reads [start, end) of an open file block by block and cuts it into decoded lines.
class LineCutter
{
public:
    LineCutter(int fd, std::uint64_t start, std::uint64_t end, std::uint64_t maxBytes)
        : m_fd(fd), m_start(start), m_end(end), m_maxBytes(maxBytes), m_bufferOffset(start),
          m_readTo(start), m_consumed(start)
    {}

    // 0, or the errno value of a failed read.
    int Run(std::vector<std::wstring>& lines)
    {
        while (m_readTo < m_end) {
            const int error = ReadBlock();
            if (error != 0)
                return error;
            if (!TakeLines(lines))
                break;
            Compact();
        }
        return 0;
    }

    std::uint64_t Consumed() const { return m_consumed; }

private:
    int ReadBlock()
    {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSize, m_end - m_readTo));
        if (m_buffer.size() < m_have + want)
            m_buffer.resize(std::max(m_buffer.size() * 2, m_have + want));
        const std::int64_t got = ReadAt(m_fd, m_buffer.data() + m_have, want, m_readTo);
        if (got < 0)
            return errno;
        if (static_cast<std::size_t>(got) < want)
            m_end = m_readTo + static_cast<std::uint64_t>(got); // cut short meanwhile
        m_have += static_cast<std::size_t>(got);
        m_readTo += static_cast<std::uint64_t>(got);
        return 0;
    }

    // Takes every complete line in the buffer; false once the byte limit is reached.
    bool TakeLines(std::vector<std::wstring>& lines)
    {
        for (;;) {
            const std::size_t terminator = FindTerminator(m_lineStart);
            if (terminator == kNone)
                return true;
            std::size_t next = terminator + 1;
            if (m_buffer[terminator] == '\r') {
                // A final "\r" may be the first half of "\r\n": the line waits for more.
                if (next == m_have)
                    return true;
                if (m_buffer[next] == '\n')
                    ++next;
            }
            const std::uint64_t consumed = m_bufferOffset + next;
            if (!lines.empty() && consumed - m_start > m_maxBytes)
                return false;
            lines.emplace_back();
            AppendUtf8Lenient(
                std::string_view(m_buffer.data() + m_lineStart, terminator - m_lineStart),
                lines.back());
            m_consumed = consumed;
            m_lineStart = next;
        }
    }

    std::size_t FindTerminator(std::size_t from)
    {
        const std::size_t lineFeed = m_lineFeeds.Next(m_buffer.data(), from, m_have);
        const std::size_t crLimit = lineFeed == kNone ? m_have : lineFeed;
        const std::size_t carriageReturn = m_carriageReturns.Next(m_buffer.data(), from, crLimit);
        return std::min(lineFeed, carriageReturn);
    }

    // Moves the unfinished line to the buffer's start, so the buffer only grows for long lines.
    void Compact()
    {
        if (m_lineStart == 0)
            return;
        std::memmove(m_buffer.data(), m_buffer.data() + m_lineStart, m_have - m_lineStart);
        m_have -= m_lineStart;
        m_bufferOffset += m_lineStart;
        m_lineFeeds.Shift(m_lineStart);
        m_carriageReturns.Shift(m_lineStart);
        m_lineStart = 0;
    }

    int m_fd;
    std::uint64_t m_start;
    std::uint64_t m_end;
    std::uint64_t m_maxBytes;
    std::uint64_t m_bufferOffset; // file offset of m_buffer[0]
    std::uint64_t m_readTo;
    std::uint64_t m_consumed;
    std::vector<char> m_buffer;
    std::size_t m_have = 0;
    std::size_t m_lineStart = 0;
    ByteFinder m_lineFeeds{'\n'};
    ByteFinder m_carriageReturns{'\r'};
};

// Where reading starts: a file now shorter than the offset was rewritten, and a byte-order
// mark at the file's start is no text. Returns 0 or an errno value.
int StartOffset(int fd, std::uint64_t size, std::uint64_t offset, std::uint64_t& start)
{
    start = offset > size ? 0 : offset;
    if (start >= kByteOrderMarkSize || size < kByteOrderMarkSize)
        return 0;
    char head[kByteOrderMarkSize] = {};
    const std::int64_t got = ReadAt(fd, head, sizeof head, 0);
    if (got < 0)
        return errno;
    if (got == static_cast<std::int64_t>(kByteOrderMarkSize) &&
        std::memcmp(head, kByteOrderMark, kByteOrderMarkSize) == 0)
        start = kByteOrderMarkSize;
    return 0;
}

void AppendAll(std::vector<std::wstring>& from, std::vector<std::wstring>& to)
{
    if (to.empty()) {
        to.swap(from);
        return;
    }
    to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
}

} // namespace

int ReadHistoryLines(const std::string& path, std::int64_t& offset,
                     std::vector<std::wstring>& lines, std::uint64_t maxBytes)
{
    if (offset < 0)
        return EINVAL;
    FileHandle file(OpenForReading(path));
    if (!file.valid())
        return errno;
    struct stat info = {};
    if (::fstat(file.get(), &info) != 0)
        return errno;
    if (S_ISDIR(info.st_mode))
        return EISDIR;
    if (!S_ISREG(info.st_mode))
        return EINVAL; // a FIFO or a device has no offsets to follow
    // One size for the whole call: what is appended meanwhile waits for the next one.
    const auto size = static_cast<std::uint64_t>(info.st_size);
    std::uint64_t start = 0;
    if (const int error = StartOffset(file.get(), size, static_cast<std::uint64_t>(offset), start))
        return error;
    if (size - start > 4 * kBlockSize)
        ::posix_fadvise(file.get(), static_cast<off_t>(start), 0, POSIX_FADV_SEQUENTIAL);

    LineCutter cutter(file.get(), start, size, maxBytes);
    std::vector<std::wstring> taken;
    if (const int error = cutter.Run(taken))
        return error;
    AppendAll(taken, lines);
    offset = static_cast<std::int64_t>(cutter.Consumed());
    return 0;
}

} // namespace corvask

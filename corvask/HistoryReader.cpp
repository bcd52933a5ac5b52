#include "corvask/HistoryReader.h"

#include "corvask/FileHandle.h"
#include "corvask/Utf8Text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace corvask {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
constexpr std::size_t kBlockSize = std::size_t{1} << 20;
// Read past the byte limit, to find the end of the line that crosses it.
constexpr std::uint64_t kLookAhead = 4096;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::uint64_t kByteOrderMarkSize = 3;

// Lines longer than this are decoded straight into their own string: going through the
// scratch buffer would hold such a line twice.
constexpr std::size_t kMaxScratchLine = std::size_t{64} << 10;

// The first line end ('\n' or '\r') in [from, limit) of the buffer, or kNone. Lines are short,
// so the search goes a block of bytes at a time instead of two library searches per line.
std::size_t FindLineEnd(const char* buffer, std::size_t from, std::size_t limit)
{
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    for (; limit - i >= 16; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + i));
        const __m128i ends =
            _mm_or_si128(_mm_cmpeq_epi8(bytes, lineFeed), _mm_cmpeq_epi8(bytes, carriageReturn));
        const int hits = _mm_movemask_epi8(ends);
        if (hits != 0)
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
    }
#endif
    for (; i < limit; ++i) {
        if (buffer[i] == '\n' || buffer[i] == '\r')
            return i;
    }
    return kNone;
}

// Reads [start, end) of an open file block by block and cuts it into decoded lines.
class LineCutter
{
public:
    // Lines go to lines[firstSlot] and on.
    LineCutter(int fd, std::uint64_t start, std::uint64_t end, std::uint64_t maxBytes,
               std::size_t firstSlot)
        : m_fd(fd), m_start(start), m_end(end), m_maxBytes(maxBytes), m_bufferOffset(start),
          m_readTo(start), m_consumed(start), m_slot(firstSlot)
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
    std::size_t EndSlot() const { return m_slot; }

private:
    // A block, but not much past the byte limit: a caller reading a large file piece by piece
    // would otherwise read most of every block only to throw it away.
    std::size_t NextReadSize() const
    {
        std::uint64_t want = std::min<std::uint64_t>(kBlockSize, m_end - m_readTo);
        const std::uint64_t limit = m_maxBytes >= m_end - m_start ? m_end : m_start + m_maxBytes;
        if (m_readTo < limit)
            want = std::min(want, limit - m_readTo + kLookAhead);
        return static_cast<std::size_t>(want);
    }

    int ReadBlock()
    {
        const std::size_t want = NextReadSize();
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
            // Bytes before m_scanned were searched already: a line that grows over many blocks
            // is searched only once.
            const std::size_t terminator =
                FindLineEnd(m_buffer.data(), std::max(m_lineStart, m_scanned), m_have);
            if (terminator == kNone) {
                m_scanned = m_have;
                return true;
            }
            m_scanned = terminator;
            std::size_t next = terminator + 1;
            if (m_buffer[terminator] == '\r') {
                // A final "\r" may be the first half of "\r\n": the line waits for more.
                if (next == m_have)
                    return true;
                if (m_buffer[next] == '\n')
                    ++next;
            }
            const std::uint64_t consumed = m_bufferOffset + next;
            if (m_consumed > m_start && consumed - m_start > m_maxBytes)
                return false;
            AddLine(std::string_view(m_buffer.data() + m_lineStart, terminator - m_lineStart),
                    lines);
            m_consumed = consumed;
            m_lineStart = next;
        }
    }

    // Decodes one line into the next slot of lines, a string that is either new, and then
    // allocated once at its decoded size, or one whose storage is used again.
    void AddLine(std::string_view bytes, std::vector<std::wstring>& lines)
    {
        if (m_slot == lines.size())
            lines.emplace_back();
        std::wstring& line = lines[m_slot++];
        if (bytes.size() > kMaxScratchLine) {
            line.clear();
            AppendUtf8Lenient(bytes, line);
            return;
        }
        if (m_wide.size() < bytes.size())
            m_wide.resize(bytes.size());
        const std::size_t length = DecodeUtf8Lenient(bytes, m_wide.data());
        if (line.capacity() > kMaxScratchLine)
            line = std::wstring(m_wide.data(), length); // a long line's storage is let go
        else
            line.assign(m_wide.data(), length);
    }

    // Moves the unfinished line to the buffer's start, so the buffer only grows for long lines.
    void Compact()
    {
        if (m_lineStart == 0)
            return;
        std::memmove(m_buffer.data(), m_buffer.data() + m_lineStart, m_have - m_lineStart);
        m_have -= m_lineStart;
        m_bufferOffset += m_lineStart;
        m_scanned = m_scanned > m_lineStart ? m_scanned - m_lineStart : 0;
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
    std::size_t m_scanned = 0;   // no line end in [m_lineStart, m_scanned)
    std::size_t m_slot;          // where the next line goes
    std::vector<wchar_t> m_wide; // decoding scratch, as long as the longest short line
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

// Reads into lines from firstSlot on; what was there past it is replaced or removed.
int ReadLines(const std::string& path, std::int64_t& offset, std::vector<std::wstring>& lines,
              std::uint64_t maxBytes, std::size_t firstSlot)
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

    const auto dropFrom = [&](std::size_t slot) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(slot), lines.end());
    };
    LineCutter cutter(file.get(), start, size, maxBytes, firstSlot);
    int error = 0;
    try {
        error = cutter.Run(lines);
    } catch (...) {
        dropFrom(firstSlot);
        throw;
    }
    if (error != 0) {
        dropFrom(firstSlot);
        return error;
    }
    dropFrom(cutter.EndSlot());
    offset = static_cast<std::int64_t>(cutter.Consumed());
    return 0;
}

} // namespace

int ReadHistoryLines(const std::string& path, std::int64_t& offset,
                     std::vector<std::wstring>& lines, std::uint64_t maxBytes)
{
    return ReadLines(path, offset, lines, maxBytes, lines.size());
}

int ReadHistoryLinesReusing(const std::string& path, std::int64_t& offset,
                            std::vector<std::wstring>& lines, std::uint64_t maxBytes)
{
    const int error = ReadLines(path, offset, lines, maxBytes, 0);
    if (error != 0)
        lines.clear(); // what it held is no part of this file
    return error;
}

} // namespace corvask

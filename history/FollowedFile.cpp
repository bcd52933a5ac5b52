#include "history/FollowedFile.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zellwick::history {

namespace {

constexpr std::size_t kSearchPiece = 64 * 1024;

// Reads exactly size bytes at offset, or fails.
bool ReadAt(int fd, char* buffer, std::size_t size, std::int64_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, buffer + done, size - done,
                                    static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace

FollowedFile FollowedFile::FromStart()
{
    FollowedFile file;
    file.m_bFromStart = true;
    return file;
}

bool FollowedFile::Is(const struct stat& info) const
{
    return m_bIdentified && m_dev == info.st_dev && m_ino == info.st_ino;
}

void FollowedFile::Identify(const struct stat& info)
{
    m_bIdentified = true;
    m_dev = info.st_dev;
    m_ino = info.st_ino;
}

bool FollowedFile::TailHolds(int fd, std::int64_t offset) const
{
    const auto head = static_cast<std::int64_t>(m_head.size());
    const auto tail = static_cast<std::int64_t>(m_tail.size());
    if (offset < std::max(head, tail))
        return false;
    std::string now(m_head.size(), '\0');
    if (!now.empty() && (!ReadAt(fd, now.data(), now.size(), 0) || now != m_head))
        return false;
    now.assign(m_tail.size(), '\0');
    return now.empty() || (ReadAt(fd, now.data(), now.size(), offset - tail) && now == m_tail);
}

void FollowedFile::KeepTail(int fd, std::int64_t offset)
{
    const auto size = static_cast<std::size_t>(std::clamp<std::int64_t>(offset, 0, kPrintBytes));
    m_head.assign(size, '\0');
    m_tail.assign(size, '\0');
    if (size != 0 && (!ReadAt(fd, m_head.data(), size, 0) ||
                      !ReadAt(fd, m_tail.data(), size, offset - static_cast<std::int64_t>(size)))) {
        m_head.clear();
        m_tail.clear();
    }
}

void FollowedFile::StartOver(std::int64_t& offset)
{
    offset = 0;
    m_bFromStart = true;
    m_head.clear();
    m_tail.clear();
    m_nNoLineEndTo = 0;
    m_bSkipping = false;
}

bool FindLineEnds(int fd, std::int64_t from, std::int64_t to, LineEnds& found)
{
    found = {};
    std::vector<char> piece(kSearchPiece);
    for (std::int64_t at = from; at < to;) {
        const auto size = static_cast<std::size_t>(std::min<std::int64_t>(to - at, kSearchPiece));
        if (!ReadAt(fd, piece.data(), size, at))
            return false;
        for (std::size_t i = 0; i < size; ++i) {
            if (piece[i] != '\n' && piece[i] != '\r')
                continue;
            const std::int64_t where = at + static_cast<std::int64_t>(i);
            if (found.first < 0) {
                found.first = where;
                found.firstByte = piece[i];
            }
            found.last = where;
        }
        at += static_cast<std::int64_t>(size);
    }
    return true;
}

} // namespace zellwick::history

#pragma once

// What the history handler knows of one followed file besides its offset: which file it is
// (device and inode) and the text just before the offset, so that another file under the same
// name, or the same file written anew, is told from text appended to it; and how far the
// unfinished line at the offset is known to hold no line end, so that a long line is searched
// once, not again at every change.

#include <cstdint>
#include <string>
#include <sys/types.h>

struct stat;

namespace zellwick::history {

class FollowedFile
{
public:
    // How many bytes at the start and before the offset tell the text read so far apart from
    // other text.
    static constexpr std::int64_t kPrintBytes = 256;

    // A file the handler starts to read from its first byte.
    static FollowedFile FromStart();

    bool Identified() const { return m_bIdentified; }
    bool IsReadFromStart() const { return m_bFromStart; }
    bool Is(const struct stat& info) const;
    void Identify(const struct stat& info);

    // Whether the file's first bytes and those before offset are still what was read there.
    bool TailHolds(int fd, std::int64_t offset) const;
    void KeepTail(int fd, std::int64_t offset);

    // Back to the first byte: the name leads to other text now.
    void StartOver(std::int64_t& offset);

    std::int64_t m_nNoLineEndTo = 0; // [offset, this) holds no line end
    bool m_bSkipping = false;        // inside a line too long to read, dropped up to its end

private:
    bool m_bIdentified = false;
    bool m_bFromStart = false;
    dev_t m_dev = 0;
    ino_t m_ino = 0;
    std::string m_head;
    std::string m_tail;
};

// The first and the last line end (LF or CR) in [from, to) of the file, or -1. Reads in
// pieces, so memory stays small however long the range. False when the file cannot be read.
struct LineEnds
{
    std::int64_t first = -1;
    std::int64_t last = -1;
    char firstByte = 0;
};
bool FindLineEnds(int fd, std::int64_t from, std::int64_t to, LineEnds& found);

} // namespace zellwick::history

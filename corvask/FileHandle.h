#pragma once

// A file descriptor that closes itself, and reads that survive signals and short counts.

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvask {

class FileHandle
{
public:
    explicit FileHandle(int fd = -1) : m_fd(fd) {}
    ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and reports what close said (0 or an errno value).
    int Close();
    void Reset(int fd)
    {
        Close();
        m_fd = fd;
    }

private:
    int m_fd;
};

// Opens for reading without blocking on a FIFO; -1 with errno set on failure.
int OpenForReading(const std::string& path);

// Reads up to size bytes at offset; fewer only at the end of the file. Returns the count, or
// -1 with errno set.
std::int64_t ReadAt(int fd, char* buffer, std::size_t size, std::uint64_t offset);

// Writes all of size bytes; false with errno set on failure.
bool WriteAll(int fd, const char* data, std::size_t size);

} // namespace corvask

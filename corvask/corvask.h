#pragma once

// libcorvask: the companion library. Plain C++ and the C library, no Qt, so that every
// layer and every command-line tool can use it.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#define CORVASK_API __attribute__((visibility("default")))

// The folder of the running executable, without a trailing separator. The scratch buffer
// (520 wide characters) may be used by the library; callers do not read it.
CORVASK_API std::wstring GetExecDir(wchar_t* scratch);

// Once the file is larger than maxBytes, keeps its newest keepBytes, starting at a line
// start. The file is rewritten aside and renamed into place, so a crash never loses it.
CORVASK_API void TrimLogFile(std::wstring path, std::uint64_t keepBytes, std::uint64_t maxBytes);

// A few readable lines about the operating system and the processor, written to the open log.
CORVASK_API void OSInfoLog(std::FILE& log);
CORVASK_API void CPUInfoLog(std::FILE& log);

// Reads the complete lines of a history file from the byte offset on and moves the offset past
// exactly what was consumed. Returns 0, or an errno value (the offset is then unchanged).
CORVASK_API int ReadHistoryFileUTF8(std::wstring path, std::int64_t& offset,
                                    std::vector<std::wstring>& lines);

// As above, but consumes at most maxBytes bytes, so that a very large file can be followed in
// bounded memory. Whole lines only; a first line longer than maxBytes is still taken whole, so
// every call that finds a complete line makes progress.
CORVASK_API int ReadHistoryFileUTF8(std::wstring path, std::int64_t& offset,
                                    std::vector<std::wstring>& lines, std::uint64_t maxBytes);

// As above, for a caller that reads a large file piece after piece into one vector: the lines
// read replace what lines held, and its strings are used again for their storage, so that
// steady reading allocates next to nothing. On failure lines is left empty.
CORVASK_API int ReadHistoryFileUTF8Reusing(std::wstring path, std::int64_t& offset,
                                           std::vector<std::wstring>& lines,
                                           std::uint64_t maxBytes);

// The system's readable text for an error code returned above.
CORVASK_API void ErrorShow(std::uint32_t code, std::wstring& text);

#include "corvask/corvask.h"

#include "corvask/ErrorText.h"
#include "corvask/ExecDir.h"
#include "corvask/HistoryReader.h"
#include "corvask/LogTrim.h"
#include "corvask/NativePath.h"
#include "corvask/SystemInfo.h"

#include <cerrno>
#include <new>

// The exported functions: nothing may leave them as an exception, because the caller is told
// only by return values (or not at all).

CORVASK_API std::wstring GetExecDir(wchar_t* /*scratch*/)
{
    try {
        return corvask::FromNativePath(corvask::ExecutableFolder());
    } catch (...) {
        return L".";
    }
}

CORVASK_API void TrimLogFile(std::wstring path, std::uint64_t keepBytes, std::uint64_t maxBytes)
{
    try {
        std::string native;
        if (corvask::ToNativePath(path, native))
            corvask::TrimLog(native, keepBytes, maxBytes);
    } catch (...) {
        // The log stays as it was.
    }
}

namespace {

void WriteLines(std::FILE& log, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        std::fputs(line.c_str(), &log);
}

} // namespace

CORVASK_API void OSInfoLog(std::FILE& log)
{
    try {
        WriteLines(log, corvask::OSInfoLines(corvask::SystemSources{}));
    } catch (...) {
        // A log without these facts is still a log.
    }
}

CORVASK_API void CPUInfoLog(std::FILE& log)
{
    try {
        WriteLines(log, corvask::CPUInfoLines(corvask::SystemSources{}));
    } catch (...) {
        // As above.
    }
}

CORVASK_API int ReadHistoryFileUTF8(std::wstring path, std::int64_t& offset,
                                    std::vector<std::wstring>& lines)
{
    return ReadHistoryFileUTF8(std::move(path), offset, lines, corvask::kNoByteLimit);
}

namespace {

using LineReader = int (*)(const std::string&, std::int64_t&, std::vector<std::wstring>&,
                           std::uint64_t);

int ReadHistory(LineReader read, const std::wstring& path, std::int64_t& offset,
                std::vector<std::wstring>& lines, std::uint64_t maxBytes)
{
    try {
        std::string native;
        if (!corvask::ToNativePath(path, native))
            return EINVAL;
        return read(native, offset, lines, maxBytes);
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    } catch (...) {
        return EIO;
    }
}

} // namespace

CORVASK_API int ReadHistoryFileUTF8(std::wstring path, std::int64_t& offset,
                                    std::vector<std::wstring>& lines, std::uint64_t maxBytes)
{
    return ReadHistory(corvask::ReadHistoryLines, path, offset, lines, maxBytes);
}

CORVASK_API int ReadHistoryFileUTF8Reusing(std::wstring path, std::int64_t& offset,
                                           std::vector<std::wstring>& lines, std::uint64_t maxBytes)
{
    const int error = ReadHistory(corvask::ReadHistoryLinesReusing, path, offset, lines, maxBytes);
    if (error != 0)
        lines.clear();
    return error;
}

CORVASK_API void ErrorShow(std::uint32_t code, std::wstring& text)
{
    try {
        text = corvask::ErrorText(code);
    } catch (...) {
        text = L"Unknown error";
    }
}

#include "watch/WatchErrors.h"

#include <cerrno>
#include <cstring>

namespace zellwick::watch {

namespace {

std::wstring SystemText(int code)
{
    char buffer[256] = {};
    // The GNU strerror_r may return a static text instead of filling the buffer.
    const char* text = ::strerror_r(code, buffer, sizeof buffer);
    std::wstring wide;
    for (const char* p = text; p && *p; ++p)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return wide;
}

} // namespace

std::wstring WatchErrorText(std::uint32_t code)
{
    switch (code) {
    case kWatchSuccess:
        return L"The folder is being watched.";
    case kErrorOutOfMemory:
        return L"Not enough memory to watch the folder.";
    case kErrorInvalidParameter:
        return L"No folder or no change handler was given.";
    case kErrorBadPathname:
        return L"The folder does not exist or is not a folder.";
    case kErrorMaxThreadsReached:
        return L"The thread that watches folders could not be started.";
    case ENOSPC:
        return L"The system's limit of inotify watches was reached; raise "
               L"fs.inotify.max_user_watches (sysctl) to watch this folder.";
    case EMFILE:
        return L"Too many open files or inotify instances; raise the open-file limit or "
               L"fs.inotify.max_user_instances (sysctl).";
    case ENFILE:
        return L"The system's table of open files is full (fs.file-max).";
    default:
        return SystemText(static_cast<int>(code)) + L" (error " + std::to_wstring(code) + L")";
    }
}

} // namespace zellwick::watch

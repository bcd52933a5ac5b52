#include "tests/follow/FollowTestSupport.h"

#include "corvask/corvask.h"
#include "tests/support/SampleHand.h"
#include "tests/support/TestSupport.h"
#include "watch/PathText.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>

namespace zellwick::test {

namespace fs = std::filesystem;

std::string Hand(int number)
{
    return SampleCashHand(200000000000LL + number);
}

std::string Hands(int count, int first)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += Hand(first + i);
    return text;
}

size_t MemoryLog::Count(const std::wstring& text) const
{
    return static_cast<size_t>(std::count_if(m_lines.begin(), m_lines.end(), [&](const auto& line) {
        return line.find(text) != std::wstring::npos;
    }));
}

std::wstring Key(const fs::path& file)
{
    return watch::WideFromNative(file.native());
}

std::wstring ReadErrorLine(int error, const fs::path& file)
{
    std::wstring text;
    ErrorShow(static_cast<std::uint32_t>(error), text);
    return L"Error <" + text + L"> while  ReadHistoryFile = " + Key(file);
}

Follower::Follower()
    : m_parser(m_hero, RunningTotals{m_nHandCount, m_nVppCents, m_dVpp}, &m_log), m_watcher(true),
      m_handler(&m_offsets, m_parser, m_log)
{}

bool Follower::WaitUntilRead(const fs::path& file, std::chrono::milliseconds timeout)
{
    return WaitFor(
        [&] {
            std::error_code ec;
            const auto size = fs::file_size(file, ec);
            return !ec && Offset(file) == static_cast<std::int64_t>(size);
        },
        timeout);
}

bool Follower::Settle(const fs::path& dir)
{
    const fs::path marker = dir / ("settle-" + std::to_string(++m_nSettled) + ".txt");
    WriteFile(marker, "settled\n");
    return WaitUntilRead(marker);
}

std::int64_t Follower::Offset(const fs::path& file) const
{
    const auto entry = m_offsets.find(Key(file));
    return entry == m_offsets.end() ? -1 : entry->second;
}

void SetWritten(const fs::path& file, std::time_t when)
{
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    ::utimensat(AT_FDCWD, file.c_str(), times, 0);
}

} // namespace zellwick::test

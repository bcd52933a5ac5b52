#include "tests/follow/FollowTestSupport.h"

#include "corvask/corvask.h"
#include "tests/support/SampleHand.h"
#include "tests/support/TestSupport.h"
#include "watch/PathText.h"

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
    size_t found = 0;
    for (const std::wstring& line : m_lines)
        found += line.find(text) != std::wstring::npos ? 1 : 0;
    return found;
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

std::uint32_t Follower::Watch(const fs::path& dir)
{
    return m_watcher.WatchDirectory(Key(dir), &m_handler);
}

std::uint32_t Follower::Start(const fs::path& dir)
{
    return m_handler.Follow(m_watcher, Key(dir), std::time(nullptr));
}

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

void Follower::AddedAndModified(const fs::path& file)
{
    m_handler.OnFileAdded(Key(file));
    m_handler.OnFileModified(Key(file));
}

bool Follower::Knows(const fs::path& file) const
{
    return m_offsets.count(Key(file)) != 0;
}

std::int64_t Follower::Offset(const fs::path& file) const
{
    const auto entry = m_offsets.find(Key(file));
    return entry == m_offsets.end() ? -1 : entry->second;
}

void SetWritten(const fs::path& file, std::time_t when)
{
    struct timespec times[2] = {};
    times[0].tv_sec = when;
    times[1] = times[0];
    ::utimensat(AT_FDCWD, file.c_str(), times, 0);
}

} // namespace zellwick::test

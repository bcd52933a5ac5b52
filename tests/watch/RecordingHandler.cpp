#include "tests/watch/RecordingHandler.h"

#include "tests/support/TestSupport.h"
#include "watch/PathText.h"

namespace zellwick::test {

RecordingHandler::~RecordingHandler()
{
    // Our own operations still hear about the last reports of our folders.
    UnwatchFromBoundWatcher();
}

void RecordingHandler::OnFileAdded(const std::wstring& path)
{
    Record({"added", path, {}, 0, {}});
}

void RecordingHandler::OnFileRemoved(const std::wstring& path)
{
    Record({"removed", path, {}, 0, {}});
}

void RecordingHandler::OnFileRenamed(const std::wstring& oldPath, const std::wstring& newPath)
{
    Record({"renamed", oldPath, newPath, 0, {}});
}

void RecordingHandler::OnFileModified(const std::wstring& path)
{
    Record({"modified", path, {}, 0, {}});
}

void RecordingHandler::OnReadError(std::uint32_t error, const std::wstring& dir)
{
    Record({"error", dir, {}, error, {}});
}

void RecordingHandler::OnWatchStarted(std::uint32_t status, const std::wstring& dir)
{
    Record({"started", dir, {}, status, {}});
}

void RecordingHandler::OnWatchStopped(const std::wstring& dir)
{
    Record({"stopped", dir, {}, 0, {}});
}

bool RecordingHandler::AcceptChange(std::uint32_t action, const wchar_t* path,
                                    const wchar_t* newPath)
{
    return accept ? accept(action, path, newPath) : true;
}

void RecordingHandler::Record(Call call)
{
    call.thread = std::this_thread::get_id();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.push_back(call);
    }
    if (onCall)
        onCall(call);
}

std::vector<RecordingHandler::Call> RecordingHandler::Calls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

size_t RecordingHandler::Count(const std::string& what, const std::wstring& path) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    size_t count = 0;
    for (const Call& call : m_calls) {
        if (call.what == what && call.path == path)
            ++count;
    }
    return count;
}

bool RecordingHandler::WaitForCall(const std::string& what, const std::wstring& path,
                                   std::chrono::milliseconds timeout) const
{
    return WaitFor([&] { return Count(what, path) > 0; }, timeout);
}

std::vector<std::string> RecordingHandler::Summary(const std::wstring& dir) const
{
    std::wstring prefix = dir;
    if (prefix.empty() || prefix.back() != L'/')
        prefix += L'/';
    auto relative = [&](const std::wstring& path) {
        if (path == dir)
            return std::string(".");
        if (path.compare(0, prefix.size(), prefix) == 0)
            return Narrow(path.substr(prefix.size()));
        return Narrow(path);
    };
    std::vector<std::string> lines;
    for (const Call& call : Calls()) {
        std::string line = call.what + " " + relative(call.path);
        if (call.what == "renamed")
            line += " -> " + relative(call.newPath);
        if (call.what == "error" || call.what == "started")
            line += " " + std::to_string(call.number);
        if (call.what == "modified" && !lines.empty() && lines.back() == line)
            continue;
        lines.push_back(line);
    }
    return lines;
}

void RecordingHandler::Clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.clear();
}

std::string Narrow(const std::wstring& text)
{
    return zellwick::watch::NativeFromWide(text);
}

} // namespace zellwick::test

#pragma once

#include "tests/support/TestSupport.h"
#include "watch/DirectoryChangeHandler.h"
#include "watch/PathText.h"

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zellwick::test {

inline std::string Narrow(const std::wstring& text)
{
    return zellwick::watch::NativeFromWide(text);
}

// Writes down every call it receives, under a lock, with the thread it ran on.
class RecordingHandler : public CDirectoryChangeHandler
{
public:
    struct Call
    {
        std::string what; // added, removed, renamed, modified, error, started, stopped
        std::wstring path;
        std::wstring newPath;
        std::uint32_t number = 0;
        std::thread::id thread;
    };

    ~RecordingHandler() override { UnwatchFromBoundWatcher(); }

    void OnFileAdded(const std::wstring& path) override { Record("added", path); }
    void OnFileRemoved(const std::wstring& path) override { Record("removed", path); }
    void OnFileRenamed(const std::wstring& from, const std::wstring& to) override
    {
        Record("renamed", from, to);
    }
    void OnFileModified(const std::wstring& path) override { Record("modified", path); }
    void OnReadError(std::uint32_t error, const std::wstring& dir) override
    {
        Record("error", dir, {}, error);
    }
    void OnWatchStarted(std::uint32_t status, const std::wstring& dir) override
    {
        Record("started", dir, {}, status);
    }
    void OnWatchStopped(const std::wstring& dir) override { Record("stopped", dir); }
    bool AcceptChange(std::uint32_t action, const wchar_t* path, const wchar_t* newPath) override
    {
        return accept ? accept(action, path, newPath) : true;
    }
    std::function<void(const Call&)> onCall; // runs inside every call, after it was written down
    std::function<bool(std::uint32_t, const wchar_t*, const wchar_t*)> accept;

    std::vector<Call> Calls() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }
    // Calls of that kind, for that path (any path when it is empty).
    size_t Count(const std::string& what, const std::wstring& path = {}) const
    {
        size_t count = 0;
        for (const Call& call : Calls())
            count += call.what == what && (path.empty() || call.path == path) ? 1 : 0;
        return count;
    }
    bool WaitForCall(const std::string& what, const std::wstring& path) const
    {
        return WaitFor([&] { return Count(what, path) > 0; });
    }
    // "what path[ -> newPath][ number]" per call, paths relative to dir, repeated "modified"
    // reports of one file once (the kernel merges them at will).
    std::vector<std::string> Summary(const std::wstring& dir) const
    {
        const std::wstring prefix = dir.ends_with(L'/') ? dir : dir + L'/';
        const auto relative = [&](const std::wstring& path) {
            return path == dir ? "."
                               : Narrow(path.substr(path.starts_with(prefix) ? prefix.size() : 0));
        };
        std::vector<std::string> lines;
        for (const Call& call : Calls()) {
            std::string line = call.what + " " + relative(call.path);
            if (call.what == "renamed")
                line += " -> " + relative(call.newPath);
            if (call.what == "error" || call.what == "started")
                line += " " + std::to_string(call.number);
            if (call.what != "modified" || lines.empty() || lines.back() != line)
                lines.push_back(line);
        }
        return lines;
    }

private:
    void Record(const char* what, const std::wstring& path, const std::wstring& newPath = {},
                std::uint32_t number = 0)
    {
        const Call call{what, path, newPath, number, std::this_thread::get_id()};
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_calls.push_back(call);
        }
        if (onCall)
            onCall(call);
    }

    mutable std::mutex m_mutex;
    std::vector<Call> m_calls;
};

} // namespace zellwick::test

#pragma once

#include "watch/DirectoryChangeHandler.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zellwick::test {

// A handler that writes down every call it receives, under a lock, with the thread it ran on.
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

    ~RecordingHandler() override;

    void OnFileAdded(const std::wstring& path) override;
    void OnFileRemoved(const std::wstring& path) override;
    void OnFileRenamed(const std::wstring& oldPath, const std::wstring& newPath) override;
    void OnFileModified(const std::wstring& path) override;
    void OnReadError(std::uint32_t error, const std::wstring& dir) override;
    void OnWatchStarted(std::uint32_t status, const std::wstring& dir) override;
    void OnWatchStopped(const std::wstring& dir) override;
    bool AcceptChange(std::uint32_t action, const wchar_t* path, const wchar_t* newPath) override;

    // Runs inside every call, after it was written down, on the delivering thread.
    std::function<void(const Call&)> onCall;
    // Answers AcceptChange; accepts everything when empty.
    std::function<bool(std::uint32_t, const wchar_t*, const wchar_t*)> accept;

    std::vector<Call> Calls() const;
    size_t Count(const std::string& what, const std::wstring& path) const;
    // Waits (delivering the window thread's events) until such a call was received.
    bool WaitForCall(const std::string& what, const std::wstring& path,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // "what path[ -> newPath]" for each call, with paths made relative to dir and repeated
    // "modified" reports of one file counted once (the kernel merges them at will).
    std::vector<std::string> Summary(const std::wstring& dir) const;
    void Clear();

private:
    void Record(Call call);

    mutable std::mutex m_mutex;
    std::vector<Call> m_calls;
};

// Narrow text of a wide path, for messages and comparisons.
std::string Narrow(const std::wstring& text);

} // namespace zellwick::test

#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace zellwick::test {

// A folder of its own for one test, removed again when the test ends.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::wstring wpath() const { return m_path.wstring(); }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Writes bytes to a file, creating folders on the way.
void WriteFile(const std::filesystem::path& file, const std::string& bytes);
void AppendFile(const std::filesystem::path& file, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& file);

// Waits for a condition while Qt's events are processed; true when it came true in time.
bool WaitFor(const std::function<bool()>& condition,
             std::chrono::milliseconds timeout = std::chrono::seconds(10));

// The shared folder of real hand histories, or an empty path when it is not there.
std::filesystem::path SharedDataDir();

// The folder the project's own programs were built into.
std::filesystem::path BinDir();

// Runs a command through the shell; returns its exit status and fills its standard output.
int RunCommand(const std::string& command, std::string* output = nullptr);

// True when the tests run as root, for whom file permissions do not hold.
bool RunningAsRoot();

// Runs check in a child process as the unprivileged user 65534 (no supplementary groups) and
// returns its result (0 to 254); -1 when the child could not drop its privileges. The check
// must not touch gtest: it only computes a number.
int RunAsOtherUser(const std::function<int()>& check);

// The test's private home, set up before anything else runs.
std::filesystem::path TestHome();

} // namespace zellwick::test

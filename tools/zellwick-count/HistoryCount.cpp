#include "tools/zellwick-count/HistoryCount.h"

#include "corvask/NativePath.h"
#include "corvask/Utf8Text.h"
#include "corvask/corvask.h"

#include <algorithm>
#include <atomic>
#include <ctime>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <utility>

namespace zellwick::count {

namespace fs = std::filesystem;

namespace {

using FileId = std::pair<dev_t, ino_t>;

struct Walk
{
    std::vector<fs::path> files;
    std::vector<PathProblem>& problems;
    std::set<FileId> seenFolders;
    std::set<FileId> seenFiles;
};

bool EndsWithTxt(const std::string& name)
{
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0;
}

void AddFile(Walk& walk, const fs::path& file, const struct stat& info)
{
    if (walk.seenFiles.insert({info.st_dev, info.st_ino}).second)
        walk.files.push_back(file);
}

void WalkFolder(Walk& walk, const fs::path& folder)
{
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error) {
        walk.problems.push_back({folder, error.value()});
        return;
    }
    std::vector<fs::path> names;
    for (; entries != fs::directory_iterator(); entries.increment(error)) {
        if (error)
            break;
        names.push_back(entries->path());
    }
    if (error)
        walk.problems.push_back({folder, error.value()});
    std::sort(names.begin(), names.end(), [](const fs::path& a, const fs::path& b) {
        return a.filename().native() < b.filename().native();
    });
    for (const fs::path& entry : names) {
        struct stat info
        {};
        const bool exists = ::stat(entry.c_str(), &info) == 0;
        if (exists && S_ISDIR(info.st_mode)) {
            // A folder seen before is a link back into the tree (or a second way into it).
            if (walk.seenFolders.insert({info.st_dev, info.st_ino}).second)
                WalkFolder(walk, entry);
        } else if (EndsWithTxt(entry.filename().native())) {
            if (exists)
                AddFile(walk, entry, info);
            else
                walk.files.push_back(entry); // a dangling link: reading it reports the error
        }
    }
}

// Keeps what the analysis reports for one file, so that files counted side by side never
// mix their lines.
class BufferedLog : public HistoryLog
{
public:
    void WriteLog(const std::wstring& line) override
    {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        ::localtime_r(&now, &local);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%d.%m.%Y  %H:%M:%S  ", &local);
        m_text += stamp;
        corvask::AppendUtf8Unescaped(line, m_text);
        m_text += '\n';
    }
    void WriteRaw(const std::wstring& text) override { corvask::AppendUtf8Unescaped(text, m_text); }
    std::string Take() { return std::move(m_text); }

private:
    std::string m_text;
};

} // namespace

std::vector<fs::path> CollectHistoryFiles(const std::vector<fs::path>& paths,
                                          std::vector<PathProblem>& problems)
{
    Walk walk{{}, problems, {}, {}};
    for (const fs::path& path : paths) {
        struct stat info
        {};
        if (::stat(path.c_str(), &info) != 0) {
            problems.push_back({path, errno});
        } else if (S_ISDIR(info.st_mode)) {
            if (walk.seenFolders.insert({info.st_dev, info.st_ino}).second)
                WalkFolder(walk, path);
        } else {
            AddFile(walk, path, info);
        }
    }
    return std::move(walk.files);
}

FileCount CountHistoryFile(const fs::path& file, const std::wstring& nickname, bool withLog,
                           std::uint64_t chunkBytes)
{
    FileCount count;
    count.path = file;
    std::int32_t hands = 0;
    std::int32_t vppCents = 0;
    double vpp = 0.0;
    BufferedLog log;
    HandHistoryParser parser(nickname, RunningTotals{hands, vppCents, vpp},
                             withLog ? &log : nullptr);
    // The parser adds to 32-bit totals; taking them over after every piece keeps a file of
    // any size from overflowing them.
    auto takeTotals = [&] {
        count.hands += hands;
        count.vppCents += vppCents;
        hands = 0;
        vppCents = 0;
    };
    const std::wstring path = corvask::FromNativePath(file.native());
    std::int64_t offset = 0;
    // One vector for every piece, its strings read into again and again: the parser copies
    // each line into storage of its own, so the count allocates next to nothing per line.
    std::vector<std::wstring> lines;
    for (;;) {
        const std::int64_t before = offset;
        const int error = ReadHistoryFileUTF8Reusing(path, offset, lines, chunkBytes);
        if (error != 0) {
            count.error = error;
            count.hands = 0;
            count.vppCents = 0;
            return count;
        }
        if (lines.empty() && offset == before)
            break;
        parser.Feed(lines);
        takeTotals();
    }
    parser.Finish();
    takeTotals();
    count.log = log.Take();
    return count;
}

std::vector<FileCount> CountHistoryFiles(const std::vector<fs::path>& files,
                                         const std::wstring& nickname, unsigned threads,
                                         bool withLog)
{
    std::vector<FileCount> counts(files.size());
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, files.size()));
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < files.size(); i = next++)
            counts[i] = CountHistoryFile(files[i], nickname, withLog);
    };
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < threads; ++i)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
    return counts;
}

} // namespace zellwick::count

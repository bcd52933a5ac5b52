// Load and fault figures of the follower: for each way of writing, replacing and losing files
// the hands written, counted, lost and doubled, and the figures to keep (a settled hand's
// delay, an idle follower's CPU and memory). Runs the history handler and the watch as the
// timer window does, on real folders in /tmp, with real writers.
//
//   follow_figures [--idle-seconds N]

#include "history/DirectoryChangeHandlerHistory.h"
#include "tools/zellwick-genhands/HandGenerator.h"
#include "watch/DirectoryChangeWatcher.h"
#include "watch/PathText.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sched.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

class NoLog : public HistoryLog
{
public:
    void WriteLog(const std::wstring& line) override
    {
        lines.push_back(zellwick::watch::NativeFromWide(line));
    }
    void WriteRaw(const std::wstring&) override {}
    std::vector<std::string> lines;
};

std::wstring Key(const fs::path& path)
{
    return zellwick::watch::WideFromNative(path.native());
}

// Generated hands, each as one piece of text.
std::vector<std::string> MakeHands(int count, std::uint64_t seed)
{
    zellwick::genhands::GeneratorOptions options;
    options.seed = seed;
    zellwick::genhands::HandGenerator generator(options);
    std::vector<std::string> hands(static_cast<size_t>(count));
    for (std::string& hand : hands)
        generator.Next(hand);
    return hands;
}

void Append(const fs::path& file, const std::string& text)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        std::perror(file.c_str());
    ::close(fd);
}

void Deliver(std::chrono::milliseconds time)
{
    const auto end = Clock::now() + time;
    while (Clock::now() < end) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(1ms);
    }
}

// Runs work on a thread of its own while this thread delivers the reports.
void Writing(const std::function<void()>& work)
{
    std::atomic<bool> done{false};
    std::thread writer([&] {
        work();
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    writer.join();
}

struct Follower
{
    std::wstring hero = L"Hero";
    std::int32_t hands = 0;
    std::int32_t vppCents = 0;
    double vpp = 0.0;
    NoLog log;
    FileOffsetMap offsets;
    HandHistoryParser parser{hero, RunningTotals{hands, vppCents, vpp}, &log};
    CDirectoryChangeWatcher watcher{true};
    CDirectoryChangeHandlerHistory handler{&offsets, parser, log};
};

struct Folder
{
    Folder()
    {
        std::string pattern = (fs::temp_directory_path() / "zellwick-figures-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        path = pattern;
    }
    ~Folder() { fs::remove_all(path); }
    fs::path path;
};

void Row(const char* name, long written, long counted, const std::string& note = {})
{
    const long lost = written > counted ? written - counted : 0;
    const long doubled = counted > written ? counted - written : 0;
    std::printf("| %-44s | %7ld | %7ld | %4ld | %7ld | %s\n", name, written, counted, lost, doubled,
                note.c_str());
    std::fflush(stdout);
}

// 24 tables, each hand in one write, interleaved.
void NormalPlay()
{
    Folder dir;
    Follower f;
    f.handler.Follow(f.watcher, Key(dir.path), std::time(nullptr));
    const auto hands = MakeHands(24 * 40, 1);
    Writing([&] {
        for (size_t i = 0; i < hands.size(); ++i) {
            Append(dir.path / ("HH table " + std::to_string(i % 24) + ".txt"), hands[i]);
            std::this_thread::sleep_for(1ms);
        }
    });
    f.watcher.UnwatchDirectory(Key(dir.path));
    Row("24 tables, one write per hand", static_cast<long>(hands.size()), f.hands);
}

// Each hand in pieces: the gaps between the pieces' writes.
void Pieces(const char* name, const std::vector<std::chrono::milliseconds>& gaps)
{
    Folder dir;
    Follower f;
    f.handler.Follow(f.watcher, Key(dir.path), std::time(nullptr));
    const auto hands = MakeHands(40, 2);
    std::int64_t cents = 0;
    {
        Folder whole;
        Follower g;
        g.handler.Follow(g.watcher, Key(whole.path), std::time(nullptr));
        for (const std::string& hand : hands)
            Append(whole.path / "HH whole.txt", hand);
        Deliver(300ms);
        g.watcher.UnwatchDirectory(Key(whole.path));
        cents = g.vppCents;
    }
    Writing([&] {
        for (const std::string& hand : hands) {
            const size_t piece = hand.size() / (gaps.size() + 1);
            for (size_t p = 0; p <= gaps.size(); ++p) {
                Append(dir.path / "HH pieces.txt",
                       hand.substr(p * piece, p == gaps.size() ? std::string::npos : piece));
                if (p < gaps.size())
                    std::this_thread::sleep_for(gaps[p]);
            }
            std::this_thread::sleep_for(300ms);
        }
    });
    f.watcher.UnwatchDirectory(Key(dir.path));
    Row(name, static_cast<long>(hands.size()), f.hands,
        "VPP hundredths " + std::to_string(f.vppCents) + " of " + std::to_string(cents));
}

// A folder below the history folder gets no watch (the user's limit): hands in the top folder
// and in that subfolder. Runs in a child that is root of a user namespace of its own.
void WatchLimit(int argc, char** argv)
{
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child != 0) {
        int status = 0;
        ::waitpid(child, &status, 0);
        return;
    }
    const uid_t uid = ::geteuid();
    const auto put = [](const char* file, const std::string& text) { std::ofstream(file) << text; };
    if (::unshare(CLONE_NEWUSER) != 0) {
        std::printf("| %-44s | (no user namespaces here)\n", "a subfolder without a watch");
        std::_Exit(0);
    }
    put("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1\n");
    QCoreApplication app(argc, argv);
    Folder dir;
    for (const char* sub : {"a", "b", "c"})
        fs::create_directories(dir.path / sub);
    put("/proc/sys/user/max_inotify_watches", "2\n");
    Follower f;
    f.handler.Follow(f.watcher, Key(dir.path), std::time(nullptr));
    const auto hands = MakeHands(40, 3);
    Writing([&] {
        for (size_t i = 0; i < hands.size(); ++i) {
            Append(dir.path / (i % 2 ? "HH top.txt" : "c/HH sub.txt"), hands[i]);
            std::this_thread::sleep_for(10ms);
        }
    });
    Deliver(2500ms); // a folder without a watch is looked at every 2 s
    f.watcher.UnwatchDirectory(Key(dir.path));
    Row("a subfolder without a watch (limit reached)", static_cast<long>(hands.size()), f.hands,
        std::to_string(f.log.lines.size()) + " log line(s)");
    std::fflush(stdout);
    std::_Exit(0);
}

long CpuMs()
{
    rusage use{};
    ::getrusage(RUSAGE_SELF, &use);
    return (use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1000 +
           (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1000;
}

long StatusKb(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == key) {
            long kb = 0;
            status >> kb;
            return kb;
        }
    }
    return -1;
}

// 50 MiB without a line end in 64 KiB pieces while another table writes a hand every 100 ms.
void LongLine()
{
    Folder dir;
    Follower f;
    f.handler.Follow(f.watcher, Key(dir.path), std::time(nullptr));
    const auto hands = MakeHands(20, 4);
    const long cpuBefore = CpuMs();
    std::atomic<bool> done{false};
    std::thread endless([&] {
        const std::string piece(64 * 1024, 'x');
        Append(dir.path / "HH endless.txt", "PokerStars Hand #1: ");
        for (int i = 0; i < 800; ++i)
            Append(dir.path / "HH endless.txt", piece);
        done = true;
    });
    long worstMs = 0;
    size_t written = 0;
    for (; written < hands.size() && (!done || written < 5); ++written) {
        const int before = f.hands;
        const auto at = Clock::now();
        Append(dir.path / "HH other.txt", hands[written]);
        while (f.hands == before && Clock::now() - at < 60s)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        worstMs = std::max<long>(
            worstMs,
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - at).count());
        Deliver(100ms);
    }
    endless.join();
    const auto stopAt = Clock::now();
    f.watcher.UnwatchDirectory(Key(dir.path));
    const long stopMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - stopAt).count();
    Row("50 MiB line without end, another table plays", static_cast<long>(written), f.hands,
        "other table's hand within " + std::to_string(worstMs) + " ms; CPU " +
            std::to_string(CpuMs() - cpuBefore) + " ms; stop " + std::to_string(stopMs) +
            " ms; peak RSS " + std::to_string(StatusKb("VmHWM:") / 1024) + " MiB");
}

// Files made around Start among 3,000 old ones; afterwards one hand is appended to each.
void CreatedAtStart()
{
    Folder dir;
    fs::create_directories(dir.path / "old");
    for (int i = 0; i < 3000; ++i)
        Append(dir.path / ("old/HH " + std::to_string(i) + ".txt"), "x\n");
    Follower f;
    constexpr int kNew = 300;
    std::atomic<int> made{0};
    std::thread writer([&] {
        for (int i = 0; i < kNew; ++i, ++made)
            Append(dir.path / ("HH new " + std::to_string(i) + ".txt"), "");
    });
    while (made < kNew / 3)
        std::this_thread::yield();
    f.handler.Follow(f.watcher, Key(dir.path), std::time(nullptr));
    writer.join();
    Deliver(300ms);
    const auto hands = MakeHands(kNew, 5);
    for (int i = 0; i < kNew; ++i)
        Append(dir.path / ("HH new " + std::to_string(i) + ".txt"), hands[static_cast<size_t>(i)]);
    Deliver(500ms);
    f.watcher.UnwatchDirectory(Key(dir.path));
    Row("files made around Start (3,000 old files)", kNew, f.hands);
}

// A followed file deleted and made again within a millisecond, or cut and written anew longer.
void Replaced(bool recreate)
{
    Folder dir;
    Follower f;
    f.handler.Follow(f.watcher, Key(dir.path), std::time(nullptr));
    const auto hands = MakeHands(31 * 5, 6);
    long expected = 0;
    for (int round = 0; round < 31; ++round) {
        const fs::path file = dir.path / ("HH table " + std::to_string(round) + ".txt");
        const auto at = static_cast<size_t>(round * 5);
        Append(file, hands[at]);
        Deliver(150ms);
        if (recreate)
            fs::remove(file);
        else
            ::truncate(file.c_str(), 0);
        Append(file, hands[at + 1] + hands[at + 2] + hands[at + 3]);
        expected += 1 + 3;
    }
    Deliver(500ms);
    f.watcher.UnwatchDirectory(Key(dir.path));
    Row(recreate ? "31 files deleted and made again at once" : "31 files cut and written anew",
        expected, f.hands);
}

// The watched folder deleted, then made again with new files.
void FolderBack()
{
    Folder base;
    const fs::path dir = base.path / "history";
    fs::create_directories(dir);
    Follower f;
    f.handler.Follow(f.watcher, Key(dir), std::time(nullptr));
    const auto hands = MakeHands(20, 7);
    Append(dir / "HH a.txt", hands[0]);
    Deliver(300ms);
    fs::remove_all(dir);
    Deliver(300ms);
    const std::string problem = zellwick::watch::NativeFromWide(f.handler.CountingProblem());
    fs::create_directories(dir);
    for (size_t i = 1; i < hands.size(); ++i)
        Append(dir / "HH b.txt", hands[i]);
    Deliver(3000ms);
    f.watcher.UnwatchDirectory(Key(dir));
    Row("watched folder deleted and made again", static_cast<long>(hands.size()), f.hands,
        "shown meanwhile: \"" + problem.substr(0, 24) + "...\"");
}

// From a hand's last write to its count: settle time plus the rest.
void SettleDelay()
{
    Folder dir;
    Follower f;
    f.handler.Follow(f.watcher, Key(dir.path), std::time(nullptr));
    const auto hands = MakeHands(30, 8);
    std::vector<long> delays;
    for (const std::string& hand : hands) {
        const int before = f.hands;
        const auto at = Clock::now();
        Append(dir.path / "HH table.txt", hand);
        while (f.hands == before)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        delays.push_back(
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - at).count());
        Deliver(50ms);
    }
    std::sort(delays.begin(), delays.end());
    std::printf("\nSettled hand counted after its last write (settle time %lld ms): median %.1f "
                "ms, max %.1f ms over %zu hands\n",
                static_cast<long long>(CDirectoryChangeHandlerHistory::kSettleTime.count()),
                delays[delays.size() / 2] / 1000.0, delays.back() / 1000.0, delays.size());
}

void Idle(int seconds)
{
    Folder dir;
    Follower f;
    f.handler.Follow(f.watcher, Key(dir.path), std::time(nullptr));
    const long cpu = CpuMs();
    QEventLoop loop; // waits as the window's and the terminal's loops wait
    QTimer::singleShot(std::chrono::seconds(seconds), &loop, &QEventLoop::quit);
    loop.exec();
    std::printf("Idle follower over %d s: CPU %.3f %%, RSS %.1f MB\n", seconds,
                100.0 * static_cast<double>(CpuMs() - cpu) / (seconds * 1000.0),
                static_cast<double>(StatusKb("VmRSS:")) / 1000.0);
    f.watcher.UnwatchDirectory(Key(dir.path));
}

} // namespace

int main(int argc, char** argv)
{
    int idleSeconds = 60;
    if (argc == 3 && std::string(argv[1]) == "--idle-seconds")
        idleSeconds = std::atoi(argv[2]);
    std::printf("| %-44s | written | counted | lost | doubled |\n|%s|---------|---------|------|"
                "---------|\n",
                "case", std::string(46, '-').c_str());
    WatchLimit(argc, argv); // first, while this process has no thread
    QCoreApplication app(argc, argv);
    NormalPlay();
    Pieces("one hand in two writes 1 ms apart", {1ms});
    Pieces("one hand in three writes 0, 1, 20 ms apart", {1ms, 19ms});
    LongLine();
    CreatedAtStart();
    Replaced(true);
    Replaced(false);
    FolderBack();
    SettleDelay();
    if (idleSeconds > 0)
        Idle(idleSeconds);
    return 0;
}

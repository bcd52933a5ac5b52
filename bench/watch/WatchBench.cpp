// Measures the folder watch: the delay from a write to the handler's OnFileModified on the
// delivering thread (median and 99th percentile), and the CPU time the idle worker uses.
//
//   zellwick_bench_watch [writes=10000] [idle seconds=10]

#include "watch/DirectoryChangeWatcher.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pthread.h>
#include <string>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class TimingHandler : public CDirectoryChangeHandler
{
public:
    void OnFileModified(const std::wstring&) override
    {
        m_delivered = Clock::now();
        m_bDelivered = true;
        ++m_nCalls;
    }

    long m_nCalls = 0;
    Clock::time_point m_delivered;
    bool m_bDelivered = false;
};

// Remembers the worker's CPU clock, so its time can be read from outside.
class MeasuredWatcher : public CDirectoryChangeWatcher
{
public:
    ~MeasuredWatcher() override { UnwatchAll(); }

    double WorkerCpuSeconds() const
    {
        timespec spent{};
        if (!m_bHaveClock || ::clock_gettime(m_clock, &spent) != 0)
            return -1.0;
        return static_cast<double>(spent.tv_sec) + static_cast<double>(spent.tv_nsec) * 1e-9;
    }

protected:
    void OnWorkerStart() override
    {
        m_bHaveClock = ::pthread_getcpuclockid(::pthread_self(), &m_clock) == 0;
    }

private:
    clockid_t m_clock{};
    std::atomic<bool> m_bHaveClock{false};
};

struct Percentiles
{
    double median;
    double p99;
};

Percentiles Measure(std::vector<double> micros)
{
    std::sort(micros.begin(), micros.end());
    auto at = [&](double share) {
        const auto index = static_cast<size_t>(share * static_cast<double>(micros.size() - 1));
        return micros[index];
    };
    return {at(0.5), at(0.99)};
}

std::filesystem::path MakeFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "zellwick-bench-XXXXXX");
    if (!::mkdtemp(pattern.data()))
        return {};
    return pattern;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int writes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const int idleSeconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;

    const std::filesystem::path folder = MakeFolder();
    if (folder.empty()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    const std::filesystem::path file = folder / "HH20240101 Bench.txt";
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);

    int status = 0;
    {
        MeasuredWatcher watcher;
        TimingHandler handler;
        if (fd < 0 || watcher.WatchDirectory(folder.wstring(), &handler) != 0) {
            std::fprintf(stderr, "cannot watch %s\n", folder.c_str());
            status = 1;
        } else {
            const std::string hand(600, 'h'); // about one hand of text
            std::vector<double> delays;
            delays.reserve(static_cast<size_t>(writes));
            for (int i = 0; i < writes; ++i) {
                handler.m_bDelivered = false;
                const Clock::time_point written = Clock::now();
                if (::write(fd, hand.data(), hand.size()) < 0)
                    break;
                while (!handler.m_bDelivered)
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
                delays.push_back(
                    std::chrono::duration<double, std::micro>(handler.m_delivered - written)
                        .count());
            }
            const Percentiles figures = Measure(delays);
            std::printf("write -> OnFileModified over %zu writes (%ld reports): median %.1f us, "
                        "99th percentile %.1f us\n",
                        delays.size(), handler.m_nCalls, figures.median, figures.p99);
            std::printf("worker CPU for those writes: %.1f ms\n",
                        watcher.WorkerCpuSeconds() * 1000.0);

            const double before = watcher.WorkerCpuSeconds();
            std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
            const double after = watcher.WorkerCpuSeconds();
            std::printf("idle worker CPU: %.3f ms per minute (over %d s idle)\n",
                        (after - before) * 1000.0 * 60.0 / idleSeconds, idleSeconds);
        }
    }
    if (fd >= 0)
        ::close(fd);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}

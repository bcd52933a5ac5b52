#include "tools/zellwick-count/FollowCommand.h"

#include "tools/zellwick-count/CountReport.h"
#include "tools/zellwick-count/FollowSession.h"
#include "watch/DirectoryChangeWatcher.h"
#include "watch/PathText.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/signalfd.h>
#include <unistd.h>

namespace zellwick::count {

namespace {

// How often the live line is looked at; it is printed only when something in it changed.
constexpr int kRefreshMs = 250;

// SIGINT and SIGTERM are read from a descriptor on the event loop, so that stopping runs as
// ordinary code and never inside a signal handler. They stay blocked until the process ends.
class StopSignals
{
public:
    StopSignals()
    {
        sigemptyset(&m_set);
        sigaddset(&m_set, SIGINT);
        sigaddset(&m_set, SIGTERM);
        // Before any thread starts, so that every thread inherits the mask.
        if (::pthread_sigmask(SIG_BLOCK, &m_set, nullptr) == 0)
            m_fd = ::signalfd(-1, &m_set, SFD_CLOEXEC | SFD_NONBLOCK);
    }
    ~StopSignals()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    int Descriptor() const { return m_fd; }

    void Drain()
    {
        signalfd_siginfo info{};
        while (::read(m_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        }
    }

private:
    sigset_t m_set{};
    int m_fd = -1;
};

// The follower's log lines: into the --log file, stamped as Zellwick stamps its log, or else
// onto standard error. Raw analysis text only goes into a log file.
class FollowLog : public HistoryLog
{
public:
    explicit FollowLog(const std::string& file)
    {
        if (!file.empty())
            m_file = std::fopen(file.c_str(), "ab");
    }
    ~FollowLog() override
    {
        if (m_file)
            std::fclose(m_file);
    }
    FollowLog(const FollowLog&) = delete;
    FollowLog& operator=(const FollowLog&) = delete;

    FILE* File() const { return m_file; }

    void WriteLog(const std::wstring& line) override
    {
        const std::string text = zellwick::watch::NativeFromWide(line);
        if (!m_file) {
            std::fprintf(stderr, "zellwick-count: %s\n", text.c_str());
            return;
        }
        std::fprintf(m_file, "%s%s\n", Stamp().c_str(), text.c_str());
        std::fflush(m_file);
    }

    void WriteRaw(const std::wstring& text) override
    {
        if (m_file)
            std::fputs(zellwick::watch::NativeFromWide(text).c_str(), m_file);
    }

private:
    static std::string Stamp()
    {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        char text[64] = {};
        if (::localtime_r(&now, &local))
            std::strftime(text, sizeof text, "%d.%m.%Y  %H:%M:%S  ", &local);
        return text;
    }

    FILE* m_file = nullptr;
};

// The live line: elapsed time (hours and minutes), hands and VPP, printed when one changes.
class LiveLine
{
public:
    LiveLine(const FollowSession& session, FILE* out) : m_session(session), m_out(out) {}

    void Update()
    {
        const auto elapsed = std::chrono::steady_clock::now() - m_started;
        const auto minutes = std::chrono::duration_cast<std::chrono::minutes>(elapsed).count();
        if (minutes == m_minutes && m_session.Hands() == m_hands &&
            m_session.VppCents() == m_vppCents)
            return;
        m_minutes = minutes;
        m_hands = m_session.Hands();
        m_vppCents = m_session.VppCents();
        std::fprintf(m_out, "%02lld:%02lld  %d hands  %s VPP\n",
                     static_cast<long long>(minutes / 60), static_cast<long long>(minutes % 60),
                     m_hands, FormatVpp(m_vppCents).c_str());
        std::fflush(m_out);
    }

private:
    const FollowSession& m_session;
    FILE* m_out;
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    long long m_minutes = -1;
    std::int32_t m_hands = -1;
    std::int32_t m_vppCents = -1;
};

int PrintTotals(const FollowSession& session, bool json)
{
    const std::vector<FileCount> counts = session.Contributions();
    const std::string report = json ? FormatJson(counts) : FormatTable(counts);
    std::fwrite(report.data(), 1, report.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

int RunFollowCommand(const CountCommand& command, const std::wstring& nickname)
{
    StopSignals stopSignals;
    if (stopSignals.Descriptor() < 0) {
        std::fprintf(stderr, "zellwick-count: cannot wait for SIGINT and SIGTERM: %s\n",
                     std::strerror(errno));
        return 1;
    }
    FollowLog log(command.logFile);
    if (!command.logFile.empty() && !log.File()) {
        std::fprintf(stderr, "zellwick-count: cannot write the log %s: %s\n",
                     command.logFile.c_str(), std::strerror(errno));
        return 1;
    }
    int argc = 1;
    char name[] = "zellwick-count";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    const std::string& folder = command.follow.native();
    FollowSession session(zellwick::watch::WideFromNative(folder), nickname, log);
    if (const std::uint32_t error = session.Start(std::time(nullptr))) {
        std::fprintf(
            stderr, "zellwick-count: cannot follow %s: %s\n", folder.c_str(),
            zellwick::watch::NativeFromWide(CDirectoryChangeWatcher::ErrorText(error)).c_str());
        return 1;
    }
    std::fprintf(stderr,
                 "zellwick-count: following %s (%zu recent history files are read on from "
                 "their end); stop with Ctrl+C\n",
                 folder.c_str(), session.FollowedFiles());

    // With --json, standard output carries nothing but the final object.
    LiveLine live(session, command.json ? stderr : stdout);
    live.Update();
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, [&live] { live.Update(); });
    refresh.start(kRefreshMs);
    QSocketNotifier stopNotifier(stopSignals.Descriptor(), QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, [&] {
        stopSignals.Drain();
        QCoreApplication::quit();
    });
    QCoreApplication::exec();

    refresh.stop();
    stopNotifier.setEnabled(false);
    session.Stop();
    return PrintTotals(session, command.json);
}

} // namespace zellwick::count

#include "ui/QuitSignals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>

namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};
volatile std::sig_atomic_t g_writeFd = -1;

// Only what is async-signal-safe: one byte to the event loop.
void OnSignal(int signal)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signal);
    if (g_writeFd >= 0) [[maybe_unused]]
        const ssize_t ignored = ::write(g_writeFd, &byte, 1);
    errno = savedErrno;
}

void SetAction(void (*handler)(int))
{
    struct sigaction action
    {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
}

} // namespace

QuitSignals::QuitSignals(QObject* parent) : QObject(parent)
{
    if (g_writeFd >= 0 ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, m_fds) != 0)
        return;
    g_writeFd = m_fds[0];
    m_notifier = new QSocketNotifier(m_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { ReadPending(); });
    SetAction(OnSignal);
}

QuitSignals::~QuitSignals()
{
    if (!m_notifier)
        return;
    SetAction(SIG_DFL);
    g_writeFd = -1;
    ::close(m_fds[0]);
    ::close(m_fds[1]);
}

void QuitSignals::ReadPending()
{
    unsigned char bytes[16];
    ssize_t got = 0;
    while ((got = ::read(m_fds[1], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < got; ++i)
            emit Received(bytes[i]);
    }
}

#pragma once

// SIGINT, SIGTERM and SIGHUP as a Qt signal on the event loop, so that the program ends the way
// closing its window does (a desktop's logout, a service manager, Ctrl+C in a terminal) and
// keeps what the window would keep. One instance at a time; the default actions come back
// when it is destroyed.

#include <QObject>

class QSocketNotifier;

class QuitSignals : public QObject
{
    Q_OBJECT

public:
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    // Whether the handlers are in place; without them the signals keep their default action.
    bool IsActive() const { return m_notifier != nullptr; }

signals:
    void Received(int signal);

private:
    void ReadPending();

    int m_fds[2] = {-1, -1};
    QSocketNotifier* m_notifier = nullptr;
};

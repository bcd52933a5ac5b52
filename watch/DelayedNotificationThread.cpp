#include "watch/DelayedNotificationThread.h"

#include "watch/NotificationReceiver.h"
#include "watch/QueuedNotification.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <chrono>
#include <mutex>
#include <vector>

using zellwick::watch::NotificationReceiver;
using zellwick::watch::WatchEvent;

namespace {

class MessageThread;

struct SharedThreadState
{
    std::mutex mutex;
    long count = 0;
    MessageThread* thread = nullptr;
    NotificationReceiver* receiver = nullptr;
    // Threads that were told to end from inside themselves; joined later.
    std::vector<MessageThread*> retired;

    ~SharedThreadState();
};

SharedThreadState& Shared()
{
    static SharedThreadState state;
    return state;
}

class MessageThread : public QThread
{
public:
    explicit MessageThread(WatchEvent* started) : m_started(started) {}

    bool IsCurrent() const { return m_id == std::this_thread::get_id(); }

protected:
    void run() override
    {
        m_id = std::this_thread::get_id();
        QEventLoop loop;
        NotificationReceiver receiver(&loop);
        {
            SharedThreadState& shared = Shared();
            std::lock_guard<std::mutex> lock(shared.mutex);
            shared.receiver = &receiver;
        }
        m_started->Set();
        m_started = nullptr; // the notifier that waited may be gone soon
        loop.exec();
        SharedThreadState& shared = Shared();
        std::lock_guard<std::mutex> lock(shared.mutex);
        if (shared.receiver == &receiver)
            shared.receiver = nullptr;
        // Whatever is still queued is freed with the receiver.
    }

private:
    WatchEvent* m_started;
    std::thread::id m_id;
};

SharedThreadState::~SharedThreadState()
{
    for (MessageThread* ended : retired) {
        ended->wait();
        delete ended;
    }
}

void JoinRetiredThreads(SharedThreadState& shared)
{
    std::vector<MessageThread*> keep;
    for (MessageThread* thread : shared.retired) {
        if (thread->IsCurrent()) {
            keep.push_back(thread);
            continue;
        }
        thread->wait();
        delete thread;
    }
    shared.retired.swap(keep);
}

} // namespace

CDelayedNotificationThread::CDelayedNotificationThread()
{
    SharedThreadState& shared = Shared();
    std::unique_lock<std::mutex> lock(shared.mutex);
    if (++shared.count != 1)
        return;
    JoinRetiredThreads(shared);
    shared.thread = new MessageThread(&m_started);
    shared.thread->start();
    lock.unlock();
    while (!m_started.WaitFor(std::chrono::seconds(10))) {
    }
}

CDelayedNotificationThread::~CDelayedNotificationThread()
{
    SharedThreadState& shared = Shared();
    std::unique_lock<std::mutex> lock(shared.mutex);
    if (--shared.count > 0)
        return;
    shared.count = 0;
    MessageThread* thread = shared.thread;
    NotificationReceiver* receiver = shared.receiver;
    shared.thread = nullptr;
    shared.receiver = nullptr;
    if (!thread)
        return;
    // The quit goes behind everything queued before it, as a quit message would.
    if (receiver) {
        QCoreApplication::postEvent(
            receiver, new QEvent(static_cast<QEvent::Type>(NotificationReceiver::kQuitMessage)));
    }
    if (thread->IsCurrent()) {
        // The last notifier went during a delivery on the thread itself: it cannot wait for
        // its own end, so it is joined later.
        shared.retired.push_back(thread);
        return;
    }
    lock.unlock();
    thread->wait();
    delete thread;
}

bool CDelayedNotificationThread::PostNotification(std::unique_ptr<CQueuedNotification> record)
{
    SharedThreadState& shared = Shared();
    std::lock_guard<std::mutex> lock(shared.mutex);
    if (!shared.receiver || !QCoreApplication::instance())
        return false;
    QCoreApplication::postEvent(shared.receiver, new NotificationEvent(std::move(record)));
    return true;
}

void CDelayedNotificationThread::DeliverQueuedHere()
{
    NotificationReceiver* receiver = nullptr;
    {
        SharedThreadState& shared = Shared();
        std::lock_guard<std::mutex> lock(shared.mutex);
        if (shared.receiver && shared.receiver->LivesOnThisThread())
            receiver = shared.receiver;
    }
    if (receiver)
        QCoreApplication::sendPostedEvents(receiver, kNotificationMessage);
}

bool CDelayedNotificationThread::ThreadRunning()
{
    SharedThreadState& shared = Shared();
    std::lock_guard<std::mutex> lock(shared.mutex);
    return shared.thread != nullptr;
}

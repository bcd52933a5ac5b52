#include "watch/DelayedNotificationWindow.h"

#include "watch/NotificationReceiver.h"
#include "watch/QueuedNotification.h"

#include <QCoreApplication>

#include <mutex>

using zellwick::watch::NotificationReceiver;

namespace {

struct SharedWindowState
{
    std::mutex mutex;
    long count = 0;
    NotificationReceiver* window = nullptr;
};

SharedWindowState& Shared()
{
    static SharedWindowState state;
    return state;
}

} // namespace

CDelayedNotificationWindow::CDelayedNotificationWindow()
{
    SharedWindowState& shared = Shared();
    std::lock_guard<std::mutex> lock(shared.mutex);
    ++shared.count;
    if (!shared.window)
        shared.window = new NotificationReceiver();
}

CDelayedNotificationWindow::~CDelayedNotificationWindow()
{
    SharedWindowState& shared = Shared();
    NotificationReceiver* retiring = nullptr;
    {
        std::lock_guard<std::mutex> lock(shared.mutex);
        if (--shared.count <= 0) {
            shared.count = 0;
            retiring = shared.window;
            shared.window = nullptr;
        }
    }
    // Every queued change holds its wrapper and so this notifier: nothing is queued any more.
    if (retiring)
        retiring->Retire();
}

bool CDelayedNotificationWindow::PostNotification(std::unique_ptr<CQueuedNotification> record)
{
    SharedWindowState& shared = Shared();
    std::lock_guard<std::mutex> lock(shared.mutex);
    // Without an application nothing would ever deliver it.
    if (!shared.window || !QCoreApplication::instance())
        return false;
    QCoreApplication::postEvent(shared.window, new NotificationEvent(std::move(record)));
    return true;
}

void CDelayedNotificationWindow::DeliverQueuedHere()
{
    NotificationReceiver* window = nullptr;
    {
        SharedWindowState& shared = Shared();
        std::lock_guard<std::mutex> lock(shared.mutex);
        if (shared.window && shared.window->LivesOnThisThread())
            window = shared.window;
    }
    // Only this thread could delete the object, so it stays valid here.
    if (window)
        QCoreApplication::sendPostedEvents(window, kNotificationMessage);
}

QObject* CDelayedNotificationWindow::SharedWindow()
{
    SharedWindowState& shared = Shared();
    std::lock_guard<std::mutex> lock(shared.mutex);
    return shared.window;
}

long CDelayedNotificationWindow::SharedCount()
{
    SharedWindowState& shared = Shared();
    std::lock_guard<std::mutex> lock(shared.mutex);
    return shared.count;
}

#pragma once

#include "watch/DelayedNotifier.h"
#include "watch/WatchEvent.h"

// Posts changes to a message thread of its own, shared by the whole process, which delivers
// them in its event loop. The thread runs while at least one thread notifier exists.
class CDelayedNotificationThread : public CDelayedNotifier
{
public:
    CDelayedNotificationThread();
    ~CDelayedNotificationThread() override;
    CDelayedNotificationThread(const CDelayedNotificationThread&) = delete;
    CDelayedNotificationThread& operator=(const CDelayedNotificationThread&) = delete;

    bool PostNotification(std::unique_ptr<CQueuedNotification> record) override;

    // Delivers the changes queued to the message thread when called on it.
    static void DeliverQueuedHere();

    // Whether the shared message thread runs, for tests.
    static bool ThreadRunning();

private:
    zellwick::watch::WatchEvent m_started{false};
};

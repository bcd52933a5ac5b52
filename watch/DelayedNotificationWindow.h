#pragma once

#include "watch/DelayedNotifier.h"

class QObject;

// Posts changes to one hidden object shared by the whole process, which delivers them on the
// thread that created it (the window thread). The object exists while at least one window
// notifier does; it is made by the notifier that finds none.
class CDelayedNotificationWindow : public CDelayedNotifier
{
public:
    CDelayedNotificationWindow();
    ~CDelayedNotificationWindow() override;
    CDelayedNotificationWindow(const CDelayedNotificationWindow&) = delete;
    CDelayedNotificationWindow& operator=(const CDelayedNotificationWindow&) = delete;

    bool PostNotification(std::unique_ptr<CQueuedNotification> record) override;

    // Delivers the changes queued to the shared object when it lives on the calling thread.
    static void DeliverQueuedHere();

    // The shared object and the number of notifiers using it, for tests.
    static QObject* SharedWindow();
    static long SharedCount();
};

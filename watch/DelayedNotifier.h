#pragma once

#include <memory>

#include <QEvent>

class CQueuedNotification;

// The event a queued change travels in; its type is the program's notification message.
inline constexpr int kNotificationMessage = 0x8400;

class NotificationEvent : public QEvent
{
public:
    explicit NotificationEvent(std::unique_ptr<CQueuedNotification> record);
    // A change that is never delivered is freed with its event.
    ~NotificationEvent() override;

    std::unique_ptr<CQueuedNotification> TakeRecord();

private:
    std::unique_ptr<CQueuedNotification> m_record;
};

// Carries queued changes to the thread that delivers them.
class CDelayedNotifier
{
public:
    virtual ~CDelayedNotifier() = default;

    // Queues the change for delivery. False when it cannot be queued; the change is then
    // already freed, and nobody must wait for it.
    virtual bool PostNotification(std::unique_ptr<CQueuedNotification> record) = 0;

    // Delivers, on the calling thread, the changes queued to it (to the shared window when it
    // lives here, or to the message thread when this is it), and nothing else. The watcher's
    // waits call it so that a stop never waits for a delivery only the waiting thread can do.
    static void DeliverQueuedToThisThread();
};

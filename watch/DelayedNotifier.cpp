#include "watch/DelayedNotifier.h"

#include "watch/DelayedNotificationThread.h"
#include "watch/DelayedNotificationWindow.h"
#include "watch/QueuedNotification.h"

NotificationEvent::NotificationEvent(std::unique_ptr<CQueuedNotification> record)
    : QEvent(static_cast<QEvent::Type>(kNotificationMessage)), m_record(std::move(record))
{}

NotificationEvent::~NotificationEvent() = default;

std::unique_ptr<CQueuedNotification> NotificationEvent::TakeRecord()
{
    return std::move(m_record);
}

void CDelayedNotifier::DeliverQueuedToThisThread()
{
    CDelayedNotificationWindow::DeliverQueuedHere();
    CDelayedNotificationThread::DeliverQueuedHere();
}

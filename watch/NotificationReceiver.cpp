#include "watch/NotificationReceiver.h"

#include "watch/DelayedNotifier.h"
#include "watch/QueuedNotification.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <mutex>
#include <set>

namespace zellwick::watch {

namespace {

// Receivers told from another thread to go, until their own thread gets to it. Kept here so
// that one whose thread never runs its loop again is still owned by someone.
struct Retiring
{
    std::mutex mutex;
    std::set<NotificationReceiver*> receivers;
};

Retiring& RetiringReceivers()
{
    static Retiring retiring;
    return retiring;
}

} // namespace

NotificationReceiver::NotificationReceiver(QEventLoop* loop)
    : m_loop(loop), m_owner(std::this_thread::get_id())
{}

void NotificationReceiver::Retire()
{
    if (!LivesOnThisThread()) {
        {
            Retiring& retiring = RetiringReceivers();
            std::lock_guard<std::mutex> lock(retiring.mutex);
            retiring.receivers.insert(this);
        }
        QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(kRetireMessage)));
        return;
    }
    if (m_nDelivering > 0) {
        m_bRetired = true;
        return;
    }
    delete this;
}

bool NotificationReceiver::event(QEvent* event)
{
    switch (static_cast<int>(event->type())) {
    case kNotificationMessage:
        Deliver(event);
        if (m_bRetired && m_nDelivering == 0)
            delete this; // nothing below touches the object
        return true;
    case kQuitMessage:
        if (m_loop)
            m_loop->quit();
        return true;
    case kRetireMessage: {
        Retiring& retiring = RetiringReceivers();
        {
            std::lock_guard<std::mutex> lock(retiring.mutex);
            retiring.receivers.erase(this);
        }
        delete this;
        return true;
    }
    default:
        return QObject::event(event);
    }
}

void NotificationReceiver::Deliver(QEvent* event)
{
    ++m_nDelivering;
    {
        std::unique_ptr<CQueuedNotification> record =
            static_cast<NotificationEvent*>(event)->TakeRecord();
        if (record)
            record->Deliver();
        // The record is freed here; that may end the last notifier and so retire us.
    }
    --m_nDelivering;
}

} // namespace zellwick::watch

#pragma once

#include <thread>

#include <QObject>

class QEventLoop;

namespace zellwick::watch {

// The hidden object changes are posted to. It delivers every notification event on the
// thread it lives on. When its notifier asks it to go while it is delivering (a handler
// stopped the last watch), it deletes itself once the outermost delivery has returned.
class NotificationReceiver : public QObject
{
public:
    // Events besides the notification: end the message thread's loop; delete the receiver.
    static constexpr int kQuitMessage = 0x8401;
    static constexpr int kRetireMessage = 0x8402;

    explicit NotificationReceiver(QEventLoop* loop = nullptr);

    bool LivesOnThisThread() const { return m_owner == std::this_thread::get_id(); }

    // Deletes the receiver now, after the delivery under way, or (from another thread) once
    // its own thread reaches the request.
    void Retire();

protected:
    bool event(QEvent* event) override;

private:
    void Deliver(QEvent* event);

    QEventLoop* m_loop;
    std::thread::id m_owner;
    int m_nDelivering = 0;
    bool m_bRetired = false;
};

} // namespace zellwick::watch

#include "watch/QueuedNotification.h"

#include "watch/DelayedDirectoryChangeHandler.h"

CQueuedNotification::CQueuedNotification(CDelayedDirectoryChangeHandler* pDelayedHandler,
                                         std::uint32_t nKind, std::wstring strPath,
                                         std::optional<std::wstring> strNewPath,
                                         std::uint32_t dwNumber, int nStripLength)
    : m_pDelayedHandler(pDelayedHandler), m_nKind(nKind), m_strPath(std::move(strPath)),
      m_strNewPath(std::move(strNewPath)), m_dwNumber(dwNumber), m_nStripLength(nStripLength)
{
    m_pDelayedHandler->AddRef();
}

CQueuedNotification::~CQueuedNotification()
{
    m_pDelayedHandler->OnNotificationFinished(*this);
    m_pDelayedHandler->Release();
}

void CQueuedNotification::Deliver()
{
    m_pDelayedHandler->DeliverNotification(*this);
}

#include "watch/DirWatchInfo.h"

#include "watch/DelayedDirectoryChangeHandler.h"
#include "watch/PathText.h"
#include "watch/WatchPort.h"

CDirWatchInfo::CDirWatchInfo(CDirectoryChangeHandler* pRealHandler, const std::wstring& strDirName,
                             std::unique_ptr<zellwick::watch::InotifyTree> tree, bool bAppHasGUI,
                             const wchar_t* szIncludeFilter, const wchar_t* szExcludeFilter,
                             std::uint32_t dwFilterFlags)
    : m_settler(pRealHandler->SettleTime()), m_pRealHandler(pRealHandler),
      m_pDelayedHandler(new CDelayedDirectoryChangeHandler(
          pRealHandler, bAppHasGUI, szIncludeFilter, szExcludeFilter, dwFilterFlags)),
      m_tree(std::move(tree)), m_strDirName(strDirName)
{
    pRealHandler->AddRef();
    if (dwFilterFlags & FILTER_RELATIVE_PATH) {
        const bool endsWithSlash = !strDirName.empty() && strDirName.back() == L'/';
        m_pDelayedHandler->SetPartialPathOffset(static_cast<int>(strDirName.size()) +
                                                (endsWithSlash ? 0 : 1));
    }
}

CDirWatchInfo::~CDirWatchInfo()
{
    m_pDelayedHandler->DetachRealHandler();
    m_tree.reset();
    m_pDelayedHandler->Release();
}

std::wstring CDirWatchInfo::FullPath(const std::string& relPath) const
{
    std::wstring path = m_strDirName;
    if (path.empty() || path.back() != L'/')
        path += L'/';
    return path + zellwick::watch::WideFromNative(relPath);
}

CDirWatchInfo::eState CDirWatchInfo::State()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_eState;
}

void CDirWatchInfo::SetState(eState state)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_eState = state;
}

void CDirWatchInfo::RequestState(eState state, zellwick::watch::WatchPort& port)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_eState = state;
    port.PostRequest(this);
}

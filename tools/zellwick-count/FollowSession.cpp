#include "tools/zellwick-count/FollowSession.h"

#include "history/DirectoryChangeHandlerHistory.h"
#include "watch/DirectoryChangeWatcher.h"
#include "watch/PathText.h"

namespace zellwick::count {

// The history handler, noting what each read added to the totals and from which file.
class FollowSession::Handler : public CDirectoryChangeHandlerHistory
{
public:
    Handler(FollowSession& session, HistoryLog& log)
        : CDirectoryChangeHandlerHistory(&session.m_offsets, session.m_parser, log),
          m_session(session)
    {}
    ~Handler() override { UnwatchFromBoundWatcher(); }

    void OnFileModified(const std::wstring& strFileName) override
    {
        const std::int32_t handsBefore = m_session.m_nHandCount;
        const std::int32_t vppBefore = m_session.m_nVppCents;
        CDirectoryChangeHandlerHistory::OnFileModified(strFileName);
        if (m_session.m_nHandCount == handsBefore && m_session.m_nVppCents == vppBefore)
            return;
        Share& share = m_session.m_shares[strFileName];
        share.hands += m_session.m_nHandCount - handsBefore;
        share.vppCents += m_session.m_nVppCents - vppBefore;
    }

private:
    FollowSession& m_session;
};

FollowSession::FollowSession(std::wstring folder, std::wstring nickname, HistoryLog& log)
    : m_folder(std::move(folder)), m_nickname(std::move(nickname)),
      m_parser(m_nickname, RunningTotals{m_nHandCount, m_nVppCents, m_dVpp}, &log),
      m_watcher(std::make_unique<CDirectoryChangeWatcher>(true)),
      m_handler(std::make_unique<Handler>(*this, log))
{}

FollowSession::~FollowSession()
{
    m_handler.reset();
}

std::uint32_t FollowSession::Start(std::time_t now)
{
    return m_handler->Follow(*m_watcher, m_folder, now);
}

void FollowSession::Stop()
{
    m_watcher->UnwatchDirectory(m_folder);
}

std::vector<FileCount> FollowSession::Contributions() const
{
    std::vector<FileCount> counts;
    for (const auto& [path, share] : m_shares) {
        if (share.hands == 0)
            continue;
        FileCount count;
        count.path = zellwick::watch::NativeFromWide(path);
        count.hands = share.hands;
        count.vppCents = share.vppCents;
        counts.push_back(std::move(count));
    }
    return counts;
}

} // namespace zellwick::count

#include "watch/ChangeSettler.h"

#include <algorithm>

namespace zellwick::watch {

void ChangeSettler::Take(InotifyTree::Changes& in, Clock::time_point now, InotifyTree::Changes& out)
{
    for (TreeChange& change : in) {
        if (m_settle.count() <= 0) {
            out.push_back(std::move(change));
            continue;
        }
        if (change.kind == ChangeKind::Modified) {
            const auto [held, fresh] = m_held.try_emplace(change.path);
            held->second.quietAt = now + m_settle;
            if (fresh)
                held->second.latest = now + m_settle * kLimitFactor;
            continue;
        }
        m_held.erase(change.path);
        if (change.kind == ChangeKind::Renamed)
            m_held.erase(change.newPath);
        out.push_back(std::move(change));
    }
    in.clear();
}

void ChangeSettler::Expire(Clock::time_point now, InotifyTree::Changes& out)
{
    for (auto it = m_held.begin(); it != m_held.end();) {
        if (std::min(it->second.quietAt, it->second.latest) > now) {
            ++it;
            continue;
        }
        out.push_back({ChangeKind::Modified, it->first, {}});
        it = m_held.erase(it);
    }
}

void ChangeSettler::Flush(InotifyTree::Changes& out)
{
    for (const auto& [path, held] : m_held)
        out.push_back({ChangeKind::Modified, path, {}});
    m_held.clear();
}

std::optional<ChangeSettler::Clock::time_point> ChangeSettler::NextDeadline() const
{
    std::optional<Clock::time_point> next;
    for (const auto& [path, held] : m_held) {
        const auto due = std::min(held.quietAt, held.latest);
        if (!next || due < *next)
            next = due;
    }
    return next;
}

} // namespace zellwick::watch

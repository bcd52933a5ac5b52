#pragma once

#include "watch/InotifyTree.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>

namespace zellwick::watch {

// Holds a file's "modified" reports back until the file has been quiet for the settle time,
// so that a writer that puts one hand down in several writes is read once, after the last of
// them. A file that never goes quiet is still reported at the latest after kLimitFactor
// settle times. Any other change of a file drops what is held for it: the report was about
// text the name no longer leads to.
class ChangeSettler
{
public:
    using Clock = InotifyTree::Clock;
    static constexpr int kLimitFactor = 10;

    // A settle time of 0 passes every change straight through.
    explicit ChangeSettler(std::chrono::milliseconds settleTime) : m_settle(settleTime) {}

    // Moves the changes that may go now from in to out, in order, holding the rest.
    void Take(InotifyTree::Changes& in, Clock::time_point now, InotifyTree::Changes& out);
    // Releases the files that have settled by now, or waited long enough.
    void Expire(Clock::time_point now, InotifyTree::Changes& out);
    // Releases everything held: the watch is stopping.
    void Flush(InotifyTree::Changes& out);
    // Forgets everything held: the files are out of reach.
    void Drop() { m_held.clear(); }
    std::optional<Clock::time_point> NextDeadline() const;

private:
    struct Held
    {
        Clock::time_point quietAt; // the last change plus the settle time
        Clock::time_point latest;  // the first change plus the limit
    };

    std::chrono::milliseconds m_settle;
    std::map<std::string, Held> m_held;
};

} // namespace zellwick::watch

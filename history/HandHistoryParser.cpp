#include "history/HandAnalysis.h"

#include "history/HandText.h"

#include <limits>
#include <string_view>

namespace hx = zellwick::history;

namespace {

constexpr std::wstring_view kHandMarker = L"PokerStars Hand #";
constexpr std::wstring_view kZoomHandMarker = L"PokerStars Zoom Hand #";
constexpr std::wstring_view kTournament = L"Tournament";

// Lines longer than this are not kept for reuse once their hand is done, and no more than
// this many: lines taken over from the caller would otherwise pile up.
constexpr std::size_t kMaxKeptLineCapacity = 4096;
constexpr std::size_t kMaxSpareLines = 256;

bool OpensCashHand(std::wstring_view line)
{
    return (hx::Contains(line, kHandMarker) || hx::Contains(line, kZoomHandMarker)) &&
           !hx::Contains(line, kTournament);
}

bool BeginsWithHeader(std::wstring_view line)
{
    return hx::StartsWith(line, kHandMarker) || hx::StartsWith(line, kZoomHandMarker);
}

} // namespace

HandHistoryParser::HandHistoryParser(const std::wstring& nickname, RunningTotals totals,
                                     HistoryLog* log)
    : m_nickname(nickname), m_totals(totals), m_log(log)
{}

void HandHistoryParser::ParseHandHistory(const HandLines& lines)
{
    Feed(lines);
    Finish();
}

void HandHistoryParser::Feed(const HandLines& lines)
{
    if (lines.empty())
        return;
    // The last line of a block is taken differently, so one line is always held back until
    // it is known whether more follow.
    if (m_bHavePending)
        TakeLine(m_pendingLine, false);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        TakeLine(lines[i], false);
    m_pendingLine = lines.back();
    m_bHavePending = true;
}

void HandHistoryParser::Feed(HandLines&& lines)
{
    if (lines.empty())
        return;
    if (m_bHavePending)
        TakeLine(std::move(m_pendingLine), false);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        TakeLine(std::move(lines[i]), false);
    m_pendingLine = std::move(lines.back());
    m_bHavePending = true;
    lines.clear();
}

void HandHistoryParser::Finish()
{
    if (m_bHavePending) {
        m_bHavePending = false;
        TakeLine(std::move(m_pendingLine), true);
    }
    RecycleHand(); // an unfinished hand does not carry over into the next block
    m_bInHand = false;
    if (m_pendingLine.capacity() > kMaxKeptLineCapacity)
        std::wstring().swap(m_pendingLine);
}

HandHistoryParser::LineStep HandHistoryParser::NextStep(std::wstring_view line, bool isLastOfBlock)
{
    if (!m_bInHand) {
        // Blank lines in front of the first hand would take the header's place as its first
        // line; they carry nothing, so they are left out.
        if (line.empty())
            return LineStep::Skip;
        m_bInHand = OpensCashHand(line);
        return LineStep::Append;
    }
    if (isLastOfBlock)
        return LineStep::AppendAndEvaluate;
    return BeginsWithHeader(line) ? LineStep::EvaluateAndStart : LineStep::Append;
}

template <typename Append>
void HandHistoryParser::DoStep(LineStep step, Append append)
{
    if (step == LineStep::Skip)
        return;
    if (step == LineStep::EvaluateAndStart)
        EvaluateHand();
    append();
    if (step == LineStep::AppendAndEvaluate)
        EvaluateHand();
}

void HandHistoryParser::TakeLine(const std::wstring& rawLine, bool isLastOfBlock)
{
    const std::wstring_view line = hx::TrimBlanks(rawLine);
    DoStep(NextStep(line, isLastOfBlock), [&] { AppendToHand(line); });
}

void HandHistoryParser::TakeLine(std::wstring&& rawLine, bool isLastOfBlock)
{
    const std::wstring_view line = hx::TrimBlanks(rawLine);
    DoStep(NextStep(line, isLastOfBlock), [&] { AppendToHand(std::move(rawLine), line); });
}

void HandHistoryParser::AppendToHand(std::wstring_view line)
{
    if (m_spareLines.empty()) {
        m_hand.emplace_back(line);
        return;
    }
    m_hand.push_back(std::move(m_spareLines.back()));
    m_spareLines.pop_back();
    m_hand.back().assign(line);
}

// line is the trimmed part of rawLine; the blanks are cut off in place.
void HandHistoryParser::AppendToHand(std::wstring&& rawLine, std::wstring_view line)
{
    if (line.size() != rawLine.size()) {
        const auto begin = static_cast<std::size_t>(line.data() - rawLine.data());
        rawLine.erase(begin + line.size());
        rawLine.erase(0, begin);
    }
    m_hand.emplace_back().swap(rawLine);
}

void HandHistoryParser::RecycleHand()
{
    for (std::wstring& line : m_hand) {
        if (line.capacity() <= kMaxKeptLineCapacity && m_spareLines.size() < kMaxSpareLines)
            m_spareLines.push_back(std::move(line));
    }
    m_hand.clear();
}

void HandHistoryParser::EvaluateHand()
{
    AddHand();
    HandFacts facts;
    facts.nSeats = 0;
    facts.nBigBlindCents = 0;
    facts.nCurrency = -1;
    facts.dHeroInvested = 0.0;
    GetPotAndRake(m_hand, facts.dPot, facts.dRake);
    GetTypeTable(m_hand, facts.nBigBlindCents, facts.nCurrency, m_log);
    if (facts.dRake > 0.0) {
        GetHeroInvested(m_hand, m_nickname, facts.nBigBlindCents, facts.dHeroInvested,
                        facts.nSeats);
    }
    int nVppCents = 0;
    if (facts.dHeroInvested > 0.0) {
        nVppCents = CalcHeroVpp(facts.nCurrency, facts.nBigBlindCents, facts.nSeats,
                                facts.dHeroInvested, facts.dPot, facts.dRake);
        AddVpp(nVppCents);
    }
    if (m_observer)
        m_observer->OnHandEvaluated(m_hand, facts, nVppCents);
    RecycleHand();
}

void HandHistoryParser::AddHand()
{
    const std::int32_t before = m_totals.m_nHandCount;
    m_totals.m_nHandCount = hx::SaturatingAdd(before, 1);
    if (m_totals.m_nHandCount == std::numeric_limits<std::int32_t>::max() &&
        before != m_totals.m_nHandCount)
        Log(L"Hand count reached its limit; further hands are not counted");
}

void HandHistoryParser::AddVpp(int nVppCents)
{
    const std::int32_t before = m_totals.m_nVppCents;
    m_totals.m_nVppCents = hx::SaturatingAdd(before, nVppCents);
    m_totals.m_dVpp = m_totals.m_nVppCents * 0.01;
    if (m_totals.m_nVppCents == std::numeric_limits<std::int32_t>::max() &&
        before != m_totals.m_nVppCents)
        Log(L"VPP total reached its limit; further points are not added");
}

void HandHistoryParser::Log(const std::wstring& line)
{
    if (m_log)
        m_log->WriteLog(line);
}

#pragma once

// Helpers for the hand-analysis tests: lines from text, a whole hand, and one run of a parser
// with everything a caller can see of it.

#include "history/HandAnalysis.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zellwick::test {

// One element per line of the text, split at "\n" only.
HandLines SplitLines(std::wstring_view text);
HandLines Join(const std::vector<HandLines>& parts);

// A header line of an ordinary cash table, stakes as written between the brackets.
std::wstring CashHeader(std::wstring_view stakes = L"$0.01/$0.02 USD",
                        std::wstring_view handNumber = L"212330748828");

// A whole hand at a 6-max table: the hero posts the big blind of 0.02, calls a raise to 0.06
// and checks down; pot 0.12, rake 0.06. With the header recognised at $0.01/$0.02 the hero
// earns 30 hundredths; with the header not recognised (rate 5.5) 17.
HandLines StandardHand(const std::wstring& header = CashHeader(),
                       const std::wstring& summary = L"Total pot $0.12 | Rake $0.06");
constexpr int kStandardHandVpp = 30;
constexpr int kStandardHandVppUnrecognised = 17;

class RecordingLog : public HistoryLog
{
public:
    void WriteLog(const std::wstring& line) override { m_lines.push_back(line); }
    void WriteRaw(const std::wstring& text) override { m_rawWrites.push_back(text); }

    std::vector<std::wstring> m_lines;
    std::vector<std::wstring> m_rawWrites;
};

struct Totals
{
    std::int32_t m_nHandCount = 0;
    std::int32_t m_nVppCents = 0;
    double m_dVpp = 0.0;

    RunningTotals Refs() { return {m_nHandCount, m_nVppCents, m_dVpp}; }
};

struct EvaluatedHand
{
    HandLines lines;
    HandFacts facts;
    int nVppCents = 0;
};

// What one parser gave: its totals, its hands as the observer saw them, and its log.
struct Outcome
{
    Totals totals;
    std::vector<EvaluatedHand> hands;
    RecordingLog log;
};

// The pieces through Feed() and one Finish() of a fresh parser; one piece goes through
// ParseHandHistory().
Outcome RunPieces(const std::vector<HandLines>& pieces, const std::wstring& nickname = L"Hero");
inline Outcome Evaluate(const HandLines& block, const std::wstring& nickname = L"Hero")
{
    return RunPieces({block}, nickname);
}

} // namespace zellwick::test

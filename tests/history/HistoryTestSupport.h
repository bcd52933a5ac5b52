#pragma once

// Helpers for the hand-analysis tests: lines from text, a log that records what it is given,
// and totals that a parser adds to.

#include "history/HandAnalysis.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zellwick::test {

// The wide form of a file name as libcorvask takes it: UTF-8 decoded, and a byte that is not
// UTF-8 as U+DC00 plus the byte.
std::wstring WidePath(const std::filesystem::path& path);

// One element per line of the text, split at "\n" only.
HandLines SplitLines(std::wstring_view text);

// Joins blocks of lines into one.
HandLines Join(const std::vector<HandLines>& parts);

// A header line of an ordinary cash table, stakes as written between the brackets.
std::wstring CashHeader(std::wstring_view stakes = L"$0.01/$0.02 USD",
                        std::wstring_view handNumber = L"212330748828");

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

// One block through a fresh parser.
Totals ParseBlock(const HandLines& lines, const std::wstring& nickname, HistoryLog* log = nullptr);

// Per-hand figures, as the observer reports them.
struct EvaluatedHand
{
    HandLines lines;
    HandFacts facts;
    int nVppCents = 0;
};

class RecordingObserver : public HandHistoryParser::Observer
{
public:
    void OnHandEvaluated(const HandLines& hand, const HandFacts& facts, int nVppCents) override
    {
        m_hands.push_back({hand, facts, nVppCents});
    }

    std::vector<EvaluatedHand> m_hands;
};

std::vector<EvaluatedHand> EvaluateBlock(const HandLines& lines, const std::wstring& nickname,
                                         HistoryLog* log = nullptr);

} // namespace zellwick::test

namespace zellwick::test {

// A whole hand at a 6-max table: the hero posts the big blind of 0.02, calls a raise to 0.06
// and checks down; pot 0.12, rake 0.06. With the header recognised at $0.01/$0.02 the hero
// earns 30 hundredths; with the header not recognised (rate 5.5) 17.
HandLines StandardHand(const std::wstring& header = CashHeader(),
                       const std::wstring& summary = L"Total pot $0.12 | Rake $0.06");
constexpr int kStandardHandVpp = 30;
constexpr int kStandardHandVppUnrecognised = 17;

} // namespace zellwick::test

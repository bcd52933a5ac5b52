#pragma once

// Hands as the analysis takes them, and one run of a parser with all a caller sees of it.

#include "history/HandAnalysis.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zellwick::test {

// One element per line of the text, split at "\n" only.
inline HandLines SplitLines(const std::wstring& text)
{
    HandLines lines;
    for (std::size_t start = 0, end = 0; end != std::wstring::npos; start = end + 1) {
        end = text.find(L'\n', start);
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

inline HandLines Join(const std::vector<HandLines>& parts)
{
    HandLines all;
    for (const HandLines& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The header of an ordinary cash table with these stakes.
inline std::wstring CashHeader(const std::wstring& stakes = L"$0.01/$0.02 USD")
{
    return L"PokerStars Hand #212330748828:  Hold'em No Limit (" + stakes +
           L") - 2020/04/19 13:48:09 ET";
}

// A 6-max hand: the hero posts the big blind of 0.02, calls a raise to 0.06 and checks down;
// pot 0.12, rake 0.06. With its header recognised the hero earns 30 hundredths, without
// (rate 5.5) 17.
inline HandLines StandardHand(const std::wstring& header = CashHeader(),
                              const std::wstring& summary = L"Total pot $0.12 | Rake $0.06")
{
    return SplitLines(header +
                      L"\nTable 'Una' 6-max Seat #1 is the button\n"
                      L"Seat 1: Villain ($2 in chips)\nSeat 2: Hero ($2 in chips)\n"
                      L"Villain: posts small blind $0.01\nHero: posts big blind $0.02\n"
                      L"*** HOLE CARDS ***\nDealt to Hero [9s 7h]\n"
                      L"Villain: raises $0.04 to $0.06\nHero: calls $0.04\n"
                      L"*** FLOP *** [8s Qh 8h]\nHero: checks\nVillain: checks\n"
                      L"*** RIVER *** [8s Qh 8h 3h] [2d]\nHero: checks\n"
                      L"*** SHOW DOWN ***\nHero: shows [9s 7h] (a pair of Eights)\n"
                      L"Villain: mucks hand\nHero collected $0.06 from pot\n"
                      L"*** SUMMARY ***\n" +
                      summary + L"\nSeat 2: Hero (big blind) showed [9s 7h] and won ($0.06)");
}

struct EvaluatedHand
{
    HandLines lines;
    HandFacts facts;
    int nVppCents = 0;
};

// What one parser gave: its totals, its hands as they were evaluated, and its log.
struct Outcome : HandHistoryParser::Observer, HistoryLog
{
    void OnHandEvaluated(const HandLines& hand, const HandFacts& facts, int nVppCents) override
    {
        evaluated.push_back({hand, facts, nVppCents});
    }
    void WriteLog(const std::wstring& line) override { logLines.push_back(line); }
    void WriteRaw(const std::wstring& text) override { rawWrites.push_back(text); }

    std::int32_t hands = 0;
    std::int32_t vppCents = 0;
    double vpp = 0.0;
    std::vector<EvaluatedHand> evaluated;
    std::vector<std::wstring> logLines;
    std::vector<std::wstring> rawWrites;
};

// One piece goes through ParseHandHistory(); more are handed over to Feed(), then Finish().
inline Outcome RunPieces(const std::vector<HandLines>& pieces,
                         const std::wstring& nickname = L"Hero")
{
    Outcome o;
    HandHistoryParser parser(nickname, {o.hands, o.vppCents, o.vpp}, &o);
    parser.SetObserver(&o);
    if (pieces.size() == 1) {
        parser.ParseHandHistory(pieces.front());
    } else {
        for (const HandLines& piece : pieces)
            parser.Feed(HandLines(piece)); // taken over, as the history handler hands them
        parser.Finish();
    }
    return o;
}

inline Outcome Evaluate(const HandLines& block, const std::wstring& nickname = L"Hero")
{
    return RunPieces({block}, nickname);
}

} // namespace zellwick::test

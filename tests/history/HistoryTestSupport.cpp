#include "tests/history/HistoryTestSupport.h"

namespace zellwick::test {

HandLines SplitLines(std::wstring_view text)
{
    HandLines lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(L'\n', start);
        lines.emplace_back(text.substr(start, end - start));
        if (end == std::wstring_view::npos)
            return lines;
        start = end + 1;
    }
}

HandLines Join(const std::vector<HandLines>& parts)
{
    HandLines all;
    for (const HandLines& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::wstring CashHeader(std::wstring_view stakes, std::wstring_view handNumber)
{
    return L"PokerStars Hand #" + std::wstring(handNumber) + L":  Hold'em No Limit (" +
           std::wstring(stakes) + L") - 2020/04/19 13:48:09 ET";
}

HandLines StandardHand(const std::wstring& header, const std::wstring& summary)
{
    return Join({{header},
                 SplitLines(L"Table 'Una' 6-max Seat #1 is the button\n"
                            L"Seat 1: Villain ($2 in chips)\n"
                            L"Seat 2: Hero ($2 in chips)\n"
                            L"Villain: posts small blind $0.01\n"
                            L"Hero: posts big blind $0.02\n"
                            L"*** HOLE CARDS ***\n"
                            L"Dealt to Hero [9s 7h]\n"
                            L"Villain: raises $0.04 to $0.06\n"
                            L"Hero: calls $0.04\n"
                            L"*** FLOP *** [8s Qh 8h]\n"
                            L"Hero: checks\n"
                            L"Villain: checks\n"
                            L"*** TURN *** [8s Qh 8h] [3h]\n"
                            L"Hero: checks\n"
                            L"Villain: checks\n"
                            L"*** RIVER *** [8s Qh 8h 3h] [2d]\n"
                            L"Hero: checks\n"
                            L"Villain: checks\n"
                            L"*** SHOW DOWN ***\n"
                            L"Hero: shows [9s 7h] (a pair of Eights)\n"
                            L"Villain: mucks hand\n"
                            L"Hero collected $0.06 from pot\n"
                            L"*** SUMMARY ***"),
                 {summary, L"Board [8s Qh 8h 3h 2d]",
                  L"Seat 2: Hero (big blind) showed [9s 7h] and won ($0.06)"}});
}

namespace {

class RecordingObserver : public HandHistoryParser::Observer
{
public:
    explicit RecordingObserver(std::vector<EvaluatedHand>& hands) : m_hands(hands) {}
    void OnHandEvaluated(const HandLines& hand, const HandFacts& facts, int nVppCents) override
    {
        m_hands.push_back({hand, facts, nVppCents});
    }

private:
    std::vector<EvaluatedHand>& m_hands;
};

} // namespace

Outcome RunPieces(const std::vector<HandLines>& pieces, const std::wstring& nickname)
{
    Outcome outcome;
    RecordingObserver observer(outcome.hands);
    HandHistoryParser parser(nickname, outcome.totals.Refs(), &outcome.log);
    parser.SetObserver(&observer);
    if (pieces.size() == 1) {
        parser.ParseHandHistory(pieces.front());
    } else {
        for (const HandLines& piece : pieces)
            parser.Feed(piece);
        parser.Finish();
    }
    return outcome;
}

} // namespace zellwick::test

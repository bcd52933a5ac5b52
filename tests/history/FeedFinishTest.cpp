#include "history/HandAnalysis.h"

#include "tests/history/HistoryTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace zellwick::test;

const std::wstring kHero = L"Hero";

// Everything a caller can see of one run.
struct Outcome
{
    Totals totals;
    std::vector<EvaluatedHand> hands;
    std::vector<std::wstring> rawLog;
};

void ExpectSame(const Outcome& actual, const Outcome& expected, const std::string& where)
{
    SCOPED_TRACE(where);
    EXPECT_EQ(actual.totals.m_nHandCount, expected.totals.m_nHandCount);
    EXPECT_EQ(actual.totals.m_nVppCents, expected.totals.m_nVppCents);
    EXPECT_EQ(actual.totals.m_dVpp, expected.totals.m_dVpp);
    EXPECT_EQ(actual.rawLog, expected.rawLog);
    ASSERT_EQ(actual.hands.size(), expected.hands.size());
    for (std::size_t i = 0; i < actual.hands.size(); ++i) {
        const EvaluatedHand& a = actual.hands[i];
        const EvaluatedHand& e = expected.hands[i];
        EXPECT_EQ(a.lines, e.lines) << "hand " << i;
        EXPECT_EQ(a.nVppCents, e.nVppCents) << "hand " << i;
        EXPECT_EQ(a.facts.dPot, e.facts.dPot) << "hand " << i;
        EXPECT_EQ(a.facts.dRake, e.facts.dRake) << "hand " << i;
        EXPECT_EQ(a.facts.nCurrency, e.facts.nCurrency) << "hand " << i;
        EXPECT_EQ(a.facts.nBigBlindCents, e.facts.nBigBlindCents) << "hand " << i;
        EXPECT_EQ(a.facts.nSeats, e.facts.nSeats) << "hand " << i;
        EXPECT_EQ(a.facts.dHeroInvested, e.facts.dHeroInvested) << "hand " << i;
    }
}

// Runs the pieces through Feed() and a final Finish(); one piece is the whole block.
Outcome RunPieces(const std::vector<HandLines>& pieces)
{
    Outcome outcome;
    RecordingLog log;
    RecordingObserver observer;
    HandHistoryParser parser(kHero, outcome.totals.Refs(), &log);
    parser.SetObserver(&observer);
    if (pieces.size() == 1) {
        parser.ParseHandHistory(pieces.front());
    } else {
        for (const HandLines& piece : pieces)
            parser.Feed(piece);
        parser.Finish();
    }
    outcome.hands = observer.m_hands;
    outcome.rawLog = log.m_rawWrites;
    return outcome;
}

HandLines Slice(const HandLines& lines, std::size_t from, std::size_t to)
{
    return HandLines(lines.begin() + static_cast<std::ptrdiff_t>(from),
                     lines.begin() + static_cast<std::ptrdiff_t>(to));
}

std::vector<HandLines> SampleBlocks()
{
    const HandLines gap = {L"", L"", L""};
    const std::wstring zoom = L"PokerStars Zoom Hand #2:  Hold'em No Limit ($0.01/$0.02) - "
                              L"2020/04/19 13:48:43 ET";
    const std::wstring tournament = L"PokerStars Hand #3: Tournament #4, $1+$0.10 USD Hold'em "
                                    L"No Limit - Level I (10/20) - 2020/04/19 13:48:09 ET";
    return {
        Join({{L"", L"tail of an earlier hand", L""},
              StandardHand(),
              gap,
              StandardHand(zoom),
              gap,
              StandardHand(tournament),
              gap,
              StandardHand(CashHeader(L"\u20AC0.02/\u20AC0.05 EUR")),
              {CashHeader()}}),
        Join({gap, StandardHand(), gap, StandardHand(), gap}),
        Join({StandardHand(tournament), StandardHand(), StandardHand(zoom)}),
        {CashHeader()},
        {L"", L""},
    };
}

TEST(FeedAndFinish, OnePieceAtATimeGivesTheResultOfTheWholeBlock)
{
    for (const HandLines& block : SampleBlocks()) {
        const Outcome whole = RunPieces({block});
        std::vector<HandLines> lines;
        for (const std::wstring& line : block)
            lines.push_back({line});
        ExpectSame(RunPieces(lines), whole, "line by line");
    }
}

TEST(FeedAndFinish, CutsAtAnyTwoPositionsGiveTheResultOfTheWholeBlock)
{
    for (const HandLines& block : SampleBlocks()) {
        const Outcome whole = RunPieces({block});
        const std::size_t n = block.size();
        for (std::size_t first = 0; first <= n; ++first) {
            for (std::size_t second = first; second <= n; ++second) {
                const Outcome pieces = RunPieces(
                    {Slice(block, 0, first), Slice(block, first, second), Slice(block, second, n)});
                ExpectSame(pieces, whole,
                           "cut at " + std::to_string(first) + " and " + std::to_string(second));
                if (HasFailure())
                    return;
            }
        }
    }
}

TEST(FeedAndFinish, FinishEndsTheBlockSoTheNextStartsAfresh)
{
    const HandLines whole = Join({StandardHand(), StandardHand()});
    const HandLines first = Slice(whole, 0, 10);
    const HandLines second = Slice(whole, 10, whole.size());
    Outcome separate;
    {
        HandHistoryParser parser(kHero, separate.totals.Refs(), nullptr);
        parser.ParseHandHistory(first);
        parser.ParseHandHistory(second);
    }
    Outcome fed;
    {
        HandHistoryParser parser(kHero, fed.totals.Refs(), nullptr);
        parser.Feed(first);
        parser.Finish();
        parser.Feed(second);
        parser.Finish();
        parser.Finish(); // nothing held back: nothing happens
    }
    EXPECT_EQ(fed.totals.m_nHandCount, separate.totals.m_nHandCount);
    EXPECT_EQ(fed.totals.m_nVppCents, separate.totals.m_nVppCents);
    EXPECT_EQ(separate.totals.m_nHandCount, 2);
}

TEST(FeedAndFinish, EmptyPiecesChangeNothing)
{
    const HandLines block = StandardHand();
    const Outcome whole = RunPieces({block});
    ExpectSame(RunPieces({{}, block, {}, {}}), whole, "empty pieces around the block");
    Totals totals;
    HandHistoryParser parser(kHero, totals.Refs(), nullptr);
    parser.Feed({});
    parser.Finish();
    EXPECT_EQ(totals.m_nHandCount, 0);
}

} // namespace

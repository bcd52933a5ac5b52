#include "history/HandAnalysis.h"

#include "tests/history/HistoryTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace zellwick::test;

const std::wstring kHero = L"Hero";
const std::wstring kTournamentHeader =
    L"PokerStars Hand #208111: Tournament #2888, $0.98+$0.02 USD Hold'em No Limit - Level I "
    L"(10/20) - 2020/04/19 13:48:09 ET";
const std::wstring kZoomHeader = L"PokerStars Zoom Hand #212330790621:  Hold'em No Limit "
                                 L"($0.01/$0.02) - 2020/04/19 13:48:43 ET";
const HandLines kGap = {L"", L"", L""};

TEST(HandSplitting, ABlockOfOneHeaderLineCountsNothing)
{
    const Totals totals = ParseBlock({CashHeader()}, kHero);
    EXPECT_EQ(totals.m_nHandCount, 0);
    EXPECT_EQ(totals.m_nVppCents, 0);
    EXPECT_EQ(ParseBlock({}, kHero).m_nHandCount, 0);
}

TEST(HandSplitting, TournamentHandsAloneCountNothing)
{
    const HandLines block =
        Join({StandardHand(kTournamentHeader), kGap, StandardHand(kTournamentHeader), kGap});
    const Totals totals = ParseBlock(block, kHero);
    EXPECT_EQ(totals.m_nHandCount, 0);
    EXPECT_EQ(totals.m_nVppCents, 0);
}

TEST(HandSplitting, EveryHeaderOpensAHandAndTheBlockEndClosesTheLast)
{
    RecordingLog log;
    const HandLines block =
        Join({StandardHand(CashHeader(L"$0.01/$0.02 USD", L"1")), kGap, StandardHand(kZoomHeader),
              kGap, StandardHand(CashHeader(L"$0.01/$0.02 USD", L"3"))});
    const auto hands = EvaluateBlock(block, kHero, &log);
    ASSERT_EQ(hands.size(), 3u);
    EXPECT_EQ(hands[0].lines.front(), CashHeader(L"$0.01/$0.02 USD", L"1"));
    EXPECT_EQ(hands[1].lines.front(), kZoomHeader);
    EXPECT_EQ(hands[2].lines.back(), L"Seat 2: Hero (big blind) showed [9s 7h] and won ($0.06)");
    for (const auto& hand : hands) {
        EXPECT_EQ(hand.nVppCents, kStandardHandVpp);
        EXPECT_EQ(hand.facts.nCurrency, 0);
        EXPECT_EQ(hand.facts.nBigBlindCents, 2);
        EXPECT_EQ(hand.facts.nSeats, 6);
        EXPECT_DOUBLE_EQ(hand.facts.dHeroInvested, 0.06);
    }
    EXPECT_TRUE(log.m_rawWrites.empty());
    const Totals totals = ParseBlock(block, kHero);
    EXPECT_EQ(totals.m_nHandCount, 3);
    EXPECT_EQ(totals.m_nVppCents, 3 * kStandardHandVpp);
    EXPECT_DOUBLE_EQ(totals.m_dVpp, 3 * kStandardHandVpp * 0.01);
}

TEST(HandSplitting, TheHandBufferHoldsTrimmedLines)
{
    HandLines block = StandardHand();
    for (auto& line : block)
        line = L"  " + line + L" \r";
    const auto hands = EvaluateBlock(block, kHero);
    ASSERT_EQ(hands.size(), 1u);
    EXPECT_EQ(hands[0].lines.front(), CashHeader());
    EXPECT_EQ(hands[0].nVppCents, kStandardHandVpp);
}

TEST(HandSplitting, AHeaderOnTheLastLineJoinsTheHandBeforeIt)
{
    const HandLines block = Join({StandardHand(), {CashHeader(L"$0.01/$0.02 USD", L"2")}});
    const auto hands = EvaluateBlock(block, kHero);
    ASSERT_EQ(hands.size(), 1u);
    EXPECT_EQ(hands[0].lines.back(), CashHeader(L"$0.01/$0.02 USD", L"2"));
    EXPECT_EQ(hands[0].nVppCents, kStandardHandVpp);
}

TEST(HandSplitting, NonBlankLinesBeforeTheFirstHeaderHideIt)
{
    RecordingLog log;
    const HandLines block =
        Join({{L"Seat 9: Hero (big blind) folded before Flop", L"", L""}, StandardHand()});
    const auto hands = EvaluateBlock(block, kHero, &log);
    ASSERT_EQ(hands.size(), 1u);
    EXPECT_EQ(hands[0].lines.front(), L"Seat 9: Hero (big blind) folded before Flop");
    EXPECT_EQ(hands[0].facts.nCurrency, 0);
    EXPECT_EQ(hands[0].facts.nBigBlindCents, 0);
    EXPECT_EQ(hands[0].nVppCents, kStandardHandVppUnrecognised);
    ASSERT_EQ(log.m_rawWrites.size(), 3u);
    EXPECT_EQ(log.m_rawWrites[1], L"Seat 9: Hero (big blind) folded before Flop");
}

TEST(HandSplitting, BlankLinesBeforeTheFirstHeaderAreLeftOut)
{
    RecordingLog log;
    const HandLines block = Join({{L"", L"   ", L"\r", L"\t"}, StandardHand()});
    const auto hands = EvaluateBlock(block, kHero, &log);
    ASSERT_EQ(hands.size(), 1u);
    EXPECT_EQ(hands[0].lines.front(), CashHeader());
    EXPECT_EQ(hands[0].nVppCents, kStandardHandVpp);
    EXPECT_TRUE(log.m_rawWrites.empty());
}

TEST(HandSplitting, TheFirstHeaderIsFoundAnywhereInItsLineLaterOnesOnlyAtTheStart)
{
    HandLines first = StandardHand(L"\uFEFF" + CashHeader());
    const auto bom = EvaluateBlock(first, kHero);
    ASSERT_EQ(bom.size(), 1u);
    EXPECT_EQ(bom[0].nVppCents, kStandardHandVpp);

    const HandLines block = Join({StandardHand(), StandardHand(L"x " + CashHeader())});
    const auto hands = EvaluateBlock(block, kHero);
    ASSERT_EQ(hands.size(), 1u); // the indented header does not cut
}

TEST(HandSplitting, ATournamentHandAfterACashHandIsCounted)
{
    const HandLines block = Join({StandardHand(), kGap, StandardHand(kTournamentHeader), kGap});
    const auto hands = EvaluateBlock(block, kHero);
    ASSERT_EQ(hands.size(), 2u);
    EXPECT_EQ(hands[1].lines.front(), kTournamentHeader);
    EXPECT_EQ(hands[1].facts.nBigBlindCents, 0); // not recognised, evaluated all the same
}

TEST(HandSplitting, TournamentHandsBeforeTheFirstCashHeaderStayInFrontOfIt)
{
    const HandLines block = Join({StandardHand(kTournamentHeader), kGap, StandardHand()});
    const auto hands = EvaluateBlock(block, kHero);
    ASSERT_EQ(hands.size(), 1u);
    EXPECT_EQ(hands[0].lines.front(), kTournamentHeader);
    EXPECT_EQ(hands[0].lines.size(), 2 * StandardHand().size()); // blank lines left out
}

TEST(HandSplitting, AHandCutByTwoReadsIsCountedInBothBlocks)
{
    const HandLines whole = Join({StandardHand(), kGap, StandardHand()});
    const std::size_t cut = 12; // inside the first hand, before its summary
    const HandLines first(whole.begin(), whole.begin() + cut);
    const HandLines second(whole.begin() + cut, whole.end());
    Totals totals;
    RecordingLog log;
    HandHistoryParser parser(kHero, totals.Refs(), &log);
    parser.ParseHandHistory(first);
    EXPECT_EQ(totals.m_nHandCount, 1);
    EXPECT_EQ(totals.m_nVppCents, 0); // no summary yet: no rake
    parser.ParseHandHistory(second);
    EXPECT_EQ(totals.m_nHandCount, 2);
    ASSERT_EQ(log.m_rawWrites.size(), 3u); // the rest of the cut hand hides the next header
    EXPECT_EQ(log.m_rawWrites[1], whole[cut]);
}

TEST(HandSplitting, EveryHandIsCountedWhoeverPlayedIt)
{
    const HandLines block = Join({StandardHand(), StandardHand(CashHeader(), L"Total pot $0.12"),
                                  StandardHand(CashHeader(), L"Total pot $0.12 | Rake $0")});
    const Totals absent = ParseBlock(block, L"Nobody");
    EXPECT_EQ(absent.m_nHandCount, 3);
    EXPECT_EQ(absent.m_nVppCents, 0);
    const Totals hero = ParseBlock(block, kHero);
    EXPECT_EQ(hero.m_nHandCount, 3);
    EXPECT_EQ(hero.m_nVppCents, kStandardHandVpp); // the other two have no rake
}

TEST(HandSplitting, RakeWithoutAPotIsCountedButEarnsNothing)
{
    for (const wchar_t* summary : {L"Total pot $0 | Rake $0.06", L"Total pot $-1 | Rake $0.06",
                                   L"Total pot $ | Rake $0.06"}) {
        const auto hands = EvaluateBlock(StandardHand(CashHeader(), summary), kHero);
        ASSERT_EQ(hands.size(), 1u);
        EXPECT_EQ(hands[0].nVppCents, 0) << summary;
        const Totals totals = ParseBlock(StandardHand(CashHeader(), summary), kHero);
        EXPECT_EQ(totals.m_nHandCount, 1);
        EXPECT_EQ(totals.m_nVppCents, 0);
        EXPECT_EQ(totals.m_dVpp, 0.0);
    }
}

TEST(HandSplitting, AnExactHalfShareRoundsUp)
{
    // Rake 0.74 at 4-max in pounds (rate 8.8): 651 hundredths for the hand; the hero's 7.40 of
    // 14.80 is exactly half, 325.5, which rounds up to 326.
    const HandLines hand = SplitLines(CashHeader(L"\u00A30.50/\u00A31 GBP") +
                                      L"\nTable 'Crocus' 4-max Seat #1 is the button\n"
                                      L"Villain: posts small blind \u00A30.50\n"
                                      L"Hero: posts big blind \u00A31\n"
                                      L"*** HOLE CARDS ***\n"
                                      L"Villain: raises \u00A32.96 to \u00A33.96\n"
                                      L"Hero: calls \u00A32.96\n"
                                      L"*** FLOP *** [2h Ks 4c]\n"
                                      L"Villain: bets \u00A33.44\n"
                                      L"Hero: raises \u00A37.42 to \u00A310.86\n"
                                      L"Villain: calls \u00A30 and is all-in\n"
                                      L"Uncalled bet (\u00A37.42) returned to Hero\n"
                                      L"*** SUMMARY ***\n"
                                      L"Total pot \u00A314.80 | Rake \u00A30.74");
    const auto hands = EvaluateBlock(hand, kHero);
    ASSERT_EQ(hands.size(), 1u);
    EXPECT_EQ(hands[0].nVppCents, 326);
}

TEST(HandSplitting, TotalsGrowAcrossBlocksAndTheNicknameIsReadAtEveryHand)
{
    Totals totals;
    std::wstring nickname = L"Villain";
    HandHistoryParser parser(nickname, totals.Refs(), nullptr);
    parser.ParseHandHistory(StandardHand());
    EXPECT_EQ(totals.m_nVppCents, kStandardHandVpp); // Villain put in the same 0.06
    nickname = L"Nobody";
    parser.ParseHandHistory(StandardHand());
    EXPECT_EQ(totals.m_nHandCount, 2);
    EXPECT_EQ(totals.m_nVppCents, kStandardHandVpp);
    nickname = kHero;
    parser.ParseHandHistory(StandardHand());
    EXPECT_EQ(totals.m_nHandCount, 3);
    EXPECT_EQ(totals.m_nVppCents, 2 * kStandardHandVpp);
    EXPECT_DOUBLE_EQ(totals.m_dVpp, 0.6);
}

} // namespace

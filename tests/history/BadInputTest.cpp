#include "history/HandAnalysis.h"

#include "tests/history/HistoryTestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

namespace {

using namespace zellwick::test;

const std::wstring kHero = L"Hero";
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(TotalLimits, TheHandCountHoldsAtItsLimitAndSaysSoOnce)
{
    Totals totals;
    totals.m_nHandCount = kMax - 1;
    RecordingLog log;
    HandHistoryParser parser(kHero, totals.Refs(), &log);
    parser.ParseHandHistory(Join({StandardHand(), StandardHand(), StandardHand()}));
    parser.ParseHandHistory(StandardHand());
    EXPECT_EQ(totals.m_nHandCount, kMax);
    ASSERT_EQ(log.m_lines.size(), 1u);
    EXPECT_NE(log.m_lines[0].find(L"Hand count reached its limit"), std::wstring::npos);
    EXPECT_EQ(totals.m_nVppCents, 4 * kStandardHandVpp); // points still go on
}

TEST(TotalLimits, TheVppTotalHoldsAtItsLimitAndSaysSoOnce)
{
    Totals totals;
    totals.m_nVppCents = kMax - 10;
    RecordingLog log;
    HandHistoryParser parser(kHero, totals.Refs(), &log);
    parser.ParseHandHistory(Join({StandardHand(), StandardHand()}));
    EXPECT_EQ(totals.m_nVppCents, kMax);
    EXPECT_DOUBLE_EQ(totals.m_dVpp, kMax * 0.01);
    EXPECT_EQ(totals.m_nHandCount, 2);
    ASSERT_EQ(log.m_lines.size(), 1u);
    EXPECT_NE(log.m_lines[0].find(L"VPP total reached its limit"), std::wstring::npos);

    // A new play period starts from 0 and may reach the limit again.
    totals.m_nVppCents = 0;
    parser.ParseHandHistory(Join({StandardHand(CashHeader(), L"Total pot $0.12 | Rake $1e7"),
                                  StandardHand(CashHeader(), L"Total pot $0.12 | Rake $1e7"),
                                  StandardHand(CashHeader(), L"Total pot $0.12 | Rake $1e7")}));
    EXPECT_EQ(totals.m_nVppCents, kMax);
    EXPECT_EQ(log.m_lines.size(), 2u);
}

TEST(BadInput, EnormousAndEmptyAmountsNeverOverflowATotal)
{
    const std::vector<std::wstring> summaries = {
        L"Total pot $1e308 | Rake $1e308",
        L"Total pot $ | Rake $",
        L"Total pot $. | Rake $.",
        L"Total pot $-0.12 | Rake $-0.06",
        L"Total pot $1e-320 | Rake $1e300",
        L"Total pot $0.12 | Rake $1e999",
        L"Total pot $0.12 | Rake $" + std::wstring(400, L'9'),
        L"Total pot $" + std::wstring(400, L'9') + L" | Rake $0.06"};
    const std::vector<std::wstring> heroLines = {L"Hero: calls $1e308",
                                                 L"Hero: calls $",
                                                 L"Hero: calls $.",
                                                 L"Hero: calls $-1",
                                                 L"Hero: raises $1 to $1e999",
                                                 L"Hero: bets $" + std::wstring(400, L'9'),
                                                 L"Hero: calls $0.04"};
    for (const std::wstring& summary : summaries) {
        for (const std::wstring& heroLine : heroLines) {
            HandLines hand = StandardHand(CashHeader(), summary);
            for (std::wstring& line : hand) {
                if (line == L"Hero: calls $0.04")
                    line = heroLine;
            }
            const auto hands = EvaluateBlock(hand, kHero);
            ASSERT_EQ(hands.size(), 1u);
            EXPECT_GE(hands[0].nVppCents, 0) << summary << L" / " << heroLine;
            const Totals totals = ParseBlock(Join({hand, hand, hand}), kHero);
            EXPECT_EQ(totals.m_nHandCount, 3);
            EXPECT_GE(totals.m_nVppCents, 0);
            EXPECT_DOUBLE_EQ(totals.m_dVpp, totals.m_nVppCents * 0.01);
        }
    }
}

TEST(BadInput, HeadersCutShortAreCountedAsUnrecognised)
{
    RecordingLog log;
    const HandLines block = Join({StandardHand(L"PokerStars Hand #"),
                                  StandardHand(L"PokerStars Hand #1:  Hold'em No Limit ($0.01/")});
    const auto hands = EvaluateBlock(block, kHero, &log);
    ASSERT_EQ(hands.size(), 2u);
    EXPECT_EQ(hands[0].nVppCents, kStandardHandVppUnrecognised);
    EXPECT_EQ(hands[1].nVppCents, kStandardHandVppUnrecognised);
    EXPECT_EQ(log.m_rawWrites.size(), 6u);
}

TEST(BadInput, BinaryGarbageIsCollectedOrIgnoredWithoutHarm)
{
    std::mt19937 random(20161124);
    std::uniform_int_distribution<int> character(0, 0x10FFFF);
    std::uniform_int_distribution<int> length(0, 300);
    std::uniform_int_distribution<int> pick(0, 9);
    HandLines block;
    for (int i = 0; i < 3000; ++i) {
        std::wstring line(static_cast<std::size_t>(length(random)), L' ');
        for (wchar_t& c : line)
            c = static_cast<wchar_t>(character(random));
        switch (pick(random)) {
        case 0:
            line = CashHeader() + line;
            break;
        case 1:
            line = L"Hero: raises $" + line;
            break;
        case 2:
            block.push_back(L"*** SUMMARY ***");
            line = L"Total pot $" + line + L" | Rake $" + line;
            break;
        default:
            break;
        }
        block.push_back(line);
    }
    RecordingLog log;
    const Totals totals = ParseBlock(block, kHero, &log);
    EXPECT_GT(totals.m_nHandCount, 0);
    EXPECT_GE(totals.m_nVppCents, 0);
}

// 50 million characters in one line, where a line is read in each of the analysis' steps.
TEST(BadInput, AFiftyMegabyteLineIsHandledWherePlaced)
{
    constexpr std::size_t kSize = 50'000'000;
    std::wstring filler(kSize, L'x');
    EXPECT_EQ(ParseBlock({filler}, kHero).m_nHandCount, 0);

    HandLines middle = StandardHand();
    middle.insert(middle.begin() + 3, filler);
    const Totals inHand = ParseBlock(middle, kHero);
    EXPECT_EQ(inHand.m_nHandCount, 1);
    EXPECT_EQ(inHand.m_nVppCents, kStandardHandVpp);
    middle.clear();

    // The engine may read the header or give up on it; either way the hand counts.
    const Totals longHeader =
        ParseBlock(StandardHand(L"PokerStars Hand #1:  Hold'em " + filler +
                                L" No Limit ($0.01/$0.02 USD) - 2020/04/19 13:48:09 ET"),
                   kHero);
    EXPECT_EQ(longHeader.m_nHandCount, 1);
    EXPECT_TRUE(longHeader.m_nVppCents == kStandardHandVpp ||
                longHeader.m_nVppCents == kStandardHandVppUnrecognised);
    filler.clear();

    const std::wstring digits(kSize, L'9');
    const Totals longPot =
        ParseBlock(StandardHand(CashHeader(), L"Total pot $" + digits + L" | Rake $0.06"), kHero);
    EXPECT_EQ(longPot.m_nHandCount, 1);
    EXPECT_EQ(longPot.m_nVppCents, 0); // an endless pot leaves no share

    HandLines longCall = StandardHand();
    for (std::wstring& line : longCall) {
        if (line == L"Hero: calls $0.04")
            line = L"Hero: calls $" + digits;
    }
    const Totals call = ParseBlock(longCall, kHero);
    EXPECT_EQ(call.m_nHandCount, 1);
    EXPECT_EQ(call.m_nVppCents, 0); // an endless share is no number of points
}

} // namespace

// Cutting blocks of lines into hands, adding them to the totals, and the same in pieces.

#include "history/HandAnalysis.h"

#include "tests/history/HistoryTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <sstream>

namespace {

using namespace zellwick::test;

const std::wstring kHero = L"Hero";
const HandLines kGap = {L"", L"", L""};
const std::wstring kTournament =
    L"PokerStars Hand #208111: Tournament #2888, $0.98+$0.02 USD Hold'em No Limit - Level I "
    L"(10/20) - 2020/04/19 13:48:09 ET";
const std::wstring kZoom = L"PokerStars Zoom Hand #212330790621:  Hold'em No Limit "
                           L"($0.01/$0.02) - 2020/04/19 13:48:43 ET";
const std::wstring kLastSeatLine = L"Seat 2: Hero (big blind) showed [9s 7h] and won ($0.06)";
constexpr int kAny = -1; // a hand whose points the row does not pin
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// What an unrecognised header leaves in the log, header by header.
std::vector<std::wstring> Raw(const std::vector<std::wstring>& headers)
{
    std::vector<std::wstring> raw;
    for (const std::wstring& header : headers)
        raw.insert(raw.end(), {L"GetTypeTable unrecognized string: <", header, L">\n"});
    return raw;
}

// A block with what a parser must make of it. Every hand is counted, whoever played it.
struct Block
{
    const char* name;
    HandLines lines;
    std::vector<int> vpp;               // the points of each hand evaluated, in order
    std::vector<std::wstring> raw = {}; // the first lines the log gets as unrecognised headers
    std::wstring first = L"";           // the first line of the first hand, when pinned
    std::wstring last = L"";            // the last line of the last hand, when pinned
    std::size_t keptLines = 0;          // the lines of all hands together, when pinned
    std::wstring nickname = L"Hero";
};

HandLines HandWithSummary(const std::wstring& summary)
{
    return StandardHand(CashHeader(), summary);
}

std::vector<Block> Blocks()
{
    const std::size_t hand = StandardHand().size();
    HandLines padded = StandardHand();
    for (std::wstring& line : padded)
        line = L"  " + line + L" \r";
    const HandLines raked = Join({StandardHand(), HandWithSummary(L"Total pot $0.12"),
                                  HandWithSummary(L"Total pot $0.12 | Rake $0")});
    // Rake 0.74 at 4-max in pounds (rate 8.8): 651 for the hand; the hero's 7.40 of 14.80 is
    // exactly half, 325.5, which rounds up.
    const HandLines half = SplitLines(
        CashHeader(L"\u00A30.50/\u00A31 GBP") +
        L"\nTable 'Crocus' 4-max Seat #1 is the button\nVillain: posts small blind \u00A30.50\n"
        L"Hero: posts big blind \u00A31\n*** HOLE CARDS ***\nVillain: raises \u00A32.96 to "
        L"\u00A33.96\nHero: calls \u00A32.96\n*** FLOP *** [2h Ks 4c]\nVillain: bets \u00A33.44\n"
        L"Hero: raises \u00A37.42 to \u00A310.86\nVillain: calls \u00A30 and is all-in\n"
        L"Uncalled bet (\u00A37.42) returned to Hero\n*** SUMMARY ***\n"
        L"Total pot \u00A314.80 | Rake \u00A30.74");
    const std::wstring seat = L"Seat 9: Hero (big blind) folded before Flop";
    const std::wstring cutOne = L"PokerStars Hand #1:  Hold'em No Limit ($0.01/";
    const HandLines mix = Join({{L"", L"tail of an earlier hand", L""},
                                StandardHand(),
                                kGap,
                                StandardHand(kZoom),
                                kGap,
                                StandardHand(kTournament),
                                kGap,
                                StandardHand(CashHeader(L"\u20AC0.02/\u20AC0.05 EUR")),
                                {CashHeader()}});
    const std::wstring two = CashHeader(L"$0.01/$0.02 USD", L"2");
    // clang-format off
    return {
        {.name = "empty", .lines = {}, .vpp = {}},
        {.name = "blank lines only", .lines = {L"", L""}, .vpp = {}},
        {.name = "a header alone", .lines = {CashHeader()}, .vpp = {}},
        {.name = "tournament hands alone",
         .lines = Join({StandardHand(kTournament), kGap, StandardHand(kTournament), kGap}),
         .vpp = {}},
        {.name = "every header opens a hand, and the block's end closes the last",
         .lines = Join({StandardHand(two), kGap, StandardHand(kZoom), kGap, StandardHand()}),
         .vpp = {30, 30, 30}, .last = kLastSeatLine},
        {.name = "lines are trimmed", .lines = padded, .vpp = {30}, .first = CashHeader()},
        {.name = "a header on the last line joins the hand before it",
         .lines = Join({StandardHand(), {two}}), .vpp = {30}, .last = two},
        {.name = "non-blank lines before the first header hide it",
         .lines = Join({{seat, L"", L""}, StandardHand()}), .vpp = {17}, .raw = {seat}},
        {.name = "blank lines before the first header are left out",
         .lines = Join({{L"", L"   ", L"\r", L"\t"}, StandardHand(), kGap}), .vpp = {30},
         .first = CashHeader()},
        {.name = "the first header is found anywhere in its line",
         .lines = StandardHand(L"\uFEFF" + CashHeader()), .vpp = {30}},
        {.name = "later headers only at the start of theirs",
         .lines = Join({StandardHand(), StandardHand(L"x " + CashHeader())}), .vpp = {kAny}},
        {.name = "a tournament hand after a cash hand is counted",
         .lines = Join({StandardHand(), kGap, StandardHand(kTournament), kGap}), .vpp = {30, 17},
         .raw = {kTournament}},
        {.name = "tournament hands before the first cash header stay in front of it",
         .lines = Join({StandardHand(kTournament), kGap, StandardHand()}), .vpp = {kAny},
         .raw = {kTournament}, .keptLines = 2 * hand},
        {.name = "headers cut short are not recognised",
         .lines = Join({StandardHand(L"PokerStars Hand #"), StandardHand(cutOne)}), .vpp = {17, 17},
         .raw = {L"PokerStars Hand #", cutOne}},
        {.name = "a mix of all", .lines = mix, .vpp = {17, 30, 17, 30},
         .raw = {L"tail of an earlier hand", kTournament}},
        {.name = "hands without rake earn nothing", .lines = raked, .vpp = {30, 0, 0}},
        {.name = "nor hands of others", .lines = raked, .vpp = {0, 0, 0}, .nickname = L"Nobody"},
        {.name = "rake with a pot of 0",
         .lines = HandWithSummary(L"Total pot $0 | Rake $0.06"), .vpp = {0}},
        {.name = "rake with a pot below 0",
         .lines = HandWithSummary(L"Total pot $-1 | Rake $0.06"), .vpp = {0}},
        {.name = "rake without a pot", .lines = HandWithSummary(L"Total pot $ | Rake $0.06"),
         .vpp = {0}},
        {.name = "an exact half share rounds up", .lines = half, .vpp = {326}},
    };
    // clang-format on
}

void ExpectBlock(const Block& block, const Outcome& outcome)
{
    ASSERT_EQ(outcome.hands.size(), block.vpp.size());
    std::int32_t sum = 0;
    std::size_t lines = 0;
    for (std::size_t i = 0; i < block.vpp.size(); ++i) {
        if (block.vpp[i] != kAny) {
            EXPECT_EQ(outcome.hands[i].nVppCents, block.vpp[i]) << "hand " << i;
        }
        sum += outcome.hands[i].nVppCents;
        lines += outcome.hands[i].lines.size();
    }
    EXPECT_EQ(outcome.totals.m_nHandCount, static_cast<std::int32_t>(block.vpp.size()));
    EXPECT_EQ(outcome.totals.m_nVppCents, sum);
    EXPECT_DOUBLE_EQ(outcome.totals.m_dVpp, sum * 0.01);
    EXPECT_EQ(outcome.log.m_rawWrites, Raw(block.raw));
    EXPECT_TRUE(outcome.log.m_lines.empty());
    if (!block.first.empty()) {
        EXPECT_EQ(outcome.hands.front().lines.front(), block.first);
    }
    if (!block.last.empty()) {
        EXPECT_EQ(outcome.hands.back().lines.back(), block.last);
    }
    if (block.keptLines != 0) {
        EXPECT_EQ(lines, block.keptLines);
    }
}

TEST(HandSplitting, EachBlockGivesItsHandsPointsAndLog)
{
    for (const Block& block : Blocks()) {
        SCOPED_TRACE(block.name);
        ExpectBlock(block, Evaluate(block.lines, block.nickname));
    }
}

// Everything a caller can see of one run, as text to compare.
std::wstring Describe(const Outcome& outcome)
{
    std::wostringstream text;
    text.precision(17);
    text << outcome.totals.m_nHandCount << L' ' << outcome.totals.m_nVppCents << L' '
         << outcome.totals.m_dVpp << L'\n';
    for (const EvaluatedHand& hand : outcome.hands) {
        const HandFacts& f = hand.facts;
        text << hand.nVppCents << L' ' << f.dPot << L' ' << f.dRake << L' ' << f.nCurrency << L' '
             << f.nBigBlindCents << L' ' << f.nSeats << L' ' << f.dHeroInvested << L'\n';
        for (const std::wstring& line : hand.lines)
            text << L"  " << line << L'\n';
    }
    for (const std::wstring& raw : outcome.log.m_rawWrites)
        text << L"raw " << raw << L'\n';
    return text.str();
}

HandLines Slice(const HandLines& lines, std::size_t from, std::size_t to)
{
    return HandLines(lines.begin() + static_cast<std::ptrdiff_t>(from),
                     lines.begin() + static_cast<std::ptrdiff_t>(to));
}

TEST(FeedAndFinish, AnyPiecesOfABlockGiveTheResultOfTheWholeBlock)
{
    for (const Block& block : Blocks()) {
        SCOPED_TRACE(block.name);
        const std::wstring whole = Describe(Evaluate(block.lines, block.nickname));
        std::vector<HandLines> lineByLine;
        for (const std::wstring& line : block.lines)
            lineByLine.push_back({line});
        EXPECT_EQ(Describe(RunPieces(lineByLine, block.nickname)), whole) << "line by line";
        EXPECT_EQ(Describe(RunPieces({{}, block.lines, {}, {}}, block.nickname)), whole)
            << "empty pieces around the block";
        const std::size_t n = block.lines.size();
        for (std::size_t first = 0; first <= n; ++first) {
            for (std::size_t second = first; second <= n; ++second) {
                const Outcome pieces =
                    RunPieces({Slice(block.lines, 0, first), Slice(block.lines, first, second),
                               Slice(block.lines, second, n)},
                              block.nickname);
                ASSERT_EQ(Describe(pieces), whole) << "cut at " << first << " and " << second;
            }
        }
    }
}

TEST(HandSplitting, EachReadIsABlockOfItsOwnSoAHandCutByTwoReadsCountsInBoth)
{
    const HandLines whole = Join({StandardHand(), kGap, StandardHand()});
    const std::size_t cut = 12; // inside the first hand, before its summary
    const HandLines first = Slice(whole, 0, cut);
    const HandLines second = Slice(whole, cut, whole.size());
    Totals totals;
    RecordingLog log;
    HandHistoryParser parser(kHero, totals.Refs(), &log);
    parser.ParseHandHistory(first);
    EXPECT_EQ(totals.m_nHandCount, 1);
    EXPECT_EQ(totals.m_nVppCents, 0); // no summary yet: no rake
    parser.ParseHandHistory(second);
    EXPECT_EQ(totals.m_nHandCount, 2);
    EXPECT_EQ(log.m_rawWrites, Raw({whole[cut]})); // the rest of the cut hand hides the header

    // Feed() and Finish() per read give the same; a Finish() with nothing held does nothing.
    Totals fed;
    HandHistoryParser again(kHero, fed.Refs(), nullptr);
    again.Feed(first);
    again.Finish();
    again.Feed(second);
    again.Finish();
    again.Finish();
    EXPECT_EQ(fed.m_nHandCount, 2);
    EXPECT_EQ(fed.m_nVppCents, totals.m_nVppCents);
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
    EXPECT_EQ(totals.m_nVppCents, kStandardHandVpp);
    nickname = kHero;
    parser.ParseHandHistory(StandardHand());
    EXPECT_EQ(totals.m_nHandCount, 3);
    EXPECT_EQ(totals.m_nVppCents, 2 * kStandardHandVpp);
    EXPECT_DOUBLE_EQ(totals.m_dVpp, 0.6);
}

TEST(TotalLimits, BothTotalsHoldAtTheirLimitAndSaySoOnceEachTimeTheyReachIt)
{
    Totals totals;
    totals.m_nHandCount = kMax - 1;
    RecordingLog log;
    HandHistoryParser parser(kHero, totals.Refs(), &log);
    parser.ParseHandHistory(Join({StandardHand(), StandardHand(), StandardHand()}));
    parser.ParseHandHistory(StandardHand());
    EXPECT_EQ(totals.m_nHandCount, kMax);
    EXPECT_EQ(totals.m_nVppCents, 4 * kStandardHandVpp); // points still go on
    ASSERT_EQ(log.m_lines.size(), 1u);
    EXPECT_NE(log.m_lines[0].find(L"Hand count reached its limit"), std::wstring::npos);

    totals = Totals{};
    totals.m_nVppCents = kMax - 10;
    parser.ParseHandHistory(Join({StandardHand(), StandardHand()}));
    EXPECT_EQ(totals.m_nVppCents, kMax);
    EXPECT_DOUBLE_EQ(totals.m_dVpp, kMax * 0.01);
    EXPECT_EQ(totals.m_nHandCount, 2);
    ASSERT_EQ(log.m_lines.size(), 2u);
    EXPECT_NE(log.m_lines[1].find(L"VPP total reached its limit"), std::wstring::npos);

    // A new play period starts from 0 and may reach the limit again.
    totals.m_nVppCents = 0;
    const HandLines huge = HandWithSummary(L"Total pot $0.12 | Rake $1e7");
    parser.ParseHandHistory(Join({huge, huge, huge}));
    EXPECT_EQ(totals.m_nVppCents, kMax);
    EXPECT_EQ(log.m_lines.size(), 3u);
}

TEST(BadInput, EnormousAndEmptyAmountsNeverOverflowATotal)
{
    const std::wstring nines(400, L'9');
    const std::wstring summaries[] = {
        L"Total pot $1e308 | Rake $1e308",   L"Total pot $ | Rake $",
        L"Total pot $. | Rake $.",           L"Total pot $-0.12 | Rake $-0.06",
        L"Total pot $1e-320 | Rake $1e300",  L"Total pot $0.12 | Rake $1e999",
        L"Total pot $0.12 | Rake $" + nines, L"Total pot $" + nines + L" | Rake $0.06"};
    const std::wstring heroLines[] = {L"Hero: calls $1e308",
                                      L"Hero: calls $",
                                      L"Hero: calls $.",
                                      L"Hero: calls $-1",
                                      L"Hero: raises $1 to $1e999",
                                      L"Hero: bets $" + nines,
                                      L"Hero: calls $0.04"};
    for (const std::wstring& summary : summaries) {
        for (const std::wstring& heroLine : heroLines) {
            HandLines hand = StandardHand(CashHeader(), summary);
            std::replace(hand.begin(), hand.end(), std::wstring(L"Hero: calls $0.04"), heroLine);
            const Outcome outcome = Evaluate(Join({hand, hand, hand}));
            EXPECT_EQ(outcome.totals.m_nHandCount, 3);
            for (const EvaluatedHand& evaluated : outcome.hands)
                EXPECT_GE(evaluated.nVppCents, 0) << summary << L" / " << heroLine;
            EXPECT_GE(outcome.totals.m_nVppCents, 0);
            EXPECT_DOUBLE_EQ(outcome.totals.m_dVpp, outcome.totals.m_nVppCents * 0.01);
        }
    }
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
    const Outcome outcome = Evaluate(block);
    EXPECT_GT(outcome.totals.m_nHandCount, 0);
    EXPECT_GE(outcome.totals.m_nVppCents, 0);
}

// 50 million characters in one line, where a line is read in each of the analysis' steps.
TEST(BadInput, AFiftyMegabyteLineIsHandledWherePlaced)
{
    constexpr std::size_t kSize = 50'000'000;
    const auto run = [](const HandLines& lines) { return Evaluate(lines).totals; };
    std::wstring filler(kSize, L'x');
    EXPECT_EQ(run({filler}).m_nHandCount, 0);
    HandLines middle = StandardHand();
    middle.insert(middle.begin() + 3, filler);
    EXPECT_EQ(run(middle).m_nVppCents, kStandardHandVpp);
    middle.clear();
    // The engine may read the header or give up on it; either way the hand counts.
    const Totals longHeader = run(StandardHand(L"PokerStars Hand #1:  Hold'em " + filler +
                                               L" No Limit ($0.01/$0.02 USD) - 2020/04/19 "
                                               L"13:48:09 ET"));
    EXPECT_EQ(longHeader.m_nHandCount, 1);
    EXPECT_TRUE(longHeader.m_nVppCents == kStandardHandVpp ||
                longHeader.m_nVppCents == kStandardHandVppUnrecognised);
    filler.clear();

    const std::wstring digits(kSize, L'9');
    const Totals longPot = run(HandWithSummary(L"Total pot $" + digits + L" | Rake $0.06"));
    EXPECT_EQ(longPot.m_nHandCount, 1);
    EXPECT_EQ(longPot.m_nVppCents, 0); // an endless pot leaves no share
    HandLines longCall = StandardHand();
    std::replace(longCall.begin(), longCall.end(), std::wstring(L"Hero: calls $0.04"),
                 L"Hero: calls $" + digits);
    const Totals call = run(longCall);
    EXPECT_EQ(call.m_nHandCount, 1);
    EXPECT_EQ(call.m_nVppCents, 0); // an endless share is no number of points
}

} // namespace

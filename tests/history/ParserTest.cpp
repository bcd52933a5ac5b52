// Cutting blocks of lines into hands and adding them to the totals, whole and in pieces.

#include "history/HandAnalysis.h"

#include "tests/history/HistoryTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <sstream>

namespace {

using namespace zellwick::test;

const HandLines kGap = {L"", L"", L""};
const std::wstring kTournament =
    L"PokerStars Hand #208111: Tournament #2888, $0.98+$0.02 USD Hold'em No Limit - Level I "
    L"(10/20) - 2020/04/19 13:48:09 ET";
const std::wstring kZoom = L"PokerStars Zoom Hand #212330790621:  Hold'em No Limit "
                           L"($0.01/$0.02) - 2020/04/19 13:48:43 ET";
constexpr int kAny = -1; // a hand whose points the row does not pin
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// What unrecognised headers leave in the log.
std::vector<std::wstring> Raw(const std::vector<std::wstring>& headers)
{
    std::vector<std::wstring> raw;
    for (const std::wstring& header : headers)
        raw.insert(raw.end(), {L"GetTypeTable unrecognized string: <", header, L">\n"});
    return raw;
}

// A block and what a parser makes of it. Every hand is counted, whoever played it.
struct Block
{
    const char* name;
    HandLines lines;
    std::vector<int> vpp;               // the points of each hand, in order
    std::vector<std::wstring> raw = {}; // headers the log gets as unrecognised
    std::wstring first = L"";           // the first line of the first hand, when pinned
    std::wstring last = L"";            // the last line of the last hand, when pinned
    std::size_t keptLines = 0;          // the lines of all hands, when pinned
    std::wstring nickname = L"Hero";
};

std::vector<Block> Blocks()
{
    HandLines padded = StandardHand();
    for (std::wstring& line : padded)
        line = L"  " + line + L" \r";
    const HandLines raked = Join({StandardHand(), StandardHand(CashHeader(), L"Total pot $0.12"),
                                  StandardHand(CashHeader(), L"Total pot $0.12 | Rake $0")});
    // Rake 0.74 at 4-max in pounds (rate 8.8) is 651; the hero's 7.40 of 14.80 is exactly
    // half of it, which rounds up.
    const HandLines half = SplitLines(
        CashHeader(L"\u00A30.50/\u00A31 GBP") +
        L"\nTable 'Crocus' 4-max Seat #1 is the button\nVillain: posts small blind \u00A30.50\n"
        L"Hero: posts big blind \u00A31\nVillain: raises \u00A32.96 to \u00A33.96\n"
        L"Hero: calls \u00A32.96\n*** FLOP *** [2h Ks 4c]\nVillain: bets \u00A33.44\n"
        L"Hero: raises \u00A37.42 to \u00A310.86\nVillain: calls \u00A30 and is all-in\n"
        L"Uncalled bet (\u00A37.42) returned to Hero\n*** SUMMARY ***\n"
        L"Total pot \u00A314.80 | Rake \u00A30.74");
    const std::wstring seat = L"Seat 9: Hero (big blind) folded before Flop";
    const std::wstring cut = L"PokerStars Hand #1:  Hold'em No Limit ($0.01/";
    const std::size_t hand = StandardHand().size();
    // clang-format off
    return {
        {.name = "empty", .lines = {}, .vpp = {}},
        {.name = "blank lines only", .lines = {L"", L""}, .vpp = {}},
        {.name = "a header alone", .lines = {CashHeader()}, .vpp = {}},
        {.name = "tournament hands alone",
         .lines = Join({StandardHand(kTournament), kGap, StandardHand(kTournament)}), .vpp = {}},
        {.name = "every header opens a hand, and the block's end closes the last",
         .lines = Join({StandardHand(), kGap, StandardHand(kZoom), kGap, StandardHand()}),
         .vpp = {30, 30, 30}, .last = StandardHand().back()},
        {.name = "lines are trimmed", .lines = padded, .vpp = {30}, .first = CashHeader()},
        {.name = "a header on the last line joins the hand before it",
         .lines = Join({StandardHand(), {kZoom}}), .vpp = {30}, .last = kZoom},
        {.name = "non-blank lines before the first header hide it",
         .lines = Join({{seat, L""}, StandardHand()}), .vpp = {17}, .raw = {seat}},
        {.name = "blank lines before the first header are left out",
         .lines = Join({{L"", L"   ", L"\r"}, StandardHand(), kGap}), .vpp = {30},
         .first = CashHeader()},
        {.name = "the first header is found anywhere in its line",
         .lines = StandardHand(L"\uFEFF" + CashHeader()), .vpp = {30}},
        {.name = "later headers only at the start of theirs",
         .lines = Join({StandardHand(), StandardHand(L"x " + CashHeader())}), .vpp = {kAny}},
        {.name = "a tournament hand after a cash hand is counted",
         .lines = Join({StandardHand(), kGap, StandardHand(kTournament)}), .vpp = {30, 17},
         .raw = {kTournament}},
        {.name = "tournament hands before the first cash header stay in front of it",
         .lines = Join({StandardHand(kTournament), kGap, StandardHand()}), .vpp = {kAny},
         .raw = {kTournament}, .keptLines = 2 * hand},
        {.name = "headers cut short are not recognised",
         .lines = Join({StandardHand(L"PokerStars Hand #"), StandardHand(cut)}), .vpp = {17, 17},
         .raw = {L"PokerStars Hand #", cut}},
        {.name = "hands without rake earn nothing", .lines = raked, .vpp = {30, 0, 0}},
        {.name = "nor hands of others", .lines = raked, .vpp = {0, 0, 0}, .nickname = L"Nobody"},
        {.name = "rake with a pot of 0",
         .lines = StandardHand(CashHeader(), L"Total pot $0 | Rake $0.06"), .vpp = {0}},
        {.name = "an exact half share rounds up", .lines = half, .vpp = {326}},
    };
    // clang-format on
}

// Everything a caller sees of one run, as text to compare.
std::wstring Describe(const Outcome& outcome)
{
    std::wostringstream text;
    text.precision(17);
    text << outcome.hands << L' ' << outcome.vppCents << L' ' << outcome.vpp << L'\n';
    for (const EvaluatedHand& hand : outcome.evaluated) {
        const HandFacts& f = hand.facts;
        text << hand.nVppCents << L' ' << f.dPot << L' ' << f.dRake << L' ' << f.nCurrency << L' '
             << f.nBigBlindCents << L' ' << f.nSeats << L' ' << f.dHeroInvested << L'\n';
        for (const std::wstring& line : hand.lines)
            text << L"  " << line << L'\n';
    }
    for (const std::wstring& raw : outcome.rawWrites)
        text << L"raw " << raw << L'\n';
    return text.str();
}

HandLines Slice(const HandLines& lines, std::size_t from, std::size_t to)
{
    return HandLines(lines.begin() + static_cast<std::ptrdiff_t>(from),
                     lines.begin() + static_cast<std::ptrdiff_t>(to));
}

// Each block whole, then line by line and cut in three at every pair of places.
TEST(HandSplitting, EachBlockGivesItsHandsPointsAndLogWholeOrInAnyPieces)
{
    for (const Block& block : Blocks()) {
        SCOPED_TRACE(block.name);
        const Outcome whole = Evaluate(block.lines, block.nickname);
        ASSERT_EQ(whole.evaluated.size(), block.vpp.size());
        std::int32_t sum = 0;
        std::size_t lines = 0;
        for (std::size_t i = 0; i < block.vpp.size(); ++i) {
            const int vpp = whole.evaluated[i].nVppCents;
            EXPECT_TRUE(block.vpp[i] == kAny || vpp == block.vpp[i]) << "hand " << i << ": " << vpp;
            sum += whole.evaluated[i].nVppCents;
            lines += whole.evaluated[i].lines.size();
        }
        EXPECT_EQ(whole.hands, static_cast<std::int32_t>(block.vpp.size()));
        EXPECT_EQ(whole.vppCents, sum);
        EXPECT_DOUBLE_EQ(whole.vpp, sum * 0.01);
        EXPECT_EQ(whole.rawWrites, Raw(block.raw));
        EXPECT_TRUE(whole.logLines.empty());
        EXPECT_TRUE(block.first.empty() || whole.evaluated[0].lines.front() == block.first);
        EXPECT_TRUE(block.last.empty() || whole.evaluated.back().lines.back() == block.last);
        EXPECT_TRUE(block.keptLines == 0 || lines == block.keptLines) << lines;

        const std::wstring expected = Describe(whole);
        std::vector<HandLines> lineByLine = {{}};
        for (const std::wstring& line : block.lines)
            lineByLine.push_back({line});
        EXPECT_EQ(Describe(RunPieces(lineByLine, block.nickname)), expected) << "line by line";
        const std::size_t n = block.lines.size();
        for (std::size_t first = 0; first <= n; ++first) {
            for (std::size_t second = first; second <= n; ++second) {
                const Outcome pieces =
                    RunPieces({Slice(block.lines, 0, first), Slice(block.lines, first, second),
                               Slice(block.lines, second, n)},
                              block.nickname);
                ASSERT_EQ(Describe(pieces), expected) << "cut at " << first << " and " << second;
            }
        }
    }
}

TEST(HandSplitting, EachReadIsABlockOfItsOwnAndTheNicknameIsReadAtEveryHand)
{
    const HandLines whole = Join({StandardHand(), kGap, StandardHand()});
    const std::size_t cut = 12; // inside the first hand, before its summary
    Outcome o;
    std::wstring nickname = L"Hero";
    HandHistoryParser parser(nickname, {o.hands, o.vppCents, o.vpp}, &o);
    parser.ParseHandHistory(Slice(whole, 0, cut));
    EXPECT_EQ(o.hands, 1);
    EXPECT_EQ(o.vppCents, 0); // no summary yet: no rake
    parser.Finish();          // nothing held: nothing done
    parser.ParseHandHistory(Slice(whole, cut, whole.size()));
    EXPECT_EQ(o.hands, 2);
    EXPECT_EQ(o.rawWrites, Raw({whole[cut]})); // the cut hand's rest hides its header
    nickname = L"Villain";                     // who put in the same 0.06
    parser.ParseHandHistory(StandardHand());
    nickname = L"Nobody";
    parser.ParseHandHistory(StandardHand());
    EXPECT_EQ(o.hands, 4);
    EXPECT_EQ(o.vppCents, 17 + 30); // the second read's hands at the unrecognised rate, Villain's
    EXPECT_DOUBLE_EQ(o.vpp, 0.47);
}

TEST(TotalLimits, BothTotalsHoldAtTheirLimitAndSaySoOnceEachTimeTheyReachIt)
{
    Outcome o;
    o.hands = kMax - 1;
    const std::wstring hero = L"Hero"; // the parser reads it at every hand
    HandHistoryParser parser(hero, {o.hands, o.vppCents, o.vpp}, &o);
    parser.ParseHandHistory(Join({StandardHand(), StandardHand(), StandardHand()}));
    EXPECT_EQ(o.hands, kMax);
    EXPECT_EQ(o.vppCents, 3 * 30); // points still go on
    o.vppCents = kMax - 10;
    parser.ParseHandHistory(StandardHand());
    EXPECT_EQ(o.vppCents, kMax);
    EXPECT_DOUBLE_EQ(o.vpp, kMax * 0.01);
    // A new play period starts from 0 and may reach the limit again.
    o.vppCents = 0;
    const HandLines huge = StandardHand(CashHeader(), L"Total pot $0.12 | Rake $1e7");
    parser.ParseHandHistory(Join({huge, huge, huge}));
    EXPECT_EQ(o.vppCents, kMax);
    EXPECT_EQ(o.logLines, (std::vector<std::wstring>{
                              L"Hand count reached its limit; further hands are not counted",
                              L"VPP total reached its limit; further points are not added",
                              L"VPP total reached its limit; further points are not added"}));
}

// Enormous, empty and negative amounts, and random characters behind the markers whose
// amounts are read.
TEST(BadInput, NeverCrashesNorTakesPointsAwayNorOverflowsATotal)
{
    const std::wstring nines(400, L'9');
    const std::wstring summaries[] = {
        L"Total pot $1e308 | Rake $1e308", L"Total pot $. | Rake $.",
        L"Total pot $-0.12 | Rake $-0.06", L"Total pot $1e-320 | Rake $1e300",
        L"Total pot $0.12 | Rake $1e999",  L"Total pot $" + nines + L" | Rake $0.06"};
    const std::wstring heroLines[] = {L"Hero: calls $1e308", L"Hero: calls $.", L"Hero: calls $-1",
                                      L"Hero: raises $1 to $1e999", L"Hero: bets $" + nines};
    HandLines block;
    for (const std::wstring& summary : summaries) {
        for (const std::wstring& heroLine : heroLines) {
            HandLines hand = StandardHand(CashHeader(), summary);
            std::replace(hand.begin(), hand.end(), std::wstring(L"Hero: calls $0.04"), heroLine);
            block.insert(block.end(), hand.begin(), hand.end());
        }
    }
    std::mt19937 random(20161124);
    const wchar_t* markers[] = {L"", L"Hero: raises $", L"Total pot $", L"*** SUMMARY ***"};
    for (int i = 0; i < 3000; ++i) {
        std::wstring line = markers[random() % 4];
        for (std::size_t n = random() % 300; n > 0; --n)
            line += static_cast<wchar_t>(random() % 0x110000);
        block.push_back(i % 10 == 0 ? CashHeader() + line : line);
    }
    const Outcome outcome = Evaluate(block);
    EXPECT_EQ(outcome.hands, 30 + 300);
    for (std::size_t i = 0; i < 30; ++i) // an endless or no number is no share of points
        EXPECT_EQ(outcome.evaluated[i].nVppCents, 0) << i;
    for (const EvaluatedHand& evaluated : outcome.evaluated)
        ASSERT_GE(evaluated.nVppCents, 0) << evaluated.lines.front();
    EXPECT_GE(outcome.vppCents, 0);
    EXPECT_DOUBLE_EQ(outcome.vpp, outcome.vppCents * 0.01);
}

// 50 million characters in one line, where each step of the analysis reads a line.
TEST(BadInput, AFiftyMillionCharacterLineIsHandledWherePlaced)
{
    const auto vpp = [](HandLines&& hand) { return Evaluate(hand).vppCents; };
    HandLines middle = StandardHand();
    middle.insert(middle.begin() + 3, std::wstring(50'000'000, L'x'));
    EXPECT_EQ(vpp(std::move(middle)), 30);
    // The expression engine may read the header or give up on it; the hand counts either way.
    const int header =
        vpp(StandardHand(L"PokerStars Hand #1:  Hold'em " + std::wstring(50'000'000, L'x') +
                         L" No Limit ($0.01/$0.02 USD) - 2020/04/19 13:48:09 ET"));
    EXPECT_TRUE(header == 30 || header == 17) << header;
    const std::wstring digits(50'000'000, L'9');
    EXPECT_EQ(vpp(StandardHand(CashHeader(), L"Total pot $" + digits + L" | Rake $0.06")), 0);
    HandLines call = StandardHand();
    std::replace(call.begin(), call.end(), std::wstring(L"Hero: calls $0.04"),
                 L"Hero: calls $" + digits);
    EXPECT_EQ(vpp(std::move(call)), 0); // an endless share is no number of points
}

} // namespace

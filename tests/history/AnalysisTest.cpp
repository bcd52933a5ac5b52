// The hand analysis: cutting blocks of lines into hands and adding them to the totals, whole and
// in pieces; the parts of one hand where generated hands never go (header forms, summary lines
// and amounts, the hero's own lines, the points at their limits); and every real client file,
// read through libcorvask and analysed as one block as zellwick-count does.

#include "history/HandAnalysis.h"

#include "corvask/NativePath.h"
#include "corvask/corvask.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <random>
#include <sstream>

namespace {

using namespace zellwick::test;
namespace fs = std::filesystem;

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

const HandLines kGap = {L"", L"", L""};
const std::wstring kTournament =
    L"PokerStars Hand #208111: Tournament #2888, $0.98+$0.02 USD Hold'em No Limit - Level I "
    L"(10/20) - 2020/04/19 13:48:09 ET";
const std::wstring kZoom = L"PokerStars Zoom Hand #212330790621:  Hold'em No Limit "
                           L"($0.01/$0.02) - 2020/04/19 13:48:43 ET";
constexpr int kAny = -1; // a hand whose points the row does not pin
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

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
    const HandLines tournament = StandardHand(kTournament);
    // clang-format off
    return {
        {"empty", {}, {}}, {"blank lines only", {L"", L""}, {}}, {"a header alone", {CashHeader()}, {}},
        {"tournament hands alone", Join({tournament, kGap, tournament}), {}},
        {"every header opens a hand, and the block's end closes the last",
         Join({StandardHand(), kGap, StandardHand(kZoom), kGap, StandardHand()}), {30, 30, 30}, {}, L"",
         StandardHand().back()},
        {"lines are trimmed", padded, {30}, {}, CashHeader()},
        {"a header on the last line joins the hand before it", Join({StandardHand(), {kZoom}}), {30}, {},
         L"", kZoom},
        {"non-blank lines before the first header hide it", Join({{seat, L""}, StandardHand()}), {17}, {seat}},
        {"blank lines before the first header are left out",
         Join({{L"", L"   ", L"\r"}, StandardHand(), kGap}), {30}, {}, CashHeader()},
        {"the first header is found anywhere in its line", StandardHand(L"\uFEFF" + CashHeader()), {30}},
        {"later headers only at the start of theirs",
         Join({StandardHand(), StandardHand(L"x " + CashHeader())}), {kAny}},
        {"a tournament hand after a cash hand is counted", Join({StandardHand(), kGap, tournament}),
         {30, 17}, {kTournament}},
        {"tournament hands before the first cash header stay in front of it",
         Join({tournament, kGap, StandardHand()}), {kAny}, {kTournament}, L"", L"", 2 * hand},
        {"headers cut short are not recognised",
         Join({StandardHand(L"PokerStars Hand #"), StandardHand(cut)}), {17, 17}, {L"PokerStars Hand #", cut}},
        {"hands without rake earn nothing", raked, {30, 0, 0}},
        {"nor hands of others", raked, {0, 0, 0}, {}, L"", L"", 0, L"Nobody"},
        {"rake with a pot of 0", StandardHand(CashHeader(), L"Total pot $0 | Rake $0.06"), {0}},
        {"an exact half share rounds up", half, {326}},
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

// One parser over many reads, as a play period uses it.
TEST(HandSplitting, EachReadIsABlockTheNicknameIsReadAtEveryHandAndTotalsHoldAtTheirLimits)
{
    const HandLines whole = Join({StandardHand(), kGap, StandardHand()});
    const std::size_t cut = 12; // inside the first hand, before its summary
    Outcome o;
    std::wstring nickname = L"Hero";
    HandHistoryParser parser(nickname, {o.hands, o.vppCents, o.vpp}, &o);
    parser.ParseHandHistory(Slice(whole, 0, cut));
    EXPECT_EQ(std::pair(o.hands, o.vppCents), std::pair(1, 0)); // no summary yet: no rake
    parser.Finish();                                            // nothing held: nothing done
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

    nickname = L"Hero";
    o.hands = kMax - 1;
    parser.ParseHandHistory(Join({StandardHand(), StandardHand(), StandardHand()}));
    EXPECT_EQ(std::pair(o.hands, o.vppCents), std::pair(kMax, 47 + 90)); // points still go on
    o.vppCents = kMax - 10;
    parser.ParseHandHistory(StandardHand());
    EXPECT_EQ(o.vppCents, kMax);
    EXPECT_DOUBLE_EQ(o.vpp, kMax * 0.01);
    o.vppCents = 0; // a new play period starts from 0 and may reach the limit again
    const HandLines huge = StandardHand(CashHeader(), L"Total pot $0.12 | Rake $1e7");
    parser.ParseHandHistory(Join({huge, huge, huge}));
    EXPECT_EQ(o.vppCents, kMax);
    const std::wstring vppLimit = L"VPP total reached its limit; further points are not added";
    EXPECT_EQ(o.logLines, (std::vector<std::wstring>{
                              L"Hand count reached its limit; further hands are not counted",
                              vppLimit, vppLimit}));
}

// Enormous, empty and negative amounts, random characters behind the markers whose amounts are
// read, and lines of 50 million characters where each step of the analysis reads one.
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
    for (std::size_t i = 0; i < outcome.evaluated.size(); ++i) // the first 30 give no number
        ASSERT_EQ(outcome.evaluated[i].nVppCents,
                  i < 30 ? 0 : std::max(outcome.evaluated[i].nVppCents, 0))
            << i;
    EXPECT_DOUBLE_EQ(outcome.vpp, outcome.vppCents * 0.01);

    // The expression engine may read the header or give up on it; the hand counts either way.
    HandLines hand =
        StandardHand(L"PokerStars Hand #1:  Hold'em " + std::wstring(50'000'000, L'x') +
                     L" No Limit ($0.01/$0.02 USD) - 2020/04/19 13:48:09 ET");
    hand.insert(hand.begin() + 3, std::wstring(50'000'000, L'9'));
    const Outcome huge = Evaluate(hand);
    EXPECT_EQ(huge.hands, 1);
    EXPECT_TRUE(huge.vppCents == 30 || huge.vppCents == 17) << huge.vppCents;
}

TEST(Header, GivesCurrencyAndBigBlindInHundredthsForTheWholeCashFormsOnly)
{
    const std::wstring second = L"PokerStars Hand #4:  Hold'em No Limit ($0.01/$0.02 USD) - "
                                L"2010/05/06 22:46:48 WET [2010/05/06 17:46:48 ET]";
    const std::tuple<std::wstring, bool, int, int> rows[] = {
        {CashHeader(L"\u00A30.25/\u00A30.50 - \u00A310 Cap -  GBP"), true, 2, 50},
        {L"\uFEFF" + second, true, 0, 2},
        {second.substr(0, second.find(L" [")), true, 0, 2}, // cut short: one whole form is left
        {second.substr(0, second.find(L"WET")), false, 0, -7},
        {second + L"!", false, 0, -7},
        {CashHeader(L"$0.14/$0.29 USD"), true, 0, 28}, // the product is truncated
        {CashHeader(L"$1/$99999999999 USD"), true, 0, kIntMax},
        {CashHeader(L"$1/$" + std::wstring(400, L'9') + L" USD"), true, 0, 0}, // infinity
        {L"PokerStars Game #27738502010: Hold'em No Limit ($0.05/$0.10 USD) - 2009/05/05 9:00:22 "
         L"ET",
         false, 0, -7},
        {L"PokerStars Hand #1: Tournament #2, $0.98+$0.02 USD Hold'em No Limit - Level I (10/20) - "
         L"2020/04/19 13:48:09 ET",
         false, 0, -7}};
    for (const auto& [line, recognised, currency, bigBlind] : rows) {
        int readBigBlind = -7; // left alone when the header is not read
        int readCurrency = -1;
        EXPECT_EQ(GetTypeTable({line}, readBigBlind, readCurrency, nullptr), recognised) << line;
        EXPECT_EQ(readCurrency, currency) << line;
        EXPECT_EQ(readBigBlind, bigBlind) << line;
    }
}

// Amounts are read as the C library reads a number, with thousands separators, and never as
// hexadecimal, infinity or "not a number".
TEST(PotAndRake, ComeFromTheLineAfterTheFirstSummaryMarkerAsTheCLibraryReadsNumbers)
{
    const auto rake = [](const std::wstring& text, double value) {
        return std::tuple{L"Total pot $1 | Rake $" + text, 1.0, value};
    };
    // clang-format off
    const std::tuple<std::wstring, double, double> rows[] = {
        {L"Total pot $10.30 | Rake $0.46 | Cash Out Fee $0.05", 10.30, 0.46},
        // The pot is read only from a separator past its column; the rake anyway.
        {L"Total pot $5 Rake $0.25", 0, 0.25}, {L"T | pot $5 | Rake $0.25", 0, 0.25},
        // One kind of currency symbol is removed, the first that stands past the line's start.
        {L"Total pot $2 | Rake \u20AC0.10", 2, 0}, {L"$Total pot \u20AC2 | Rake \u20AC0.10", 2, 0.10},
        {L"Total pot $-5 | Rake $-1", -5, -1}, {L"", 0, 0}, {L" | Rake ", 0, 0},
        rake(L" \t-.5 and is all-in", -0.5), rake(L"+3.", 3), rake(L"1 000", 1), rake(L"-.", 0),
        rake(L"e5", 0), rake(L"inf", 0), rake(L"nan", 0), rake(L"\u0661", 0), rake(L"0x10", 0),
        rake(L"2.5E-1", 0.25), rake(L"1e+", 1),
        // A comma and exactly three digits in the integer part are skipped; any other ends it.
        rake(L"-1,234,567.89", -1234567.89), rake(L"1,23", 1), rake(L"1,2345", 1),
        rake(L"1.234,567", 1.234), rake(L"1,234,56", 1234), rake(L",123", 0),
        rake(L"1e309", kInf), rake(L"-1e999999999999999999999", -kInf), rake(L"0.000e99999", 0),
        rake(std::wstring(500, L'9'), kInf), rake(std::wstring(300, L'0') + L"42", 42),
    };
    // clang-format on
    double pot = -1.0;
    double rakeRead = -1.0;
    for (const auto& [summary, potWritten, rakeWritten] : rows) {
        GetPotAndRake({L"Hero: checks", L"*** SUMMARY ***", summary, L"Board [8s]"}, pot, rakeRead);
        EXPECT_DOUBLE_EQ(pot, potWritten) << summary;
        EXPECT_DOUBLE_EQ(rakeRead, rakeWritten) << summary;
    }
    // Without a line after the marker or without a marker both are 0; a second marker is text.
    // clang-format off
    for (const HandLines& hand : {HandLines{L"*** SUMMARY ***"}, HandLines{L"Total pot $1 | Rake $1"},
                                  SplitLines(L"*** SUMMARY ***\nTotal pot $1 | Rake $0.05\n*** SUMMARY ***\n"
                                             L"Total pot $9 | Rake $0.45")}) {
        // clang-format on
        GetPotAndRake(hand, pot, rakeRead);
        EXPECT_EQ(pot + rakeRead, hand.size() == 4 ? 1.05 : 0.0) << hand.size();
    }
}

TEST(HeroInvested, AddsTheHerosOwnMoneyStreetByStreetExactToTheHundredth)
{
    // clang-format off
    const std::tuple<std::wstring, double, int, std::wstring> rows[] = {
        {L"Hero: posts big blind $0.02\nVillain: raises $0.04 to $0.06\nHero: raises $0.14 to "
         L"$0.20\nVillain: raises $0.40 to $0.60\nHero: calls $0.40", 0.60, 2, L"Hero"},
        {L"Hero: posts small blind $0.01\nHero: folds\nHero: calls $5", 0.01, 2, L"Hero"},
        // An ante is dead money beside the blind, written before or after it.
        {L"Hero: posts small blind $0.05\nHero: posts the ante $0.01\nHero: calls $0.05", 0.11, 2, L"Hero"},
        {L"Hero: posts the ante $0.01\nHero: posts big blind $0.02\nHero: raises $0.12 to $0.18", 0.19, 2, L"Hero"},
        // Small & big blinds: the header's big blind, at most the amount, is live.
        {L"Hero: posts small & big blinds $0.03\nHero: raises $0.12 to $0.18", 0.19, 2, L"Hero"},
        {L"Hero: posts small & big blinds $0.03\nHero: raises $0.12 to $0.18", 0.21, 0, L"Hero"},
        {L"Hero: posts small & big blinds $0.03\nHero: raises $0.12 to $0.18", 0.18, 5, L"Hero"},
        // Only the nickname and a colon is the hero; only a bet returned to exactly him counts.
        {L"Hero2: posts big blind $0.02\nSuperHero: calls $1\nHero: posts small blind $0.01\n"
         L"Hero : calls $0.05\nHero: bets $0.10\nUncalled bet ($0.10) returned to SuperHero\n"
         L"Uncalled bet ($0.10) returned to Hero2", 0.11, 2, L"Hero"},
        {L"Hero: bets $2,500\nUncalled bet ($1,000) returned to Hero", 1500.0, 2, L"Hero"},
        // A raise without a "to" amount leaves the street as it was.
        {L"Hero: posts big blind $0.02\nHero: raises $0.04\nHero: raises", 0.02, 2, L"Hero"},
        // In binary fractions 3.96 + (10.86 - 7.42) is 7.3999999999999995.
        {L"Hero: posts big blind \u00A31\nHero: calls \u00A32.96\n*** FLOP *** [2h Ks 4c]\n"
         L"Hero: raises \u00A37.42 to \u00A310.86\nUncalled bet (\u00A37.42) returned to Hero", 7.4, 100, L"Hero"},
        {L" Hero: posts big blind \u20AC0.02 \r\n\tHero: calls \u00A30.04\t", 0.06, 2, L"Hero"},
        // Markers inside the nickname do not count; an empty nickname is nobody.
        {L"Mr folds: posts big blind $0.02\nMr folds: calls $0.04", 0.06, 2, L"Mr folds"},
        {L": bets $1\nHero: bets $2\nUncalled bet ($1) returned to ", 0.0, 2, L""},
        {L"Hero: bets $\nHero: calls $.\nHero: calls \nHero: bets\nHero: calls $-5", -5.0, 2, L"Hero"},
        {L"Hero: bets $1e999", kInf, 2, L"Hero"},
        // The table line gives the seats only when it matches whole.
        {L"Table 'It's 2' 99999999999-max Seat #1 is the button", kIntMax, 2, L"Hero"},
        {L"Table 'W' 6-max (Play Money) Seat #1 is the button", -1, 2, L"Hero"},
        {L"Table 'Una' 9-max Seat #7 is the button!", -1, 2, L"Hero"},
    };
    // clang-format on
    for (const auto& [hand, expected, bigBlind, nickname] : rows) {
        double invested = -1.0;
        int seats = -1;
        GetHeroInvested(SplitLines(hand), nickname, bigBlind, invested, seats);
        EXPECT_EQ(hand.starts_with(L"Table") ? seats : invested, expected)
            << hand << " " << bigBlind;
    }
}

TEST(HeroVpp, TheHandsRoundedPointsTimesTheHerosShareAndNothingThatIsNoNumber)
{
    // currency, big blind, seats, invested, pot, rake, points
    // clang-format off
    const std::tuple<int, int, int, double, double, double, int> rows[] = {
        {0, 0, 0, 1, 1, 1, 550}, // header and table line not read: short-handed dollars
        {3, 2, 9, 1, 1, 1, 0}, {-1, 25, 9, 1, 1, 1, 0}, // unknown currencies
        // The hand's points are rounded before the share: 0.15 * 5.5 gives 83, half of it 42.
        {0, 25, 6, 0.5, 1, 0.15, 42},
        // A pot of zero or less earns nothing; nor does what is no number. Results stay ints.
        {0, 2, 9, 0.02, 0, 0.01, 0}, {0, 2, 9, 0.02, -0.5, 0.01, 0}, {0, 2, 9, 0.02, kNaN, 0.01, 0},
        {0, 2, 9, 1, 1, 1e308, 0}, {0, 2, 9, 1, 1, kInf, 0}, {0, 2, 9, 1, 1, kNaN, 0},
        {0, 25, 9, 1e300, 1e-300, 0.5, 0}, {0, 25, 9, kInf, 1, 0.5, 0},
        {0, 25, 9, 1, 1, 1e7, kIntMax}, {0, 25, 9, -1e12, 1, 0.5, -kIntMax - 1}};
    // clang-format on
    for (const auto& [currency, bigBlind, seats, invested, pot, rake, points] : rows)
        EXPECT_EQ(CalcHeroVpp(currency, bigBlind, seats, invested, pot, rake), points)
            << testing::PrintToString(std::tuple(currency, bigBlind, seats, invested, pot, rake));
}

fs::path RealFolder()
{
    const fs::path dir = SharedDataDir() / "real-hh";
    return SharedDataDir().empty() || !fs::is_directory(dir) ? fs::path() : dir;
}

// Hands as one counts them by eye: lines that begin with a cash or fast-fold header, from the
// first one on (a byte-order mark may stand in front of that); none when all are tournaments.
int HeadersFromTheFirstCashHeader(const HandLines& lines)
{
    int count = 0;
    for (const std::wstring& raw : lines) {
        std::wstring_view line = raw;
        while (!line.empty() && (line.front() == L' ' || line.front() == L'\uFEFF'))
            line.remove_prefix(1);
        const bool header =
            line.starts_with(L"PokerStars Hand #") || line.starts_with(L"PokerStars Zoom Hand #");
        if (header && (count > 0 || line.find(L"Tournament") == std::wstring_view::npos))
            ++count;
    }
    return count;
}

// The player the client dealt cards to, the way a user finds his own name in a file.
std::wstring HeroOf(const HandLines& lines)
{
    for (const std::wstring& line : lines) {
        const std::size_t dealt = line.find(L"Dealt to ");
        if (dealt != std::wstring::npos)
            return line.substr(dealt + 9, line.find(L" [", dealt) - dealt - 9);
    }
    return L"Hero";
}

struct PinnedFile
{
    const char* path; // below real-hh/
    const wchar_t* hero;
    int hands;
    int vppCents;
};

// Worked out by hand from the rules, hand points times the hero's money over the pot, each
// rounded: Una 10 * (0.02/0.24) + 10 * (0.14/0.31) + 40 * (0.02/1.02) + 10 * (0.01/0.33) =
// 1 + 5 + 1 + 0; uncalled-bet 306 * 2.83/5.86 -> 148; cashout 700 * 10.42/20.89 -> 349;
// converted.format (header not read, rate 5.5) 1100 * 528.42/1086.84 -> 535; RunItTwice
// (Windows-1252 euros) 1505 * 109.16/225.32 -> 729.
const PinnedFile kPinned[] = {
    {"pokerregion-poker/PokerStars/HH20200419 Una - $0,01-$0,02 - USD No Limit Hold'em.txt",
     L"pokerHero1", 13, 7},
    {"fpdb/cash/Stars/Flop/2025-NL-uncalled-bet.txt", L"Hero", 1, 148},
    {"fpdb/active-sites/pokerstars/2024/stars/cash/NLHE-6max-USD-0.05-0.10-202411.Hero-cashout.txt",
     L"Hero", 1, 349},
    {"fpdb/cash/Stars/Flop/PLO-6max-USD-5-10-201509.converted.format.txt", L"bodogJS", 1, 535},
    {"fpdb/cash/Stars/Flop/NLHE-6max-EUR-1.00-2.00-201212.RunItTwice.txt", L"Hero", 1, 729},
};

TEST(RealFiles, EveryFileIsCountedAsItsHeadersSayAndPinnedOnesGiveTheirPoints)
{
    const fs::path dir = RealFolder();
    if (dir.empty())
        GTEST_SKIP() << "no real hand histories in the shared data folder";
    int pinned = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        const std::string name = fs::relative(entry.path(), dir).string();
        if (!entry.is_regular_file() || entry.path().extension() != ".txt")
            continue;
        std::int64_t offset = 0;
        HandLines lines;
        // Some names are not UTF-8; the library's own conversion names them exactly.
        ASSERT_EQ(
            ReadHistoryFileUTF8(corvask::FromNativePath(entry.path().native()), offset, lines), 0)
            << name;
        const Outcome counted = Evaluate(lines, HeroOf(lines));
        EXPECT_EQ(counted.hands, HeadersFromTheFirstCashHeader(lines)) << name;
        const bool tournaments =
            name.starts_with("fpdb/tour/") || name.starts_with("fpdb/summaries/");
        EXPECT_TRUE(!tournaments || counted.hands == 0) << name << ": tournaments are not counted";
        const auto file = std::find_if(std::begin(kPinned), std::end(kPinned),
                                       [&](const PinnedFile& f) { return name == f.path; });
        if (file != std::end(kPinned)) {
            const Outcome outcome = Evaluate(lines, file->hero);
            EXPECT_EQ(std::pair(outcome.hands, outcome.vppCents),
                      std::pair(file->hands, file->vppCents))
                << name;
            ++pinned;
        }
    }
    EXPECT_EQ(pinned, static_cast<int>(std::size(kPinned)));
}

} // namespace

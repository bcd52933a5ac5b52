// The generator's text read back line by line, without the analysis: every line has a shape
// the client writes, every hand's money adds up, and the text says what the truth says.

#include "tests/support/TestSupport.h"
#include "tests/tools/GeneratedHands.h"
#include "tests/tools/HandTextCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

using namespace zellwick::test;
using zellwick::genhands::GeneratorOptions;
using zellwick::genhands::HandTruth;

const GeneratedHands& TenThousandHands()
{
    static const GeneratedHands hands = [] {
        GeneratorOptions options;
        options.seed = 2024;
        return Generate(options, 10000);
    }();
    return hands;
}

TEST(GeneratedText, EveryHandAddsUpAndSaysWhatItsTruthSays)
{
    const GeneratedHands& generated = TenThousandHands();
    const auto hands = SplitHands(generated.text);
    ASSERT_EQ(hands.size(), generated.truth.size());
    int failures = 0;
    for (std::size_t i = 0; i < hands.size() && failures < 5; ++i) {
        const HandTruth& truth = generated.truth[i];
        const HandTally tally = TallyHand(hands[i]);
        SCOPED_TRACE(hands[i][0]);
        const bool dealt = std::count(tally.dealtTo.begin(), tally.dealtTo.end(), "Hero") == 1;
        const auto hero = tally.contributions.find("Hero");
        const std::int64_t heroIn = hero == tally.contributions.end() ? 0 : hero->second;
        const bool same = tally.error.empty() && tally.pot == truth.potCents &&
                          tally.rake == truth.rakeCents && tally.currency == truth.currency &&
                          tally.bigBlind == truth.bigBlindCents && tally.seats == truth.seats &&
                          tally.zoom == truth.zoom && dealt == truth.heroDealt &&
                          heroIn == truth.heroInvestedCents && tally.dealtTo.size() <= 1;
        if (same)
            continue;
        ++failures;
        EXPECT_EQ(tally.error, "");
        EXPECT_EQ(tally.pot, truth.potCents);
        EXPECT_EQ(tally.rake, truth.rakeCents);
        EXPECT_EQ(tally.currency, truth.currency);
        EXPECT_EQ(tally.bigBlind, truth.bigBlindCents);
        EXPECT_EQ(tally.seats, truth.seats);
        EXPECT_EQ(dealt, truth.heroDealt);
        EXPECT_EQ(heroIn, truth.heroInvestedCents);
    }
    EXPECT_EQ(failures, 0);
}

// Counts the hands for which a test on their text holds.
template <typename Test>
int HandsWhere(Test test)
{
    const GeneratedHands& generated = TenThousandHands();
    const auto hands = SplitHands(generated.text);
    int count = 0;
    for (std::size_t i = 0; i < hands.size(); ++i) {
        std::string text;
        for (const std::string& line : hands[i])
            (text += line) += '\n';
        count += test(text, generated.truth[i]) ? 1 : 0;
    }
    return count;
}

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(GeneratedText, TenThousandHandsHoldEveryKindOfHand)
{
    struct Kind
    {
        const char* name;
        std::function<bool(const std::string&, const HandTruth&)> test;
    };
    const std::vector<Kind> kinds = {
        {"Zoom", [](auto& t, auto&) { return Has(t, "PokerStars Zoom Hand #"); }},
        {"regular", [](auto& t, auto&) { return Has(t, "PokerStars Hand #"); }},
        {"bracketed second time", [](auto& t, auto&) { return Has(t, " ET]\n"); }},
        {"one time", [](auto& t, auto&) { return Has(t, ":\\d\\d ET\n") || !Has(t, " ET]"); }},
        {"dollars", [](auto&, auto& h) { return h.currency == 0; }},
        {"euros", [](auto&, auto& h) { return h.currency == 1; }},
        {"pounds", [](auto&, auto& h) { return h.currency == 2; }},
        {"0.01/0.02", [](auto&, auto& h) { return h.bigBlindCents == 2; }},
        {"100/200", [](auto&, auto& h) { return h.bigBlindCents == 20000; }},
        {"thousands", [](auto& t, auto&) { return Has(t, ",000") || Has(t, ",5"); }},
        {"2-max", [](auto&, auto& h) { return h.seats == 2; }},
        {"3-max", [](auto&, auto& h) { return h.seats == 3; }},
        {"4-max", [](auto&, auto& h) { return h.seats == 4; }},
        {"5-max", [](auto&, auto& h) { return h.seats == 5; }},
        {"6-max", [](auto&, auto& h) { return h.seats == 6; }},
        {"7-max", [](auto&, auto& h) { return h.seats == 7; }},
        {"8-max", [](auto&, auto& h) { return h.seats == 8; }},
        {"9-max", [](auto&, auto& h) { return h.seats == 9; }},
        {"checks", [](auto& t, auto&) { return Has(t, ": checks"); }},
        {"bets", [](auto& t, auto&) { return Has(t, ": bets "); }},
        {"raises", [](auto& t, auto&) { return Has(t, ": raises "); }},
        {"all-in", [](auto& t, auto&) { return Has(t, " and is all-in"); }},
        {"uncalled bet", [](auto& t, auto&) { return Has(t, "Uncalled bet ("); }},
        {"antes", [](auto& t, auto&) { return Has(t, ": posts the ante "); }},
        {"hero's ante", [](auto& t, auto&) { return Has(t, "Hero: posts the ante "); }},
        {"hero's small & big blinds",
         [](auto& t, auto&) { return Has(t, "Hero: posts small & big blinds "); }},
        {"showdown", [](auto& t, auto&) { return Has(t, "*** SHOW DOWN ***"); }},
        {"side pot", [](auto& t, auto&) { return Has(t, " Side pot "); }},
        {"two side pots", [](auto& t, auto&) { return Has(t, " Side pot-2 "); }},
        {"no flop", [](auto& t, auto&) { return !Has(t, "*** FLOP ***"); }},
        {"rake", [](auto&, auto& h) { return h.rakeCents > 0; }},
        {"hero sits out", [](auto&, auto& h) { return !h.heroDealt; }},
        {"hero's points", [](auto&, auto& h) { return h.vppCents > 0; }},
        {"Hero2", [](auto& t, auto&) { return Has(t, "\nHero2: "); }},
        {"SuperHero", [](auto& t, auto&) { return Has(t, "\nSuperHero: "); }},
        {"Hero_x", [](auto& t, auto&) { return Has(t, "\nHero_x: "); }},
        {"uncalled bet to a longer name",
         [](auto& t, auto&) {
             return Has(t, ") returned to SuperHero\n") || Has(t, ") returned to Hero2\n");
         }},
        {"pot limit", [](auto& t, auto&) { return Has(t, "Hold'em Pot Limit"); }},
    };
    for (const Kind& kind : kinds)
        EXPECT_GT(HandsWhere(kind.test), 0) << "no hand with " << kind.name;
}

TEST(GeneratedText, EndsEveryHandWithThreeBlankLinesAsTheClientDoes)
{
    const std::string& text = TenThousandHands().text;
    std::size_t headers = 0;
    for (std::size_t at = text.find("\n\n\n\nPokerStars "); at != std::string::npos;
         at = text.find("\n\n\n\nPokerStars ", at + 1))
        ++headers;
    EXPECT_EQ(headers, TenThousandHands().truth.size() - 1);
    EXPECT_EQ(text.substr(text.size() - 4), "\n\n\n\n");
    EXPECT_EQ(text.find("\n\n\n\n\n"), std::string::npos);
}

// The line shapes above come from the client; real files must have them too, or the test
// would be checking the generator against itself.
TEST(RealHandHistories, HaveTheLineShapesAndMoneyTheCheckerExpects)
{
    const auto data = SharedDataDir();
    if (data.empty())
        GTEST_SKIP() << "no real hand histories in the shared data folder";
    const auto folder = data / "real-hh" / "pokerregion-poker" / "PokerStars";
    if (!std::filesystem::is_directory(folder))
        GTEST_SKIP() << "no " << folder;
    int files = 0, hands = 0, checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string text = ReadFile(entry.path());
        ++files;
        for (const auto& hand : SplitHands(text)) {
            ++hands;
            std::string whole;
            for (const std::string& line : hand)
                (whole += line) += '\n';
            // Cashed-out and twice-run hands have lines the generator never writes.
            if (Has(whole, "ashed out") || Has(whole, "Cash Out") || Has(whole, "FIRST"))
                continue;
            ++checked;
            const HandTally tally = TallyHand(hand);
            EXPECT_EQ(tally.error, "") << entry.path().filename() << "\n" << whole;
        }
    }
    EXPECT_GT(files, 20);
    EXPECT_GT(checked, hands * 9 / 10);
}

} // namespace

// The generator's text read back line by line, without the analysis: every line has a shape
// the client writes, every hand's money adds up, and the text says what the truth says.

#include "tests/support/TestSupport.h"
#include "tests/tools/HandTextCheck.h"
#include "tests/tools/ToolTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

using namespace zellwick::test;
using zellwick::genhands::GeneratorOptions;
using zellwick::genhands::HandTruth;

struct TenThousandHands
{
    TenThousandHands()
    {
        GeneratorOptions options;
        options.seed = 2024;
        generated = Generate(options, 10000);
        for (const auto& lines : SplitHands(generated.text)) {
            hands.push_back(lines);
            texts.emplace_back();
            for (const std::string& line : lines)
                (texts.back() += line) += '\n';
        }
    }

    GeneratedHands generated;
    std::vector<std::vector<std::string>> hands;
    std::vector<std::string> texts; // each hand's lines joined again
};

const TenThousandHands& Hands()
{
    static const TenThousandHands hands;
    return hands;
}

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// A hand's figures as text, so that the tally and the truth compare at once.
std::string Figures(const std::string& error, std::int64_t pot, std::int64_t rake, int currency,
                    std::int64_t bigBlind, int seats, bool zoom, bool heroDealt,
                    std::int64_t heroInvested)
{
    return error + " pot " + std::to_string(pot) + ", rake " + std::to_string(rake) +
           ", currency " + std::to_string(currency) + ", big blind " + std::to_string(bigBlind) +
           ", " + std::to_string(seats) + "-max" + (zoom ? ", zoom" : "") +
           (heroDealt ? ", hero dealt in once" : "") + ", hero's money " +
           std::to_string(heroInvested);
}

TEST(GeneratedText, EveryHandAddsUpAndSaysWhatItsTruthSays)
{
    const TenThousandHands& all = Hands();
    ASSERT_EQ(all.hands.size(), all.generated.truth.size());
    int failures = 0;
    for (std::size_t i = 0; i < all.hands.size() && failures < 5; ++i) {
        const HandTruth& h = all.generated.truth[i];
        const HandTally t = TallyHand(all.hands[i]);
        const auto hero = t.contributions.find("Hero");
        const bool dealt = std::count(t.dealtTo.begin(), t.dealtTo.end(), "Hero") == 1;
        const std::string error = t.dealtTo.size() > 1 ? "cards dealt to many" : t.error;
        const std::string tallied =
            Figures(error, t.pot, t.rake, t.currency, t.bigBlind, t.seats, t.zoom, dealt,
                    hero == t.contributions.end() ? 0 : hero->second);
        const std::string truth = Figures("", h.potCents, h.rakeCents, h.currency, h.bigBlindCents,
                                          h.seats, h.zoom, h.heroDealt, h.heroInvestedCents);
        if (tallied == truth)
            continue;
        ++failures;
        ADD_FAILURE() << all.hands[i][0] << "\n  text: " << tallied << "\n  truth:" << truth;
    }
    EXPECT_EQ(failures, 0);
}

TEST(GeneratedText, TenThousandHandsHoldEveryKindOfHand)
{
    const TenThousandHands& all = Hands();
    using Check = std::function<bool(const std::string& text, const HandTruth& truth)>;
    const auto some = [&](const Check& test) {
        for (std::size_t i = 0; i < all.texts.size(); ++i) {
            if (test(all.texts[i], all.generated.truth[i]))
                return true;
        }
        return false;
    };
    for (const char* part :
         {"PokerStars Zoom Hand #", "PokerStars Hand #", " ET]\n", "Hold'em Pot Limit", ": checks",
          ": bets ", ": raises ", " and is all-in", "Uncalled bet (", ": posts the ante ",
          "Hero: posts the ante ", "Hero: posts small & big blinds ", "*** SHOW DOWN ***",
          " Side pot ", " Side pot-2 ", "\nHero2: ", "\nSuperHero: ", "\nHero_x: "})
        EXPECT_TRUE(some([&](auto& text, auto&) { return Has(text, part); })) << part;
    for (const int currency : {0, 1, 2})
        EXPECT_TRUE(some([&](auto&, auto& hand) { return hand.currency == currency; })) << currency;
    for (const int bigBlind : {2, 20000})
        EXPECT_TRUE(some([&](auto&, auto& hand) { return hand.bigBlindCents == bigBlind; }));
    for (int seats = 2; seats <= 9; ++seats)
        EXPECT_TRUE(some([&](auto&, auto& hand) { return hand.seats == seats; })) << seats;
    const std::pair<const char*, Check> others[] = {
        {"one time", [](auto& t, auto&) { return !Has(t, " ET]"); }},
        {"thousands", [](auto& t, auto&) { return Has(t, ",000") || Has(t, ",5"); }},
        {"no flop", [](auto& t, auto&) { return !Has(t, "*** FLOP ***"); }},
        {"an uncalled bet to a longer name",
         [](auto& t, auto&) {
             return Has(t, ") returned to SuperHero\n") || Has(t, ") returned to Hero2\n");
         }},
        {"rake", [](auto&, auto& hand) { return hand.rakeCents > 0; }},
        {"the hero sitting out", [](auto&, auto& hand) { return !hand.heroDealt; }},
        {"points for the hero", [](auto&, auto& hand) { return hand.vppCents > 0; }}};
    for (const auto& [name, test] : others)
        EXPECT_TRUE(some(test)) << "no hand with " << name;
}

TEST(GeneratedText, EndsEveryHandWithThreeBlankLinesAsTheClientDoes)
{
    const std::string& text = Hands().generated.text;
    std::size_t headers = 0;
    for (auto at = text.find("\n\n\n\nPokerStars "); at != std::string::npos;
         at = text.find("\n\n\n\nPokerStars ", at + 1))
        ++headers;
    EXPECT_EQ(headers, Hands().hands.size() - 1);
    EXPECT_EQ(text.substr(text.size() - 4), "\n\n\n\n");
    EXPECT_EQ(text.find("\n\n\n\n\n"), std::string::npos);
}

// The line shapes above come from the client; real files must have them too, or the test
// would be checking the generator against itself.
TEST(RealHandHistories, HaveTheLineShapesAndMoneyTheCheckerExpects)
{
    const auto folder = SharedDataDir() / "real-hh" / "pokerregion-poker" / "PokerStars";
    if (SharedDataDir().empty() || !std::filesystem::is_directory(folder))
        GTEST_SKIP() << "no real hand histories in the shared data folder";
    int files = 0, hands = 0, checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++files;
        for (const auto& hand : SplitHands(ReadFile(entry.path()))) {
            ++hands;
            std::string whole;
            for (const std::string& line : hand)
                (whole += line) += '\n';
            // Cashed-out and twice-run hands have lines the generator never writes.
            if (Has(whole, "ashed out") || Has(whole, "Cash Out") || Has(whole, "FIRST"))
                continue;
            ++checked;
            EXPECT_EQ(TallyHand(hand).error, "") << entry.path().filename() << "\n" << whole;
        }
    }
    EXPECT_GT(files, 20);
    EXPECT_GT(checked, hands * 9 / 10);
}

} // namespace

// The analysis against the generator's own bookkeeping, hand by hand, over every kind of
// generated hand.

#include "tests/tools/GeneratedHands.h"

#include "history/HandAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <tuple>

namespace {

using zellwick::genhands::Currency;
using zellwick::genhands::GeneratorOptions;
using zellwick::genhands::HandTruth;
using zellwick::genhands::TableKind;
using zellwick::test::Generate;
using zellwick::test::GeneratedHands;
using zellwick::test::SplitLines;

struct Evaluated
{
    HandFacts facts;
    int vppCents = 0;
};

class Recorder : public HandHistoryParser::Observer
{
public:
    void OnHandEvaluated(const HandLines&, const HandFacts& facts, int nVppCents) override
    {
        hands.push_back({facts, nVppCents});
    }
    std::vector<Evaluated> hands;
};

std::int64_t Cents(double amount)
{
    return std::llround(amount * 100.0);
}

struct Totals
{
    std::int32_t hands = 0;
    std::int32_t vppCents = 0;
    double vpp = 0.0;
};

// Runs the analysis over the generated text as one block; returns what it saw per hand.
std::vector<Evaluated> Analyse(const GeneratedHands& generated, const std::wstring& hero,
                               Totals& totals)
{
    Recorder recorder;
    HandHistoryParser parser(hero, RunningTotals{totals.hands, totals.vppCents, totals.vpp},
                             nullptr);
    parser.SetObserver(&recorder);
    parser.ParseHandHistory(SplitLines(generated.text));
    return recorder.hands;
}

void ExpectMatchesTruth(const std::vector<Evaluated>& seen, const std::vector<HandTruth>& truth)
{
    ASSERT_EQ(seen.size(), truth.size());
    int reported = 0;
    for (std::size_t i = 0; i < truth.size(); ++i) {
        const HandFacts& facts = seen[i].facts;
        const HandTruth& hand = truth[i];
        SCOPED_TRACE("hand #" + std::to_string(hand.handId));
        const bool same =
            Cents(facts.dPot) == hand.potCents && Cents(facts.dRake) == hand.rakeCents &&
            facts.nCurrency == hand.currency && facts.nBigBlindCents == hand.bigBlindCents &&
            seen[i].vppCents == hand.vppCents &&
            // Seats and the hero's money are read only for hands with rake.
            (hand.rakeCents == 0 ||
             (facts.nSeats == hand.seats && Cents(facts.dHeroInvested) == hand.heroInvestedCents));
        if (same || ++reported > 10)
            continue;
        EXPECT_EQ(Cents(facts.dPot), hand.potCents);
        EXPECT_EQ(Cents(facts.dRake), hand.rakeCents);
        EXPECT_EQ(facts.nCurrency, hand.currency);
        EXPECT_EQ(facts.nBigBlindCents, hand.bigBlindCents);
        EXPECT_EQ(seen[i].vppCents, hand.vppCents);
        if (hand.rakeCents > 0) {
            EXPECT_EQ(facts.nSeats, hand.seats);
            EXPECT_EQ(Cents(facts.dHeroInvested), hand.heroInvestedCents);
        }
        // Money is whole hundredths; a contribution summed in binary fractions can miss the
        // hundredth it stands for, and tip a rounding that lies exactly on a half.
        char exact[64];
        std::snprintf(exact, sizeof exact, "%.17g", facts.dHeroInvested);
        ADD_FAILURE() << "the hero's contribution as the analysis holds it: " << exact
                      << ", in hundredths " << hand.heroInvestedCents;
    }
    EXPECT_EQ(reported, 0) << "hands that differ from the truth";
}

class AnalysisTruth : public testing::TestWithParam<std::tuple<TableKind, std::uint64_t>>
{};

TEST_P(AnalysisTruth, EveryHandMatchesTheGeneratorsBookkeeping)
{
    GeneratorOptions options;
    options.kind = std::get<0>(GetParam());
    options.seed = std::get<1>(GetParam());
    const GeneratedHands generated = Generate(options, 4000);
    Totals totals;
    ExpectMatchesTruth(Analyse(generated, L"Hero", totals), generated.truth);

    std::int64_t vppCents = 0;
    for (const HandTruth& hand : generated.truth)
        vppCents += hand.vppCents;
    EXPECT_EQ(totals.hands, 4000);
    EXPECT_EQ(totals.vppCents, vppCents);
    EXPECT_DOUBLE_EQ(totals.vpp, totals.vppCents * 0.01);
}

INSTANTIATE_TEST_SUITE_P(Kinds, AnalysisTruth,
                         testing::Combine(testing::Values(TableKind::Cash, TableKind::Zoom,
                                                          TableKind::Mixed),
                                          testing::Values(11u, 12u)));

} // namespace

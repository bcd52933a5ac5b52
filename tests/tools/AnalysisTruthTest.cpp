// The analysis against the generator's own bookkeeping, hand by hand, over every kind of
// generated hand: 24,000 hands in all.

#include "tests/tools/ToolTestSupport.h"

#include "history/HandAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <tuple>

namespace {

using namespace zellwick::genhands;
using namespace zellwick::test;

class Recorder : public HandHistoryParser::Observer
{
public:
    void OnHandEvaluated(const HandLines&, const HandFacts& facts, int nVppCents) override
    {
        hands.emplace_back(facts, nVppCents);
    }
    std::vector<std::pair<HandFacts, int>> hands;
};

std::int64_t Cents(double amount)
{
    return std::llround(amount * 100.0);
}

// One hand's figures as text, so that both sides compare at once and a difference reads
// plainly. Seats and the hero's money are read only for hands with rake.
std::string Figures(std::int64_t pot, std::int64_t rake, int currency, int bigBlind, int vpp,
                    int seats, std::int64_t heroInvested)
{
    std::ostringstream text;
    text << "pot " << pot << ", rake " << rake << ", currency " << currency << ", big blind "
         << bigBlind << ", vpp " << vpp;
    if (rake > 0)
        text << ", seats " << seats << ", hero's money " << heroInvested;
    return text.str();
}

class AnalysisTruth : public testing::TestWithParam<std::tuple<TableKind, std::uint64_t>>
{};

TEST_P(AnalysisTruth, EveryHandMatchesTheGeneratorsBookkeeping)
{
    GeneratorOptions options;
    options.kind = std::get<0>(GetParam());
    options.seed = std::get<1>(GetParam());
    const GeneratedHands generated = Generate(options, 4000);
    std::int32_t hands = 0, vppCents = 0;
    double vpp = 0.0;
    const std::wstring hero = L"Hero";
    Recorder recorder;
    HandHistoryParser parser(hero, RunningTotals{hands, vppCents, vpp}, nullptr);
    parser.SetObserver(&recorder);
    parser.ParseHandHistory(SplitLines(generated.text));

    ASSERT_EQ(recorder.hands.size(), generated.truth.size());
    int differing = 0;
    std::int64_t truthVpp = 0;
    for (std::size_t i = 0; i < generated.truth.size(); ++i) {
        const HandTruth& hand = generated.truth[i];
        const auto& [facts, seenVpp] = recorder.hands[i];
        truthVpp += hand.vppCents;
        const std::string truth =
            Figures(hand.potCents, hand.rakeCents, hand.currency, hand.bigBlindCents, hand.vppCents,
                    hand.seats, hand.heroInvestedCents);
        const std::string seen =
            Figures(Cents(facts.dPot), Cents(facts.dRake), facts.nCurrency, facts.nBigBlindCents,
                    seenVpp, facts.nSeats, Cents(facts.dHeroInvested));
        if (seen == truth || ++differing > 10)
            continue;
        // Money is whole hundredths; a contribution summed in binary fractions can miss the
        // hundredth it stands for, and tip a rounding that lies exactly on a half.
        char exact[64];
        std::snprintf(exact, sizeof exact, "%.17g", facts.dHeroInvested);
        ADD_FAILURE() << "hand #" << hand.handId << "\n  analysis: " << seen
                      << " (the hero's money as held: " << exact << ")\n  truth:    " << truth;
    }
    EXPECT_EQ(differing, 0) << "hands that differ from the truth";
    EXPECT_EQ(hands, 4000);
    EXPECT_EQ(vppCents, truthVpp);
    EXPECT_DOUBLE_EQ(vpp, vppCents * 0.01);
}

INSTANTIATE_TEST_SUITE_P(Kinds, AnalysisTruth,
                         testing::Combine(testing::Values(TableKind::Cash, TableKind::Zoom,
                                                          TableKind::Mixed),
                                          testing::Values(11u, 12u)));

} // namespace

#include "tools/zellwick-genhands/Pots.h"

#include <algorithm>

namespace zellwick::genhands {

namespace {

// The amounts at which the pots divide: what each player still in the hand put in.
std::vector<std::int64_t> Levels(const std::vector<Stake>& stakes)
{
    std::vector<std::int64_t> levels;
    for (const Stake& stake : stakes) {
        if (!stake.folded)
            levels.push_back(stake.total);
    }
    std::sort(levels.begin(), levels.end());
    levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
    return levels;
}

void TakeRake(std::vector<Pot>& pots, std::int64_t pot, std::int64_t rake)
{
    std::int64_t rakeLeft = rake;
    std::size_t biggest = 0;
    for (std::size_t i = 0; i < pots.size(); ++i) {
        const std::int64_t share = rake * pots[i].amount / pot;
        rakeLeft -= share;
        pots[i].amount -= share;
        biggest = pots[i].amount > pots[biggest].amount ? i : biggest;
    }
    pots[biggest].amount -= rakeLeft;
}

} // namespace

std::vector<Pot> SplitPots(const std::vector<Stake>& stakes, std::int64_t rake)
{
    const std::vector<std::int64_t> levels = Levels(stakes);
    std::vector<Pot> pots;
    std::int64_t below = 0;
    std::int64_t total = 0;
    for (const std::int64_t level : levels) {
        Pot pot;
        std::uint32_t best = 0;
        for (const Stake& stake : stakes) {
            pot.amount += std::clamp<std::int64_t>(stake.total - below, 0, level - below);
            if (!stake.folded && stake.total >= level)
                best = std::max(best, stake.value);
        }
        for (std::size_t i = 0; i < stakes.size(); ++i) {
            if (!stakes[i].folded && stakes[i].total >= level && stakes[i].value == best)
                pot.winners.push_back(static_cast<int>(i));
        }
        total += pot.amount;
        pots.push_back(pot);
        below = level;
    }
    // Folded money above the last level (the uncalled part is returned, so never) stays in
    // the last pot.
    for (const Stake& stake : stakes) {
        const std::int64_t above = stake.total - below;
        if (above > 0) {
            pots.back().amount += above;
            total += above;
        }
    }
    TakeRake(pots, total, rake);
    return pots;
}

std::vector<std::int64_t> Shares(const Pot& pot)
{
    const auto count = static_cast<std::int64_t>(pot.winners.size());
    std::vector<std::int64_t> shares;
    for (std::int64_t i = 0; i < count; ++i)
        shares.push_back(pot.amount / count + (i < pot.amount % count ? 1 : 0));
    return shares;
}

} // namespace zellwick::genhands

// Every real client file read through libcorvask and analysed as one block, as zellwick-count
// does: its hands as its headers say, and some files' points worked out by hand.

#include "history/HandAnalysis.h"

#include "corvask/NativePath.h"
#include "corvask/corvask.h"
#include "tests/history/HistoryTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using namespace zellwick::test;

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

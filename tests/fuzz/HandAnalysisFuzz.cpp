// ParseHandHistory over arbitrary text: never a crash, never undefined behaviour, totals in
// range, and the same result whether the block comes whole or in two pieces.

#include "history/HandAnalysis.h"

#include "corvask/Utf8Text.h"
#include "tests/fuzz/FuzzSupport.h"

#include <vector>

namespace {

using zellwick::fuzz::Check;

// One parser's run over the lines, whole or cut in two at middle.
struct Run : HandHistoryParser::Observer
{
    Run(const HandLines& lines, std::size_t middle)
    {
        const std::wstring nickname = L"Hero";
        HandHistoryParser parser(nickname, {nHands, nVppCents, dVpp}, nullptr);
        parser.SetObserver(this);
        if (middle == lines.size()) {
            parser.ParseHandHistory(lines);
        } else {
            const auto cut = lines.begin() + static_cast<std::ptrdiff_t>(middle);
            parser.Feed(HandLines(lines.begin(), cut));
            parser.Feed(HandLines(cut, lines.end()));
            parser.Finish();
        }
        Check(nHands == static_cast<std::int32_t>(hands.size()), "every hand is counted once");
        Check(nVppCents >= 0, "the VPP total never goes below 0");
        Check(dVpp == nVppCents * 0.01, "the shown VPP follows the hundredths");
    }

    void OnHandEvaluated(const HandLines& hand, const HandFacts& facts, int points) override
    {
        Check(!hand.empty(), "an evaluated hand has lines");
        Check(facts.nCurrency >= 0 && facts.nCurrency <= 2, "currency code 0, 1 or 2");
        Check(points >= 0, "a hand never takes points away");
        hands.push_back({points, facts.nCurrency, facts.nBigBlindCents, facts.nSeats});
    }

    std::int32_t nHands = 0;
    std::int32_t nVppCents = 0;
    double dVpp = 0.0;
    std::vector<std::vector<int>> hands;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zellwick::fuzz::FuzzInput input{{reinterpret_cast<const char*>(data), size}};
    const std::uint8_t cutByte = input.TakeByte();
    std::wstring text; // decoded as the history reader decodes a file's bytes
    corvask::AppendUtf8Lenient(input.bytes, text);
    HandLines lines;
    for (std::size_t start = 0, end = 0; end != std::wstring::npos; start = end + 1) {
        end = text.find(L'\n', start);
        lines.push_back(text.substr(start, end - start));
    }
    const Run whole(lines, lines.size());
    const Run pieces(lines, lines.size() * cutByte / 256);
    Check(whole.hands == pieces.hands, "pieces evaluate every hand as the whole block does");
    Check(whole.nVppCents == pieces.nVppCents, "pieces give the points of the whole block");
    return 0;
}

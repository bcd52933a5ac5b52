// ParseHandHistory over arbitrary text: never a crash, never undefined behaviour, totals in
// range, and the same result whether the block comes whole or in two pieces.

#include "history/HandAnalysis.h"

#include "tests/fuzz/FuzzSupport.h"

#include <cstdint>
#include <vector>

namespace {

using zellwick::fuzz::Check;

struct Evaluated
{
    int nVppCents;
    int nCurrency;
    int nBigBlindCents;
    int nSeats;
};

class Recorder : public HandHistoryParser::Observer
{
public:
    void OnHandEvaluated(const HandLines& hand, const HandFacts& facts, int nVppCents) override
    {
        Check(!hand.empty(), "an evaluated hand has lines");
        Check(facts.nCurrency >= 0 && facts.nCurrency <= 2, "currency code 0, 1 or 2");
        Check(nVppCents >= 0, "a hand never takes points away");
        m_hands.push_back({nVppCents, facts.nCurrency, facts.nBigBlindCents, facts.nSeats});
    }

    std::vector<Evaluated> m_hands;
};

class NoLog : public HistoryLog
{
public:
    void WriteLog(const std::wstring&) override {}
    void WriteRaw(const std::wstring&) override {}
};

struct Run
{
    std::int32_t nHands = 0;
    std::int32_t nVppCents = 0;
    double dVpp = 0.0;
    Recorder recorder;
};

void CheckTotals(const Run& run)
{
    Check(run.nHands == static_cast<std::int32_t>(run.recorder.m_hands.size()),
          "every evaluated hand is counted once");
    Check(run.nVppCents >= 0, "the VPP total never goes below 0");
    Check(run.dVpp == run.nVppCents * 0.01, "the shown VPP follows the hundredths");
}

HandLines SplitLines(const std::wstring& text)
{
    HandLines lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zellwick::fuzz::FuzzInput input(data, size);
    const std::uint8_t cutByte = input.TakeByte();
    const HandLines lines = SplitLines(zellwick::fuzz::DecodeLenient(input.Rest()));
    const std::size_t cut = lines.size() * cutByte / 255;
    const std::wstring nickname = L"Hero";
    NoLog log;

    Run whole;
    {
        HandHistoryParser parser(nickname, {whole.nHands, whole.nVppCents, whole.dVpp}, &log);
        parser.SetObserver(&whole.recorder);
        parser.ParseHandHistory(lines);
    }
    CheckTotals(whole);

    Run pieces;
    {
        HandHistoryParser parser(nickname, {pieces.nHands, pieces.nVppCents, pieces.dVpp}, &log);
        parser.SetObserver(&pieces.recorder);
        const auto middle = lines.begin() + static_cast<std::ptrdiff_t>(cut);
        parser.Feed(HandLines(lines.begin(), middle));
        parser.Feed(HandLines(middle, lines.end()));
        parser.Finish();
    }
    CheckTotals(pieces);

    Check(whole.nHands == pieces.nHands, "pieces count the hands of the whole block");
    Check(whole.nVppCents == pieces.nVppCents, "pieces give the points of the whole block");
    for (std::size_t i = 0; i < whole.recorder.m_hands.size(); ++i) {
        const Evaluated& a = whole.recorder.m_hands[i];
        const Evaluated& b = pieces.recorder.m_hands[i];
        Check(a.nVppCents == b.nVppCents && a.nCurrency == b.nCurrency &&
                  a.nBigBlindCents == b.nBigBlindCents && a.nSeats == b.nSeats,
              "pieces evaluate every hand as the whole block does");
    }
    return 0;
}

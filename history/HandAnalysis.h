#pragma once

// Hand analysis: from the lines of a hand-history file to counted hands and the hero's
// points. Standard C++ and Boost.Regex only; no window, no global object. Whoever runs it
// (the application, a command-line tool, a test) owns the nickname, the totals and the log.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using HandLines = std::vector<std::wstring>;

// The values one hand yields while it is evaluated.
struct HandFacts
{
    double dPot = 0.0;          // total pot, in currency units
    double dRake = 0.0;         // rake taken from the pot, in currency units
    int nCurrency = -1;         // 0 "$", 1 "€", 2 "£"
    int nBigBlindCents = 0;     // big blind in hundredths of the currency unit
    int nSeats = 0;             // N of the table line's N-max; 0 when there is none
    double dHeroInvested = 0.0; // what the hero put into the pot over the whole hand
};

// Where the analysis reports: stamped log lines, and raw text without stamp or flush.
class HistoryLog
{
public:
    virtual ~HistoryLog() = default;
    virtual void WriteLog(const std::wstring& line) = 0;
    virtual void WriteRaw(const std::wstring& text) = 0;
};

// The running totals the analysis adds to. They belong to the caller.
struct RunningTotals
{
    std::int32_t& m_nHandCount; // hands evaluated since the play period started
    std::int32_t& m_nVppCents;  // the hero's VPP in hundredths
    double& m_dVpp;             // m_nVppCents * 0.01, set again after every addition
};

// Pot and rake from the line after "*** SUMMARY ***". Always writes both.
void GetPotAndRake(const HandLines& hand, double& dPot, double& dRake);

// Currency and big blind from the hand's first line. Writes the currency code 0 first; true
// when the header was recognised. An unrecognised header is written raw to the log, if any.
bool GetTypeTable(const HandLines& hand, int& nBigBlindCents, int& nCurrency, HistoryLog* log);

// What the nickname put into the pot over the hand; nSeats is written only when a table line
// is recognised. nBigBlindCents is the header's big blind (0 when it was not recognised).
void GetHeroInvested(const HandLines& hand, const std::wstring& nickname, int nBigBlindCents,
                     double& dHeroInvested, int& nSeats);

// The hero's points for one hand, in hundredths.
int CalcHeroVpp(int nCurrency, int nBigBlindCents, int nSeats, double dHeroInvested, double dPot,
                double dRake);

// Cuts blocks of lines into hands and adds each hand to the running totals.
class HandHistoryParser
{
public:
    // The nickname is read at every hand, so a changed setting takes effect at the next hand.
    HandHistoryParser(const std::wstring& nickname, RunningTotals totals, HistoryLog* log);

    // One block, as one read of a history file delivers it.
    void ParseHandHistory(const HandLines& lines);

    // The same block delivered in pieces: Feed() any number of times, then Finish(). The
    // result is exactly that of one ParseHandHistory() over all the pieces joined.
    void Feed(const HandLines& lines);
    void Finish();

    // The same, taking the lines over instead of copying them; lines is left empty.
    void Feed(HandLines&& lines);

    // Called after each evaluated hand, for tools and tests that want per-hand figures.
    class Observer
    {
    public:
        virtual ~Observer() = default;
        virtual void OnHandEvaluated(const HandLines& hand, const HandFacts& facts,
                                     int nVppCents) = 0;
    };
    void SetObserver(Observer* observer) { m_observer = observer; }

private:
    // What one line does to the hand being collected.
    enum class LineStep
    {
        Skip,             // left out
        Append,           // added to the hand
        EvaluateAndStart, // the hand before it is evaluated, and the line starts the next
        AppendAndEvaluate // added, and the hand is evaluated
    };
    LineStep NextStep(std::wstring_view line, bool isLastOfBlock);
    void TakeLine(const std::wstring& rawLine, bool isLastOfBlock);
    void TakeLine(std::wstring&& rawLine, bool isLastOfBlock);
    template <typename Append>
    void DoStep(LineStep step, Append append);
    void AppendToHand(std::wstring_view line);
    void AppendToHand(std::wstring&& rawLine, std::wstring_view line);
    void RecycleHand();
    void EvaluateHand();
    void AddHand();
    void AddVpp(int nVppCents);
    void Log(const std::wstring& line);

    const std::wstring& m_nickname;
    RunningTotals m_totals;
    HistoryLog* m_log;
    Observer* m_observer = nullptr;

    HandLines m_hand;            // the hand being collected
    HandLines m_spareLines;      // emptied lines kept for their storage
    bool m_bInHand = false;      // a cash header has opened a hand in this block
    bool m_bHavePending = false; // Feed() holds back one line: it may be the block's last
    std::wstring m_pendingLine;
};

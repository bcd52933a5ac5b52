#include "tests/tools/HandTextCheck.h"

#include <boost/regex.hpp>

#include <algorithm>

namespace zellwick::test {

namespace {

// An amount: currency symbol, digits grouped by commas or not, cents when there are any.
#define AMT "(?:\\$|\xE2\x82\xAC|\xC2\xA3)\\d+(?:,\\d{3})*(?:\\.\\d\\d)?"
#define CARD "[2-9TJQKA][cdhs]"
#define CARDS "\\[" CARD "(?: " CARD ")*\\]"
#define TIME "\\d{4}/\\d{2}/\\d{2} \\d{1,2}:\\d{2}:\\d{2}"

const boost::regex kHeader("(?:\xEF\xBB\xBF)?PokerStars (Zoom )?Hand #\\d+: {1,2}Hold'em "
                           "(?:No|Pot) Limit \\((" AMT ")/(" AMT ")( USD| EUR| GBP)?\\) - " TIME
                           " (ET|[A-Z]+ \\[" TIME " ET\\])");
const boost::regex kTable("Table '.+' (\\d+)-max Seat #\\d+ is the button");
const boost::regex kPost("(.+): posts (small blind|big blind|the ante|small & big blinds) (" AMT
                         ")( and is all-in)?");
const boost::regex kCallOrBet("(.+): (calls|bets) (" AMT ")( and is all-in)?");
const boost::regex kRaise("(.+): raises (" AMT ") to (" AMT ")( and is all-in)?");
const boost::regex kUncalled("Uncalled bet \\((" AMT ")\\) returned to (.+)");
const boost::regex kCollected("(.+) collected (" AMT ") from (?:pot|main pot|side pot(?:-\\d)?)");
const boost::regex kTotal("Total pot (" AMT ")((?: Main pot " AMT "\\.)(?: Side pot(?:-\\d)? " AMT
                          "\\.)+)? \\| Rake (" AMT ") ?");
const boost::regex kDealt("Dealt to (.+) " CARDS);
const boost::regex kStreet("\\*\\*\\* (?:FLOP \\*\\*\\* \\[" CARD " " CARD " " CARD
                           "\\]|TURN \\*\\*\\* \\[" CARD "(?: " CARD "){2}\\] \\[" CARD
                           "\\]|RIVER \\*\\*\\* \\[" CARD "(?: " CARD "){3}\\] \\[" CARD "\\])");
// The client's lines that carry no money.
const boost::regex kOtherLine(
    "Seat \\d+: .+ \\(" AMT " in chips\\)(?: is sitting out)? ?|"
    "\\*\\*\\* (?:HOLE CARDS|SHOW DOWN|SUMMARY) \\*\\*\\*|"
    ".+: (?:folds|checks|mucks hand|doesn't show hand|sits out|is sitting out) ?|"
    ".+: folds " CARDS "|.+: shows " CARDS " \\(.+\\)|Board " CARDS "|"
    "Seat \\d+: .+?(?: \\(button\\))?(?: \\(small blind\\))?(?: \\(big blind\\))?(?: folded "
    "(?:before Flop(?: \\(didn't bet\\))?|on the (?:Flop|Turn|River))| collected \\(" AMT
    "\\)| showed " CARDS " and (?:won \\(" AMT "\\) with .+|lost with .+)| mucked " CARDS ")? ?|"
    ".+ (?:has timed out|has timed out while disconnected|leaves the table|is sitting out|is "
    "disconnected|is connected|has returned|will be allowed to play after the button|was "
    "removed from the table for failing to post) ?|.+ joins the table at seat #\\d+ ?|"
    ".+ said, \".*\"|");

// "$1,234.50" -> 123450, "€2" -> 200.
std::int64_t Cents(const std::string& amount)
{
    std::size_t i = amount.find_first_of("0123456789");
    std::int64_t units = 0;
    for (; i < amount.size() &&
           (std::isdigit(static_cast<unsigned char>(amount[i])) || amount[i] == ',');
         ++i) {
        if (amount[i] != ',')
            units = units * 10 + (amount[i] - '0');
    }
    const bool cents = i + 2 < amount.size() && amount[i] == '.';
    return units * 100 + (cents ? (amount[i + 1] - '0') * 10 + (amount[i + 2] - '0') : 0);
}

class Tally
{
public:
    explicit Tally(HandTally& tally) : m_t(tally) {}

    void Header(const std::string& line)
    {
        if (!boost::regex_match(line, m_match, kHeader))
            return Fail("header: " + line);
        m_t.zoom = m_match[1].matched;
        const std::string big = m_match[3].str();
        m_t.currency = big[0] == '$' ? 0 : big.starts_with("\xE2\x82\xAC") ? 1 : 2;
        m_t.bigBlind = m_bet = Cents(big);
        const char* codes[] = {" USD", " EUR", " GBP"};
        const std::string code = m_match[4].str();
        if (m_t.zoom != code.empty() || (!code.empty() && code != codes[m_t.currency]))
            Fail("currency code: " + line);
    }

    void Take(const std::string& line)
    {
        const auto is = [&](const boost::regex& pattern) {
            return boost::regex_match(line, m_match, pattern);
        };
        if (is(kTable)) {
            m_t.seats = std::stoi(m_match[1].str());
        } else if (is(kPost)) {
            const std::int64_t amount = Cents(m_match[3].str());
            Put(m_match[1].str(), amount);
            // The ante is dead money; of small & big blinds only the big blind is live.
            if (m_match[2].str() != "the ante")
                m_live[m_match[1].str()] =
                    m_match[2].str() == "small blind" || m_match[2].str() == "big blind"
                        ? amount
                        : m_t.bigBlind;
        } else if (is(kCallOrBet)) {
            const std::string player = m_match[1].str();
            Put(player, Cents(m_match[3].str()));
            m_live[player] += Cents(m_match[3].str());
            if (m_match[2].str() == "bets" && m_bet != 0)
                Fail("a bet into a bet: " + line);
            if (m_match[2].str() == "calls" && m_live[player] > m_bet)
                Fail("a call above the bet: " + line);
            m_bet = std::max(m_bet, m_live[player]);
        } else if (is(kRaise)) {
            const std::int64_t to = Cents(m_match[3].str());
            if (to - m_bet != Cents(m_match[2].str()))
                Fail("a raise whose two amounts disagree: " + line);
            Put(m_match[1].str(), to - m_live[m_match[1].str()]);
            m_live[m_match[1].str()] = m_bet = to;
        } else if (is(kUncalled)) {
            Put(m_match[2].str(), -Cents(m_match[1].str()));
        } else if (is(kCollected)) {
            m_t.collected += Cents(m_match[2].str());
        } else if (is(kTotal)) {
            m_t.pot = Cents(m_match[1].str());
            m_t.rake = Cents(m_match[3].str());
        } else if (is(kDealt)) {
            m_t.dealtTo.push_back(m_match[1].str());
        } else if (is(kStreet)) {
            m_t.flop = true;
            m_live.clear();
            m_bet = 0;
        } else if (!is(kOtherLine)) {
            Fail("a line of no known shape: " + line);
        }
    }

    void Fail(const std::string& what)
    {
        if (m_t.error.empty())
            m_t.error = what;
    }

private:
    void Put(const std::string& player, std::int64_t amount)
    {
        m_t.contributions[player] += amount;
        m_t.putIn += amount;
    }

    HandTally& m_t;
    boost::smatch m_match;
    std::map<std::string, std::int64_t> m_live; // on the current street
    std::int64_t m_bet = 0;                     // the street's bet to call
};

} // namespace

std::vector<std::vector<std::string>> SplitHands(const std::string& text)
{
    std::vector<std::vector<std::string>> hands;
    for (std::size_t start = 0, end = 0; start < text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        if (line.find("PokerStars ") != std::string::npos &&
            line.find(" Hand #") != std::string::npos)
            hands.emplace_back();
        if (!hands.empty())
            hands.back().push_back(std::move(line));
    }
    return hands;
}

HandTally TallyHand(const std::vector<std::string>& lines)
{
    HandTally tally;
    Tally reader(tally);
    reader.Header(lines.at(0));
    for (std::size_t i = 1; i < lines.size(); ++i)
        reader.Take(lines[i]);
    for (const auto& [player, amount] : tally.contributions) {
        if (amount < 0)
            reader.Fail(player + " took out more than was put in");
    }
    if (tally.putIn != tally.pot)
        reader.Fail("the pot is not what was put in");
    if (tally.collected != tally.pot - tally.rake)
        reader.Fail("the collected amounts are not the pot less the rake");
    if (tally.rake * 100 > tally.pot * 7 + 100 || (!tally.flop && tally.rake != 0))
        reader.Fail("the rake is more than a rake is, or taken without a flop");
    return tally;
}

} // namespace zellwick::test

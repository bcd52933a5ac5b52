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

const boost::regex
    kHeader("(?:\xEF\xBB\xBF)?PokerStars (Zoom )?Hand #\\d+: {1,2}Hold'em (?:No|Pot) "
            "Limit \\((" AMT ")/(" AMT ")( USD| EUR| GBP)?\\) - " TIME " (ET|[A-Z]+ \\[" TIME
            " ET\\])");
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

const boost::regex kOtherLines[] = {
    boost::regex("Seat \\d+: .+ \\(" AMT " in chips\\)(?: is sitting out)? ?"),
    boost::regex("\\*\\*\\* (?:HOLE CARDS|SHOW DOWN|SUMMARY) \\*\\*\\*"),
    boost::regex(".+: (?:folds|checks|mucks hand|doesn't show hand|sits out|is sitting out) ?"),
    boost::regex(".+: folds " CARDS),
    boost::regex(".+: shows " CARDS " \\(.+\\)"),
    boost::regex("Board " CARDS),
    boost::regex("Seat \\d+: .+?(?: \\(button\\))?(?: \\(small blind\\))?(?: \\(big blind\\))?"
                 "(?: folded (?:before Flop(?: \\(didn't bet\\))?|on the (?:Flop|Turn|River))"
                 "| collected \\(" AMT "\\)| showed " CARDS " and (?:won \\(" AMT
                 "\\) with .+|lost with .+)| mucked " CARDS ")? ?"),
    boost::regex(".+ (?:has timed out|has timed out while disconnected|leaves the table|is sitting "
                 "out|is disconnected|is "
                 "connected|has returned|will be allowed to play after the button|was removed "
                 "from the table for failing to post) ?"),
    boost::regex(".+ joins the table at seat #\\d+ ?"),
    boost::regex(".+ said, \".*\""),
    boost::regex(""),
};

bool Matches(const std::string& line, const boost::regex& pattern, boost::smatch& match)
{
    return boost::regex_match(line, match, pattern);
}

// One of the client's lines that carry no money.
bool IsOtherClientLine(const std::string& line)
{
    boost::smatch match;
    return std::any_of(std::begin(kOtherLines), std::end(kOtherLines),
                       [&](const boost::regex& pattern) { return Matches(line, pattern, match); });
}

// "$1,234.50" -> 123450, "€2" -> 200; -1 when it is no amount.
std::int64_t ParseCents(const std::string& amount)
{
    std::size_t i = amount.find_first_of("0123456789");
    if (i == std::string::npos)
        return -1;
    std::int64_t units = 0;
    for (; i < amount.size() &&
           (std::isdigit(static_cast<unsigned char>(amount[i])) || amount[i] == ',');
         ++i) {
        if (amount[i] != ',')
            units = units * 10 + (amount[i] - '0');
    }
    std::int64_t cents = units * 100;
    if (i + 2 < amount.size() && amount[i] == '.')
        cents += (amount[i + 1] - '0') * 10 + (amount[i + 2] - '0');
    return cents;
}

int CurrencyOf(const std::string& amount)
{
    if (amount.rfind("$", 0) == 0)
        return 0;
    return amount.rfind("\xE2\x82\xAC", 0) == 0 ? 1 : 2;
}

struct Street
{
    std::map<std::string, std::int64_t> live;
    std::int64_t currentBet = 0;
};

class Tally
{
public:
    explicit Tally(HandTally& tally) : m_tally(tally) {}

    void Header(const std::string& line)
    {
        boost::smatch match;
        if (!Matches(line, kHeader, match))
            return Fail("header: " + line);
        m_tally.zoom = match[1].matched;
        m_tally.currency = CurrencyOf(match[2].str());
        m_tally.bigBlind = ParseCents(match[3].str());
        const std::string code = match[4].str();
        const char* codes[] = {" USD", " EUR", " GBP"};
        if (m_tally.zoom != code.empty() || (!code.empty() && code != codes[m_tally.currency]))
            Fail("currency code: " + line);
        m_street.currentBet = m_tally.bigBlind;
    }

    void Take(const std::string& line)
    {
        boost::smatch match;
        if (Matches(line, kTable, match)) {
            m_tally.seats = std::stoi(match[1].str());
        } else if (Matches(line, kPost, match)) {
            Post(match[1].str(), match[2].str(), ParseCents(match[3].str()));
        } else if (Matches(line, kCallOrBet, match)) {
            const std::int64_t amount = ParseCents(match[3].str());
            Put(match[1].str(), amount);
            m_street.live[match[1].str()] += amount;
            if (match[2].str() == "bets" && m_street.currentBet != 0)
                Fail("a bet into a bet: " + line);
            if (match[2].str() == "calls" && m_street.live[match[1].str()] > m_street.currentBet)
                Fail("a call above the bet: " + line);
            m_street.currentBet = std::max(m_street.currentBet, m_street.live[match[1].str()]);
        } else if (Matches(line, kRaise, match)) {
            Raise(match[1].str(), ParseCents(match[2].str()), ParseCents(match[3].str()), line);
        } else if (Matches(line, kUncalled, match)) {
            const std::int64_t amount = ParseCents(match[1].str());
            Put(match[2].str(), -amount);
        } else if (Matches(line, kCollected, match)) {
            m_tally.collected += ParseCents(match[2].str());
        } else if (Matches(line, kTotal, match)) {
            m_tally.pot = ParseCents(match[1].str());
            m_tally.rake = ParseCents(match[3].str());
        } else if (Matches(line, kDealt, match)) {
            m_tally.dealtTo.push_back(match[1].str());
        } else if (Matches(line, kStreet, match)) {
            m_tally.flop = true;
            m_street = Street();
        } else if (!IsOtherClientLine(line)) {
            Fail("a line of no known shape: " + line);
        }
    }

private:
    void Fail(const std::string& what)
    {
        if (m_tally.error.empty())
            m_tally.error = what;
    }

    void Put(const std::string& player, std::int64_t amount)
    {
        m_tally.contributions[player] += amount;
        m_tally.putIn += amount;
    }

    void Post(const std::string& player, const std::string& what, std::int64_t amount)
    {
        Put(player, amount);
        if (what == "the ante")
            return; // dead money
        // Of small & big blinds, only the big blind is live.
        const std::int64_t live = what == "small & big blinds" ? m_tally.bigBlind : amount;
        m_street.live[player] = live;
    }

    void Raise(const std::string& player, std::int64_t by, std::int64_t to, const std::string& line)
    {
        if (to - m_street.currentBet != by)
            Fail("a raise whose two amounts disagree: " + line);
        Put(player, to - m_street.live[player]);
        m_street.live[player] = to;
        m_street.currentBet = to;
    }

    HandTally& m_tally;
    Street m_street;
};

} // namespace

std::vector<std::vector<std::string>> SplitHands(const std::string& text)
{
    std::vector<std::vector<std::string>> hands;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
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
    if (!tally.error.empty())
        return tally;
    for (const auto& [player, amount] : tally.contributions) {
        if (amount < 0)
            tally.error = player + " took out more than was put in";
    }
    if (tally.putIn != tally.pot)
        tally.error = "the pot is not what was put in";
    else if (tally.collected != tally.pot - tally.rake)
        tally.error = "the collected amounts are not the pot less the rake";
    else if (tally.rake * 100 > tally.pot * 7 + 100 || (!tally.flop && tally.rake != 0))
        tally.error = "the rake is more than a rake is, or taken without a flop";
    return tally;
}

} // namespace zellwick::test

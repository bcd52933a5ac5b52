#include "tools/zellwick-genhands/GenCommand.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zellwick::genhands {

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr std::size_t kFlushBytes = 4 << 20;

std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::size_t end = comma == std::string::npos ? text.size() : comma;
        items.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

bool ParseUnsigned(const std::string& text, std::uint64_t& value)
{
    if (text.empty() || text.size() > 19)
        return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

bool ParseCurrency(std::string text, Currency& currency)
{
    for (char& c : text)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (text == "USD" || text == "$")
        currency = Currency::Dollar;
    else if (text == "EUR" || text == "\xE2\x82\xAC")
        currency = Currency::Euro;
    else if (text == "GBP" || text == "\xC2\xA3")
        currency = Currency::Pound;
    else
        return false;
    return true;
}

std::string StakesList()
{
    std::string list;
    for (const Stakes& stakes : StandardStakes()) {
        if (!list.empty())
            list += ", ";
        auto units = [](std::int64_t cents) {
            std::string text = std::to_string(cents / 100);
            if (cents % 100 != 0) {
                text += '.';
                text += static_cast<char>('0' + cents % 100 / 10);
                text += static_cast<char>('0' + cents % 10);
            }
            return text;
        };
        list += units(stakes.smallBlind) + "/" + units(stakes.bigBlind);
    }
    return list;
}

bool ApplyOption(GenCommand& command, const std::string& name, const std::string& value,
                 std::string& error)
{
    std::uint64_t number = 0;
    if (name == "--seed") {
        if (!ParseUnsigned(value, command.generator.seed))
            error = "--seed needs a whole number, not \"" + value + "\"";
    } else if (name == "--hands") {
        if (!ParseUnsigned(value, number) || number > 1000000000000ULL)
            error = "--hands needs a whole number, not \"" + value + "\"";
        command.hands = static_cast<std::int64_t>(number);
    } else if (name == "--hero") {
        if (value.empty() || value.find_first_of("\r\n") != std::string::npos)
            error = "--hero needs a nickname on one line";
        command.generator.hero = value;
    } else if (name == "--out") {
        command.out = value;
    } else if (name == "--truth") {
        command.truth = value;
    } else if (name == "--stakes") {
        command.generator.stakes.clear();
        for (const std::string& item : SplitList(value)) {
            Stakes stakes;
            if (item == "all")
                continue;
            if (!ParseStakes(item, stakes)) {
                error = "unknown stakes \"" + item + "\"; the levels are " + StakesList();
                break;
            }
            command.generator.stakes.push_back(stakes);
        }
    } else if (name == "--currency") {
        command.generator.currencies.clear();
        for (const std::string& item : SplitList(value)) {
            Currency currency;
            if (!ParseCurrency(item, currency)) {
                error = "unknown currency \"" + item + "\"; use USD, EUR or GBP";
                break;
            }
            command.generator.currencies.push_back(currency);
        }
    } else if (name == "--kind") {
        if (value == "cash")
            command.generator.kind = TableKind::Cash;
        else if (value == "zoom")
            command.generator.kind = TableKind::Zoom;
        else if (value == "mixed")
            command.generator.kind = TableKind::Mixed;
        else
            error = "--kind is cash, zoom or mixed, not \"" + value + "\"";
    } else if (name == "--append-every") {
        char* end = nullptr;
        const double seconds = std::strtod(value.c_str(), &end);
        if (value.empty() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0 ||
            seconds > 86400)
            error = "--append-every needs seconds between 0 and 86400, not \"" + value + "\"";
        command.appendEvery = seconds;
    } else {
        error = "unknown option " + name;
    }
    return error.empty();
}

} // namespace

std::optional<GenCommand> ParseGenCommand(const std::vector<std::string>& args, std::string& error)
{
    GenCommand command;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            command.help = true;
            return command;
        }
        if (arg == "--no-bom") {
            command.bom = false;
            continue;
        }
        if (arg.rfind("--", 0) != 0) {
            error = "unexpected argument \"" + arg + "\"";
            return std::nullopt;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = name + " needs a value";
            return std::nullopt;
        }
        if (!ApplyOption(command, name, value, error))
            return std::nullopt;
    }
    if (command.hands < 0 && command.appendEvery <= 0) {
        error = "say how many hands with --hands N";
        return std::nullopt;
    }
    if (command.appendEvery > 0 && command.out.empty()) {
        error = "--append-every needs a file to append to (--out FILE)";
        return std::nullopt;
    }
    return command;
}

const char* GenHelpText()
{
    return R"(Usage: zellwick-genhands --hands N [options]

Writes PokerStars cash-game hand histories as the poker client writes them, the same hands for
the same seed, and on request the truth about every hand: pot, rake, the hero's money in the
pot and the hero's VPP in hundredths.

Options:
  --seed N              the seed (default 1)
  --hands N             how many hands; with --append-every, 0 or absent means forever
  --hero NICK           the hero's nickname (default Hero)
  --out FILE            write to FILE instead of standard output (a new file starts with a
                        byte-order mark, as the client's files do; --no-bom leaves it out)
  --truth FILE.json     write the truth per hand and the totals as one JSON object
  --stakes LIST         blind levels to deal, comma-separated, e.g. 0.01/0.02,1/2
                        (default all: 0.01/0.02 to 100/200)
  --currency LIST       currencies to deal: USD, EUR, GBP (default all three)
  --kind cash|zoom|mixed  regular tables, Zoom pools or both (default mixed)
  --append-every SECONDS  append one whole hand to --out every SECONDS seconds, as a client
                        does while the hero plays; the truth file is rewritten after each
  --no-bom              no byte-order mark at the start of a new file
  --help                this text

Exit status: 0 done, 1 a file could not be written, 2 a mistake in the options.
)";
}

namespace {

class Output
{
public:
    bool Open(const std::string& path, bool bom, std::string& error)
    {
        m_path = path.empty() ? "standard output" : path;
        m_file = path.empty() ? stdout : std::fopen(path.c_str(), "wb");
        if (!m_file) {
            error = "cannot write " + path + ": " + std::strerror(errno);
            return false;
        }
        return !bom || path.empty() || Write(kBom, error);
    }

    bool Write(const std::string& bytes, std::string& error)
    {
        if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
            error = "cannot write " + m_path + ": " + std::strerror(errno);
            return false;
        }
        return true;
    }

    bool Close(std::string& error)
    {
        const bool flushed = std::fflush(m_file) == 0;
        const int closeError = m_file == stdout || std::fclose(m_file) == 0 ? 0 : errno;
        m_file = nullptr;
        if (!flushed || closeError != 0) {
            error = "cannot write " + m_path + ": " + std::strerror(flushed ? closeError : errno);
            return false;
        }
        return true;
    }

    ~Output()
    {
        if (m_file && m_file != stdout)
            std::fclose(m_file);
    }

private:
    std::FILE* m_file = nullptr;
    std::string m_path;
};

class Progress
{
public:
    explicit Progress(std::int64_t total) : m_total(total)
    {
        m_shown = total >= 100000 && ::isatty(STDERR_FILENO) == 1;
    }
    void Update(std::int64_t done)
    {
        if (m_shown && (done % 10000 == 0 || done == m_total))
            std::fprintf(stderr, "\rzellwick-genhands: %lld of %lld hands",
                         static_cast<long long>(done), static_cast<long long>(m_total));
    }
    ~Progress()
    {
        if (m_shown)
            std::fputc('\n', stderr);
    }

private:
    std::int64_t m_total;
    bool m_shown = false;
};

bool WriteWhole(const std::string& path, const std::string& bytes, std::string& error)
{
    // Aside first, then renamed into place: a reader never sees half a file.
    const std::string aside = path + ".part";
    Output output;
    if (!output.Open(aside, false, error) || !output.Write(bytes, error) || !output.Close(error))
        return false;
    if (std::rename(aside.c_str(), path.c_str()) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool AppendHand(const std::string& path, std::string hand, bool bom, std::string& error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat info
    {};
    if (bom && ::fstat(fd, &info) == 0 && info.st_size == 0)
        hand.insert(0, kBom);
    std::size_t written = 0;
    while (written < hand.size()) {
        const ssize_t result = ::write(fd, hand.data() + written, hand.size() - written);
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0) {
            error = "cannot write " + path + ": " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        written += static_cast<std::size_t>(result);
    }
    if (::close(fd) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool RunAtOnce(const GenCommand& command, std::string& error)
{
    HandGenerator generator(command.generator);
    TruthJson truth(command.generator.hero, command.generator.seed);
    Output out;
    Output truthOut;
    if (!out.Open(command.out, command.bom, error))
        return false;
    const bool withTruth = !command.truth.empty();
    if (withTruth && !truthOut.Open(command.truth, false, error))
        return false;
    Progress progress(command.hands);
    std::string text;
    for (std::int64_t i = 0; i < command.hands; ++i) {
        const HandTruth hand = generator.Next(text);
        if (withTruth)
            truth.Add(hand);
        if (text.size() >= kFlushBytes) {
            if (!out.Write(text, error))
                return false;
            text.clear();
        }
        if (truth.PendingSize() >= kFlushBytes && !truthOut.Write(truth.TakePending(), error))
            return false;
        progress.Update(i + 1);
    }
    if (!out.Write(text, error) || !out.Close(error))
        return false;
    return !withTruth ||
           (truthOut.Write(truth.TakePending() + truth.Closing(), error) && truthOut.Close(error));
}

bool RunAppending(const GenCommand& command, std::string& error)
{
    HandGenerator generator(command.generator);
    TruthJson truth(command.generator.hero, command.generator.seed);
    std::string truthSoFar;
    const auto pause = std::chrono::duration<double>(command.appendEvery);
    for (std::int64_t i = 0; command.hands <= 0 || i < command.hands; ++i) {
        if (i > 0)
            std::this_thread::sleep_for(pause);
        std::string hand;
        truth.Add(generator.Next(hand));
        if (!AppendHand(command.out, std::move(hand), command.bom, error))
            return false;
        if (!command.truth.empty()) {
            truthSoFar += truth.TakePending();
            if (!WriteWhole(command.truth, truthSoFar + truth.Closing(), error))
                return false;
        }
    }
    return true;
}

} // namespace

int RunGenCommand(const GenCommand& command)
{
    std::string error;
    const bool done =
        command.appendEvery > 0 ? RunAppending(command, error) : RunAtOnce(command, error);
    if (!done) {
        std::fprintf(stderr, "zellwick-genhands: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace zellwick::genhands

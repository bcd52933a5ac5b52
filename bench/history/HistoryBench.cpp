// The hand analysis against the floor its regular expressions set, and the counting of a
// million-hand file against a plain read of the same bytes. Each ratio is measured in one run.

#include "corvask/corvask.h"
#include "history/HandAnalysis.h"
#include "history/HandPatterns.h"
#include "tools/zellwick-count/HistoryCount.h"
#include "tools/zellwick-genhands/HandGenerator.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
// The machine is shared, so time is the processor time of this thread: the work itself,
// not the waits for a turn on a core.
struct Clock
{
    using time_point = double;
    static double now()
    {
        timespec cpuTime{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuTime);
        return static_cast<double>(cpuTime.tv_sec) + static_cast<double>(cpuTime.tv_nsec) * 1e-9;
    }
};

double Seconds(double from, double to)
{
    return to - from;
}

// A folder of its own for the generated files, removed when the program ends.
class Scratch
{
public:
    Scratch()
    {
        std::string pattern = (fs::temp_directory_path() / "zellwick-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        m_folder = pattern;
    }
    ~Scratch()
    {
        std::error_code error;
        fs::remove_all(m_folder, error);
    }
    fs::path File(const std::string& name) const { return m_folder / name; }

private:
    fs::path m_folder;
};

Scratch& TheScratch()
{
    static Scratch scratch;
    return scratch;
}

// Writes hands from the generator to a file, as a client would have; returns the file.
fs::path GenerateFile(const std::string& name, int hands,
                      std::vector<zellwick::genhands::HandTruth>* truth = nullptr)
{
    const fs::path file = TheScratch().File(name);
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (!out)
        std::abort();
    zellwick::genhands::GeneratorOptions options;
    options.seed = 20240601;
    zellwick::genhands::HandGenerator generator(options);
    std::string text;
    for (int i = 0; i < hands; ++i) {
        const auto hand = generator.Next(text);
        if (truth)
            truth->push_back(hand);
        if (text.size() > (4u << 20) || i + 1 == hands) {
            std::fwrite(text.data(), 1, text.size(), out);
            text.clear();
        }
    }
    std::fclose(out);
    return file;
}

// 100,000 hands in memory, as the history reader hands them over.
struct Corpus
{
    HandLines lines;
    std::vector<std::size_t> headers;    // the first line of each hand
    std::vector<std::size_t> tableLines; // table lines of hands with rake, which the analysis reads
};

const Corpus& HundredThousandHands()
{
    static const Corpus corpus = [] {
        Corpus built;
        std::vector<zellwick::genhands::HandTruth> truth;
        const fs::path file = GenerateFile("corpus.txt", 100000, &truth);
        std::int64_t offset = 0;
        if (ReadHistoryFileUTF8(file.wstring(), offset, built.lines) != 0)
            std::abort();
        std::size_t hand = 0;
        for (std::size_t i = 0; i < built.lines.size(); ++i) {
            const std::wstring& line = built.lines[i];
            if (line.rfind(L"PokerStars ", 0) == 0)
                built.headers.push_back(i);
            else if (line.rfind(L"Table '", 0) == 0 && truth[hand++].rakeCents > 0)
                built.tableLines.push_back(i);
        }
        fs::remove(file);
        return built;
    }();
    return corpus;
}

double ParseOnce(const Corpus& corpus)
{
    std::int32_t hands = 0, vppCents = 0;
    double vpp = 0;
    const std::wstring hero = L"Hero";
    HandHistoryParser parser(hero, RunningTotals{hands, vppCents, vpp}, nullptr);
    const auto start = Clock::now();
    parser.ParseHandHistory(corpus.lines);
    const double seconds = Seconds(start, Clock::now());
    if (hands != static_cast<std::int32_t>(corpus.headers.size()))
        std::abort();
    benchmark::DoNotOptimize(vppCents);
    return seconds;
}

// The matches the analysis cannot do without: each header against the expression it fits, and
// the table line of every hand with rake.
double MatchOnce(const Corpus& corpus)
{
    namespace hx = zellwick::history;
    boost::wcmatch groups;
    int matched = 0;
    const auto start = Clock::now();
    for (const std::size_t i : corpus.headers) {
        const std::wstring& header = corpus.lines[i];
        const bool bracketed = header.back() == L']';
        matched += hx::MatchWhole(
            header, bracketed ? hx::HeaderWithSecondTimePattern() : hx::HeaderPattern(), groups);
    }
    for (const std::size_t i : corpus.tableLines)
        matched += hx::MatchWhole(corpus.lines[i], hx::TablePattern(), groups);
    const double seconds = Seconds(start, Clock::now());
    if (matched != static_cast<int>(corpus.headers.size() + corpus.tableLines.size()))
        std::abort();
    return seconds;
}

void BM_ParseHandHistoryAgainstItsRegexFloor(benchmark::State& state)
{
    const Corpus& corpus = HundredThousandHands();
    double parse = 0, match = 0;
    for (auto _ : state) {
        const double parseSeconds = ParseOnce(corpus);
        match += MatchOnce(corpus);
        parse += parseSeconds;
        state.SetIterationTime(parseSeconds);
    }
    const double hands = static_cast<double>(corpus.headers.size()) * state.iterations();
    state.counters["hands_per_s"] = hands / parse;
    state.counters["regex_only_hands_per_s"] = hands / match;
    state.counters["analysis_over_regex"] = parse / match;
}
BENCHMARK(BM_ParseHandHistoryAgainstItsRegexFloor)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

const fs::path& MillionHandFile()
{
    static const fs::path file = GenerateFile("HH million.txt", 1000000);
    return file;
}

double ReadPlainly(const fs::path& file, std::uint64_t& bytes)
{
    const auto start = Clock::now();
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        std::abort();
    std::vector<char> buffer(zellwick::count::kChunkBytes);
    bytes = 0;
    for (ssize_t got; (got = ::read(fd, buffer.data(), buffer.size())) > 0;)
        bytes += static_cast<std::uint64_t>(got);
    ::close(fd);
    return Seconds(start, Clock::now());
}

// Reading and decoding alone, in the pieces the count reads: where the count's time goes.
double DecodeOnly(const fs::path& file)
{
    const auto start = Clock::now();
    const std::wstring path = file.wstring();
    std::int64_t offset = 0;
    HandLines lines;
    for (;;) {
        const std::int64_t before = offset;
        if (ReadHistoryFileUTF8Reusing(path, offset, lines, zellwick::count::kChunkBytes) != 0)
            std::abort();
        if (offset == before)
            break;
        benchmark::DoNotOptimize(lines.data());
    }
    return Seconds(start, Clock::now());
}

void BM_CountMillionHandFileAgainstPlainRead(benchmark::State& state)
{
    const fs::path& file = MillionHandFile();
    double count = 0, read = 0, decode = 0;
    std::uint64_t bytes = 0;
    std::int64_t hands = 0;
    for (auto _ : state) {
        read += ReadPlainly(file, bytes);
        decode += DecodeOnly(file);
        const auto start = Clock::now();
        const auto counted = zellwick::count::CountHistoryFile(file, L"Hero");
        const double seconds = Seconds(start, Clock::now());
        if (counted.error != 0 || counted.hands != 1000000)
            std::abort();
        hands += counted.hands;
        count += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["hands_per_s"] = static_cast<double>(hands) / count;
    state.counters["MB_per_s"] = static_cast<double>(bytes) * state.iterations() / 1e6 / count;
    state.counters["plain_read_MB_per_s"] =
        static_cast<double>(bytes) * state.iterations() / 1e6 / read;
    state.counters["count_over_read"] = count / read;
    state.counters["decode_share_of_count"] = decode / count;
}
BENCHMARK(BM_CountMillionHandFileAgainstPlainRead)
    ->UseManualTime()
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

} // namespace

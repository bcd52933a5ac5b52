// The history handler reading a large append in pieces against one read of the same text as
// a single block: the pieces bound the memory and should cost nothing in speed.

#include "corvask/corvask.h"
#include "history/DirectoryChangeHandlerHistory.h"
#include "history/HandAnalysis.h"
#include "tools/zellwick-genhands/HandGenerator.h"
#include "watch/PathText.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kAppendBytes = std::size_t{32} << 20;

class NoLog : public HistoryLog
{
public:
    void WriteLog(const std::wstring&) override {}
    void WriteRaw(const std::wstring&) override {}
};

// One file of generated hands, written once and removed when the program ends.
class AppendedFile
{
public:
    AppendedFile()
    {
        std::string pattern = (fs::temp_directory_path() / "zellwick-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        m_folder = pattern;
        zellwick::genhands::HandGenerator generator(zellwick::genhands::GeneratorOptions{});
        std::string text;
        while (text.size() < kAppendBytes)
            generator.Next(text);
        std::ofstream(m_folder / "HH bench.txt", std::ios::binary) << text;
        m_key = zellwick::watch::WideFromNative((m_folder / "HH bench.txt").native());
        m_size = text.size();
    }
    ~AppendedFile()
    {
        std::error_code error;
        fs::remove_all(m_folder, error);
    }
    const std::wstring& Key() const { return m_key; }
    std::size_t Size() const { return m_size; }

private:
    fs::path m_folder;
    std::wstring m_key;
    std::size_t m_size = 0;
};

const AppendedFile& File()
{
    static const AppendedFile file;
    return file;
}

struct Totals
{
    std::int32_t hands = 0;
    std::int32_t vppCents = 0;
    double vpp = 0.0;
};

void BM_HandlerReadsTheAppendInPieces(benchmark::State& state)
{
    const std::wstring hero = L"Hero";
    NoLog log;
    for (auto _ : state) {
        Totals totals;
        HandHistoryParser parser(hero, RunningTotals{totals.hands, totals.vppCents, totals.vpp},
                                 &log);
        FileOffsetMap offsets{{File().Key(), 0}};
        CDirectoryChangeHandlerHistory handler(&offsets, parser, log);
        handler.OnFileModified(File().Key());
        benchmark::DoNotOptimize(totals.hands);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * File().Size()));
}
BENCHMARK(BM_HandlerReadsTheAppendInPieces)->Unit(benchmark::kMillisecond);

void BM_OneReadAsOneBlock(benchmark::State& state)
{
    const std::wstring hero = L"Hero";
    NoLog log;
    for (auto _ : state) {
        Totals totals;
        HandHistoryParser parser(hero, RunningTotals{totals.hands, totals.vppCents, totals.vpp},
                                 &log);
        std::int64_t offset = 0;
        HandLines lines;
        if (ReadHistoryFileUTF8(File().Key(), offset, lines) != 0)
            state.SkipWithError("cannot read the file");
        parser.ParseHandHistory(lines);
        benchmark::DoNotOptimize(totals.hands);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * File().Size()));
}
BENCHMARK(BM_OneReadAsOneBlock)->Unit(benchmark::kMillisecond);

} // namespace

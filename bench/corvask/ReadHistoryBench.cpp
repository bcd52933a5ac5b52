// Reading speed of ReadHistoryFileUTF8 over a generated 50 MB history-like file.

#include "corvask/corvask.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kFileSize = 50u * 1000u * 1000u;

// Plain ASCII hands, as the client writes them, with the given line end.
std::string MakeHands(const std::string& lineEnd)
{
    const char* const hand[] = {
        "PokerStars Hand #212345678901:  Hold'em No Limit ($0.01/$0.02 USD) - "
        "2020/04/16 21:03:11 ET",
        "Table 'Aksnes II' 9-max Seat #4 is the button",
        "Seat 1: pokerHero1 ($2.13 in chips)",
        "Seat 2: Player2 ($1.87 in chips)",
        "pokerHero1: posts small blind $0.01",
        "Player2: posts big blind $0.02",
        "*** HOLE CARDS ***",
        "Dealt to pokerHero1 [Ah Kd]",
        "pokerHero1: raises $0.04 to $0.06",
        "Player2: calls $0.04",
        "*** FLOP *** [7c 2d Js]",
        "Uncalled bet ($0.06) returned to pokerHero1",
        "*** SUMMARY ***",
        "Total pot $0.12 | Rake $0",
        "",
        "",
        ""};
    std::string text;
    text.reserve(kFileSize + 4096);
    while (text.size() < kFileSize) {
        for (const char* line : hand)
            text += std::string(line) + lineEnd;
    }
    return text;
}

// A temporary folder holding one generated file, removed when the program ends.
class GeneratedFile
{
public:
    explicit GeneratedFile(const std::string& lineEnd)
    {
        std::string pattern = (fs::temp_directory_path() / "corvask-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        m_folder = pattern;
        m_path = m_folder / "HH20200416 Aksnes II.txt";
        const std::string text = MakeHands(lineEnd);
        m_size = text.size();
        std::FILE* file = std::fopen(m_path.c_str(), "wb");
        if (!file || std::fwrite(text.data(), 1, text.size(), file) != text.size())
            std::abort();
        std::fclose(file);
    }
    ~GeneratedFile()
    {
        std::error_code ec;
        fs::remove_all(m_folder, ec);
    }
    GeneratedFile(const GeneratedFile&) = delete;
    GeneratedFile& operator=(const GeneratedFile&) = delete;

    std::wstring path() const { return m_path.wstring(); }
    std::size_t size() const { return m_size; }

private:
    fs::path m_folder;
    fs::path m_path;
    std::size_t m_size = 0;
};

void ReadWhole(benchmark::State& state, const GeneratedFile& file)
{
    for (auto _ : state) {
        std::int64_t offset = 0;
        std::vector<std::wstring> lines;
        if (ReadHistoryFileUTF8(file.path(), offset, lines) != 0)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

// Following a large file in bounded memory: 4 MiB per call until the end.
void ReadInSlices(benchmark::State& state, const GeneratedFile& file)
{
    for (auto _ : state) {
        std::int64_t offset = 0;
        while (offset < static_cast<std::int64_t>(file.size())) {
            std::vector<std::wstring> lines;
            if (ReadHistoryFileUTF8(file.path(), offset, lines, 4u << 20) != 0) {
                state.SkipWithError("read failed");
                break;
            }
            benchmark::DoNotOptimize(lines.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

// The same slices into one vector whose strings are read into again, as the counting tool reads.
void ReadInSlicesReusing(benchmark::State& state, const GeneratedFile& file)
{
    std::vector<std::wstring> lines;
    for (auto _ : state) {
        std::int64_t offset = 0;
        while (offset < static_cast<std::int64_t>(file.size())) {
            if (ReadHistoryFileUTF8Reusing(file.path(), offset, lines, 4u << 20) != 0) {
                state.SkipWithError("read failed");
                break;
            }
            benchmark::DoNotOptimize(lines.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

const GeneratedFile& LfFile()
{
    static const GeneratedFile file("\n");
    return file;
}

void BM_ReadWholeFileLf(benchmark::State& state)
{
    ReadWhole(state, LfFile());
}

void BM_ReadWholeFileCrLf(benchmark::State& state)
{
    static const GeneratedFile file("\r\n");
    ReadWhole(state, file);
}

void BM_ReadFileInSlicesLf(benchmark::State& state)
{
    ReadInSlices(state, LfFile());
}

void BM_ReadFileInSlicesReusingLf(benchmark::State& state)
{
    ReadInSlicesReusing(state, LfFile());
}

} // namespace

BENCHMARK(BM_ReadWholeFileLf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadWholeFileCrLf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFileInSlicesLf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFileInSlicesReusingLf)->Unit(benchmark::kMillisecond);

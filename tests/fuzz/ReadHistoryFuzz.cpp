// ReadHistoryFileUTF8 over arbitrary bytes: whatever the calls, offsets, limits and the way
// the file grew, the lines read piece by piece are the lines of one read from scratch.

#include "corvask/corvask.h"

#include "tests/fuzz/FuzzSupport.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using zellwick::fuzz::Check;
using Lines = std::vector<std::wstring>;

// One file for the whole run, in a folder of its own below TMPDIR, removed at exit.
class FuzzFolder
{
public:
    FuzzFolder()
    {
        const char* tmp = std::getenv("TMPDIR");
        m_folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/zellwick-fuzz-XXXXXX";
        if (!::mkdtemp(m_folder.data()))
            zellwick::fuzz::Fail("cannot create a temporary folder");
        m_file = m_folder + "/HH-fuzz.txt";
    }
    ~FuzzFolder()
    {
        ::unlink(m_file.c_str());
        ::rmdir(m_folder.c_str());
    }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

    const std::string& File() const { return m_file; }

private:
    std::string m_folder;
    std::string m_file;
};

const std::string& FuzzFile()
{
    static const FuzzFolder folder;
    return folder.File();
}

std::wstring Wide(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

void WriteBytes(std::string_view bytes, bool append)
{
    std::ofstream out(FuzzFile(), std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Check(static_cast<bool>(out), "the fuzz file can be written");
}

void CheckLines(const Lines& lines)
{
    for (const std::wstring& line : lines)
        Check(line.find_first_of(L"\r\n") == std::wstring::npos, "a line holds no line end");
}

// Reads with the byte limit until a call makes no progress; returns the lines of all calls.
Lines ReadInSteps(std::int64_t& offset, std::uint64_t limit, std::uint64_t fileSize)
{
    Lines all;
    for (std::uint64_t calls = 0;; ++calls) {
        Check(calls <= fileSize + 2, "every call that finds a line makes progress");
        const std::int64_t before = offset;
        Lines lines;
        Check(ReadHistoryFileUTF8(Wide(FuzzFile()), offset, lines, limit) == 0,
              "a limited read succeeds");
        CheckLines(lines);
        Check(offset >= 0 && static_cast<std::uint64_t>(offset) <= fileSize,
              "the offset stays within the file");
        if (lines.size() > 1) {
            // A byte-order mark is skipped; an offset past the end starts again at 0.
            const bool fromStart = before < 3 || static_cast<std::uint64_t>(before) > fileSize;
            const std::int64_t from = fromStart ? 0 : before;
            Check(static_cast<std::uint64_t>(offset - from) <= limit + 3,
                  "several lines are taken only within the limit");
        }
        if (lines.empty() && offset == before)
            return all;
        all.insert(all.end(), lines.begin(), lines.end());
    }
}

struct Whole
{
    Lines lines;
    std::int64_t offset = 0;
};

Whole ReadFrom(std::int64_t offset)
{
    Whole whole;
    whole.offset = offset;
    Check(ReadHistoryFileUTF8(Wide(FuzzFile()), whole.offset, whole.lines) == 0,
          "a read from scratch succeeds");
    CheckLines(whole.lines);
    return whole;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zellwick::fuzz::FuzzInput input(data, size);
    const std::uint8_t limitByte = input.TakeByte();
    const std::uint8_t cutByte = input.TakeByte();
    const std::uint8_t startByte = input.TakeByte();
    const std::string_view content = input.Rest();
    const std::uint64_t limit = 1 + std::uint64_t{limitByte} * limitByte;
    const std::size_t cut = content.size() * cutByte / 255;

    WriteBytes(content, false);
    const Whole whole = ReadFrom(0);

    // The same file in limited steps.
    std::int64_t offset = 0;
    Check(ReadInSteps(offset, limit, content.size()) == whole.lines, "steps give the whole");
    Check(offset == whole.offset, "steps end where the whole read ends");

    // The file as it grows: its first part, then the rest appended.
    WriteBytes(content.substr(0, cut), false);
    offset = 0;
    Lines grown = ReadInSteps(offset, limit, cut);
    WriteBytes(content.substr(cut), true);
    const Lines rest = ReadInSteps(offset, limit, content.size());
    grown.insert(grown.end(), rest.begin(), rest.end());
    Check(grown == whole.lines, "a growing file gives the lines of the whole");
    Check(offset == whole.offset, "a growing file ends where the whole read ends");

    // From any offset, even one past the end (the file counts as rewritten).
    const auto start = static_cast<std::int64_t>((content.size() + 2) * startByte / 255);
    const Whole fromStart = ReadFrom(start);
    offset = start;
    Check(ReadInSteps(offset, limit, content.size()) == fromStart.lines,
          "steps from an offset give one read from there");
    Check(offset == fromStart.offset, "steps from an offset end where one read ends");
    return 0;
}

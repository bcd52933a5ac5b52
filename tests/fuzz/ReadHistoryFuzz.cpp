// ReadHistoryFileUTF8 over arbitrary bytes: whatever the limits and the way the file grew, the
// lines read piece by piece are the lines of one read from scratch.

#include "corvask/corvask.h"

#include "tests/fuzz/FuzzSupport.h"

#include <fstream>
#include <vector>

namespace {

using zellwick::fuzz::Check;
using Lines = std::vector<std::wstring>;

// One file for the whole run, in a folder of its own below TMPDIR (scripts/fuzz removes it).
const std::string kFile = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/zellwick-fuzz-XXXXXX";
    Check(::mkdtemp(folder.data()) != nullptr, "a temporary folder can be made");
    return folder + "/HH-fuzz.txt";
}();
const std::wstring kPath(kFile.begin(), kFile.end());

void Write(std::string_view bytes, bool append)
{
    std::ofstream out(kFile, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Check(static_cast<bool>(out), "the fuzz file can be written");
}

// Reads with the byte limit (0: none) until a call makes no progress; returns all lines.
Lines Read(std::int64_t& offset, std::uint64_t limit, std::uint64_t fileSize)
{
    Lines all;
    for (std::uint64_t calls = 0;; ++calls) {
        Check(calls <= fileSize + 2, "every call that finds a line makes progress");
        const std::int64_t before = offset;
        Lines lines;
        Check(ReadHistoryFileUTF8(kPath, offset, lines, limit ? limit : UINT64_MAX) == 0,
              "a read succeeds");
        for (const std::wstring& line : lines)
            Check(line.find_first_of(L"\r\n") == std::wstring::npos, "a line holds no line end");
        Check(offset >= 0 && static_cast<std::uint64_t>(offset) <= fileSize,
              "the offset stays within the file");
        // A byte-order mark is skipped; an offset past the end starts again at 0.
        const bool fromStart = before < 3 || static_cast<std::uint64_t>(before) > fileSize;
        Check(lines.size() < 2 || limit == 0 ||
                  static_cast<std::uint64_t>(offset - (fromStart ? 0 : before)) <= limit + 3,
              "several lines are taken only within the limit");
        if (lines.empty() && offset == before)
            return all;
        all.insert(all.end(), lines.begin(), lines.end());
        Check(limit != 0 || calls == 0 || lines.empty(), "one read without a limit takes all");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zellwick::fuzz::FuzzInput input{{reinterpret_cast<const char*>(data), size}};
    const std::uint64_t limit = 1 + std::uint64_t{input.TakeByte()} * 255;
    const std::uint8_t cutByte = input.TakeByte();
    const std::string_view content = input.bytes;
    const std::size_t cut = content.size() * cutByte / 255;

    Write(content, false);
    std::int64_t wholeEnd = 0;
    const Lines whole = Read(wholeEnd, 0, content.size());
    std::int64_t offset = 0;
    Check(Read(offset, limit, content.size()) == whole, "steps give the whole");
    Check(offset == wholeEnd, "steps end where the whole read ends");

    // The file as it grows: its first part, then the rest appended.
    Write(content.substr(0, cut), false);
    offset = 0;
    Lines grown = Read(offset, limit, cut);
    Write(content.substr(cut), true);
    const Lines rest = Read(offset, limit, content.size());
    grown.insert(grown.end(), rest.begin(), rest.end());
    Check(grown == whole && offset == wholeEnd, "a growing file gives the lines of the whole");

    return 0;
}

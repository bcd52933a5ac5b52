#pragma once

// What zellwick-count prints: an aligned table, or one JSON object.

#include "tools/zellwick-count/HistoryCount.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zellwick::count {

struct CountTotal
{
    std::int64_t hands = 0;
    std::int64_t vppCents = 0;
    std::int64_t files = 0;
};

// The files that were read; those with an error are left out.
CountTotal Total(const std::vector<FileCount>& counts);

// Hundredths as points with two decimals: 1234 gives "12.34".
std::string FormatVpp(std::int64_t cents);

// One cell of an aligned table: its text, the columns it takes on a terminal, and its side.
struct Cell
{
    std::string text;
    std::size_t width = 0;
    bool left = false; // numbers stand to the right

    Cell(std::string cellText, bool toTheLeft = false);
    Cell(std::string cellText, std::size_t columns, bool toTheLeft);
};

// The rows as lines, two spaces between columns, each column as wide as its widest cell in
// all the rows; a row without cells is an empty line.
std::string AlignColumns(const std::vector<std::vector<Cell>>& rows);

// One line per counted file and a total line, the columns aligned.
std::string FormatTable(const std::vector<FileCount>& counts);

// {"files": [{"path": ..., "hands": N, "vpp_cents": N}, ...],
//  "total": {"hands": N, "vpp_cents": N, "files": N}}
std::string FormatJson(const std::vector<FileCount>& counts);

// A JSON string of the bytes: UTF-8 stays, control characters and quotes are escaped, bytes
// that are no UTF-8 become U+FFFD so the document stays valid.
void AppendJsonString(std::string& out, std::string_view bytes);

} // namespace zellwick::count

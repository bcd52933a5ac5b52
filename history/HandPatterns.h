#pragma once

// The regular expressions of the hand analysis, compiled once for the whole process. Boost's
// compiled expressions are safe to share between threads, so parallel readers use them too.

#include <boost/regex.hpp>

#include <string_view>

namespace zellwick::history {

// Header with a second, bracketed date and time; groups 3 and 4 are currency and big blind.
const boost::wregex& HeaderWithSecondTimePattern();
// The same header without the bracketed part.
const boost::wregex& HeaderPattern();
// "Table '<name>' N-max Seat #S is the button"; group 1 is N.
const boost::wregex& TablePattern();

// Whole-text match. An expression the engine gives up on (too complex for an enormous line,
// out of memory) counts as no match, so no exception leaves the analysis.
bool MatchWhole(std::wstring_view text, const boost::wregex& pattern, boost::wcmatch& groups);

} // namespace zellwick::history

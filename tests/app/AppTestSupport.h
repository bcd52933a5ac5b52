#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace zellwick::test {

// Runs check in a child process as the unprivileged user 65534 and returns its answer, or
// nothing when the child could not drop its privileges.
std::optional<bool> RunAsNobody(const std::function<bool()>& check);

// The lines of a text file, without their line feeds.
std::vector<std::string> ReadLines(const std::filesystem::path& file);

// The stamp that starts every log line: "dd.mm.yyyy  hh:mm:ss  ".
inline const std::string kStampPattern = R"(\d{2}\.\d{2}\.\d{4}  \d{2}:\d{2}:\d{2}  )";

// True when line is a stamp followed by exactly text.
bool IsStampedLine(const std::string& line, const std::string& text);

} // namespace zellwick::test

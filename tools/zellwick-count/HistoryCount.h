#pragma once

// Counting a player's history files: the hands and the hero's VPP of each file, read from its
// start and analysed as one block, the way Zellwick counts them while the player plays.

#include "history/HandAnalysis.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zellwick::count {

// Files are read in pieces of this size, so a huge file needs little memory; a piece whose
// decoded lines stay in the processor's cache while they are analysed is fastest (measured:
// 32 KiB beats 16 KiB, 64 KiB, 256 KiB and 1 MiB).
inline constexpr std::uint64_t kChunkBytes = 32u << 10;

struct FileCount
{
    std::filesystem::path path;
    std::int64_t hands = 0;
    std::int64_t vppCents = 0;
    int error = 0;   // errno when the file could not be read; it is then not counted
    std::string log; // what the analysis reported (UTF-8), when a log was asked for
};

struct PathProblem
{
    std::filesystem::path path;
    int error = 0; // errno
};

// The files the paths name: a file as it is, a folder as the files below it whose names end
// in ".txt", in name order. Folders reached twice (through links) are walked once, and a file
// reached twice is counted once. Paths that do not exist or cannot be listed are problems.
std::vector<std::filesystem::path>
CollectHistoryFiles(const std::vector<std::filesystem::path>& paths,
                    std::vector<PathProblem>& problems);

// Counts one file. withLog: keep the analysis's log lines in FileCount::log.
FileCount CountHistoryFile(const std::filesystem::path& file, const std::wstring& nickname,
                           bool withLog = false, std::uint64_t chunkBytes = kChunkBytes);

// Counts the files on up to `threads` threads (0: one per processor); the results come back
// in the order of the files, the same as when counted one after the other.
std::vector<FileCount> CountHistoryFiles(const std::vector<std::filesystem::path>& files,
                                         const std::wstring& nickname, unsigned threads,
                                         bool withLog = false);

} // namespace zellwick::count

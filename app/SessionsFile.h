#pragma once

// The sessions file: a CSV file in the per-user data folder to which the timer window adds
// one line for every play period it keeps, and which the Sessions window and zellwick-count
// read.

#include "app/SessionRecord.h"

#include <filesystem>
#include <string>
#include <vector>

// $XDG_DATA_HOME/Zellwick/sessions.csv, else ~/.local/share/Zellwick/sessions.csv; empty when
// neither is known.
std::filesystem::path SessionsFile();

// Adds the record as one line, with the header first when the file is new, and returns only
// once the line is on the disk (fsync), so a crash or a power loss after it loses nothing. A
// line left unfinished by an earlier crash is ended first, so the new record stays whole.
// Makes the folder when it is missing. False with the reason in error when it fails.
bool AppendSession(const std::filesystem::path& file, const SessionRecord& record,
                   std::string& error);

struct SessionsRead
{
    std::vector<SessionRecord> sessions; // in the file's order, oldest first as written
    std::vector<int> damagedLines;       // 1-based numbers of the lines that were skipped
    bool missing = false;                // no file yet: no sessions, and no error
    std::string error;                   // the file exists but cannot be read
};

// Every readable record of the file; a damaged line is skipped and named, the rest is kept.
SessionsRead ReadSessions(const std::filesystem::path& file);

// "Skipped damaged lines 3, 9 of <path>" for a log or an error stream; empty without any.
std::string DamagedLinesText(const SessionsRead& read, const std::filesystem::path& file);

#pragma once

// Which history files a play period follows, and from where: the scan made when the player
// presses Start.

#include <cstdint>
#include <ctime>
#include <map>
#include <string>

// A history file's full path, in the form the watcher reports it, to the byte offset of its
// next read. Ordered and compared case-sensitively.
using FileOffsetMap = std::map<std::wstring, std::int64_t>;

// Enters every history file under folder (to any depth) whose name begins with "HH" and ends
// with ".txt" and that was written at most 20 whole hours before now, at its current size.
// Never changes the current folder and never follows folder links.
void ScanHistoryFolder(const std::wstring& folder, FileOffsetMap& offsets, std::time_t now);

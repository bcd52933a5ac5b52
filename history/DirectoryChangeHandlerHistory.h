#pragma once

// Follows the history files of a watched folder: reads what was appended to a known file from
// its offset and hands the new lines to the hand analysis.

#include "history/FollowedFile.h"
#include "history/HandAnalysis.h"
#include "history/HistoryScan.h"
#include "watch/DirectoryChangeHandler.h"

#include <chrono>
#include <cstdint>
#include <ctime>
#include <map>
#include <set>
#include <string>

class CDirectoryChangeWatcher;

class CDirectoryChangeHandlerHistory : public CDirectoryChangeHandler
{
public:
    // The offsets belong to the caller (the timer window) and must outlive the handler, as
    // must the parser and the log.
    CDirectoryChangeHandlerHistory(FileOffsetMap* pOffsets, HandHistoryParser& parser,
                                   HistoryLog& log);
    // Stops the watch first, so its last reports still find the offsets and the parser.
    ~CDirectoryChangeHandlerHistory() override;

    // Starts a play period's following of folder: watches it, then enters the files that were
    // recent at now at their size (ScanHistoryFolder), so that a file made at any moment from
    // now on is read from its start. Returns the watch's result; the scan is made either way.
    std::uint32_t Follow(CDirectoryChangeWatcher& watcher, const std::wstring& folder,
                         std::time_t now);

    // A file is known by its device and inode as well as by its name: a report that a file
    // was added which is the very file already read from its start changes nothing, nor does
    // the removal of an earlier file under a name that leads to the followed one.
    void OnFileAdded(const std::wstring& strFileName) override;
    void OnFileRemoved(const std::wstring& strFileName) override;
    // Reads on from the offset. Another file under the name, or text before the offset that
    // is no longer what was read there (the file written anew), is read from its start.
    void OnFileModified(const std::wstring& strFileName) override;
    // The watched folder is gone (logged, and the period counts nothing until it is back), or
    // a folder below it could not get a watch (logged; the rest goes on counting).
    void OnReadError(std::uint32_t dwError, const std::wstring& strDirectoryName) override;
    // Takes note of the files the scan entered, and logs a folder that is watched again.
    void OnWatchStarted(std::uint32_t dwError, const std::wstring& strDirectoryName) override;
    void OnWatchStopped(const std::wstring& strDirectoryName) override;
    // A client may write one hand in several pieces: a file is read once it was quiet this
    // long. A stop reads whatever is still settling.
    std::chrono::milliseconds SettleTime() const override { return kSettleTime; }

    // What keeps this play period from counting, in one line for the player (the folder is
    // not there or not watched, a followed file cannot be read); empty while it counts.
    const std::wstring& CountingProblem() const { return m_strCountingProblem; }

    static constexpr std::chrono::milliseconds kSettleTime{100};
    // A huge amount appended at once is read and analysed in pieces of about this size.
    static constexpr std::uint64_t kReadChunkBytes = 256u << 10;
    // No client line comes near this: a longer one is skipped up to its end.
    static constexpr std::int64_t kLongLineBytes = std::int64_t{4} << 20;

private:
    using FollowedFile = zellwick::history::FollowedFile;

    void ReadFile(const std::wstring& strFileName, std::int64_t& nOffset);
    static bool SkipLongLine(int fd, std::int64_t size, std::int64_t& nOffset, FollowedFile& file);
    bool ReadAppendedText(const std::wstring& strFileName, std::int64_t& nOffset);
    void NoteBinaryText(const std::wstring& strFileName, const HandLines& lines);
    void ReadFailed(const std::wstring& strFileName, int error);
    void FileReadable(const std::wstring& strFileName);
    void SetProblem(std::wstring& slot, std::wstring text);

    FileOffsetMap* m_pOffsets;
    HandHistoryParser& m_parser;
    HistoryLog& m_log;
    std::map<std::wstring, FollowedFile> m_files;
    std::set<std::wstring> m_binaryReported; // files already logged as not being text
    std::set<std::wstring> m_watchedFolders;
    std::set<std::wstring> m_missingFolders;
    std::wstring m_strFolderProblem;
    std::wstring m_strFileProblem;
    std::wstring m_strProblemFile;
    std::wstring m_strCountingProblem;
};

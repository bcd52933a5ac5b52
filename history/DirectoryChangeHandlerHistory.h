#pragma once

// Follows the history files of a watched folder: reads what was appended to a known file from
// its offset and hands the new lines to the hand analysis.

#include "history/HandAnalysis.h"
#include "history/HistoryScan.h"
#include "watch/DirectoryChangeHandler.h"

#include <cstdint>
#include <set>
#include <string>

class CDirectoryChangeHandlerHistory : public CDirectoryChangeHandler
{
public:
    // The offsets belong to the caller (the timer window) and must outlive the handler, as
    // must the parser and the log.
    CDirectoryChangeHandlerHistory(FileOffsetMap* pOffsets, HandHistoryParser& parser,
                                   HistoryLog& log);
    // Stops the watch first, so its last reports still find the offsets and the parser.
    ~CDirectoryChangeHandlerHistory() override;

    void OnFileAdded(const std::wstring& strFileName) override;
    void OnFileRemoved(const std::wstring& strFileName) override;
    void OnFileModified(const std::wstring& strFileName) override;
    // The watch of the folder has ended (the folder was deleted, say): says so in the log.
    void OnReadError(std::uint32_t dwError, const std::wstring& strDirectoryName) override;

    // What keeps this play period from counting, in one line for the player (the folder is
    // not there or not watched, a followed file cannot be read); empty while it counts.
    const std::wstring& CountingProblem() const { return m_strCountingProblem; }

    // A huge amount appended at once is read and analysed in pieces of about this size.
    static constexpr std::uint64_t kReadChunkBytes = 256u << 10;

private:
    void ReadAppendedText(const std::wstring& strFileName, std::int64_t& nOffset);
    void NoteBinaryText(const std::wstring& strFileName, const HandLines& lines);

    FileOffsetMap* m_pOffsets;
    HandHistoryParser& m_parser;
    HistoryLog& m_log;
    std::set<std::wstring> m_binaryReported; // files already logged as not being text
    std::wstring m_strCountingProblem;
};

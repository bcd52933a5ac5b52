#pragma once

// Follows the history files of a watched folder: reads what was appended to a known file from
// its offset and hands the new lines to the hand analysis.

#include "history/HandAnalysis.h"
#include "history/HistoryScan.h"
#include "watch/DirectoryChangeHandler.h"

class CDirectoryChangeHandlerHistory : public CDirectoryChangeHandler
{
public:
    // The offsets belong to the caller (the timer window) and must outlive the handler, as
    // must the parser and the log.
    CDirectoryChangeHandlerHistory(FileOffsetMap* pOffsets, HandHistoryParser& parser,
                                   HistoryLog& log);

    void OnFileAdded(const std::wstring& strFileName) override;
    void OnFileRemoved(const std::wstring& strFileName) override;
    void OnFileModified(const std::wstring& strFileName) override;

private:
    FileOffsetMap* m_pOffsets;
    HandHistoryParser& m_parser;
    HistoryLog& m_log;
};

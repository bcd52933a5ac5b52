#include "history/DirectoryChangeHandlerHistory.h"

#include "corvask/corvask.h"
#include "watch/DirectoryChangeWatcher.h"
#include "watch/PathText.h"

#include <sys/stat.h>
#include <utility>

namespace {

// The file's size now, or -1 when it cannot be seen.
std::int64_t CurrentSize(const std::wstring& path)
{
    struct stat info = {};
    if (::stat(zellwick::watch::NativeFromWide(path).c_str(), &info) != 0)
        return -1;
    return static_cast<std::int64_t>(info.st_size);
}

bool HoldsNul(const HandLines& lines)
{
    for (const std::wstring& line : lines) {
        if (line.find(L'\0') != std::wstring::npos)
            return true;
    }
    return false;
}

} // namespace

CDirectoryChangeHandlerHistory::CDirectoryChangeHandlerHistory(FileOffsetMap* pOffsets,
                                                               HandHistoryParser& parser,
                                                               HistoryLog& log)
    : m_pOffsets(pOffsets), m_parser(parser), m_log(log)
{}

CDirectoryChangeHandlerHistory::~CDirectoryChangeHandlerHistory()
{
    UnwatchFromBoundWatcher();
}

void CDirectoryChangeHandlerHistory::OnFileAdded(const std::wstring& strFileName)
{
    (*m_pOffsets)[strFileName] = 0;
    m_binaryReported.erase(strFileName);
}

void CDirectoryChangeHandlerHistory::OnFileRemoved(const std::wstring& strFileName)
{
    m_pOffsets->erase(strFileName);
    m_binaryReported.erase(strFileName);
}

void CDirectoryChangeHandlerHistory::OnFileModified(const std::wstring& strFileName)
{
    const auto entry = m_pOffsets->find(strFileName);
    if (entry == m_pOffsets->end())
        return; // not a file this play period follows
    ReadAppendedText(strFileName, entry->second);
}

void CDirectoryChangeHandlerHistory::OnReadError(std::uint32_t dwError,
                                                 const std::wstring& strDirectoryName)
{
    m_log.WriteLog(L"Error <" + CDirectoryChangeWatcher::ErrorText(dwError) +
                   L"> while watching the history folder = " + strDirectoryName);
}

// Reads in pieces so that memory stays bounded however much was appended, and analyses the
// pieces as one block. Only what the file held when the call began is taken (give or take
// the last piece), so a writer that never pauses cannot keep the window thread here.
void CDirectoryChangeHandlerHistory::ReadAppendedText(const std::wstring& strFileName,
                                                      std::int64_t& nOffset)
{
    const std::int64_t nSizeAtStart = CurrentSize(strFileName);
    HandLines lines;
    bool bFed = false;
    for (;;) {
        lines.clear();
        const int nResult = ReadHistoryFileUTF8(strFileName, nOffset, lines, kReadChunkBytes);
        if (nResult != 0) {
            std::wstring strError;
            ErrorShow(static_cast<std::uint32_t>(nResult), strError);
            m_log.WriteLog(L"Error <" + strError + L"> while  ReadHistoryFile = " + strFileName);
            break;
        }
        if (lines.empty())
            break;
        NoteBinaryText(strFileName, lines);
        m_parser.Feed(std::move(lines)); // the parser takes the lines over: no copies
        bFed = true;
        if (nOffset >= nSizeAtStart)
            break;
    }
    // What was read before a failure has moved the offset on, so it is counted now or never.
    if (bFed)
        m_parser.Finish();
}

// A history file holds no NUL characters; one that does is damaged or not a history at all.
// Said once per file, not at every change.
void CDirectoryChangeHandlerHistory::NoteBinaryText(const std::wstring& strFileName,
                                                    const HandLines& lines)
{
    if (m_binaryReported.count(strFileName) != 0 || !HoldsNul(lines))
        return;
    m_binaryReported.insert(strFileName);
    m_log.WriteLog(L"Binary data (not text) in history file = " + strFileName);
}

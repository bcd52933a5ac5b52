#include "history/DirectoryChangeHandlerHistory.h"

#include "corvask/corvask.h"
#include "watch/DirectoryChangeWatcher.h"
#include "watch/PathText.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using zellwick::history::FindLineEnds;
using zellwick::history::LineEnds;

namespace {

// The file's size now, or -1 when it cannot be seen.
std::int64_t CurrentSize(const std::wstring& path)
{
    struct stat info = {};
    if (::stat(zellwick::watch::NativeFromWide(path).c_str(), &info) != 0)
        return -1;
    return static_cast<std::int64_t>(info.st_size);
}

bool StatPath(const std::wstring& path, struct stat& info)
{
    return ::stat(zellwick::watch::NativeFromWide(path).c_str(), &info) == 0;
}

bool HoldsNul(const HandLines& lines)
{
    for (const std::wstring& line : lines) {
        if (line.find(L'\0') != std::wstring::npos)
            return true;
    }
    return false;
}

bool IsBelow(const std::wstring& path, const std::wstring& folder)
{
    const std::wstring prefix = folder.ends_with(L'/') ? folder : folder + L'/';
    return path.starts_with(prefix);
}

class OpenFile
{
public:
    explicit OpenFile(const std::wstring& path)
        : m_fd(::open(zellwick::watch::NativeFromWide(path).c_str(),
                      O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY))
    {}
    ~OpenFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    // A regular file that could be opened and looked at.
    bool Stat(struct stat& info) const
    {
        return m_fd >= 0 && ::fstat(m_fd, &info) == 0 && S_ISREG(info.st_mode);
    }
    int Fd() const { return m_fd; }

private:
    int m_fd;
};

std::wstring ErrorText(int error)
{
    std::wstring text;
    ErrorShow(static_cast<std::uint32_t>(error), text);
    return text;
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

std::uint32_t CDirectoryChangeHandlerHistory::Follow(CDirectoryChangeWatcher& watcher,
                                                     const std::wstring& folder, std::time_t now)
{
    const std::uint32_t result = watcher.WatchDirectory(folder, this);
    ScanHistoryFolder(folder, *m_pOffsets, now);
    return result;
}

void CDirectoryChangeHandlerHistory::OnFileAdded(const std::wstring& strFileName)
{
    struct stat info = {};
    const bool exists = StatPath(strFileName, info);
    const auto known = m_files.find(strFileName);
    if (known != m_files.end() && known->second.IsReadFromStart() && exists &&
        known->second.Is(info) && m_pOffsets->count(strFileName) != 0)
        return; // a late report of the file already taken up from its start
    (*m_pOffsets)[strFileName] = 0;
    FollowedFile file = FollowedFile::FromStart();
    if (exists)
        file.Identify(info);
    m_files[strFileName] = std::move(file);
    m_binaryReported.erase(strFileName);
}

void CDirectoryChangeHandlerHistory::OnFileRemoved(const std::wstring& strFileName)
{
    struct stat info = {};
    const auto known = m_files.find(strFileName);
    if (known != m_files.end() && StatPath(strFileName, info) && known->second.Is(info))
        return; // an earlier file under the name went; the one followed is there
    m_pOffsets->erase(strFileName);
    m_files.erase(strFileName);
    m_binaryReported.erase(strFileName);
    FileReadable(strFileName);
}

void CDirectoryChangeHandlerHistory::OnFileModified(const std::wstring& strFileName)
{
    const auto entry = m_pOffsets->find(strFileName);
    if (entry == m_pOffsets->end())
        return; // not a file this play period follows
    ReadFile(strFileName, entry->second);
}

void CDirectoryChangeHandlerHistory::OnReadError(std::uint32_t dwError,
                                                 const std::wstring& strDirectoryName)
{
    const std::wstring text = CDirectoryChangeWatcher::ErrorText(dwError);
    if (m_watchedFolders.count(strDirectoryName) == 0) {
        m_log.WriteLog(L"Error <" + text + L"> while watching the history subfolder = " +
                       strDirectoryName + L" (the rest of the folder is still followed)");
        return;
    }
    m_log.WriteLog(L"Error <" + text + L"> while watching the history folder = " +
                   strDirectoryName);
    m_missingFolders.insert(strDirectoryName);
    SetProblem(m_strFolderProblem,
               dwError == ENOENT
                   ? L"History folder not found: " + strDirectoryName
                   : L"Cannot watch the history folder: " + strDirectoryName + L" (" + text + L")");
}

void CDirectoryChangeHandlerHistory::OnWatchStarted(std::uint32_t dwError,
                                                    const std::wstring& strDirectoryName)
{
    if (dwError != 0)
        return;
    m_watchedFolders.insert(strDirectoryName);
    if (m_missingFolders.erase(strDirectoryName) != 0) {
        m_log.WriteLog(L"History folder watched again = " + strDirectoryName);
        SetProblem(m_strFolderProblem, {});
    }
    // The files the scan entered: which they are, and the text before their offset, so that
    // one written anew before its first change is still told apart.
    for (const auto& [path, offset] : *m_pOffsets) {
        if (!IsBelow(path, strDirectoryName) || m_files.count(path) != 0)
            continue;
        const OpenFile open(path);
        struct stat info = {};
        if (!open.Stat(info))
            continue;
        FollowedFile& file = m_files[path];
        file.Identify(info);
        file.KeepTail(open.Fd(), offset);
    }
}

void CDirectoryChangeHandlerHistory::OnWatchStopped(const std::wstring& strDirectoryName)
{
    m_watchedFolders.erase(strDirectoryName);
    if (m_missingFolders.erase(strDirectoryName) != 0)
        SetProblem(m_strFolderProblem, {});
}

void CDirectoryChangeHandlerHistory::ReadFile(const std::wstring& strFileName,
                                              std::int64_t& nOffset)
{
    const OpenFile open(strFileName);
    struct stat info = {};
    if (!open.Stat(info)) {
        ReadAppendedText(strFileName, nOffset); // the reader names what is wrong
        return;
    }
    FollowedFile& file = m_files[strFileName];
    const int fd = open.Fd();
    if ((file.Identified() && !file.Is(info)) || info.st_size < nOffset ||
        !file.TailHolds(fd, nOffset))
        file.StartOver(nOffset); // another file under the name, or this one written anew
    file.Identify(info);
    const auto size = static_cast<std::int64_t>(info.st_size);
    LineEnds ends;
    for (;;) {
        if (file.m_bSkipping && !SkipLongLine(fd, size, nOffset, file)) {
            file.KeepTail(fd, nOffset);
            FileReadable(strFileName);
            return;
        }
        // Only the bytes not searched before: an unfinished line costs its length once,
        // however many pieces it arrives in.
        if (!FindLineEnds(fd, std::max(nOffset, file.m_nNoLineEndTo), size, ends))
            ends.first = ends.last = size; // not searched: nothing is taken as known
        const std::int64_t lineEnd = ends.first >= 0 ? ends.first : size;
        if (lineEnd - nOffset > kLongLineBytes) {
            m_log.WriteLog(L"A line longer than " + std::to_wstring(kLongLineBytes >> 20) +
                           L" MiB is skipped up to its end in history file = " + strFileName);
            file.m_bSkipping = true;
            continue;
        }
        if (ends.last < 0) {
            file.m_nNoLineEndTo = size;
            FileReadable(strFileName);
            return;
        }
        break;
    }
    if (!ReadAppendedText(strFileName, nOffset))
        return;
    // The reader took every whole line: what is left holds no line end, unless the reader
    // held back a last line (one that ends in a CR that may be half of a CRLF).
    file.m_nNoLineEndTo = nOffset > ends.last ? std::max(nOffset, size) : nOffset;
    file.KeepTail(fd, nOffset);
}

// Drops the overlong line up to its end; true once it has ended and reading may go on.
bool CDirectoryChangeHandlerHistory::SkipLongLine(int fd, std::int64_t size, std::int64_t& nOffset,
                                                  FollowedFile& file)
{
    LineEnds ends;
    if (!FindLineEnds(fd, std::max(nOffset, file.m_nNoLineEndTo), size, ends) || ends.first < 0) {
        nOffset = std::max(nOffset, size);
        file.m_nNoLineEndTo = nOffset;
        return false;
    }
    char next = 0;
    const bool haveNext = ends.first + 1 < size && ::pread(fd, &next, 1, ends.first + 1) == 1;
    if (ends.firstByte == '\r' && !haveNext) {
        nOffset = ends.first; // half of a CRLF, perhaps: look again with the next byte
        file.m_nNoLineEndTo = nOffset;
        return false;
    }
    nOffset = ends.first + (ends.firstByte == '\r' && next == '\n' ? 2 : 1);
    file.m_bSkipping = false;
    file.m_nNoLineEndTo = nOffset;
    return true;
}

// Reads in pieces so that memory stays bounded however much was appended, and analyses the
// pieces as one block. Only what the file held when the call began is taken (give or take
// the last piece), so a writer that never pauses cannot keep the window thread here.
bool CDirectoryChangeHandlerHistory::ReadAppendedText(const std::wstring& strFileName,
                                                      std::int64_t& nOffset)
{
    const std::int64_t nSizeAtStart = CurrentSize(strFileName);
    HandLines lines;
    bool bFed = false;
    bool bRead = true;
    for (;;) {
        lines.clear();
        const int nResult = ReadHistoryFileUTF8(strFileName, nOffset, lines, kReadChunkBytes);
        if (nResult != 0) {
            ReadFailed(strFileName, nResult);
            bRead = false;
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
    if (bRead)
        FileReadable(strFileName);
    return bRead;
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

void CDirectoryChangeHandlerHistory::ReadFailed(const std::wstring& strFileName, int error)
{
    const std::wstring text = ErrorText(error);
    m_log.WriteLog(L"Error <" + text + L"> while  ReadHistoryFile = " + strFileName);
    m_strProblemFile = strFileName;
    SetProblem(m_strFileProblem, L"Cannot read " + strFileName + L": " + text);
}

void CDirectoryChangeHandlerHistory::FileReadable(const std::wstring& strFileName)
{
    if (m_strProblemFile != strFileName)
        return;
    m_strProblemFile.clear();
    SetProblem(m_strFileProblem, {});
}

void CDirectoryChangeHandlerHistory::SetProblem(std::wstring& slot, std::wstring text)
{
    slot = std::move(text);
    m_strCountingProblem = !m_strFolderProblem.empty() ? m_strFolderProblem : m_strFileProblem;
}

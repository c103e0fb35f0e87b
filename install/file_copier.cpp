// The file copier: every file matching a pattern goes into one directory,
// expanded when it is stored in the LZ compressed format, with an optional
// progress window that counts stored bytes.
#include "install/file_copier.h"
#include "install/progress_window.h"
#include "setup/setup_context.h"
#include "setup/path_text.h"
#include "install/lz_expander.h"

namespace {

const int TitleSize = 64;
const int FullPercent = 100;
const DWORD NoSize = 0xFFFFFFFF;    // GetFileSize's error value

char searchPattern[CopyPathSize];
char sourcePath[CopyPathSize];
char destinationPath[CopyPathSize];

// Where the file name goes in each path.
int sourceNameStart;
int destinationNameStart;

void NoteFailure(CopyFailureHandler onFailure, const char *path)
{
    if (onFailure)
        onFailure(path);
}

int IsDirectory(const WIN32_FIND_DATAA &entry)
{
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Puts a name behind the first `start` characters of a path buffer; 0 when
// the whole would not fit (a start of CopyPathSize leaves room for none).
int PutName(char *path, int start, const char *name)
{
    if (start >= CopyPathSize)
        return 0;
    path[start] = 0;
    return AppendPath(path, CopyPathSize, name);
}

// The stored size of a file as the search found it: no file is opened
// just to be sized. Larger than 4 GB counts as NoSize.
DWORD StoredSize(const WIN32_FIND_DATAA &entry)
{
    return entry.nFileSizeHigh ? NoSize : entry.nFileSizeLow;
}

// Sum of the stored sizes of every matching file.
LONGLONG TotalStoredBytes()
{
    LONGLONG total = 0;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(searchPattern, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (IsDirectory(entry) || sourceNameStart + lstrlenA(entry.cFileName) >= CopyPathSize)
            continue;
        DWORD size = StoredSize(entry);
        if (size != NoSize)
            total += size;
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return total;
}

// Painting a report costs as much as copying a few hundred kilobytes, and
// nobody reads more than a few dozen pictures a second. A file's report is
// left out when the last paint is recent and the file, at the pace of this
// copy so far, will be done before the next paint is due anyway; so the
// name of a file that takes a while is always shown.
int PaintDue(DWORD sinceLastPaint, DWORD sinceStart, LONGLONG doneBytes, DWORD fileBytes)
{
    if (sinceLastPaint >= ProgressPaintInterval || sinceStart == 0)
        return 1;
    return (double)fileBytes * sinceStart > (double)doneBytes * ProgressPaintInterval;
}

int Percent(LONGLONG done, LONGLONG total)
{
    return (int)((double)done * FullPercent / (double)total);
}

// Expands or copies the open source into destinationPath; 1 when the
// whole file arrived. A copy that fails part-way is deleted rather than
// left truncated.
int ExpandOneFile(HANDLE source)
{
    // CreateFileA rather than OpenFile, which takes no path of
    // OFS_MAXPATHNAME (128) characters or more: a previous directory of 127
    // characters leaves no room for a file name.
    HANDLE destination = CreateFileA(destinationPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, NULL);
    if (destination == INVALID_HANDLE_VALUE)
        return 0;
    int complete = CopyExpanded(source, destination);
    CloseHandle(destination);
    if (!complete)
        DeleteFileA(destinationPath);
    return complete;
}

} // namespace

void CopyFiles(const char *sourcePattern, const char *destinationDirectory, int withProgress, const char *heading,
               CopyFailureHandler onFailure)
{
    char progressText[ProgressTextSize];
    for (int i = 0; i < ProgressTextSize; ++i)
        progressText[i] = 0;
    int headingLength = 0;
    if (heading) {
        headingLength = lstrlenA(heading);
        if (headingLength > HeadingLimit)
            headingLength = HeadingLimit;
        lstrcpynA(progressText, heading, headingLength + 1);
    }

    // Nothing can be searched for a pattern that does not fit.
    if (lstrlenA(sourcePattern) >= CopyPathSize) {
        NoteFailure(onFailure, sourcePattern);
        return;
    }
    lstrcpyA(searchPattern, sourcePattern);
    lstrcpyA(sourcePath, sourcePattern);
    sourceNameStart = 0;
    for (int i = lstrlenA(sourcePath) - 1; i >= 0; --i) {
        if (sourcePath[i] == '\\') {
            sourceNameStart = i + 1;
            break;
        }
    }

    // A directory too long for the path buffer leaves no room for any name,
    // so each file fails to fit below and is counted.
    if (ComposePath(destinationPath, CopyPathSize, destinationDirectory, "\\"))
        destinationNameStart = lstrlenA(destinationPath);
    else
        destinationNameStart = CopyPathSize;

    LONGLONG totalBytes = 0;
    if (withProgress) {
        char title[TitleSize];
        title[0] = 0;
        GetWindowTextA(setupContext.mainWindow, title, TitleSize);
        ReportProgress(0, setupContext.mainWindow, title, progressText);
        totalBytes = TotalStoredBytes();
        if (totalBytes == 0) {
            ReportProgress(FullPercent, setupContext.mainWindow, NULL, NULL);
            return;
        }
    }

    LONGLONG doneBytes = 0;
    int shownPercent = 0;
    // Set when the window shows less than the copy has done. The report
    // after a file waits for the next file's report, which follows at once
    // with the same percentage and the next name.
    int windowBehind = 0;
    DWORD started = GetTickCount();
    DWORD lastPaint = started;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(searchPattern, &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (IsDirectory(entry))
                continue;
            if (!PutName(sourcePath, sourceNameStart, entry.cFileName)
                || !PutName(destinationPath, destinationNameStart, entry.cFileName)) {
                NoteFailure(onFailure, entry.cFileName);
                continue;
            }
            HANDLE source = CreateFileA(sourcePath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, NULL);
            if (source == INVALID_HANDLE_VALUE) {
                NoteFailure(onFailure, destinationPath);
                continue;
            }

            DWORD fileBytes = 0;
            DWORD size = withProgress ? StoredSize(entry) : NoSize;
            // A file without a size of its own is copied under the last
            // report, which must then be on the screen.
            int reportDue = windowBehind;
            if (size != NoSize) {
                fileBytes = size;
                lstrcpynA(progressText + headingLength, entry.cFileName, ProgressTextSize - headingLength);
                shownPercent = Percent(doneBytes, totalBytes);
                DWORD now = GetTickCount();
                reportDue = PaintDue(now - lastPaint, now - started, doneBytes, fileBytes);
                windowBehind = 1;
            }
            if (reportDue) {
                lastPaint = GetTickCount();
                ReportProgress(shownPercent, setupContext.mainWindow, NULL, progressText);
                windowBehind = 0;
            }

            if (!ExpandOneFile(source))
                NoteFailure(onFailure, destinationPath);
            CloseHandle(source);

            if (withProgress) {
                doneBytes += fileBytes;
                int percent = Percent(doneBytes, totalBytes);
                if (percent != shownPercent) {
                    shownPercent = percent;
                    windowBehind = 1;
                }
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    // After the last file this is 100 %, which closes the window.
    if (windowBehind)
        ReportProgress(shownPercent, setupContext.mainWindow, NULL, progressText);

    if (withProgress)
        ReportProgress(FullPercent, setupContext.mainWindow, NULL, "");
}

CopierPaths GetCopierPaths()
{
    CopierPaths paths;
    paths.searchPattern = searchPattern;
    paths.sourcePath = sourcePath;
    paths.destinationPath = destinationPath;
    return paths;
}

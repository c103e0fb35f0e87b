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

// Puts the pattern into searchPattern and sourcePath and the directory,
// with its backslash, into destinationPath; 0 for a pattern that does not
// fit, which leaves nothing to search.
int SetUpPattern(const char *sourcePattern, const char *destinationDirectory)
{
    if (lstrlenA(sourcePattern) >= CopyPathSize)
        return 0;
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
    // so each file fails to fit in CopyOneFile and is counted.
    if (ComposePath(destinationPath, CopyPathSize, destinationDirectory, "\\"))
        destinationNameStart = lstrlenA(destinationPath);
    else
        destinationNameStart = CopyPathSize;
    return 1;
}

// What the progress window of one copy shows, and how far the copy is.
struct CopyProgress {
    int withProgress;
    char text[ProgressTextSize];    // the heading, then the current file name
    int headingLength;
    LONGLONG totalBytes;
    LONGLONG doneBytes;
    int shownPercent;
    // Set when the window shows less than the copy has done. The report
    // after a file waits for the next file's report, which follows at once
    // with the same percentage and the next name.
    int windowBehind;
    DWORD started;
    DWORD lastPaint;
};

void StartProgress(CopyProgress &progress, int withProgress, const char *heading)
{
    progress.withProgress = withProgress;
    for (int i = 0; i < ProgressTextSize; ++i)
        progress.text[i] = 0;
    progress.headingLength = 0;
    if (heading) {
        progress.headingLength = lstrlenA(heading);
        if (progress.headingLength > HeadingLimit)
            progress.headingLength = HeadingLimit;
        lstrcpynA(progress.text, heading, progress.headingLength + 1);
    }
    progress.totalBytes = 0;
    progress.doneBytes = 0;
    progress.shownPercent = 0;
    progress.windowBehind = 0;
}

// With progress: opens the window on the heading alone and sizes the copy;
// 0 (the window closed again) when there is nothing to copy.
int OpenProgress(CopyProgress &progress)
{
    if (!progress.withProgress)
        return 1;
    char title[TitleSize];
    title[0] = 0;
    GetWindowTextA(setupContext.mainWindow, title, TitleSize);
    ReportProgress(0, setupContext.mainWindow, title, progress.text);
    progress.totalBytes = TotalStoredBytes();
    if (progress.totalBytes == 0) {
        ReportProgress(FullPercent, setupContext.mainWindow, NULL, NULL);
        return 0;
    }
    return 1;
}

// Before a file's copy: shows its name when a paint is due; returns the
// bytes it counts for.
DWORD PaceFileStart(CopyProgress &progress, const WIN32_FIND_DATAA &entry)
{
    DWORD fileBytes = 0;
    DWORD size = progress.withProgress ? StoredSize(entry) : NoSize;
    // A file without a size of its own is copied under the last
    // report, which must then be on the screen.
    int reportDue = progress.windowBehind;
    if (size != NoSize) {
        fileBytes = size;
        lstrcpynA(progress.text + progress.headingLength, entry.cFileName,
                  ProgressTextSize - progress.headingLength);
        progress.shownPercent = Percent(progress.doneBytes, progress.totalBytes);
        DWORD now = GetTickCount();
        reportDue = PaintDue(now - progress.lastPaint, now - progress.started, progress.doneBytes, fileBytes);
        progress.windowBehind = 1;
    }
    if (reportDue) {
        progress.lastPaint = GetTickCount();
        ReportProgress(progress.shownPercent, setupContext.mainWindow, NULL, progress.text);
        progress.windowBehind = 0;
    }
    return fileBytes;
}

// After a file's copy: counts its bytes; the paint waits for the next file.
void PaceFileDone(CopyProgress &progress, DWORD fileBytes)
{
    if (!progress.withProgress)
        return;
    progress.doneBytes += fileBytes;
    int percent = Percent(progress.doneBytes, progress.totalBytes);
    if (percent != progress.shownPercent) {
        progress.shownPercent = percent;
        progress.windowBehind = 1;
    }
}

// After the last file: shows what is left to show (100 %, which closes the
// window) and closes the window.
void CloseProgress(CopyProgress &progress)
{
    if (progress.windowBehind)
        ReportProgress(progress.shownPercent, setupContext.mainWindow, NULL, progress.text);
    if (progress.withProgress)
        ReportProgress(FullPercent, setupContext.mainWindow, NULL, "");
}

// Copies the file of one search entry from sourcePath to destinationPath.
void CopyOneFile(const WIN32_FIND_DATAA &entry, CopyProgress &progress, CopyFailureHandler onFailure)
{
    if (!PutName(sourcePath, sourceNameStart, entry.cFileName)
        || !PutName(destinationPath, destinationNameStart, entry.cFileName)) {
        NoteFailure(onFailure, entry.cFileName);
        return;
    }
    HANDLE source = CreateFileA(sourcePath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (source == INVALID_HANDLE_VALUE) {
        NoteFailure(onFailure, destinationPath);
        return;
    }
    DWORD fileBytes = PaceFileStart(progress, entry);
    if (!ExpandOneFile(source))
        NoteFailure(onFailure, destinationPath);
    CloseHandle(source);
    PaceFileDone(progress, fileBytes);
}

} // namespace

void CopyFiles(const char *sourcePattern, const char *destinationDirectory, int withProgress, const char *heading,
               CopyFailureHandler onFailure)
{
    CopyProgress progress;
    StartProgress(progress, withProgress, heading);
    if (!SetUpPattern(sourcePattern, destinationDirectory)) {
        NoteFailure(onFailure, sourcePattern);
        return;
    }
    if (!OpenProgress(progress))
        return;

    progress.started = GetTickCount();
    progress.lastPaint = progress.started;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(searchPattern, &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!IsDirectory(entry))
                CopyOneFile(entry, progress, onFailure);
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    CloseProgress(progress);
}

CopierPaths GetCopierPaths()
{
    CopierPaths paths;
    paths.searchPattern = searchPattern;
    paths.sourcePath = sourcePath;
    paths.destinationPath = destinationPath;
    return paths;
}

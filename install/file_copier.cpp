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
const DWORD NoSize = 0xFFFFFFFF;    // GetFileSize's error value

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

// One copy: its pattern and the paths of its current file, what its
// progress window shows and how far it is.
struct CopyJob {
    char searchPattern[CopyPathSize];
    char sourcePath[CopyPathSize];
    char destinationPath[CopyPathSize];
    // Where the file name goes in each path.
    int sourceNameStart;
    int destinationNameStart;

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

// Sum of the stored sizes of every matching file.
LONGLONG TotalStoredBytes(const CopyJob &job)
{
    LONGLONG total = 0;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(job.searchPattern, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (IsDirectory(entry) || job.sourceNameStart + lstrlenA(entry.cFileName) >= CopyPathSize)
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
// name of a file that takes a while is always shown. Within the clock's
// first tick the copy counts as one tick old: the tick is 55 ms on Windows
// 95, and painting every file until it passes would paint dozens at once.
int PaintDue(DWORD sinceLastPaint, DWORD sinceStart, LONGLONG doneBytes, DWORD fileBytes)
{
    if (sinceLastPaint >= ProgressPaintInterval)
        return 1;
    if (sinceStart == 0)
        sinceStart = 1;
    return (double)fileBytes * sinceStart > (double)doneBytes * ProgressPaintInterval;
}

int Percent(LONGLONG done, LONGLONG total)
{
    return (int)((double)done * FullPercent / (double)total);
}

// Expands or copies the open source into destinationPath; 1 when the
// whole file arrived. A copy that fails part-way is deleted rather than
// left truncated.
int ExpandOneFile(HANDLE source, const char *destinationPath)
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
int SetUpPattern(CopyJob &job, const char *sourcePattern, const char *destinationDirectory)
{
    if (lstrlenA(sourcePattern) >= CopyPathSize)
        return 0;
    lstrcpyA(job.searchPattern, sourcePattern);
    lstrcpyA(job.sourcePath, sourcePattern);
    job.sourceNameStart = NameStart(job.sourcePath);

    // A directory too long for the path buffer leaves no room for any name,
    // so each file fails to fit in CopyOneFile and is counted.
    if (ComposePath(job.destinationPath, CopyPathSize, destinationDirectory, "\\"))
        job.destinationNameStart = lstrlenA(job.destinationPath);
    else
        job.destinationNameStart = CopyPathSize;
    return 1;
}

void StartProgress(CopyJob &job, int withProgress, const char *heading)
{
    job.withProgress = withProgress;
    for (int i = 0; i < ProgressTextSize; ++i)
        job.text[i] = 0;
    job.headingLength = 0;
    if (heading) {
        job.headingLength = lstrlenA(heading);
        if (job.headingLength > HeadingLimit)
            job.headingLength = HeadingLimit;
        lstrcpynA(job.text, heading, job.headingLength + 1);
    }
    job.totalBytes = 0;
    job.doneBytes = 0;
    job.shownPercent = 0;
    job.windowBehind = 0;
}

// With progress: opens the window on the heading alone and sizes the copy;
// 0 (the window closed again) when there is nothing to copy.
int OpenProgress(CopyJob &job)
{
    if (!job.withProgress)
        return 1;
    char title[TitleSize];
    title[0] = 0;
    GetWindowTextA(setupContext.mainWindow, title, TitleSize);
    ReportProgress(0, setupContext.mainWindow, title, job.text);
    job.totalBytes = TotalStoredBytes(job);
    if (job.totalBytes == 0) {
        ReportProgress(FullPercent, setupContext.mainWindow, NULL, NULL);
        return 0;
    }
    return 1;
}

// Before a file's copy: shows its name when a paint is due; returns the
// bytes it counts for.
DWORD PaceFileStart(CopyJob &job, const WIN32_FIND_DATAA &entry)
{
    DWORD fileBytes = 0;
    DWORD size = job.withProgress ? StoredSize(entry) : NoSize;
    // A file without a size of its own is copied under the last
    // report, which must then be on the screen.
    int reportDue = job.windowBehind;
    if (size != NoSize) {
        fileBytes = size;
        lstrcpynA(job.text + job.headingLength, entry.cFileName,
                  ProgressTextSize - job.headingLength);
        job.shownPercent = Percent(job.doneBytes, job.totalBytes);
        DWORD now = GetTickCount();
        reportDue = PaintDue(now - job.lastPaint, now - job.started, job.doneBytes, fileBytes);
        job.windowBehind = 1;
    }
    if (reportDue) {
        job.lastPaint = GetTickCount();
        ReportProgress(job.shownPercent, setupContext.mainWindow, NULL, job.text);
        job.windowBehind = 0;
    }
    return fileBytes;
}

// After a file's copy: counts its bytes; the paint waits for the next file.
void PaceFileDone(CopyJob &job, DWORD fileBytes)
{
    if (!job.withProgress)
        return;
    job.doneBytes += fileBytes;
    int percent = Percent(job.doneBytes, job.totalBytes);
    if (percent != job.shownPercent) {
        job.shownPercent = percent;
        job.windowBehind = 1;
    }
}

// After the last file: shows what is left to show (100 %, which closes the
// window) and closes the window.
void CloseProgress(CopyJob &job)
{
    if (job.windowBehind)
        ReportProgress(job.shownPercent, setupContext.mainWindow, NULL, job.text);
    if (job.withProgress)
        ReportProgress(FullPercent, setupContext.mainWindow, NULL, "");
}

// Copies the file of one search entry from sourcePath to destinationPath.
void CopyOneFile(const WIN32_FIND_DATAA &entry, CopyJob &job, CopyFailureHandler onFailure)
{
    if (!PutName(job.sourcePath, job.sourceNameStart, entry.cFileName)
        || !PutName(job.destinationPath, job.destinationNameStart, entry.cFileName)) {
        NoteFailure(onFailure, entry.cFileName);
        return;
    }
    HANDLE source = CreateFileA(job.sourcePath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (source == INVALID_HANDLE_VALUE) {
        NoteFailure(onFailure, job.destinationPath);
        return;
    }
    DWORD fileBytes = PaceFileStart(job, entry);
    if (!ExpandOneFile(source, job.destinationPath))
        NoteFailure(onFailure, job.destinationPath);
    CloseHandle(source);
    PaceFileDone(job, fileBytes);
}

} // namespace

void CopyFiles(const char *sourcePattern, const char *destinationDirectory, int withProgress, const char *heading,
               CopyFailureHandler onFailure)
{
    CopyJob job;
    StartProgress(job, withProgress, heading);
    if (!SetUpPattern(job, sourcePattern, destinationDirectory)) {
        NoteFailure(onFailure, sourcePattern);
        return;
    }
    if (!OpenProgress(job))
        return;

    job.started = GetTickCount();
    job.lastPaint = job.started;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(job.searchPattern, &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!IsDirectory(entry))
                CopyOneFile(entry, job, onFailure);
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    CloseProgress(job);
}

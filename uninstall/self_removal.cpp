// Self-removal: the copy in the temporary folder and its deletion at
// restart, by MoveFileExA on Windows NT and WININIT.INI on Windows 95/98.
#include "uninstall/self_removal.h"
#include "uninstall/installed_files.h"
#include "setup/path_text.h"

namespace {

const char FinishSwitch[] = "/finish ";
const char RenameSection[] = "[rename]";
const char LineEnd[] = "\r\n";
const DWORD OriginalExitTimeout = 120000;

enum {
    FinishSwitchLength = sizeof FinishSwitch - 1,
    RenameSectionLength = sizeof RenameSection - 1,
    CopyNameSize = 16,
    CommandSize = 2 * MAX_PATH + 32,
    MaxProcessIdDigits = 10,
    WininitSize = 32768         // a larger WININIT.INI is left alone
};

char wininit[WininitSize];

typedef BOOL(WINAPI *MoveFileFunction)(LPCSTR, LPCSTR, DWORD);

int IsRenameHeader(const char *line, int length)
{
    char header[RenameSectionLength + 1];
    while (length > 0 && (line[length - 1] == ' ' || line[length - 1] == '\t'))
        length--;
    if (length != RenameSectionLength)
        return 0;
    lstrcpynA(header, line, sizeof header);
    return lstrcmpiA(header, RenameSection) == 0;
}

// Where a line goes: right behind the [rename] header, or -1 without one.
int RenameInsertPoint(const char *text, int size)
{
    for (int start = 0; start < size;) {
        int end = start;
        while (end < size && text[end] != '\r' && text[end] != '\n')
            end++;
        int next = end;
        if (next < size && text[next] == '\r')
            next++;
        if (next < size && text[next] == '\n')
            next++;
        if (IsRenameHeader(text + start, end - start))
            return next;
        start = next;
    }
    return -1;
}

int WriteText(HANDLE file, const char *text, int length)
{
    DWORD written;
    return length == 0 || (WriteFile(file, text, (DWORD)length, &written, NULL) && written == (DWORD)length);
}

} // namespace

int StartFinishingCopy(const char *folder)
{
    char self[MAX_PATH], temp[MAX_PATH], copy[MAX_PATH], name[CopyNameSize];
    char command[CommandSize];
    STARTUPINFOA startup = {};
    PROCESS_INFORMATION process;

    DWORD length = GetModuleFileNameA(NULL, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 0;
    length = GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH)
        return 0;
    // An 8.3 name: WININIT.INI is processed before long names exist.
    wsprintfA(name, "NLUN%04X.EXE", (unsigned)(GetCurrentProcessId() & 0xFFFF));
    if (!ComposePath(copy, sizeof copy, temp, name) || !CopyFileA(self, copy, FALSE))
        return 0;
    wsprintfA(command, "\"%s\" %s%lu %s", copy, FinishSwitch, GetCurrentProcessId(), folder);
    startup.cb = sizeof startup;
    if (!CreateProcessA(copy, command, NULL, NULL, FALSE, 0, NULL, temp, &startup, &process)) {
        DeleteFileA(copy);
        return 0;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}

int ParseFinishCommand(const char *commandLine, DWORD *original, char *folder, int capacity)
{
    char word[FinishSwitchLength + 1];
    const char *c = commandLine;
    DWORD id = 0;
    int digits = 0;

    // The program's own name, quoted or not.
    if (*c == '"') {
        for (c++; *c && *c != '"'; c++) {
        }
        if (*c)
            c++;
    } else {
        while (*c && *c != ' ')
            c++;
    }
    while (*c == ' ')
        c++;
    lstrcpynA(word, c, sizeof word);
    if (lstrcmpiA(word, FinishSwitch) != 0)
        return 0;
    for (c += FinishSwitchLength; *c >= '0' && *c <= '9' && digits < MaxProcessIdDigits; c++, digits++)
        id = id * 10 + (DWORD)(*c - '0');
    if (digits == 0 || *c != ' ')
        return 0;
    *original = id;
    return CanonicalFolder(c + 1, folder, capacity);
}

void WaitForOriginal(DWORD original)
{
    // When it cannot be opened, it has ended already.
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, original);
    if (!process)
        return;
    WaitForSingleObject(process, OriginalExitTimeout);
    CloseHandle(process);
}

void ScheduleOwnDeletion()
{
    char self[MAX_PATH], shortPath[MAX_PATH], wininitPath[MAX_PATH], line[MAX_PATH + 8];

    DWORD length = GetModuleFileNameA(NULL, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    if (!(GetVersion() & 0x80000000)) {
        // Looked up at run time: Windows 95's KERNEL32 may lack it, and an
        // import it lacks would keep the program from starting at all.
        FARPROC found = GetProcAddress(GetModuleHandleA("KERNEL32"), "MoveFileExA");
        MoveFileFunction moveFile;
        if (found) {
            CopyMemory(&moveFile, &found, sizeof moveFile);
            moveFile(self, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
        }
        return;
    }
    length = GetShortPathNameA(self, shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        lstrcpyA(shortPath, self);
    length = GetWindowsDirectoryA(wininitPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !AppendPath(wininitPath, MAX_PATH, "\\wininit.ini"))
        return;
    wsprintfA(line, "NUL=%s", shortPath);
    AddRenameLine(wininitPath, line);
}

// WritePrivateProfileStringA would replace an earlier "NUL=" line, so the
// file is rewritten with the line inserted.
int AddRenameLine(const char *wininitPath, const char *line)
{
    DWORD size = 0;
    HANDLE file = CreateFileA(wininitPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD fileSize = GetFileSize(file, NULL);
        int read = fileSize < WininitSize && ReadFile(file, wininit, fileSize, &size, NULL) && size == fileSize;
        CloseHandle(file);
        if (!read)
            return 0;
    }
    int at = RenameInsertPoint(wininit, (int)size);
    file = CreateFileA(wininitPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    int ok;
    if (at < 0) {
        int needsBreak = size > 0 && wininit[size - 1] != '\n';
        ok = WriteText(file, wininit, (int)size) && (!needsBreak || WriteText(file, LineEnd, 2))
            && WriteText(file, RenameSection, RenameSectionLength) && WriteText(file, LineEnd, 2)
            && WriteText(file, line, lstrlenA(line)) && WriteText(file, LineEnd, 2);
    } else {
        // A header on the file's last line has no line end yet.
        int needsBreak = at > 0 && wininit[at - 1] != '\n';
        ok = WriteText(file, wininit, at) && (!needsBreak || WriteText(file, LineEnd, 2))
            && WriteText(file, line, lstrlenA(line)) && WriteText(file, LineEnd, 2)
            && WriteText(file, wininit + at, (int)size - at);
    }
    CloseHandle(file);
    return ok;
}

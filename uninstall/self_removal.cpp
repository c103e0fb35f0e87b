// Self-removal: the copy in the temporary folder and its deletion at
// restart, by MoveFileExA on Windows NT and WININIT.INI on Windows 95/98.
#include "uninstall/self_removal.h"
#include "uninstall/path_forms.h"
#include "setup/path_text.h"
#include "uninstall/kernel_lookup.h"

namespace {

const char FinishSwitch[] = "/finish ";
const char CopyNamePrefix[] = "NLUN";
const char CopyNameFormat[] = "NLUN%04X.EXE";
const char HandOverMark[] = "Nimbalune hand-over";
const char RenameSection[] = "[rename]";
const char LineEnd[] = "\r\n";
const DWORD OriginalExitTimeout = 120000;

enum {
    FinishSwitchLength = sizeof FinishSwitch - 1,
    RenameSectionLength = sizeof RenameSection - 1,
    HeaderCheckSize = 32,       // a longer line is no section header
    CopyNameSize = 16,
    CopyNameLength = 12,        // NLUNxxxx.EXE
    CopyNameAttempts = 256,
    CommandSize = MAX_PATH + 64,
    MaxNumberDigits = 10,
    StreamChunkSize = 4096
};

// What the original hands its copy, in memory only the copy inherits: the
// folder the question named.
struct HandOver {
    char mark[sizeof HandOverMark];
    DWORD original;
    char folder[MAX_PATH];
};

typedef BOOL(WINAPI *MoveFileFunction)(LPCSTR, LPCSTR, DWORD);

// A decimal number followed by a blank or the end of the text.
const char *ReadNumber(const char *c, DWORD *number)
{
    int digits = 0;
    *number = 0;
    for (; *c >= '0' && *c <= '9' && digits < MaxNumberDigits; c++, digits++)
        *number = *number * 10 + (DWORD)(*c - '0');
    return digits > 0 && (*c == ' ' || *c == '\0') ? c : NULL;
}

// Copies the program under a name no other file has: an 8.3 name, since
// WININIT.INI is processed before long names exist, and never over a file
// already there (an earlier run may have left its copy).
int MakeCopy(const char *self, const char *temp, char *copy)
{
    char name[CopyNameSize];
    DWORD first = GetCurrentProcessId() + GetTickCount();
    for (DWORD attempt = 0; attempt < CopyNameAttempts; attempt++) {
        wsprintfA(name, CopyNameFormat, (unsigned)((first + attempt) & 0xFFFF));
        if (!ComposePath(copy, MAX_PATH, temp, name))
            return 0;
        if (CopyFileA(self, copy, TRUE))
            return 1;
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return 0;
    }
    return 0;
}

// Output through a buffer, written out when full and at the end.
struct Stream {
    HANDLE file;
    char buffer[StreamChunkSize];
    int used;
    int ok;
};

void Put(Stream *out, const char *text, int length)
{
    for (int i = 0; i < length && out->ok; i++) {
        if (out->used == StreamChunkSize) {
            DWORD written;
            out->ok = WriteFile(out->file, out->buffer, StreamChunkSize, &written, NULL) && written == StreamChunkSize;
            out->used = 0;
        }
        out->buffer[out->used++] = text[i];
    }
}

int Flush(Stream *out)
{
    DWORD written;
    return out->ok && (out->used == 0 || (WriteFile(out->file, out->buffer, (DWORD)out->used, &written, NULL)
                                          && written == (DWORD)out->used));
}

void PutLine(Stream *out, const char *line)
{
    Put(out, line, lstrlenA(line));
    Put(out, LineEnd, 2);
}

int IsRenameHeader(char *start, int length)
{
    while (length > 0 && (start[length - 1] == ' ' || start[length - 1] == '\t' || start[length - 1] == '\r'))
        length--;
    start[length] = '\0';
    return length == RenameSectionLength && lstrcmpiA(start, RenameSection) == 0;
}

// Copies WININIT.INI (none when source is invalid) with the line inserted
// right behind its [rename] header, or in a new section at the end.
int CopyWithRenameLine(HANDLE source, HANDLE target, const char *line)
{
    Stream out;
    char chunk[StreamChunkSize];
    char current[HeaderCheckSize + 1];
    int length = 0, inserted = 0;
    char last = '\n';
    DWORD got = 0;

    out.file = target;
    out.used = 0;
    out.ok = 1;
    while (source != INVALID_HANDLE_VALUE) {
        if (!ReadFile(source, chunk, sizeof chunk, &got, NULL))
            return 0;
        if (got == 0)
            break;
        DWORD written = 0;
        for (DWORD i = 0; i < got; i++) {
            last = chunk[i];
            if (last != '\n') {
                if (length < HeaderCheckSize)
                    current[length] = last;
                length++;
                continue;
            }
            if (!inserted && length < HeaderCheckSize && IsRenameHeader(current, length)) {
                Put(&out, chunk + written, (int)(i + 1 - written));
                PutLine(&out, line);
                written = i + 1;
                inserted = 1;
            }
            length = 0;
        }
        Put(&out, chunk + written, (int)(got - written));
    }
    if (!inserted) {
        // A header on the file's last line has no line end yet.
        int header = length < HeaderCheckSize && IsRenameHeader(current, length);
        if (last != '\n')
            Put(&out, LineEnd, 2);
        if (!header)
            PutLine(&out, RenameSection);
        PutLine(&out, line);
    }
    return Flush(&out);
}

// Puts the new file in the place of the old one, which is kept under a
// name of its own until then: at every moment one of them holds its lines.
int ReplaceFileWith(const char *path, const char *folder, const char *newPath)
{
    char oldPath[MAX_PATH];
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return MoveFileA(newPath, path);
    if (!GetTempFileNameA(folder, "NLW", 0, oldPath))
        return 0;
    DeleteFileA(oldPath);
    if (!MoveFileA(path, oldPath))
        return 0;
    if (!MoveFileA(newPath, path)) {
        MoveFileA(oldPath, path);
        return 0;
    }
    DeleteFileA(oldPath);
    return 1;
}

} // namespace

HANDLE CreateHandOver(DWORD original, const char *folder)
{
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, NULL, TRUE};
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, &inherited, PAGE_READWRITE, 0, sizeof(HandOver), NULL);
    if (!mapping)
        return NULL;
    HandOver *handOver = (HandOver *)MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(HandOver));
    if (!handOver) {
        CloseHandle(mapping);
        return NULL;
    }
    lstrcpyA(handOver->mark, HandOverMark);
    handOver->original = original;
    lstrcpynA(handOver->folder, folder, MAX_PATH);
    UnmapViewOfFile(handOver);
    return mapping;
}

int StartFinishingCopy(const char *folder)
{
    char temp[MAX_PATH], copy[MAX_PATH];
    char command[CommandSize];
    STARTUPINFOA startup = {};
    PROCESS_INFORMATION process;

    // The copy starts in the temporary folder, not in the one it removes.
    if (!MakeTemporaryCopy(copy) || !ComposePath(temp, MAX_PATH, copy, ""))
        return 0;
    CutLastName(temp);
    HANDLE handOver = CreateHandOver(GetCurrentProcessId(), folder);
    wsprintfA(command, "\"%s\" %s%lu %lu", copy, FinishSwitch, GetCurrentProcessId(), (DWORD)(UINT_PTR)handOver);
    startup.cb = sizeof startup;
    int started = handOver && CreateProcessA(copy, command, NULL, NULL, TRUE, 0, NULL, temp, &startup, &process);
    if (handOver)
        CloseHandle(handOver);
    if (!started) {
        DeleteFileA(copy);
        return 0;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}

int ReadHandOver(const char *commandLine, DWORD *original, char *folder, int capacity)
{
    char word[FinishSwitchLength + 1];
    const char *c = commandLine;
    DWORD handleValue;

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
    c = ReadNumber(c + FinishSwitchLength, original);
    if (!c || *c != ' ' || !(c = ReadNumber(c + 1, &handleValue)))
        return 0;
    while (*c == ' ')
        c++;
    if (*c)
        return 0;
    // Typed by hand, the number names no memory of this process, or memory
    // without the mark and the original's id.
    HANDLE mapping = (HANDLE)(UINT_PTR)handleValue;
    HandOver *handOver = (HandOver *)MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(HandOver));
    if (!handOver)
        return 0;
    char mark[sizeof HandOverMark];
    char given[MAX_PATH];
    lstrcpynA(mark, handOver->mark, sizeof mark);
    lstrcpynA(given, handOver->folder, sizeof given);
    int authentic = lstrcmpA(mark, HandOverMark) == 0 && handOver->original == *original;
    UnmapViewOfFile(handOver);
    if (!authentic)
        return 0;
    CloseHandle(mapping);
    return CanonicalFolder(given, folder, capacity);
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

int MakeTemporaryCopy(char *copy)
{
    char self[MAX_PATH], temp[MAX_PATH];
    if (!RunningProgramPath(self))
        return 0;
    DWORD length = GetTempPathA(MAX_PATH, temp);
    return length > 0 && length < MAX_PATH && MakeCopy(self, temp, copy);
}

int RunningProgramPath(char *path)
{
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    return length > 0 && length < MAX_PATH;
}

void ScheduleOwnDeletion()
{
    char self[MAX_PATH];
    if (RunningProgramPath(self))
        ScheduleDeletionAtRestart(self);
}

int ScheduleDeletionAtRestart(const char *path)
{
    char shortPath[MAX_PATH], wininitPath[MAX_PATH], line[MAX_PATH + 8];

    if (!(GetVersion() & 0x80000000)) {
        MoveFileFunction moveFile;
        return FindKernelFunction("MoveFileExA", &moveFile) && moveFile(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    lstrcpynA(shortPath, path, MAX_PATH);
    ShortForm(shortPath);
    DWORD length = GetWindowsDirectoryA(wininitPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !AppendPath(wininitPath, MAX_PATH, "\\wininit.ini"))
        return 0;
    wsprintfA(line, "NUL=%s", shortPath);
    return AddRenameLine(wininitPath, line);
}

int IsFinishingCopy(const char *program)
{
    char folder[MAX_PATH], temp[MAX_PATH];
    const char *name = program + NameStart(program);
    char prefix[sizeof CopyNamePrefix];
    lstrcpynA(prefix, name, sizeof prefix);
    DWORD length = GetTempPathA(MAX_PATH, temp);
    if (lstrlenA(name) != CopyNameLength || lstrcmpiA(prefix, CopyNamePrefix) != 0 || length == 0
        || length >= MAX_PATH || !ComposePath(folder, sizeof folder, program, ""))
        return 0;
    CutLastName(folder);
    return SamePath(folder, temp);
}

int AddRenameLine(const char *wininitPath, const char *line)
{
    char folder[MAX_PATH], newPath[MAX_PATH];
    if (!ComposePath(folder, sizeof folder, wininitPath, ""))
        return 0;
    CutLastName(folder);
    DWORD attributes = GetFileAttributesA(wininitPath);
    HANDLE source = CreateFileA(wininitPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (source == INVALID_HANDLE_VALUE && attributes != INVALID_FILE_ATTRIBUTES)
        return 0;
    // A new file of a name no other has, in the same folder.
    int ok = GetTempFileNameA(folder, "NLW", 0, newPath) != 0;
    if (ok) {
        HANDLE target = CreateFileA(newPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        ok = target != INVALID_HANDLE_VALUE && CopyWithRenameLine(source, target, line);
        if (target != INVALID_HANDLE_VALUE)
            CloseHandle(target);
    }
    if (source != INVALID_HANDLE_VALUE)
        CloseHandle(source);
    if (ok)
        ok = ReplaceFileWith(wininitPath, folder, newPath);
    if (!ok)
        DeleteFileA(newPath);
    else if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesA(wininitPath, attributes);
    return ok;
}

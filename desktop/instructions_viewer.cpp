// The product's instructions, opened straight from the distribution medium
// beside the setup window: the HTML edition in the program associated with
// ".htm" documents, else an Explorer window on a folder of RTF documents.
// The setup window moves to the bottom third of the screen, and a timer
// waits for the viewer's window to move it to the top two thirds.
#include "desktop/instructions_viewer.h"
#include "setup/setup_context.h"
#include "setup/path_text.h"
#include "setup/program_state.h"
#include "setup/message_catalogue.h"
#include "desktop/shell_links.h"

#include <shellapi.h>

namespace {

const UINT ViewerTimerPeriod = 330;     // milliseconds
const int MaxWalkSteps = 0x7FFD;        // bound of one walk through the windows
const UINT_PTR ExecSucceeded = 32;      // ShellExecuteA results above mean success
const UINT WinExecFailed = 31;          // WinExec results up to here mean failure

const char SourceSubfolder[] = "\\Files.ins";
const char FallbackCaption[] = "Nimbalune-Instructions";
// The program that shows the RTF folder, spelled as the instructions'
// fallback has always written it; the folder's path follows a blank.
const char RtfFolderProgram[] = "Explorer.exe";
// The command is Explorer's full path in the Windows folder, the blank and
// the folder's path.
const int RtfFolderCommandSize = 2 * MAX_PATH;

struct InstructionDocuments {
    const char *html;           // relative to the source folder
    const char *rtfFolder;      // appended to the source folder
    const char *fallbackMessage;
};

const InstructionDocuments Documents[] = {
    {"instruct.htm\\francais.htm\\" "nimbalun" ".htm", "\\instruct.rtf\\francais.rtf",
     "La notice de Nimbalune est au format HTML.\n"
     "\n"
     "Actuellement vous n'avez pas de logiciel capable d'afficher ce type de document.\n"
     "C'est pourquoi Nimbalune va afficher une liste de fichiers de notice au format RTF. Vous "
     "pourrez alors double-cliquer sur n'importe lequel de ces fichiers, veuillez commencer par "
     "NimbaLun.rtf\n"
     "\n"
     "La notice HTML est bien plus pratique. You pouvez l'afficher avec n'importe quel navigateur "
     "internet, ou même avec certains logiciels de traitement de textes. Vous pouvez installer un "
     "navigateur internet MEME SI VOUS N'UTILISEZ PAS DE CONNECTION INTERNET. Netscape Navigator et "
     "Internet Explorer sont gratuits à l'heure actuelle (mars 1998). Vous les trouverez dans "
     "certains CDROM livrés avec des revues traitant d'ordinateurs. Ces logiciels sont généralement "
     "livrés avec les kits de connection à internet (AOL, Compuserve, Wanadoo par exemple)."},
    {"instruct.htm\\english.htm\\" "nimbalun" ".htm", "\\instruct.rtf\\english.rtf",
     "The instructions of Nimbalune are in HTML format.\n"
     "\n"
     "Currently you do not have any software to display this type of document.\n"
     "So Nimbalune will give you a list of instructions files in RTF format.You can double-click on "
     "any of these files, please begin with NimbaLun.rtf\n"
     "\n"
     "The HTML instructions are much more easy to use. You can display them with any internet "
     "browser, or even some word processors. You can install an internet browser EVEN IF YOU DO NOT "
     "USE AN INTERNET CONNEXION. Netscape Navigator and Internet Explorer are free at this time "
     "(march 1998). You can find them on some computer magazines' CDROM. These softwares are usually "
     "given with the internet kits (AOL, Compuserve as example)."},
};

// The drive of the current directory, "X:", or nothing when it has none.
void GetCurrentDrive(char (&drive)[3])
{
    char current[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
    drive[0] = '\0';
    if (length >= 2 && length < MAX_PATH && current[1] == ':')
        lstrcpynA(drive, current, sizeof drive);
}

// The folder of the setup program, or its "\Files.ins" subfolder when that
// exists. When the program's name cannot be read the folder is empty, the
// candidate is "\Files.ins" at the root of the current drive (named with
// its drive: the shell takes a working folder without one for the current
// directory), and without it the documents are taken from the current
// directory. 0 when the names composed from it would not fit in MAX_PATH.
int FindSourceFolder(char *folder)
{
    char drive[3] = "";
    if (!GetProgramFolder(setupContext.instance, folder, MAX_PATH)) {
        if (folder[0])
            return 0;   // a name cut at MAX_PATH
        GetCurrentDrive(drive);
    }
    char candidate[MAX_PATH];
    if (!ComposePath(candidate, MAX_PATH, folder[0] ? folder : drive, SourceSubfolder))
        return 0;
    if (GetFileAttributesA(candidate) != INVALID_FILE_ATTRIBUTES)
        lstrcpyA(folder, candidate);
    return 1;
}

// Whether the document's full path, and the Explorer command line with the
// program's bare name, both fit in MAX_PATH.
int DocumentsFit(const char *source, const InstructionDocuments &documents)
{
    int folder = lstrlenA(source);
    return folder + 1 + lstrlenA(documents.html) < MAX_PATH
        && lstrlenA(RtfFolderProgram) + 1 + folder + lstrlenA(documents.rtfFolder) < MAX_PATH;
}

int IsWindowOfInstance(HWND window, UINT_PTR value)
{
    return (UINT_PTR)GetWindowThreadProcessId(window, NULL) == value
        || (UINT_PTR)GetWindowLongPtrA(window, GWLP_HINSTANCE) == value;
}

void PlaceWindow(HWND window, int x, int y, int width, int height)
{
    ShowWindow(window, SW_SHOWNORMAL);
    MoveWindow(window, x, y, width, height, TRUE);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
}

// Where the viewer's window goes once it shows, and the timer that waits
// for it.
ViewerWatch viewerWatch;

} // namespace

UINT_PTR OpenInstructions(int language)
{
    const InstructionDocuments &documents = Documents[language == LanguageEnglish ? 1 : 0];
    char source[MAX_PATH];
    if (!FindSourceFolder(source) || !DocumentsFit(source, documents))
        return 0;

    UINT_PTR opened = (UINT_PTR)ShellExecuteA(setupContext.mainWindow, "open", documents.html, NULL,
                                              source, SW_SHOWNORMAL);
    if (opened > ExecSucceeded)
        return opened;
    if (opened == SE_ERR_NOASSOC)
        AskText(documents.fallbackMessage, FallbackCaption, MB_OK | MB_ICONINFORMATION);

    char command[RtfFolderCommandSize];
    if (!ComposeExplorerCommand(command, RtfFolderCommandSize, RtfFolderProgram)
        || !AppendPath(command, RtfFolderCommandSize, source)
        || !AppendPath(command, RtfFolderCommandSize, documents.rtfFolder))
        return 0;
    UINT started = WinExec(command, SW_SHOW);
    return started > WinExecFailed ? started : 0;
}

void ShowInstructionsBesideSetup()
{
    UINT_PTR started = OpenInstructions(setupContext.language);
    if (!started)
        return;

    HWND main = setupContext.mainWindow;
    HDC dc = GetDC(main);
    int width = GetDeviceCaps(dc, HORZRES);
    int height = GetDeviceCaps(dc, VERTRES);
    ReleaseDC(main, dc);

    WatchForViewer(started, 0, 0, width, 2 * height / 3);
    PlaceWindow(main, 0, 2 * height / 3, width, height / 3);
}

void WatchForViewer(UINT_PTR started, int x, int y, int width, int height)
{
    StopWatchingForViewer();
    viewerWatch.x = x;
    viewerWatch.y = y;
    viewerWatch.width = width;
    viewerWatch.height = height;
    viewerWatch.instance = started;
    viewerWatch.timerId = SetTimer(setupContext.mainWindow, ViewerTimerId, ViewerTimerPeriod, NULL);
}

void StopWatchingForViewer()
{
    KillTimer(setupContext.mainWindow, viewerWatch.timerId);
    viewerWatch.timerId = 0;
}

HWND FindWindowOfInstance(UINT_PTR value)
{
    HWND first = FindWindowA(NULL, NULL);
    if (!first)
        return NULL;
    if (IsWindowOfInstance(first, value))
        return first;

    // Down the Z order from the first window, then up from it.
    HWND current = first;
    UINT direction = GW_HWNDNEXT;
    for (int steps = 0; steps < MaxWalkSteps; ++steps) {
        current = GetWindow(current, direction);
        if (current && IsWindowOfInstance(current, value))
            return current;
        if (current == first)
            return NULL;
        if (!current) {
            if (direction == GW_HWNDPREV)
                return NULL;
            direction = GW_HWNDPREV;
            current = first;
        }
    }
    return NULL;
}

void OnViewerTimer()
{
    if (!viewerWatch.instance)
        return;
    // The started value may match no window (the shell's result, say); the
    // viewer is then the window that came to the front.
    HWND window = FindWindowOfInstance(viewerWatch.instance);
    if (!window)
        window = GetForegroundWindow();
    if (!window)
        return;
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner)
        window = owner;
    // The setup window, or one of its message boxes, is in front.
    if (window == setupContext.mainWindow)
        return;

    if (KillTimer(setupContext.mainWindow, viewerWatch.timerId))
        viewerWatch.timerId = 0;
    viewerWatch.instance = 0;
    PlaceWindow(window, viewerWatch.x, viewerWatch.y, viewerWatch.width, viewerWatch.height);
    SetForegroundWindow(setupContext.mainWindow);
}

ViewerWatch GetViewerWatch()
{
    return viewerWatch;
}

void ResetViewerWatch()
{
    viewerWatch = ViewerWatch();
}

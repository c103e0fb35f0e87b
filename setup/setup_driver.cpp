// The setup driver: the start-up conversation in its fixed order, the
// message loop that carries the installation, and the final notice.
#include "setup/setup_driver.h"
#include "setup/setup_context.h"
#include "setup/setup_state.h"
#include "setup/message_catalogue.h"
#include "setup/installed_version.h"
#include "setup/running_product.h"
#include "destination/destination_panel.h"
#include "desktop/instructions_viewer.h"
#include "install/install_sequence.h"
#include "setup/path_text.h"

namespace {

const WPARAM EscapeKey = 27;
const WORD MinWindowsVersion = 0x0350;          // 3.80, major in the high byte
const DWORD NewestAcceptedVersion = 0x10001;    // file version 1.1
const int PaletteColourBits = 8;
const int DriveCount = 26;
const int IncompleteNoticeSize = 256;

const UINT ColourQuestionStyle = MB_ICONQUESTION | MB_YESNO;
const UINT OldWindowsQuestionStyle = MB_ICONWARNING | MB_DEFBUTTON2 | MB_YESNO;
const UINT NewerVersionQuestionStyle = MB_ICONQUESTION | MB_DEFBUTTON2 | MB_YESNO;

void UpperCaseLetters(char *text)
{
    for (; *text; ++text)
        if (*text >= 'a' && *text <= 'z')
            *text = (char)(*text - 'a' + 'A');
}

// A Yes ends the process at once: the user goes to change the display mode.
void CheckColourDepth()
{
    HDC dc = GetDC(setupContext.mainWindow);
    if (!dc)
        return;
    int colourBits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(setupContext.mainWindow, dc);
    int warning = ColourWarningFor(colourBits);
    if (warning && Ask(warning, ColourQuestionStyle) == IDYES)
        ExitProcess(0);
}

int NewerVersionInstalled()
{
    char program[PathBufferSize];
    if (!GetProfileStringA(ProductSection, ProgramKey, "", program, PathBufferSize))
        return 0;
    DWORD versionMS, versionLS;
    return QueryInstalledVersion(program, &versionMS, &versionLS) && versionMS > NewestAcceptedVersion;
}

// The previous installation directory, if any, preselects its drive.
void ShowDestinationPanel()
{
    char directory[ShortValueSize];
    if (!GetProfileStringA(ProductSection, DirectoryKey, "", directory, ShortValueSize)) {
        CreateDestinationPanel('C', 1);
        return;
    }
    UpperCaseLetters(directory);
    lstrcpynA(setupContext.installDir, directory, PathBufferSize);
    CreateDestinationPanel(directory[0], 0);
}

// The success notice, or, when files could not be copied, a warning that
// says how many: a failed installation is not reported as a success.
void ShowFinalNotice()
{
    int failedCopies = CountFailedCopies();
    if (!failedCopies) {
        Ask(DoneNotice, MB_OK);
        return;
    }
    char text[IncompleteNoticeSize];
    wsprintfA(text, MessageText(IncompleteInstallFormat), failedCopies);
    AskText(text, MessageText(SetupCaption), MB_ICONWARNING | MB_OK);
}

} // namespace

int ColourWarningFor(int colourBits)
{
    if (colourBits > PaletteColourBits)
        return 0;
    return colourBits == PaletteColourBits ? PaletteColourWarning : LowColourWarning;
}

void RunMessageLoop()
{
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        if (message.message == WM_CHAR && message.wParam == EscapeKey)
            break;
    }
}

int RunSetupDriver()
{
    CloseRunningProduct();
    InitMessageCatalogue();
    ChooseLanguage();
    ShowInstructionsBesideSetup();
    CheckColourDepth();
    if (setupContext.windowsVersion < MinWindowsVersion
        && Ask(OldWindowsWarning, OldWindowsQuestionStyle) != IDYES)
        return 0;
    if (!LocateSourceFolder())
        return 1;
    if (NewerVersionInstalled() && Ask(NewerVersionWarning, NewerVersionQuestionStyle) != IDYES)
        return 1;
    ShowDestinationPanel();

    RunMessageLoop();

    SetForegroundWindow(setupContext.mainWindow);
    if (setupContext.installDone)
        ShowFinalNotice();
    CleanUpSetup();
    return 0;
}

int EnterSourceFolder(char *folder)
{
    UpperCaseLetters(folder);
    BYTE drive = (BYTE)(folder[0] - 'A');
    if (drive >= DriveCount) {
        Ask(InternalError3, MB_ICONERROR);
        return 0;
    }
    // "X:" alone selects the drive with the directory last used on it.
    char driveOnly[] = "A:";
    driveOnly[0] = (char)('A' + drive);
    SetCurrentDirectoryA(driveOnly);
    SetCurrentDirectoryA(folder);
    return 1;
}

int LocateSourceFolder()
{
    char folder[MAX_PATH];
    if (!GetProgramFolder(setupContext.instance, folder, MAX_PATH)) {
        Ask(InternalError2, MB_ICONERROR);
        return 0;
    }
    return EnterSourceFolder(folder);
}

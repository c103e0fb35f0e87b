// The destination panel: a text, the list of fixed disks with their free
// space and the start button, placed straight on the main window. The user
// picks only the drive; the rest of the destination path is fixed.
#include "destination/destination_panel.h"
#include "setup/setup_context.h"
#include "setup/message_catalogue.h"
#include "setup/path_text.h"
#include "install/install_sequence.h"

namespace {

#define NL_MIN_FREE_MEGABYTES(megabytes) const int MinFreeMegabytes = megabytes;
#include "install/medium_layout.def"
const int PanelTextSize = 512;
const int LineSize = ShortValueSize;
const DWORD BytesPerMegabyte = 1048576;

const DWORD PanelTextStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | SS_LEFT;
const DWORD DriveListStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_SORT | CBS_DROPDOWNLIST;
const DWORD StartButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;

// Layout for dialog base units of 8 x 16, scaled to the real ones.
struct ControlLayout {
    const char *className;
    DWORD style;
    int x, y, width, height;
    int id;
};
const ControlLayout PanelTextLayout = {"STATIC", PanelTextStyle, 20, 50, 620, 50, PanelTextId};
const ControlLayout DriveListLayout = {"COMBOBOX", DriveListStyle, 80, 20, 320, 90, DriveListId};
const ControlLayout StartButtonLayout = {"BUTTON", StartButtonStyle, 420, 20, 200, 20, StartButtonId};

HWND panelText;
HWND driveList;
HWND startButton;

HWND CreatePanelControl(const ControlLayout &layout, const char *text)
{
    int bx = setupContext.dialogBaseUnitX;
    int by = setupContext.dialogBaseUnitY;
    return CreateWindowExA(0, layout.className, text, layout.style,
                           layout.x * bx / 8, layout.y * by / 16,
                           layout.width * bx / 8, layout.height * by / 16,
                           setupContext.mainWindow, (HMENU)(INT_PTR)layout.id,
                           setupContext.instance, NULL);
}

void BuildPanelText(char *text, int noPreviousInstall)
{
    char previous[ShortValueSize];
    GetProfileStringA(ProductSection, DirectoryKey, "", previous, ShortValueSize);
    if (previous[0] && !noPreviousInstall) {
        // At most 127 characters of directory: the whole always fits.
        ComposePath(text, PanelTextSize, MessageText(AlreadyInstalledPrefix), previous);
        AppendPath(text, PanelTextSize, MessageText(AlreadyInstalledSuffix));
    } else {
        wsprintfA(text, MessageText(NeedFreeSpaceFormat), MinFreeMegabytes);
    }
}

// Adds the line of one drive to the list if it is a fixed disk whose free
// space can be read.
void AddDriveLine(char letter, char initialDrive)
{
    char root[4] = {letter, ':', '\\', 0};
    if (GetDriveTypeA(root) != DRIVE_FIXED)
        return;
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return;
    // The byte count overflows 32 bits on any modern disk.
    unsigned __int64 freeBytes = (unsigned __int64)sectorsPerCluster * bytesPerSector * freeClusters;
    long freeMegabytes = (long)(freeBytes / BytesPerMegabyte);

    char line[LineSize];
    wsprintfA(line, MessageText(DriveLineFormat), letter, letter, freeMegabytes);
    if (freeMegabytes > MinFreeMegabytes)
        AppendPath(line, LineSize, "OK");
    LRESULT index = SendMessageA(driveList, CB_ADDSTRING, 0, (LPARAM)line);
    if (letter == initialDrive && index != CB_ERR)
        SendMessageA(driveList, CB_SETCURSEL, (WPARAM)index, 0);
}

void DestroyControl(HWND &control)
{
    if (control)
        DestroyWindow(control);
    control = NULL;
}

} // namespace

void CreateDestinationPanel(char initialDrive, int noPreviousInstall)
{
    setupContext.selectedDrive = initialDrive;

    char text[PanelTextSize];
    BuildPanelText(text, noPreviousInstall);
    panelText = CreatePanelControl(PanelTextLayout, text);

    driveList = CreatePanelControl(DriveListLayout, "Lecteurs");
    SendMessageA(driveList, WM_SETREDRAW, FALSE, 0);
    SendMessageA(driveList, CB_RESETCONTENT, 0, 0);
    for (char letter = 'C'; letter <= 'Z'; ++letter)
        AddDriveLine(letter, initialDrive);
    SendMessageA(driveList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(driveList, NULL, TRUE);

    startButton = CreatePanelControl(StartButtonLayout, MessageText(StartInstallButton));
    SetFocus(driveList);
}

void CloseDestinationPanel()
{
    if (driveList) {
        LRESULT index = SendMessageA(driveList, CB_GETCURSEL, 0, 0);
        if (index != CB_ERR) {
            // CB_GETLBTEXT has no size: refuse a line longer than the buffer.
            char line[LineSize];
            LRESULT length = SendMessageA(driveList, CB_GETLBTEXTLEN, (WPARAM)index, 0);
            if (length >= 1 && length < LineSize &&
                SendMessageA(driveList, CB_GETLBTEXT, (WPARAM)index, (LPARAM)line) >= 1) {
                unsigned char first = (unsigned char)line[0];
                if (first >= 'A' && first <= 'Z')
                    setupContext.selectedDrive = (char)first;
            }
        }
    }
    DestroyControl(startButton);
    DestroyControl(driveList);
    DestroyControl(panelText);
}

void OnStartButton()
{
    CloseDestinationPanel();
    RunInstallSequence();
}

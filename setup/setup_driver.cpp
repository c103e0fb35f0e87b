// The setup driver. For now it only pumps messages; the start-up
// conversation (language, instructions, display and version checks,
// source folder, installed version, destination panel) comes with the
// start-up conversation capability.
#include "setup_driver.h"
#include "main_window.h"
#include "setup_context.h"

namespace {
const WPARAM EscapeKey = 27;
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
    RunMessageLoop();
    SetForegroundWindow(setupContext.mainWindow);
    CleanUpSetup();
    return 0;
}

int LocateSourceFolder()
{
    return 1;
}

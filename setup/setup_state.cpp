// The set-up and clean-up of the state a run shares. The clean-up has a file
// of its own because both the driver and the main window run it, and it
// reaches into the panel and the viewer, which the main window leads to.
#include "setup/setup_state.h"
#include "setup/setup_context.h"
#include "setup/log_pane.h"
#include "destination/destination_panel.h"
#include "desktop/instructions_viewer.h"
#include "setup/program_state.h"

void InitSetupState()
{
    setupContext.backgroundBrush = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    DWORD version = GetVersion();
    setupContext.windowsVersion = (WORD)(((version & 0xFF) << 8) | ((version >> 8) & 0xFF));
    UpdateLogMetrics();
    ClearLogGrid();
}

void CleanUpSetup()
{
    StopWatchingForViewer();
    CloseDestinationPanel();
}

void ResetProgramState()
{
    ResetSetupContext();
    ResetMessageCatalogue();
    ResetLogPane();
    ResetProgressWindow();
    ResetViewerWatch();
}

// The instructions viewer. Filled in by the start-up conversation
// capability; until then nothing is opened and the timer never runs.
#include "instructions_viewer.h"

void ShowInstructionsBesideSetup()
{
}

UINT_PTR OpenInstructions(int)
{
    return 0;
}

HWND FindWindowOfInstance(UINT_PTR)
{
    return NULL;
}

void OnViewerTimer()
{
}

// The destination panel. Filled in by the end-to-end installation
// capability; until then there is no panel to create, close or press.
#include "destination_panel.h"

void CreateDestinationPanel(char, int)
{
}

void CloseDestinationPanel()
{
}

void OnStartButton()
{
}

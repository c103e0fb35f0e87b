// The running copy of the product, found through the window handle it
// keeps in its own INI file.
#ifndef NIMBALUNE_RUNNING_PRODUCT_H
#define NIMBALUNE_RUNNING_PRODUCT_H

#include <windows.h>

// The running product's window named in its INI file, or NULL.
HWND RunningProductWindow();
// Sends WM_DESTROY to the running product's window named in its INI file.
void CloseRunningProduct();

#endif

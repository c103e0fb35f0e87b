// The running copy of the product: its INI file, named in win.ini, holds
// "Current hwnd" in the section with the empty name while it runs.
#include "setup/running_product.h"
#include "setup/setup_context.h"

namespace {

const UINT NoRunningCopy = 65535;               // "Current hwnd" when absent
const char NoProductWindowSection[] = "";

} // namespace

// A value left behind by a crash, or written by hand, may name no window:
// and -1 is HWND_TOPMOST, which SendMessageA (as on a 16-bit handle 0xFFFF)
// takes for HWND_BROADCAST, destroying every top-level window. So only a
// handle that names a window gets the message.
HWND RunningProductWindow()
{
    char iniFile[PathBufferSize];
    if (!GetProfileStringA(ProductSection, IniFileKey, "", iniFile, PathBufferSize))
        return NULL;
    UINT window = GetPrivateProfileIntA(NoProductWindowSection, "Current hwnd", NoRunningCopy, iniFile);
    HWND product = (HWND)(UINT_PTR)window;
    return window != NoRunningCopy && IsWindow(product) ? product : NULL;
}

void CloseRunningProduct()
{
    HWND product = RunningProductWindow();
    if (product)
        SendMessageA(product, WM_DESTROY, 0, 0);
}

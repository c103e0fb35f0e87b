// A window handle kept in the product's INI file outlives a crash, and
// Windows reuses handles: the window is closed only when the program its
// process runs is the product's in this installation folder. The product
// may hang, so nothing waits without a limit.
#include "uninstall/product_closing.h"
#include "uninstall/path_forms.h"
#include "setup/path_text.h"
#include "setup/running_product.h"

#include <windows.h>
#include <tlhelp32.h>

namespace {

const char ProductProgram[] = "\\nimbalun.exe";
const UINT ProductAnswerTimeout = 10000;
const DWORD ProductExitTimeout = 20000;

// Whether the process runs the product's program of this folder: its first
// module is its program file (Windows 95 and NT 5 have the tool help).
int RunsProduct(DWORD processId, const char *folder)
{
    char program[MAX_PATH];
    MODULEENTRY32 module;
    if (!ComposePath(program, sizeof program, folder, ProductProgram))
        return 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    module.dwSize = sizeof module;
    int product = Module32First(snapshot, &module) && SamePath(module.szExePath, program);
    CloseHandle(snapshot);
    return product;
}

} // namespace

int CloseProduct(const char *folder)
{
    DWORD processId = 0;
    DWORD_PTR result;
    HWND window = RunningProductWindow();
    if (!window || !GetWindowThreadProcessId(window, &processId) || !RunsProduct(processId, folder))
        return 1;
    HANDLE product = OpenProcess(SYNCHRONIZE, FALSE, processId);
    // The message the setup sends; a product that does not answer in time
    // is waited for no longer.
    SendMessageTimeoutA(window, WM_DESTROY, 0, 0, SMTO_ABORTIFHUNG, ProductAnswerTimeout, &result);
    if (!product)
        return !IsWindow(window);
    int ended = WaitForSingleObject(product, ProductExitTimeout) == WAIT_OBJECT_0;
    CloseHandle(product);
    return ended;
}

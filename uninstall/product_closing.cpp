// A window handle kept in the product's INI file outlives a crash, and
// Windows reuses handles: the window is closed only when the program its
// process runs is the product's in this installation folder. The product
// may hang, so nothing waits without a limit.
#include "uninstall/product_closing.h"
#include "uninstall/path_forms.h"
#include "setup/path_text.h"
#include "setup/running_product.h"

#include "uninstall/kernel_lookup.h"
#include <windows.h>
#include <tlhelp32.h>

namespace {

const char ProductProgram[] = "\\nimbalun.exe";
const UINT ProductAnswerTimeout = 10000;
const DWORD ProductExitTimeout = 20000;

typedef HANDLE(WINAPI *SnapshotFunction)(DWORD, DWORD);
typedef BOOL(WINAPI *FirstModuleFunction)(HANDLE, MODULEENTRY32 *);

enum ProcessProgram {
    OtherProgram,
    ProductProgramRuns,
    ProgramUnknown
};

// Whether the process runs the product's program of this folder: its first
// module is its program file. Windows 95 and NT 5 have the tool help, NT 4
// has not: it is looked up at run time so that the program starts there.
int RunsProduct(DWORD processId, const char *folder)
{
    char program[MAX_PATH];
    MODULEENTRY32 module;
    SnapshotFunction snapshotOf;
    FirstModuleFunction firstModule;
    if (!FindKernelFunction("CreateToolhelp32Snapshot", &snapshotOf)
        || !FindKernelFunction("Module32First", &firstModule))
        return ProgramUnknown;
    if (!ComposePath(program, sizeof program, folder, ProductProgram))
        return OtherProgram;
    HANDLE snapshot = snapshotOf(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE)
        return OtherProgram;
    module.dwSize = sizeof module;
    int product = firstModule(snapshot, &module) && SamePath(module.szExePath, program);
    CloseHandle(snapshot);
    return product ? ProductProgramRuns : OtherProgram;
}

} // namespace

int CloseProduct(const char *folder)
{
    DWORD processId = 0;
    DWORD_PTR result;
    HWND window = RunningProductWindow();
    if (!window || !GetWindowThreadProcessId(window, &processId))
        return ProductClosed;
    int runs = RunsProduct(processId, folder);
    if (runs != ProductProgramRuns)
        return runs == ProgramUnknown ? ProductUnidentified : ProductClosed;
    HANDLE product = OpenProcess(SYNCHRONIZE, FALSE, processId);
    // The message the setup sends; a product that does not answer in time
    // is waited for no longer.
    SendMessageTimeoutA(window, WM_DESTROY, 0, 0, SMTO_ABORTIFHUNG, ProductAnswerTimeout, &result);
    if (!product)
        return IsWindow(window) ? ProductStillRuns : ProductClosed;
    int ended = WaitForSingleObject(product, ProductExitTimeout) == WAIT_OBJECT_0;
    CloseHandle(product);
    return ended ? ProductClosed : ProductStillRuns;
}

// KERNEL32 functions that some Windows versions lack (Tool Help on NT 4,
// MoveFileExA on Windows 95), looked up at run time: an import of one
// would keep the program from starting there at all.
#ifndef NIMBALUNE_KERNEL_LOOKUP_H
#define NIMBALUNE_KERNEL_LOOKUP_H

#include <windows.h>

// Fills in function with KERNEL32's function of that name; 0 when this
// Windows has none. GetProcAddress hands back FARPROC: its bytes are
// copied, as no cast between function pointer types is made.
template <typename Function> int FindKernelFunction(const char *name, Function *function)
{
    FARPROC found = GetProcAddress(GetModuleHandleA("KERNEL32"), name);
    if (!found)
        return 0;
    CopyMemory(function, &found, sizeof *function);
    return 1;
}

#endif

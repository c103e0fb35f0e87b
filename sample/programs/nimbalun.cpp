// Stand-in for the product's main program on the sample medium. It shows a
// window titled "Nimbalune" and, as the real product does, records that
// window in "Current hwnd" of nimbalun.ini beside itself so that a setup can
// close it; the entry goes when the window does.
#include "textwindow.h"

namespace {

char iniPath[MAX_PATH];

void RecordWindow(HWND window)
{
    char value[16];
    wsprintfA(value, "%u", (unsigned)(UINT_PTR)window);
    WritePrivateProfileStringA("", "Current hwnd", value, iniPath);
}

void ForgetWindow(HWND)
{
    WritePrivateProfileStringA("", "Current hwnd", NULL, iniPath);
}

const TextWindow Product = {
    "NimbaluneSample", "Nimbalune",
    "Nimbalune (sample product)\n\nThe real program shows desktop pictures.",
    300, 200, 400, 200, RecordWindow, ForgetWindow,
};

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    int length = (int)GetModuleFileNameA(NULL, iniPath, MAX_PATH - 16);
    while (length > 0 && iniPath[length - 1] != '\\')
        --length;
    lstrcpyA(iniPath + length, "nimbalun.ini");
    return RunTextWindow(instance, Product);
}

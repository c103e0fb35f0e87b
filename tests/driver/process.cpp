#include "driver/driver.h"

#include <vector>

namespace nldriver {

Process Launch(const std::string &commandLine, const std::string &directory)
{
    Process process;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::vector<char> command(commandLine.begin(), commandLine.end());
    command.push_back(0);
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        CloseHandle(info.hThread);
        process.handle = info.hProcess;
        process.id = info.dwProcessId;
        WaitForInputIdle(info.hProcess, 10000);
    }
    return process;
}

int WaitForExit(const Process &process, DWORD timeoutMs)
{
    if (!process.handle)
        return -1;
    if (WaitForSingleObject(process.handle, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(process.handle, &code);
    return (int)code;
}

bool IsRunning(const Process &process)
{
    return process.handle && WaitForSingleObject(process.handle, 0) == WAIT_TIMEOUT;
}

void Kill(const Process &process)
{
    if (IsRunning(process)) {
        TerminateProcess(process.handle, 99);
        WaitForSingleObject(process.handle, 5000);
    }
}

void Close(Process &process)
{
    Kill(process);
    if (process.handle)
        CloseHandle(process.handle);
    process.handle = nullptr;
}

} // namespace nldriver

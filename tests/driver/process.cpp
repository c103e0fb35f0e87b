#include "driver/driver.h"

#include <winternl.h>
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

std::string CommandLineOf(DWORD processId)
{
    std::string text;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process)
        return text;
    // The command line lies in the process's parameters, named by its PEB.
    PROCESS_BASIC_INFORMATION basic = {};
    PEB peb;
    RTL_USER_PROCESS_PARAMETERS parameters;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0
        && ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, nullptr)
        && ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof parameters, nullptr)) {
        int length = parameters.CommandLine.Length / sizeof(WCHAR);
        std::vector<WCHAR> wide(length + 1);
        if (ReadProcessMemory(process, parameters.CommandLine.Buffer, wide.data(), length * sizeof(WCHAR), nullptr)) {
            text.resize(length);
            text.resize(WideCharToMultiByte(1252, 0, wide.data(), length, &text[0], length, nullptr, nullptr));
        }
    }
    CloseHandle(process);
    return text;
}

} // namespace nldriver

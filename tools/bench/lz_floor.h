// The platform floor of both benchmarks: one file expanded or copied by
// LZ32's own LZInit and CopyLZFile alone, no window, no progress.
#ifndef NIMBALUNE_BENCH_LZ_FLOOR_H
#define NIMBALUNE_BENCH_LZ_FLOOR_H

#include <windows.h>
#include <lzexpand.h>
#include <string>

// The files are opened by CreateFileA, not by LZOpenFileA: that goes
// through OpenFile, which refuses a file whose full path has 128 characters
// or more (OFS_MAXPATHNAME), relative or not, so a checkout under a long
// folder could not be measured. LZOpenFileA does no more than OpenFile
// and LZInit; an HFILE is the file handle's value.
// 1 when the file arrived, 0 when it could not be opened or copied.
inline int LzCopyFloor(const std::string &from, const std::string &to)
{
    HANDLE input = CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (input == INVALID_HANDLE_VALUE)
        return 0;
    // Closes the file when the LZ handle is closed; on failure it stays ours.
    INT source = LZInit((HFILE)HandleToLong(input));
    if (source < 0) {
        CloseHandle(input);
        return 0;
    }
    HANDLE output = CreateFileA(to.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    int copied = output != INVALID_HANDLE_VALUE && CopyLZFile(source, (HFILE)HandleToLong(output)) >= 0;
    LZClose(source);
    if (output != INVALID_HANDLE_VALUE)
        CloseHandle(output);
    return copied;
}

#endif

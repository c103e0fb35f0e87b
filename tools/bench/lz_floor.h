// The platform floor of both benchmarks: one file expanded or copied by
// LZOpenFileA and CopyLZFile alone, no window, no progress.
#ifndef NIMBALUNE_BENCH_LZ_FLOOR_H
#define NIMBALUNE_BENCH_LZ_FLOOR_H

#include <windows.h>
#include <lzexpand.h>
#include <string>

// 1 when the file arrived, 0 when it could not be opened or copied.
inline int LzCopyFloor(std::string from, std::string to)
{
    OFSTRUCT info;
    INT source = LZOpenFileA(&from[0], &info, OF_READ);
    INT target = LZOpenFileA(&to[0], &info, OF_CREATE);
    int copied = source >= 0 && target >= 0 && CopyLZFile(source, target) >= 0;
    if (source >= 0)
        LZClose(source);
    if (target >= 0)
        LZClose(target);
    return copied;
}

#endif

// The version of an installed program file. The version resource gives the
// two file-version words; a file without one is dated by the time of day of
// its last write instead (hour.minute, second.0), which the caller compares
// in the same way.
#include "setup/installed_version.h"
#include "setup/system_library.h"

namespace {

const DWORD VersionBufferSize = 2048;
DWORD versionBuffer[VersionBufferSize / sizeof(DWORD)];   // reused by every query

// Fields of a DOS time word.
const WORD DosSecondsMask = 0x1F;        // bits 0-4: seconds / 2
const WORD DosMinuteMask = 0x3F;         // bits 5-10
const int DosMinuteShift = 5;
const int DosHourShift = 11;             // bits 11-15

} // namespace

int QueryFileTimeVersion(const char *path, DWORD *versionMS, DWORD *versionLS)
{
    if (!path)
        return 0;
    HFILE file = _lopen(path, OF_READ);
    if (file == HFILE_ERROR)
        return 0;

    FILETIME written, local;
    WORD dosDate, dosTime;
    if (!GetFileTime((HANDLE)(LONG_PTR)file, NULL, NULL, &written)
        || !FileTimeToLocalFileTime(&written, &local)
        || !FileTimeToDosDateTime(&local, &dosDate, &dosTime)) {
        _lclose(file);
        return 0;
    }
    if (versionMS)
        *versionMS = ((DWORD)(dosTime >> DosHourShift) << 16) | ((dosTime >> DosMinuteShift) & DosMinuteMask);
    if (versionLS)
        *versionLS = (DWORD)((dosTime & DosSecondsMask) * 2) << 16;
    _lclose(file);
    return 1;
}

int QueryInstalledVersion(const char *path, DWORD *versionMS, DWORD *versionLS)
{
    if (versionMS)
        *versionMS = 0;
    if (versionLS)
        *versionLS = 0;
    if (!path)
        return 0;

    DWORD handle = 0;
    DWORD size = SysGetFileVersionInfoSizeA(path, &handle);
    if (size == 0)
        return QueryFileTimeVersion(path, versionMS, versionLS);
    if (size > VersionBufferSize)
        size = VersionBufferSize;   // the fixed part always comes first
    if (!SysGetFileVersionInfoA(path, handle, size, versionBuffer))
        return QueryFileTimeVersion(path, versionMS, versionLS);

    VS_FIXEDFILEINFO *fixed = NULL;
    UINT length = 0;
    char root[] = "\\";
    // A resource without a fixed part would hand back other data in its place.
    if (!SysVerQueryValueA(versionBuffer, root, (void **)&fixed, &length) || !fixed
        || length < sizeof(VS_FIXEDFILEINFO))
        return QueryFileTimeVersion(path, versionMS, versionLS);

    if (versionMS)
        *versionMS = fixed->dwFileVersionMS;
    if (versionLS)
        *versionLS = fixed->dwFileVersionLS;
    return 1;
}

#include "support/version_resource.h"
#include "support/test_support.h"

#include <cstring>
#include <vector>

namespace nltest {

namespace {

// The binary layout of a VS_VERSIONINFO block without children.
std::vector<BYTE> VersionBlock(const VS_FIXEDFILEINFO &fixed)
{
    static const wchar_t key[] = L"VS_VERSION_INFO";
    const size_t keyBytes = sizeof key;                   // with the terminator
    const size_t valueOffset = (6 + keyBytes + 3) & ~(size_t)3;
    std::vector<BYTE> block(valueOffset + sizeof fixed, 0);
    WORD header[3] = {(WORD)block.size(), (WORD)sizeof fixed, 0};
    std::memcpy(block.data(), header, sizeof header);
    std::memcpy(block.data() + 6, key, keyBytes);
    std::memcpy(block.data() + valueOffset, &fixed, sizeof fixed);
    return block;
}

} // namespace

bool WriteVersionedProgram(const std::string &path, WORD major, WORD minor, WORD build, WORD revision,
                           bool zeroFixedPart)
{
    std::string original = JoinPath(ProgramDirectory(), "product_standin.exe");
    if (!CopyFileA(original.c_str(), path.c_str(), FALSE))
        return false;
    VS_FIXEDFILEINFO fixed = {};
    if (!zeroFixedPart) {
        fixed.dwSignature = VS_FFI_SIGNATURE;
        fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
        fixed.dwFileVersionMS = MAKELONG(minor, major);
        fixed.dwFileVersionLS = MAKELONG(revision, build);
        fixed.dwProductVersionMS = fixed.dwFileVersionMS;
        fixed.dwProductVersionLS = fixed.dwFileVersionLS;
        fixed.dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
        fixed.dwFileOS = VOS__WINDOWS32;
        fixed.dwFileType = VFT_APP;
    }
    std::vector<BYTE> block = VersionBlock(fixed);
    HANDLE update = BeginUpdateResourceA(path.c_str(), FALSE);
    if (!update)
        return false;
    BOOL ok = UpdateResourceA(update, (LPCSTR)RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO),
                              MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), block.data(), (DWORD)block.size());
    return EndUpdateResourceA(update, !ok) && ok;
}

bool SetLocalWriteTime(const std::string &path, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME time;
    GetLocalTime(&time);
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    time.wMilliseconds = 0;
    FILETIME local, utc;
    if (!SystemTimeToFileTime(&time, &local) || !LocalFileTimeToFileTime(&local, &utc))
        return false;
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BOOL ok = SetFileTime(file, nullptr, nullptr, &utc);
    CloseHandle(file);
    return ok != FALSE;
}

} // namespace nltest

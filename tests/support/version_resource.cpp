#include "support/version_resource.h"
#include "support/test_support.h"

#include <cstring>
#include <vector>

namespace nltest {

namespace {

// One block: length, value length, type, key, value on a 4-byte boundary.
std::vector<BYTE> Block(const wchar_t *key, size_t keyBytes, const void *value, size_t valueBytes, WORD type)
{
    const size_t valueOffset = (6 + keyBytes + 3) & ~(size_t)3;
    std::vector<BYTE> block(valueOffset + valueBytes, 0);
    WORD header[3] = {(WORD)block.size(), (WORD)valueBytes, type};
    std::memcpy(block.data(), header, sizeof header);
    std::memcpy(block.data() + 6, key, keyBytes);
    if (valueBytes)
        std::memcpy(block.data() + valueOffset, value, valueBytes);
    return block;
}

// The binary layout of a VS_VERSIONINFO block, with one binary child of
// paddingBytes when asked for.
std::vector<BYTE> VersionBlock(const VS_FIXEDFILEINFO &fixed, size_t paddingBytes)
{
    static const wchar_t key[] = L"VS_VERSION_INFO";
    static const wchar_t childKey[] = L"Padding";
    std::vector<BYTE> block = Block(key, sizeof key, &fixed, sizeof fixed, 0);
    if (paddingBytes) {
        std::vector<BYTE> filler(paddingBytes, 'p');
        std::vector<BYTE> child = Block(childKey, sizeof childKey, filler.data(), filler.size(), 0);
        block.resize((block.size() + 3) & ~(size_t)3, 0);
        block.insert(block.end(), child.begin(), child.end());
        WORD length = (WORD)block.size();
        std::memcpy(block.data(), &length, sizeof length);
    }
    return block;
}

} // namespace

bool WriteVersionedProgram(const std::string &path, WORD major, WORD minor, WORD build, WORD revision,
                           bool zeroFixedPart, size_t paddingBytes)
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
    std::vector<BYTE> block = VersionBlock(fixed, paddingBytes);
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

// The product's Program Manager group: the distribution's group file is
// copied into the Windows directory, its paths are pointed at the chosen
// drive, its checksum is repaired and it is listed in progman.ini.
#include "desktop/progman_group.h"
#include "setup/path_text.h"
#include "install/file_copier.h"
#include "setup/message_catalogue.h"
#include "setup/setup_context.h"

#include <windows.h>

namespace {

#define NL_GROUP_TEMPLATE(path) const char TemplatePattern[] = path;
#include "install/medium_layout.def"

// Where the group file holds the drive letter of a path into the
// destination directory.
const LONG DriveLetterOffsets[] = {
#define NL_GROUP_DRIVE_OFFSET(offset) offset,
#include "install/medium_layout.def"
};

enum {
    ChecksumOffset = 4,
    GroupTextOffset = 4678,
    // Anything shorter is no group file of ours: writing at the offsets
    // above would grow it with garbage.
    SmallestGroupFileSize = 7012,
    GroupKeySize = 16
};

char groupPath[PathBufferSize];

// Makes the 16-bit sum of all words of the file 0 through the checksum
// word. A last odd byte takes no part in the sum.
void RepairChecksum(HFILE file, LONG size)
{
    HGLOBAL memory = GlobalAlloc(GMEM_NODISCARD, (SIZE_T)size);
    BYTE *bytes;
    WORD sum = 0;
    LONG i;

    if (!memory)
        return;
    bytes = (BYTE *)GlobalLock(memory);
    if (!bytes) {
        GlobalFree(memory);
        return;
    }
    // Only a file read whole is written back.
    if (_llseek(file, 0, FILE_BEGIN) == 0 && _lread(file, bytes, (UINT)size) == (UINT)size) {
        bytes[ChecksumOffset] = 0;
        bytes[ChecksumOffset + 1] = 0;
        for (i = 0; i + 1 < size; i += 2)
            sum = (WORD)(sum - (bytes[i] | (bytes[i + 1] << 8)));
        bytes[ChecksumOffset] = LOBYTE(sum);
        bytes[ChecksumOffset + 1] = HIBYTE(sum);
        _llseek(file, 0, FILE_BEGIN);
        _lwrite(file, (LPCCH)bytes, (UINT)size);
    }
    GlobalUnlock(memory);
    GlobalFree(memory);
}

void PatchGroupFile(HFILE file)
{
    const char *groupText = MessageText(GroupFileText);
    LONG size = _llseek(file, 0, FILE_END);
    unsigned int i;

    if (size == HFILE_ERROR || size < SmallestGroupFileSize)
        return;
    for (i = 0; i < sizeof DriveLetterOffsets / sizeof DriveLetterOffsets[0]; i++) {
        _llseek(file, DriveLetterOffsets[i], FILE_BEGIN);
        _lwrite(file, setupContext.installDir, 1);
    }
    _llseek(file, GroupTextOffset, FILE_BEGIN);
    _lwrite(file, groupText, (UINT)lstrlenA(groupText) + 1);
    RepairChecksum(file, size);
}

// Lists groupPath under the first free GroupN key of progman.ini, unless a
// key before it already names the group.
void RegisterGroup(const char *windowsDirectory)
{
    char settingsPath[PathBufferSize];
    char key[GroupKeySize];
    char value[PathBufferSize];
    int number;

    if (!ComposePath(settingsPath, sizeof settingsPath, windowsDirectory, SettingsFileName))
        return;
    for (number = 1; number <= MaxGroupNumber; number++) {
        wsprintfA(key, "Group%d", number);
        if (!GetPrivateProfileStringA(GroupsSection, key, "", value, sizeof value, settingsPath)) {
            WritePrivateProfileStringA(GroupsSection, key, groupPath, settingsPath);
            return;
        }
        if (lstrcmpiA(value, groupPath) == 0)
            return;
    }
}

} // namespace

void InstallProgmanGroup(CopyFailureHandler onFailure)
{
    char windowsDirectory[PathBufferSize];
    UINT length = GetWindowsDirectoryA(windowsDirectory, sizeof windowsDirectory);
    HFILE file;

    if (length == 0 || length >= sizeof windowsDirectory)
        return;
    CopyFiles(TemplatePattern, windowsDirectory, 0, NULL, onFailure);
    if (!ComposePath(groupPath, sizeof groupPath, windowsDirectory, GroupFileName))
        return;
    SetFileAttributesA(groupPath, FILE_ATTRIBUTE_NORMAL);
    // _lopen rather than OpenFile, which takes no path of OFS_MAXPATHNAME
    // (128) characters or more.
    file = _lopen(groupPath, OF_READWRITE);
    if (file != HFILE_ERROR) {
        PatchGroupFile(file);
        _lclose(file);
    }
    RegisterGroup(windowsDirectory);
}

// The product's place in the Windows shell: uninstall entry and shortcuts.
#ifndef NIMBALUNE_SHELL_LINKS_H
#define NIMBALUNE_SHELL_LINKS_H

#include <windows.h>

// Where the product is registered: the uninstall key under HKEY_LOCAL_MACHINE,
// the per-user shell folders key, the product's Programs-menu folder and
// its start-up shortcut (each name appended to a folder).
extern const char UninstallEntryKey[];
extern const char ShellFoldersKey[];
extern const char ProductFolderName[];
extern const char StartUpShortcutName[];

// One "Shell Folders" value ("Programs", "StartUp", ...) as text; 0 when
// it is missing or does not fit.
int ReadShellFolder(const char *valueName, char *folder, DWORD capacity);

// The start of a command that opens a folder in an Explorer window:
// `program` ("explorer.exe", spelled as the caller has always spelled it)
// by its full path in the Windows folder, then a blank for the folder's
// path. A bare name would be looked for beside setup.exe first, where a
// copied medium may hold a planted program. Returns the length written,
// 0 when it does not fit in capacity bytes.
int ComposeExplorerCommand(char *command, int capacity, const char *program);

void InstallDesktopIntegration();
void CreateShellLink(const char *targetPath, const char *arguments, const char *linkPath,
                     const char *workingDirectory, int showCommand);
// The target of a shortcut file, in capacity bytes; 0 when it cannot be
// read.
int ReadShellLinkTarget(const char *linkPath, char *target, int capacity);
int StartProcess(const char *commandLine);

#endif

// The product's place in the Windows shell: uninstall entry and shortcuts.
#ifndef NIMBALUNE_SHELL_LINKS_H
#define NIMBALUNE_SHELL_LINKS_H

// The command that opens a folder in an Explorer window: the folder's path
// follows the blank.
constexpr char ExplorerCommand[] = "explorer.exe ";

void InstallDesktopIntegration();
void CreateShellLink(const char *targetPath, const char *arguments, const char *linkPath,
                     const char *workingDirectory, int showCommand);
int StartProcess(const char *commandLine);

#endif

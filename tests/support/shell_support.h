// Helpers for tests of the shell integration: "Shell Folders" values
// pointed at test folders, shortcut files read back through the shell's
// link object, files and registry keys put back as they were, and the
// processes a test caused.
#ifndef NIMBALUNE_SHELL_SUPPORT_H
#define NIMBALUNE_SHELL_SUPPORT_H

#include "support/saved_settings.h"

#include <windows.h>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace nltest {

extern const char ShellFoldersKey[];
extern const char UserShellFoldersKey[];

// Points "Shell Folders" values at other folders (or removes them) for the
// life of the object, then puts the original values back. The shell may
// rewrite "Shell Folders" from "User Shell Folders" at any moment (a new
// Explorer does), so Set points both at the folder.
class ShellFoldersOverride : public SavedState {
public:
    void Set(const std::string &value, const std::string &folder);
    // Removes the value from "Shell Folders" only.
    void Remove(const std::string &value);
    // Stores raw data of any type as the "Shell Folders" value.
    void SetRaw(const std::string &value, DWORD type, const std::string &data);
};

// A file's contents (or its absence), put back when the object goes.
class FileBackup : public SavedState {
public:
    explicit FileBackup(const std::string &path) { KeepFile(path); }
};

// The string values of one registry key (or its absence), put back when
// the object goes.
class RegistryKeyBackup : public SavedState {
public:
    RegistryKeyBackup(HKEY root, const std::string &key) { KeepRegistryKey(root, key); }
};

// A shortcut file as the shell's link object reads it; ok is false when
// it could not be read.
struct Shortcut {
    bool ok = false;
    std::string target;
    std::string arguments;
    std::string workingDirectory;
    int showCommand = 0;
};
Shortcut ReadShortcut(const std::string &linkPath);
// Writes a shortcut file to target through the same object.
bool WriteShortcut(const std::string &linkPath, const std::string &target);

// The ids of the running processes whose program file has this name.
std::set<DWORD> ProcessIds(const std::string &exeName);
// The visible top-level windows of a process, by title.
std::vector<std::string> WindowTitles(DWORD processId);
// Ends a process the test caused: closes its windows, then terminates it
// if it is still there.
void EndProcess(DWORD processId);

// The names of the entries of a directory, "." and ".." left out.
std::set<std::string> DirectoryEntries(const std::string &directory);

} // namespace nltest

#endif

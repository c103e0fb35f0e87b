// Helpers shared by the unit and end-to-end tests: locations, files,
// win.ini and registry access, and text conversion.
#ifndef NIMBALUNE_TEST_SUPPORT_H
#define NIMBALUNE_TEST_SUPPORT_H

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace nltest {

// The build and source trees as Windows paths (set by scripts/wine-run.sh).
std::string BuildDir();
std::string SourceDir();
std::string JoinPath(const std::string &directory, const std::string &name);

// A fresh, empty directory under the build tree, removed with everything in
// it when the object goes.
class TempDir {
public:
    explicit TempDir(const std::string &tag = "tmp");
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }
    std::string operator/(const std::string &name) const { return JoinPath(path_, name); }

private:
    std::string path_;
};

// Calls visit with each entry of a directory whose name matches pattern,
// "." and ".." left out, in the order the file system lists them.
void ForEachEntry(const std::string &directory, const std::function<void(const WIN32_FIND_DATAA &)> &visit,
                  const std::string &pattern = "*");
bool IsDirectoryEntry(const WIN32_FIND_DATAA &entry);

bool FileExists(const std::string &path);
bool DirectoryExists(const std::string &path);
bool ReadFileBytes(const std::string &path, std::string &bytes);
std::string ReadFileText(const std::string &path);
bool WriteFileBytes(const std::string &path, const std::string &bytes);
bool MakeDirectories(const std::string &path);
// Removes a directory tree, clearing read-only attributes on the way.
void RemoveTree(const std::string &path);
// The same, tried again for a while: a program that is still ending may
// hold a folder for a moment.
void RemoveTreePatiently(const std::string &path);
std::string CurrentDirectory();

// The current directory, made current again when the object goes.
class SavedCurrentDirectory {
public:
    SavedCurrentDirectory() : path_(CurrentDirectory()) {}
    ~SavedCurrentDirectory() { SetCurrentDirectoryA(path_.c_str()); }
    SavedCurrentDirectory(const SavedCurrentDirectory &) = delete;
    SavedCurrentDirectory &operator=(const SavedCurrentDirectory &) = delete;
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

// win.ini and other profile files.
std::string GetProfile(const char *section, const char *key);
void SetProfile(const char *section, const char *key, const char *value);
void DeleteProfileSection(const char *section);

bool RegistryKeyExists(HKEY root, const std::string &key);
// A registry value's raw type and bytes; false when absent.
bool ReadRegistryRaw(HKEY root, const std::string &key, const std::string &value, DWORD &type,
                     std::string &data);
// Registry values as strings; returns false when absent.
bool ReadRegistryString(HKEY root, const std::string &key, const std::string &value, std::string &data);
bool WriteRegistryString(HKEY root, const std::string &key, const std::string &value, const std::string &data);
// Writes a value's raw type and bytes, creating the key when it is absent.
bool WriteRegistryRaw(HKEY root, const std::string &key, const std::string &value, DWORD type,
                      const std::string &data);
void DeleteRegistryTree(HKEY root, const std::string &key);
void DeleteRegistryValue(HKEY root, const std::string &key, const std::string &value);

// Text conversion between the UTF-8 of test sources and Windows-1252.
std::string Cp1252(const std::string &utf8);
std::string Utf8(const std::string &cp1252);

// Lower-case hexadecimal SHA-256 of some bytes.
std::string Sha256Hex(const std::string &bytes);

// The top-level windows of one process (0: of every process), shown or not.
std::vector<HWND> TopLevelWindows(DWORD processId = 0);

// The directory of the running test program.
std::string ProgramDirectory();

// The limit of a wait for something that is to happen: on a loaded 2-core
// machine, Wine start-up and Explorer windows can take well over 10 s. A
// wait observes, so the limit costs time only when the thing never comes.
const DWORD PatientMs = 60000;

// Polls a condition every pollMs; true when it held before the time-out.
bool WaitUntil(const std::function<bool()> &condition, DWORD timeoutMs = PatientMs, DWORD pollMs = 50);

} // namespace nltest

#endif

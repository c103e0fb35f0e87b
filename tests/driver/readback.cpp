#include "driver/readback.h"
#include "support/shell_support.h"
#include "support/test_support.h"

#include <windows.h>

namespace nldriver {

namespace {

void Walk(const std::string &root, const std::string &relative, bool wantDirectories,
          std::vector<std::string> &out)
{
    nltest::ForEachEntry(relative.empty() ? root : nltest::JoinPath(root, relative), [&](const WIN32_FIND_DATAA &entry) {
        std::string path = relative.empty() ? entry.cFileName : relative + "\\" + entry.cFileName;
        bool directory = nltest::IsDirectoryEntry(entry);
        if (directory == wantDirectories)
            out.push_back(path);
        if (directory)
            Walk(root, path, wantDirectories, out);
    });
}

} // namespace

std::vector<std::string> ListFiles(const std::string &directory)
{
    std::vector<std::string> files;
    Walk(directory, "", false, files);
    return files;
}

std::vector<std::string> ListDirectories(const std::string &directory)
{
    std::vector<std::string> directories;
    Walk(directory, "", true, directories);
    return directories;
}

std::string ShellFolder(const std::string &name)
{
    std::string value;
    nltest::ReadRegistryString(HKEY_CURRENT_USER, nltest::ShellFoldersKey, name, value);
    return value;
}

std::map<std::string, std::string> ProfileSection(const std::string &section, const std::string &file)
{
    std::vector<char> buffer(32768);
    DWORD length = file.empty()
        ? GetProfileSectionA(section.c_str(), buffer.data(), (DWORD)buffer.size())
        : GetPrivateProfileSectionA(section.c_str(), buffer.data(), (DWORD)buffer.size(), file.c_str());
    std::map<std::string, std::string> values;
    for (const char *line = buffer.data(); line < buffer.data() + length && *line; line += lstrlenA(line) + 1) {
        std::string text = line;
        size_t equals = text.find('=');
        if (equals != std::string::npos)
            values[text.substr(0, equals)] = text.substr(equals + 1);
    }
    return values;
}

std::string WindowsDirectory()
{
    char path[MAX_PATH] = {};
    GetWindowsDirectoryA(path, MAX_PATH);
    return path;
}

} // namespace nldriver

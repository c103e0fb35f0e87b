#include "driver/inspect.h"
#include "support/test_support.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace nldriver {

namespace {

void Walk(const std::string &root, const std::string &relative, bool wantDirectories,
          std::vector<std::string> &out)
{
    WIN32_FIND_DATAA entry;
    std::string base = relative.empty() ? root : nltest::JoinPath(root, relative);
    HANDLE search = FindFirstFileA(nltest::JoinPath(base, "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = relative.empty() ? name : relative + "\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (wantDirectories)
                out.push_back(path);
            Walk(root, path, wantDirectories, out);
        } else if (!wantDirectories) {
            out.push_back(path);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

} // namespace

Shortcut ReadShortcut(const std::string &path)
{
    Shortcut shortcut;
    HRESULT initialised = CoInitialize(nullptr);
    IShellLinkA *link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   (void **)&link))) {
        IPersistFile *file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))) {
            wchar_t wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
            if (SUCCEEDED(file->Load(wide, STGM_READ))) {
                char text[MAX_PATH] = {};
                link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
                shortcut.target = text;
                text[0] = 0;
                link->GetArguments(text, MAX_PATH);
                shortcut.arguments = text;
                text[0] = 0;
                link->GetWorkingDirectory(text, MAX_PATH);
                shortcut.workingDirectory = text;
                link->GetShowCmd(&shortcut.showCommand);
                shortcut.ok = true;
            }
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(initialised))
        CoUninitialize();
    return shortcut;
}

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
    nltest::ReadRegistryString(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                               name, value);
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

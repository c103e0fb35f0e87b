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

const size_t GroupDriveLetterOffsets[9] = {140, 165, 2416, 2441, 4719, 4744, 6973, 6992, 7011};

unsigned GroupWordSum(const std::string &bytes)
{
    unsigned sum = 0;
    for (size_t offset = 0; offset + 1 < bytes.size(); offset += 2)
        sum += (unsigned char)bytes[offset] | (unsigned char)bytes[offset + 1] << 8;
    return sum & 0xFFFF;
}

std::string GroupPatchFaults(const std::string &group, char drive)
{
    if (group.size() <= GroupDriveLetterOffsets[8])
        return "only " + std::to_string(group.size()) + " bytes";
    std::string faults;
    for (size_t offset : GroupDriveLetterOffsets)
        if (group[offset] != drive)
            faults += "offset " + std::to_string(offset) + " holds '" + group[offset] + "'; ";
    if (GroupWordSum(group) != 0)
        faults += "word sum " + std::to_string(GroupWordSum(group));
    return faults;
}

} // namespace nldriver

#include "support/saved_settings.h"
#include "support/shell_support.h"
#include "support/test_support.h"

namespace nltest {

namespace {

const char AbsentMark[] = "\x01(absent)";

} // namespace

SavedState::~SavedState()
{
    for (auto undo = undo_.rbegin(); undo != undo_.rend(); ++undo)
        (*undo)();
}

void SavedState::KeepProfileValue(const std::string &section, const std::string &key)
{
    char value[4096] = {};
    GetProfileStringA(section.c_str(), key.c_str(), AbsentMark, value, sizeof value);
    bool present = lstrcmpA(value, AbsentMark) != 0;
    std::string saved = present ? value : "";
    undo_.push_back([=] {
        WriteProfileStringA(section.c_str(), key.c_str(), present ? saved.c_str() : nullptr);
        char keys[4096] = {};
        if (!present && GetProfileSectionA(section.c_str(), keys, sizeof keys) == 0)
            WriteProfileStringA(section.c_str(), nullptr, nullptr);
    });
}

void SavedState::KeepRegistryValue(HKEY root, const std::string &key, const std::string &value)
{
    bool keyExisted = RegistryKeyExists(root, key);
    DWORD type = 0;
    std::string data;
    bool present = ReadRegistryRaw(root, key, value, type, data);
    undo_.push_back([=] {
        if (present)
            WriteRegistryRaw(root, key, value, type, data);
        else if (keyExisted)
            DeleteRegistryValue(root, key, value);
        else
            DeleteRegistryTree(root, key);
    });
}

void SavedState::KeepRegistryKey(HKEY root, const std::string &key)
{
    HKEY handle;
    bool existed = RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) == ERROR_SUCCESS;
    std::vector<std::pair<std::string, std::string>> values;
    for (DWORD index = 0; existed; ++index) {
        char name[256];
        DWORD nameSize = sizeof name;
        if (RegEnumValueA(handle, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        std::string data;
        ReadRegistryString(root, key, name, data);
        values.push_back({name, data});
    }
    if (existed)
        RegCloseKey(handle);
    undo_.push_back([=] {
        DeleteRegistryTree(root, key);
        if (!existed)
            return;
        WriteRegistryString(root, key, "", "");
        DeleteRegistryValue(root, key, "");
        for (const auto &value : values)
            WriteRegistryString(root, key, value.first, value.second);
    });
}

void SavedState::KeepFile(const std::string &path)
{
    std::string bytes;
    bool existed = FileExists(path) && ReadFileBytes(path, bytes);
    undo_.push_back([=] {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (existed)
            WriteFileBytes(path, bytes);
        else
            DeleteFileA(path.c_str());
    });
}

SavedProfileValue::SavedProfileValue(const std::string &section, const std::string &key)
    : section_(section), key_(key)
{
    KeepProfileValue(section, key);
}

void SavedProfileValue::Set(const std::string &value)
{
    WriteProfileStringA(section_.c_str(), key_.c_str(), value.c_str());
}

void SavedProfileValue::Remove()
{
    WriteProfileStringA(section_.c_str(), key_.c_str(), nullptr);
}

SavedRegistryValue::SavedRegistryValue(HKEY root, const std::string &key, const std::string &value)
    : root_(root), key_(key), value_(value)
{
    KeepRegistryValue(root, key, value);
}

void SavedRegistryValue::Set(const std::string &data)
{
    WriteRegistryString(root_, key_, value_, data);
}

void SavedRegistryValue::Remove()
{
    DeleteRegistryValue(root_, key_, value_);
}

} // namespace nltest

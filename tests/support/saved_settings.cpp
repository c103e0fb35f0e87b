#include "support/saved_settings.h"
#include "support/test_support.h"

namespace nltest {

namespace {

const char AbsentMark[] = "\x01(absent)";

bool KeyExists(HKEY root, const std::string &key)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

} // namespace

SavedProfileValue::SavedProfileValue(const std::string &section, const std::string &key)
    : section_(section), key_(key)
{
    char value[4096] = {};
    GetProfileStringA(section.c_str(), key.c_str(), AbsentMark, value, sizeof value);
    present_ = lstrcmpA(value, AbsentMark) != 0;
    value_ = present_ ? value : "";
}

SavedProfileValue::~SavedProfileValue()
{
    WriteProfileStringA(section_.c_str(), key_.c_str(), present_ ? value_.c_str() : nullptr);
    // Leave no empty section behind.
    char keys[4096] = {};
    if (!present_ && GetProfileSectionA(section_.c_str(), keys, sizeof keys) == 0)
        WriteProfileStringA(section_.c_str(), nullptr, nullptr);
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
    keyExisted_ = KeyExists(root, key);
    present_ = ReadRegistryString(root, key, value, data_);
}

SavedRegistryValue::~SavedRegistryValue()
{
    if (present_)
        WriteRegistryString(root_, key_, value_, data_);
    else if (keyExisted_)
        DeleteRegistryValue(root_, key_, value_);
    else
        DeleteRegistryTree(root_, key_);
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

// Settings a test changes in the shared Wine prefix, put back as they were
// (values that were absent are removed again) when the object goes.
#ifndef NIMBALUNE_SAVED_SETTINGS_H
#define NIMBALUNE_SAVED_SETTINGS_H

#include <windows.h>
#include <string>

namespace nltest {

// One win.ini value.
class SavedProfileValue {
public:
    SavedProfileValue(const std::string &section, const std::string &key);
    ~SavedProfileValue();
    SavedProfileValue(const SavedProfileValue &) = delete;
    SavedProfileValue &operator=(const SavedProfileValue &) = delete;
    void Set(const std::string &value);     // written as it is (Windows-1252)
    void Remove();

private:
    std::string section_, key_, value_;
    bool present_;
};

// One registry string value; a key that did not exist is deleted again.
class SavedRegistryValue {
public:
    SavedRegistryValue(HKEY root, const std::string &key, const std::string &value);
    ~SavedRegistryValue();
    SavedRegistryValue(const SavedRegistryValue &) = delete;
    SavedRegistryValue &operator=(const SavedRegistryValue &) = delete;
    void Set(const std::string &data);
    void Remove();

private:
    HKEY root_;
    std::string key_, value_, data_;
    bool keyExisted_, present_;
};

// win.ini [Intl] "sLanguage" (kept in the registry by Wine).
class SavedLanguageSetting : public SavedRegistryValue {
public:
    SavedLanguageSetting() : SavedRegistryValue(HKEY_CURRENT_USER, "Control Panel\\International", "sLanguage") {}
};

} // namespace nltest

#endif

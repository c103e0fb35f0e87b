// State a test changes in the shared Wine prefix, put back as it was
// (what was absent is removed again) when the object goes.
#ifndef NIMBALUNE_SAVED_SETTINGS_H
#define NIMBALUNE_SAVED_SETTINGS_H

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace nltest {

// Keeps what it is asked to keep and puts it back when it goes, the last
// kept first (so keeping the same thing twice puts back the first state).
class SavedState {
public:
    SavedState() = default;
    ~SavedState();
    SavedState(const SavedState &) = delete;
    SavedState &operator=(const SavedState &) = delete;

    // One win.ini value; an emptied section goes too.
    void KeepProfileValue(const std::string &section, const std::string &key);
    // One registry value of any type; a key that did not exist goes again.
    void KeepRegistryValue(HKEY root, const std::string &key, const std::string &value);
    // The string values of one registry key, whatever was added below it.
    void KeepRegistryKey(HKEY root, const std::string &key);
    // A file's contents, or its absence.
    void KeepFile(const std::string &path);

private:
    std::vector<std::function<void()>> undo_;
};

// One win.ini value, with the ways tests change it.
class SavedProfileValue : public SavedState {
public:
    SavedProfileValue(const std::string &section, const std::string &key);
    void Set(const std::string &value);     // written as it is (Windows-1252)
    void Remove();

private:
    std::string section_, key_;
};

// One registry string value, with the ways tests change it.
class SavedRegistryValue : public SavedState {
public:
    SavedRegistryValue(HKEY root, const std::string &key, const std::string &value);
    void Set(const std::string &data);
    void Remove();
    // Set, or Remove when data is null.
    void SetOrRemove(const char *data) { data ? Set(data) : Remove(); }

private:
    HKEY root_;
    std::string key_, value_;
};

// win.ini [Intl] "sLanguage" (kept in the registry by Wine).
class SavedLanguageSetting : public SavedRegistryValue {
public:
    SavedLanguageSetting() : SavedRegistryValue(HKEY_CURRENT_USER, "Control Panel\\International", "sLanguage") {}
};

} // namespace nltest

#endif

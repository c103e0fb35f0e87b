// A system function replaced for the test program's own calls: the code
// under test is linked into the test program, so its calls go through the
// program's import table.
#ifndef NIMBALUNE_IMPORT_OVERRIDE_H
#define NIMBALUNE_IMPORT_OVERRIDE_H

#include <windows.h>

namespace nltest {

// Points the running program's imports of a function at a replacement for
// the life of the object. replaced() is false when no import had that name.
class ImportOverride {
public:
    ImportOverride(const char *function, const void *replacement);
    ~ImportOverride();
    ImportOverride(const ImportOverride &) = delete;
    ImportOverride &operator=(const ImportOverride &) = delete;
    bool replaced() const { return slot_ != nullptr; }

private:
    ULONG_PTR *slot_ = nullptr;
    ULONG_PTR original_ = 0;
};

} // namespace nltest

#endif

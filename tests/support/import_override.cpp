#include "support/import_override.h"

namespace nltest {

namespace {

void WriteSlot(ULONG_PTR *slot, ULONG_PTR value)
{
    DWORD protection;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

// The import address slot of the named function, found through the import
// lookup table beside it.
ULONG_PTR *FindSlot(const char *function)
{
    BYTE *base = (BYTE *)GetModuleHandleA(nullptr);
    const IMAGE_NT_HEADERS *headers = (const IMAGE_NT_HEADERS *)(base + ((const IMAGE_DOS_HEADER *)base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY &imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (const IMAGE_IMPORT_DESCRIPTOR *dll = (const IMAGE_IMPORT_DESCRIPTOR *)(base + imports.VirtualAddress);
         imports.VirtualAddress && dll->Name; ++dll) {
        const IMAGE_THUNK_DATA *names = (const IMAGE_THUNK_DATA *)(base + dll->OriginalFirstThunk);
        ULONG_PTR *slots = (ULONG_PTR *)(base + dll->FirstThunk);
        for (size_t i = 0; dll->OriginalFirstThunk && names[i].u1.AddressOfData; ++i) {
            if (IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal))
                continue;
            const IMAGE_IMPORT_BY_NAME *name = (const IMAGE_IMPORT_BY_NAME *)(base + names[i].u1.AddressOfData);
            if (lstrcmpA((const char *)name->Name, function) == 0)
                return &slots[i];
        }
    }
    return nullptr;
}

} // namespace

ImportOverride::ImportOverride(const char *function, const void *replacement) : slot_(FindSlot(function))
{
    if (slot_) {
        original_ = *slot_;
        WriteSlot(slot_, (ULONG_PTR)replacement);
    }
}

ImportOverride::~ImportOverride()
{
    if (slot_)
        WriteSlot(slot_, original_);
}

} // namespace nltest

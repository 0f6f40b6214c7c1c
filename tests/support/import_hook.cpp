// Import address table patching of the test executable.
#include "import_hook.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tst {
namespace {

template <typename T>
T* AtOffset(BYTE* base, DWORD_PTR offset) {
    return reinterpret_cast<T*>(base + offset);
}

// Every IAT slot of the executable that imports `function` from `dll`.
std::vector<void**> FindSlots(const char* dll, const char* function) {
    std::vector<void**> slots;
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = AtOffset<IMAGE_NT_HEADERS>(base, dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return slots;
    for (auto* entry = AtOffset<IMAGE_IMPORT_DESCRIPTOR>(base, imports.VirtualAddress); entry->Name; ++entry) {
        if (_stricmp(AtOffset<char>(base, entry->Name), dll) != 0) continue;
        DWORD lookupOffset = entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk;
        auto* lookup = AtOffset<IMAGE_THUNK_DATA>(base, lookupOffset);
        auto* address = AtOffset<IMAGE_THUNK_DATA>(base, entry->FirstThunk);
        for (; lookup->u1.AddressOfData; ++lookup, ++address) {
            if (IMAGE_SNAP_BY_ORDINAL(lookup->u1.Ordinal)) continue;
            auto* byName = AtOffset<IMAGE_IMPORT_BY_NAME>(base, lookup->u1.AddressOfData);
            if (!std::strcmp(byName->Name, function)) slots.push_back(reinterpret_cast<void**>(&address->u1.Function));
        }
    }
    return slots;
}

void WriteSlot(void** slot, void* value) {
    DWORD oldProtection = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &oldProtection)) {
        ADD_FAILURE() << "VirtualProtect of an import slot failed, error " << GetLastError();
        return;
    }
    *slot = value;
    VirtualProtect(slot, sizeof *slot, oldProtection, &oldProtection);
    FlushInstructionCache(GetCurrentProcess(), slot, sizeof *slot);
}

}  // namespace

ImportHook::ImportHook(const char* dll, const char* function, void* replacement)
    : slots_(FindSlots(dll, function)) {
    if (slots_.empty()) {
        ADD_FAILURE() << "the test executable does not import " << function << " from " << dll;
        return;
    }
    original_ = *slots_.front();
    for (void** slot : slots_) WriteSlot(slot, replacement);
}

ImportHook::~ImportHook() {
    for (void** slot : slots_) WriteSlot(slot, original_);
}

}  // namespace tst

// Import redirection for loaded PE images: walks the import directory and
// rewrites the import address table slots of chosen functions. The image's
// headers have the process's own layout (PE32 in a 32-bit process, PE32+ in a
// 64-bit one), so the native structures read both kinds.
#if defined(_WIN32)
#include "win/intercept.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace hs {

namespace {

bool libraryMatches(const char* dll, const char* pattern) {
    size_t n = std::strlen(pattern);
    bool prefix = n > 0 && pattern[n - 1] == '*';
    if (prefix)
        return _strnicmp(dll, pattern, n - 1) == 0;
    return _stricmp(dll, pattern) == 0;
}

bool writeSlot(ULONG_PTR* slot, void* value) {
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old))
        return false;
    *slot = reinterpret_cast<ULONG_PTR>(value);
    DWORD ignored = 0;
    VirtualProtect(slot, sizeof *slot, old, &ignored);
    return true;
}

// The hook for one import slot: by the imported name when the image keeps
// its name table, else by the address the slot holds now.
const ImportHook* hookFor(const BYTE* base, const IMAGE_THUNK_DATA* names, const IMAGE_THUNK_DATA* slot,
                          const char* dll, const ImportHook* hooks, size_t hookCount) {
    if (names != nullptr) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
            return nullptr;
        const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        const char* name = reinterpret_cast<const char*>(byName->Name);
        for (size_t i = 0; i < hookCount; ++i)
            if (std::strcmp(name, hooks[i].name) == 0)
                return &hooks[i];
        return nullptr;
    }
    HMODULE lib = GetModuleHandleA(dll);
    if (lib == nullptr)
        return nullptr;
    for (size_t i = 0; i < hookCount; ++i) {
        FARPROC real = GetProcAddress(lib, hooks[i].name);
        if (real != nullptr && slot->u1.Function == reinterpret_cast<ULONG_PTR>(real))
            return &hooks[i];
    }
    return nullptr;
}

}  // namespace

int hookImports(void* moduleHandle, const char* const* libraries, size_t libraryCount,
                const ImportHook* hooks, size_t hookCount) {
    if (moduleHandle == nullptr)
        return 0;
    const BYTE* base = static_cast<const BYTE*>(moduleHandle);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE)
        return 0;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC)
        return 0;
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0 || dir.Size == 0)
        return 0;
    int changed = 0;
    const auto* desc = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
    for (; desc->Name != 0; ++desc) {
        const char* dll = reinterpret_cast<const char*>(base + desc->Name);
        bool wanted = false;
        for (size_t i = 0; i < libraryCount && !wanted; ++i)
            wanted = libraryMatches(dll, libraries[i]);
        if (!wanted || desc->FirstThunk == 0)
            continue;
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(const_cast<BYTE*>(base) + desc->FirstThunk);
        const auto* names = desc->OriginalFirstThunk != 0
                                ? reinterpret_cast<const IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk)
                                : nullptr;
        for (; slot->u1.Function != 0; ++slot, names = names ? names + 1 : nullptr) {
            const ImportHook* hook = hookFor(base, names, slot, dll, hooks, hookCount);
            if (hook == nullptr || slot->u1.Function == reinterpret_cast<ULONG_PTR>(hook->replacement))
                continue;
            if (writeSlot(reinterpret_cast<ULONG_PTR*>(&slot->u1.Function), hook->replacement))
                ++changed;
        }
    }
    return changed;
}

void* realFunction(const wchar_t* library, const char* name) {
    HMODULE lib = GetModuleHandleW(library);
    if (lib == nullptr)
        lib = LoadLibraryW(library);
    if (lib == nullptr)
        return nullptr;
    FARPROC p = GetProcAddress(lib, name);
    return addressOf(p);
}

}  // namespace hs

#endif

// Redirecting a loaded image's imports (Windows).
#pragma once
#include <cstddef>

namespace hs {

struct ImportHook {
    const char* name;   // the imported function's name
    void* replacement;  // what the image calls instead
};

// Points the image's import slots for the hooked functions of the given
// libraries (names compare ignoring case; a name ending in '*' matches any
// library starting with the rest) at the replacements. Returns the number of
// slots changed.
int hookImports(void* moduleHandle, const char* const* libraries, std::size_t libraryCount,
                const ImportHook* hooks, std::size_t hookCount);

// The real function of a system library, by name (null when missing).
void* realFunction(const wchar_t* library, const char* name);

// Converts between function pointers and addresses without a cast.
template <class F>
void* addressOf(F f) {
    static_assert(sizeof(F) == sizeof(void*), "function pointers are address-sized");
    void* p = nullptr;
    __builtin_memcpy(&p, &f, sizeof p);
    return p;
}
template <class F>
F functionAt(void* p) {
    static_assert(sizeof(F) == sizeof(void*), "function pointers are address-sized");
    F f = nullptr;
    __builtin_memcpy(&f, &p, sizeof f);
    return f;
}

}  // namespace hs

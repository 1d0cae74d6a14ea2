// Windows: the registry functions as the module sees them. Each one first asks
// the fault table under the same site name as hostsim's own registry
// functions elsewhere, then runs advapi32's function; after a change the
// session's registry file is brought up to date, as it is on other systems.
#include "win/shell.h"

#if defined(_WIN32)
#include <windows.h>

#include "hostsim/faults.h"
#include "hostsim/registry.h"
#include "hostsim/session.h"
#include "win/intercept.h"

namespace hs {

namespace {

template <class F>
F real(const char* name) {
    return functionAt<F>(realFunction(L"advapi32.dll", name));
}

LONG faulted(const char* site) {
    return checkFault(site) == Acad::eOk ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

void changed() {
    Session::get().registry().flush();
}

LSTATUS WINAPI openKeyExA(HKEY key, LPCSTR sub, DWORD options, REGSAM sam, PHKEY result) {
    if (result != nullptr)
        *result = nullptr;
    if (LONG rc = faulted("RegOpenKeyEx"))
        return rc;
    static auto f = real<decltype(&RegOpenKeyExA)>("RegOpenKeyExA");
    return f(key, sub, options, sam, result);
}

LSTATUS WINAPI openKeyExW(HKEY key, LPCWSTR sub, DWORD options, REGSAM sam, PHKEY result) {
    if (result != nullptr)
        *result = nullptr;
    if (LONG rc = faulted("RegOpenKeyEx"))
        return rc;
    static auto f = real<decltype(&RegOpenKeyExW)>("RegOpenKeyExW");
    return f(key, sub, options, sam, result);
}

LSTATUS WINAPI queryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD size) {
    if (LONG rc = faulted("RegQueryValueEx"))
        return rc;
    static auto f = real<decltype(&RegQueryValueExA)>("RegQueryValueExA");
    return f(key, name, reserved, type, data, size);
}

LSTATUS WINAPI queryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD size) {
    if (LONG rc = faulted("RegQueryValueEx"))
        return rc;
    static auto f = real<decltype(&RegQueryValueExW)>("RegQueryValueExW");
    return f(key, name, reserved, type, data, size);
}

template <class F, class Ch>
LSTATUS createKey(F f, HKEY key, const Ch* sub, DWORD reserved, Ch* cls, DWORD options, REGSAM sam,
                  const LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition) {
    if (result != nullptr)
        *result = nullptr;
    if (LONG rc = faulted("RegCreateKeyEx"))
        return rc;
    DWORD mine = 0;
    LPDWORD d = disposition != nullptr ? disposition : &mine;
    LSTATUS rc = f(key, sub, reserved, cls, options, sam, security, result, d);
    if (rc == ERROR_SUCCESS && *d == REG_CREATED_NEW_KEY)
        changed();
    return rc;
}

LSTATUS WINAPI createKeyExA(HKEY key, LPCSTR sub, DWORD reserved, LPSTR cls, DWORD options, REGSAM sam,
                            const LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition) {
    static auto f = real<decltype(&RegCreateKeyExA)>("RegCreateKeyExA");
    return createKey(f, key, sub, reserved, cls, options, sam, security, result, disposition);
}

LSTATUS WINAPI createKeyExW(HKEY key, LPCWSTR sub, DWORD reserved, LPWSTR cls, DWORD options, REGSAM sam,
                            const LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition) {
    static auto f = real<decltype(&RegCreateKeyExW)>("RegCreateKeyExW");
    return createKey(f, key, sub, reserved, cls, options, sam, security, result, disposition);
}

LSTATUS WINAPI setValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
    if (LONG rc = faulted("RegSetValueEx"))
        return rc;
    static auto f = real<decltype(&RegSetValueExA)>("RegSetValueExA");
    LSTATUS rc = f(key, name, reserved, type, data, size);
    if (rc == ERROR_SUCCESS)
        changed();
    return rc;
}

LSTATUS WINAPI setValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
    if (LONG rc = faulted("RegSetValueEx"))
        return rc;
    static auto f = real<decltype(&RegSetValueExW)>("RegSetValueExW");
    LSTATUS rc = f(key, name, reserved, type, data, size);
    if (rc == ERROR_SUCCESS)
        changed();
    return rc;
}

LSTATUS WINAPI deleteValueA(HKEY key, LPCSTR name) {
    static auto f = real<decltype(&RegDeleteValueA)>("RegDeleteValueA");
    LSTATUS rc = f(key, name);
    if (rc == ERROR_SUCCESS)
        changed();
    return rc;
}

LSTATUS WINAPI deleteValueW(HKEY key, LPCWSTR name) {
    static auto f = real<decltype(&RegDeleteValueW)>("RegDeleteValueW");
    LSTATUS rc = f(key, name);
    if (rc == ERROR_SUCCESS)
        changed();
    return rc;
}

}  // namespace

int interceptRegistry(void* moduleHandle) {
    static const char* const libraries[] = {"advapi32.dll", "api-ms-win-core-registry-*"};
    const ImportHook hooks[] = {
        {"RegOpenKeyExA", addressOf(&openKeyExA)},       {"RegOpenKeyExW", addressOf(&openKeyExW)},
        {"RegQueryValueExA", addressOf(&queryValueExA)}, {"RegQueryValueExW", addressOf(&queryValueExW)},
        {"RegCreateKeyExA", addressOf(&createKeyExA)},   {"RegCreateKeyExW", addressOf(&createKeyExW)},
        {"RegSetValueExA", addressOf(&setValueExA)},     {"RegSetValueExW", addressOf(&setValueExW)},
        {"RegDeleteValueA", addressOf(&deleteValueA)},   {"RegDeleteValueW", addressOf(&deleteValueW)},
    };
    return hookImports(moduleHandle, libraries, 2, hooks, sizeof hooks / sizeof hooks[0]);
}

}  // namespace hs

#else

namespace hs {

int interceptRegistry(void*) {
    return 0;  // hostsim's own registry functions ask the fault table themselves
}

}  // namespace hs

#endif

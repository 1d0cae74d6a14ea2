// The Win32 registry functions, A and W forms, over the session's registry
// with Windows semantics: ERROR_FILE_NOT_FOUND for a missing key or value,
// ERROR_MORE_DATA when the buffer is too small (with the size needed), the
// stored type returned, keys created level by level, reading never creating
// anything, access rights of the handle checked. String data of the W forms
// is wchar_t text; of the A forms 8-bit text, as given.
//
// Windows builds use advapi32's functions; hostsim defines none of its own
// there (they would shadow the real ones), see regcheck.cpp.
#if !defined(_WIN32)
#include <cstring>
#include <map>
#include <string>

#include "hostsim/faults.h"
#include "hostsim/registry.h"
#include "hostsim/session.h"
#include "hostsim/text.h"
#include "winsubset.h"

namespace hs {

namespace {

struct OpenKey {
    std::string path;
    REGSAM access = 0;
};

struct Handles {
    std::map<std::uintptr_t, OpenKey> open;
    std::uintptr_t next = 0x1000;
};

Handles& handles() {
    static Handles* h = new Handles();
    return *h;
}

const char* rootName(HKEY hKey) {
    switch (reinterpret_cast<std::uintptr_t>(hKey)) {
        case 0x80000000u:
            return "HKEY_CLASSES_ROOT";
        case 0x80000001u:
            return "HKEY_CURRENT_USER";
        case 0x80000002u:
            return "HKEY_LOCAL_MACHINE";
        case 0x80000003u:
            return "HKEY_USERS";
        default:
            return nullptr;
    }
}

// The key's path and rights, or false for a bad handle.
bool resolve(HKEY hKey, OpenKey& out) {
    if (const char* root = rootName(hKey)) {
        out.path = root;
        out.access = KEY_ALL_ACCESS;
        return true;
    }
    auto it = handles().open.find(reinterpret_cast<std::uintptr_t>(hKey));
    if (it == handles().open.end())
        return false;
    out = it->second;
    return true;
}

HKEY newHandle(const std::string& path, REGSAM access) {
    Handles& h = handles();
    std::uintptr_t id = h.next;
    h.next += 4;
    h.open[id] = OpenKey{path, access};
    return reinterpret_cast<HKEY>(id);
}

LONG faulted(const char* site) {
    return checkFault(site) == Acad::eOk ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

std::string joined(const std::string& base, const std::string& sub) {
    return sub.empty() ? base : base + "\\" + sub;
}

LONG openKey(HKEY hKey, const std::string& subKey, REGSAM sam, PHKEY phkResult) {
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    if (LONG rc = faulted("RegOpenKeyEx"))
        return rc;
    OpenKey parent;
    if (!resolve(hKey, parent))
        return ERROR_INVALID_HANDLE;
    std::string path = joined(parent.path, subKey);
    if (Registry::split(path).size() > 1 && Session::get().registry().find(path) == nullptr)
        return ERROR_FILE_NOT_FOUND;
    *phkResult = newHandle(path, sam);
    return ERROR_SUCCESS;
}

LONG createKey(HKEY hKey, const std::string& subKey, REGSAM sam, PHKEY phkResult, LPDWORD disposition) {
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    if (LONG rc = faulted("RegCreateKeyEx"))
        return rc;
    OpenKey parent;
    if (!resolve(hKey, parent))
        return ERROR_INVALID_HANDLE;
    std::string path = joined(parent.path, subKey);
    Registry& reg = Session::get().registry();
    bool created = false;
    reg.create(path, created);
    if (created)
        reg.save();
    if (disposition != nullptr)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *phkResult = newHandle(path, sam);
    return ERROR_SUCCESS;
}

// The value's data as the caller's function family sees it.
std::vector<unsigned char> dataFor(const Registry::Value& v, bool wide) {
    if (v.type != REG_SZ && v.type != REG_EXPAND_SZ && v.type != REG_MULTI_SZ)
        return v.bytes;
    std::vector<unsigned char> out;
    if (wide) {
        std::wstring w = utf8ToWide(v.text);
        w.push_back(L'\0');
        if (v.type == REG_MULTI_SZ)
            w.push_back(L'\0');
        out.resize(w.size() * sizeof(wchar_t));
        std::memcpy(out.data(), w.data(), out.size());
    } else {
        out.assign(v.text.begin(), v.text.end());
        out.push_back(0);
        if (v.type == REG_MULTI_SZ)
            out.push_back(0);
    }
    return out;
}

LONG queryValue(HKEY hKey, const std::string& name, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData,
                bool wide) {
    if (LONG rc = faulted("RegQueryValueEx"))
        return rc;
    OpenKey key;
    if (!resolve(hKey, key))
        return ERROR_INVALID_HANDLE;
    if ((key.access & KEY_QUERY_VALUE) == 0)
        return ERROR_ACCESS_DENIED;
    if (lpData != nullptr && lpcbData == nullptr)
        return ERROR_INVALID_PARAMETER;
    const Registry::Value* v = Session::get().registry().value(key.path, name);
    if (v == nullptr)
        return ERROR_FILE_NOT_FOUND;
    std::vector<unsigned char> data = dataFor(*v, wide);
    if (lpType != nullptr)
        *lpType = v->type;
    LONG rc = ERROR_SUCCESS;
    if (lpData != nullptr) {
        if (*lpcbData < data.size())
            rc = ERROR_MORE_DATA;
        else if (!data.empty())
            std::memcpy(lpData, data.data(), data.size());
    }
    if (lpcbData != nullptr)
        *lpcbData = static_cast<DWORD>(data.size());
    return rc;
}

LONG setValue(HKEY hKey, const std::string& name, DWORD type, const BYTE* lpData, DWORD cbData, bool wide) {
    if (LONG rc = faulted("RegSetValueEx"))
        return rc;
    OpenKey key;
    if (!resolve(hKey, key))
        return ERROR_INVALID_HANDLE;
    if ((key.access & KEY_SET_VALUE) == 0)
        return ERROR_ACCESS_DENIED;
    if (lpData == nullptr && cbData != 0)
        return ERROR_INVALID_PARAMETER;
    Registry& reg = Session::get().registry();
    Registry::Key* k = reg.find(key.path);
    if (k == nullptr) {
        if (Registry::split(key.path).size() > 1)
            return ERROR_FILE_NOT_FOUND;  // the key was deleted meanwhile
        bool created = false;
        k = reg.create(key.path, created);
    }
    Registry::Value v;
    v.name = name;
    v.type = type;
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        if (wide) {
            std::wstring w(reinterpret_cast<const wchar_t*>(lpData), cbData / sizeof(wchar_t));
            while (!w.empty() && w.back() == L'\0')
                w.pop_back();
            v.text = wideToUtf8(w.data(), w.size());
        } else {
            std::string t(reinterpret_cast<const char*>(lpData), cbData);
            while (!t.empty() && t.back() == '\0')
                t.pop_back();
            v.text = t;
        }
    } else {
        v.bytes.assign(lpData, lpData + cbData);
    }
    auto it = k->values.find(upper(name));
    if (it != k->values.end())
        v.name = it->second.name;
    k->values[upper(name)] = v;
    reg.save();
    return ERROR_SUCCESS;
}

LONG deleteValue(HKEY hKey, const std::string& name) {
    OpenKey key;
    if (!resolve(hKey, key))
        return ERROR_INVALID_HANDLE;
    if ((key.access & KEY_SET_VALUE) == 0)
        return ERROR_ACCESS_DENIED;
    Registry& reg = Session::get().registry();
    Registry::Key* k = reg.find(key.path);
    if (k == nullptr || k->values.erase(upper(name)) == 0)
        return ERROR_FILE_NOT_FOUND;
    reg.save();
    return ERROR_SUCCESS;
}

std::string nameA(LPCSTR s) {
    return s ? std::string(s) : std::string();
}
std::string nameW(LPCWSTR s) {
    return s ? wideToUtf8(s, std::wcslen(s)) : std::string();
}

}  // namespace
}  // namespace hs

extern "C" {

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    return hs::openKey(hKey, hs::nameA(lpSubKey), samDesired, phkResult);
}

LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    return hs::openKey(hKey, hs::nameW(lpSubKey), samDesired, phkResult);
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData) {
    return hs::queryValue(hKey, hs::nameA(lpValueName), lpType, lpData, lpcbData, false);
}

LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData) {
    return hs::queryValue(hKey, hs::nameW(lpValueName), lpType, lpData, lpcbData, true);
}

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired,
                     const LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
    return hs::createKey(hKey, hs::nameA(lpSubKey), samDesired, phkResult, lpdwDisposition);
}

LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                     const LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
    return hs::createKey(hKey, hs::nameW(lpSubKey), samDesired, phkResult, lpdwDisposition);
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
    return hs::setValue(hKey, hs::nameA(lpValueName), dwType, lpData, cbData, false);
}

LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
    return hs::setValue(hKey, hs::nameW(lpValueName), dwType, lpData, cbData, true);
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    return hs::deleteValue(hKey, hs::nameA(lpValueName));
}
LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
    return hs::deleteValue(hKey, hs::nameW(lpValueName));
}

LONG RegCloseKey(HKEY hKey) {
    if (hs::rootName(hKey) != nullptr)
        return ERROR_SUCCESS;
    return hs::handles().open.erase(reinterpret_cast<std::uintptr_t>(hKey)) ? ERROR_SUCCESS
                                                                            : ERROR_INVALID_HANDLE;
}

}  // extern "C"

#endif

// Registry helpers and the language flag. Every setting is a REG_DWORD under
// one key of the current user; a value that cannot be read reads as 0.
#include "settings/settings.h"

bool g_bChineseVersion = false;

int readRegistryDword(HKEY hRoot, const ACHAR* subKey, const ACHAR* valueName) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    HKEY hSubKey = nullptr;
    // Opening, unlike creating, never makes the key.
    if (ivRegOpenKeyEx(hRoot, subKey, 0, KEY_QUERY_VALUE, &hSubKey) != ERROR_SUCCESS)
        return 0;
    // A value longer than 4 bytes fails for want of room; other types read as 0.
    if (ivRegQueryValueEx(hSubKey, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        value = 0;
    RegCloseKey(hSubKey);
    return static_cast<int>(value);
}

int writeRegistryDword(HKEY hRoot, const ACHAR* subKey, const ACHAR* valueName, int value) {
    int result = 0;
    HKEY hSubKey = nullptr;
    DWORD disp = 0;
    if (ivRegCreateKeyEx(hRoot, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &hSubKey,
                         &disp) != ERROR_SUCCESS)
        return 0;
    DWORD data = static_cast<DWORD>(value);
    if (ivRegSetValueEx(hSubKey, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                        sizeof(data)) == ERROR_SUCCESS)
        result = 1;
    RegCloseKey(hSubKey);
    return result;
}

// Per-user settings in the registry, and the language flag.
#pragma once
#include "host/hostapi.h"
#include "host/platform.h"

// The key under HKEY_CURRENT_USER that holds every setting.
#define IV_SETTINGS_KEY ACRX_T("Software\\Halvorn\\Quillwerk")

// True when the user's "ChineseVersion" switch was non-zero at load.
extern bool g_bChineseVersion;

// The stored REG_DWORD as a signed integer; 0 when the key or value is
// missing or not a 4-byte REG_DWORD. Never creates the key.
int readRegistryDword(HKEY hRoot, const ACHAR* subKey, const ACHAR* valueName);
// 1 when the value was stored, 0 otherwise. Creates missing keys.
int writeRegistryDword(HKEY hRoot, const ACHAR* subKey, const ACHAR* valueName, int value);

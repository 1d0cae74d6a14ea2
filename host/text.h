// Text macros: the character type, literals and the text functions of the
// build's width (8-bit in release 16, wide in releases 18 and 19).
#pragma once
#include "host/release.h"

// The 2004 SDK has no ACRX_T.
#ifndef ACRX_T
#if IRONVEIL_WIDE_TEXT
#define IV_WIDEN2(x) L##x
#define ACRX_T(x) IV_WIDEN2(x)
#else
#define ACRX_T(x) x
#endif
#endif

#if IRONVEIL_WIDE_TEXT
// The format of a string argument in the formatted-print functions; %ls
// means a wide string in every C run-time.
#define IV_FMT_S "%ls"
#define ivSnprintf _snwprintf
#define ivStricmp(a, b) _wcsicmp((a), (b))
#define ivShellExecute ShellExecuteW
#define ivRegOpenKeyEx RegOpenKeyExW
#define ivRegQueryValueEx RegQueryValueExW
#define ivRegCreateKeyEx RegCreateKeyExW
#define ivRegSetValueEx RegSetValueExW
#else
#define IV_FMT_S "%s"
#define ivSnprintf _snprintf
#define ivStricmp(a, b) _mbsicmp((const unsigned char*)(a), (const unsigned char*)(b))
#define ivShellExecute ShellExecuteA
#define ivRegOpenKeyEx RegOpenKeyExA
#define ivRegQueryValueEx RegQueryValueExA
#define ivRegCreateKeyEx RegCreateKeyExA
#define ivRegSetValueEx RegSetValueExA
#endif

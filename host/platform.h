// The platform API the module calls: registry, shell, C run-time text
// functions. Windows builds use the real headers; elsewhere the stand-in
// host provides the same functions with Windows behaviour.
#pragma once
#if defined(_WIN32)
#include <mbstring.h>
#include <stdio.h>
#include <wchar.h>
#include <windows.h>
#include <shellapi.h>
#else
#include "winsubset.h"
#endif

// The platform API the module calls: registry, shell, C run-time text
// functions. Windows builds use the real headers; elsewhere the stand-in
// host provides the same functions with Windows behaviour.
#pragma once
#if defined(_WIN32)
// shellapi.h needs windows.h before it.
// clang-format off
#include <mbstring.h>
#include <stdio.h>
#include <wchar.h>
#include <windows.h>
#include <shellapi.h>
// clang-format on
#else
#include "winsubset.h"
#endif

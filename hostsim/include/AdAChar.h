// The host's character type and literal macro.
#pragma once
#include "hostsim/release.h"

#if HOSTSIM_WIDE
typedef wchar_t ACHAR;
#define _ACRX_T(x) L##x
#define ACRX_T(x) _ACRX_T(x)
#else
typedef char ACHAR;
// The 2004 SDK (build B, maintenance release 0) has no ACRX_T; the 2006 SDK
// does. Module code gets its own fallback from host/text.h either way; the
// stand-in host defines it in both so that its own sources build alike.
#define _ACRX_T(x) x
#define ACRX_T(x) _ACRX_T(x)
#endif

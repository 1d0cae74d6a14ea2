// Release and text-width switches of the stand-in host. The build passes
// IRONVEIL_RELEASE (16, 18 or 19) and, to the module's code, IRONVEIL_MAINT
// (76 or 0 for release 16).
#pragma once

#ifndef IRONVEIL_RELEASE
#define IRONVEIL_RELEASE 19
#endif
#if defined(HOSTSIM_BUILDING_CORE) && !defined(IRONVEIL_MAINT)
// The maintenance release belongs to the module's build; hostsim is the same
// host for both release 16 builds and must not depend on it.
#pragma GCC poison IRONVEIL_MAINT
#elif !defined(IRONVEIL_MAINT)
#define IRONVEIL_MAINT 76
#endif

#if IRONVEIL_RELEASE != 16 && IRONVEIL_RELEASE != 18 && IRONVEIL_RELEASE != 19
#error "IRONVEIL_RELEASE must be 16, 18 or 19"
#endif

// Release 18 and 19 hosts are wide-text hosts.
#if IRONVEIL_RELEASE >= 18
#define HOSTSIM_WIDE 1
#else
#define HOSTSIM_WIDE 0
#endif

// The one table of what differs between the builds. The build defines
// IRONVEIL_RELEASE (16, 18 or 19). The two release 16 builds differ only in
// the SDK they are compiled against: its headers give the maintenance
// release (76 in the 2006 SDK, 0 in the 2004 SDK).
#pragma once

#ifndef IRONVEIL_RELEASE
#define IRONVEIL_RELEASE 19
#endif

#if IRONVEIL_RELEASE == 16
#define IRONVEIL_WIDE_TEXT 0
#define IRONVEIL_API_VERSION 0x100000
#define IRONVEIL_CLASS_DWG_VERSION 25
#define IRONVEIL_CLASS_MAINT_VERSION AcDb::kMReleaseCurrent
// Release 16 builds name the entity source by its absolute path.
#define IRONVEIL_ERROR_PATH_IS_ABSOLUTE 1
#elif IRONVEIL_RELEASE == 18
#define IRONVEIL_WIDE_TEXT 1
#define IRONVEIL_API_VERSION 0x120000
#define IRONVEIL_CLASS_DWG_VERSION 29
#define IRONVEIL_CLASS_MAINT_VERSION 6
#define IRONVEIL_ERROR_PATH_IS_ABSOLUTE 0
#elif IRONVEIL_RELEASE == 19
#define IRONVEIL_WIDE_TEXT 1
#define IRONVEIL_API_VERSION 0x130000
#define IRONVEIL_CLASS_DWG_VERSION 31
#define IRONVEIL_CLASS_MAINT_VERSION 8
#define IRONVEIL_ERROR_PATH_IS_ABSOLUTE 0
#else
#error "IRONVEIL_RELEASE must be 16, 18 or 19"
#endif

// The relative source path that the error line names in releases 18 and 19.
#define IRONVEIL_ERROR_PATH_RELATIVE "..\\Ironveil_2004_VC7\\Ironveil"

// Basic host integer and boolean types.
#pragma once
#include <cstddef>
#include <cstdint>

#include "hostsim/release.h"

struct Adesk {
    typedef char Int8;
    typedef short Int16;
#if defined(_WIN32)
    typedef long Int32;
    typedef unsigned long UInt32;
#else
    // Linux is LP64: long is 64-bit there, so Int32 is int.
    typedef int Int32;
    typedef unsigned int UInt32;
#endif
    typedef unsigned char UInt8;
    typedef unsigned short UInt16;
    typedef unsigned char uchar;
    typedef unsigned short ushort;
    typedef unsigned int uint;
    typedef unsigned long ulong;
#if IRONVEIL_RELEASE >= 18
    // Release 16 has no 64-bit or pointer-sized integer types.
    typedef long long Int64;
    typedef unsigned long long UInt64;
    typedef std::intptr_t LongPtr;
    typedef std::uintptr_t ULongPtr;
    typedef std::intptr_t IntPtr;
    typedef std::uintptr_t UIntPtr;
    typedef LongPtr IntDbId;
    typedef IntPtr GsMarker;
#endif
    typedef int Boolean;
    enum { kFalse = 0, kTrue = 1 };
};

#ifndef ADESK_NO_VTABLE
#define ADESK_NO_VTABLE
#endif
#ifndef ADESK_STDCALL
#define ADESK_STDCALL
#endif

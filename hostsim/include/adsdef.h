// Points, names and result buffers of the host's C interface.
#pragma once
#include "AdAChar.h"
#include "adesk.h"
#include "adscodes.h"

typedef double ads_real;
typedef ads_real ads_point[3];
typedef ads_real ads_matrix[4][4];
typedef ads_real* ads_pointp;
#if defined(_WIN64)
typedef long long ads_name[2];
typedef long long* ads_namep;
#else
typedef long ads_name[2];
typedef long* ads_namep;
#endif

#undef X
#undef Y
#undef Z
#undef T
enum { X = 0, Y = 1, Z = 2 };
enum { T = 3 };

#pragma pack(push, 8)
struct ads_binary {
    short clen;
    char* buf;
};
union ads_u_val {
    ads_real rreal;
    ads_real rpoint[3];
    short rint;
    ACHAR* rstring;
#if defined(_WIN64)
    long long rlname[2];
#else
    long rlname[2];
#endif
    long rlong;
#if IRONVEIL_RELEASE >= 18
    Adesk::LongPtr mnLongPtr;
#endif
#if IRONVEIL_RELEASE >= 19
    long long mnInt64;
#endif
    struct ads_binary rbinary;
    unsigned char ihandle[8];
};
struct resbuf {
    struct resbuf* rbnext;
    short restype;
    union ads_u_val resval;
};
#pragma pack(pop)

#define ads_name_set(from, to) ((to)[0] = (from)[0], (to)[1] = (from)[1])
#define ads_name_clear(name) ((name)[0] = (name)[1] = 0)
#define ads_name_nil(name) ((name)[0] == 0 && (name)[1] == 0)
#define ads_name_equal(a, b) ((a)[0] == (b)[0] && (a)[1] == (b)[1])

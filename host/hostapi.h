// The host API as the module sees it. With IRONVEIL_VENDOR_SDK the vendor's
// SDK headers are included; otherwise the stand-in host's declarations,
// which carry the same names and signatures.
#pragma once
#include "host/release.h"

#if defined(IRONVEIL_VENDOR_SDK)
// The vendor's headers want this order.
// clang-format off
#include "rxregsvc.h"
#include "aced.h"
#include "adslib.h"
#include "acestext.h"
#include "appinfo.h"
#include "dbapserv.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "dbfiler.h"
#include "gemat3d.h"
#include "acgi.h"
// clang-format on
#else
#include "acadstrc.h"
#include "aced.h"
#include "acgi.h"
#include "adslib.h"
#include "appinfo.h"
#include "dbfiler.h"
#include "dbmain.h"
#include "dbsymtb.h"
#include "gemat3d.h"
#include "gepnt2d.h"
#include "rxdlinkr.h"
#include "rxobject.h"
#endif

#include "host/text.h"

// The entity's display and geometry hooks carry a "sub" prefix from release 18 on.
#if IRONVEIL_RELEASE >= 18
#define IV_HOOK(plain, sub) sub
#else
#define IV_HOOK(plain, sub) plain
#endif

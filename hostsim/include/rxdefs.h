// Run-time messages and small shared definitions.
#pragma once
#include "AdAChar.h"
#include "adesk.h"

struct AcRx {
    enum AppMsgCode {
        kNullMsg = 0,
        kInitAppMsg = 1,
        kUnloadAppMsg = 2,
        kLoadDwgMsg = 3,
        kUnloadDwgMsg = 4,
        kInvkSubrMsg = 5,
        kCfgMsg = 6,
        kEndMsg = 7,
        kQuitMsg = 8,
        kSaveMsg = 9,
        kDependencyMsg = 10,
        kNoDependencyMsg = 11,
        kOleUnloadAppMsg = 12,
        kPreQuitMsg = 13,
        kInitDialogMsg = 14,
        kEndDialogMsg = 15,
        kSuspendMsg = 16,
#if IRONVEIL_RELEASE >= 18
        kInitTabGroupMsg = 17,
        kEndTabGroupMsg = 18,
#endif
    };
    enum AppRetCode { kRetOK = 0, kRetError = 3 };
    typedef void (*FcnPtr)();
    enum DictIterType { kDictSorted = 0, kDictCollated = 1 };
    enum Ordering { kLessThan = -1, kEqual = 0, kGreaterThan = 1, kNotOrderable = 2 };
};
#define kLoadADSMsg kLoadDwgMsg
#define kUnloadADSMsg kUnloadDwgMsg

class AcRxClass;
#if IRONVEIL_RELEASE >= 18
typedef void (*AppNameChangeFuncPtr)(const AcRxClass* classObj, ACHAR*& newAppName, int saveVer);
#else
typedef void (*AppNameChangeFuncPtr)(const AcRxClass* classObj, char*& newAppName, int saveVer);
#endif

#if IRONVEIL_RELEASE >= 18
#define ACRX_CLASS_DICTIONARY ACRX_T("ClassDictionary")
#define ACRX_DYNAMIC_LINKER ACRX_T("DynamicLinker")
#define ACRX_SERVICE_DICTIONARY ACRX_T("ServiceDictionary")
#else
#define ACRX_CLASS_DICTIONARY "ClassDictionary"
#define ACRX_DYNAMIC_LINKER "DynamicLinker"
#define ACRX_SERVICE_DICTIONARY "ServiceDictionary"
#endif

// The dynamic linker and application load reasons.
#pragma once
#include "rxobject.h"

struct AcadApp {
    enum LoadReasons {
        kOnProxyDetection = 0x01,
        kOnAutoCADStartup = 0x02,
        kOnCommandInvocation = 0x04,
        kOnLoadRequest = 0x08,
        kLoadDisabled = 0x10,
        kTransparentlyLoadable = 0x20,
#if IRONVEIL_RELEASE >= 18
        kOnIdleLoad = 0x40,
#endif
    };
    enum ErrorStatus {
        eOk = 0,
        eInvalidKey = 1,
        eInvalidSubKey = 2,
        eKeyNotFound = 3,
        eOutOfMemory = 4,
        eInvalidValue = 5,
        eValueNotFound = 6,
        eKeyExists = 7,
        eRegAccessDenied = 8,
        eRejected = 9,
        eUnknownError = 10,
    };
};

class AcRxDynamicLinker : public AcRxObject {
public:
    static AcRxClass* desc();
    static AcRxDynamicLinker* cast(const AcRxObject* p) {
        return static_cast<AcRxDynamicLinker*>(const_cast<AcRxObject*>(p));
    }
    virtual bool unlockApplication(void* appId) const = 0;
    virtual bool lockApplication(void* appId) const = 0;
    virtual bool isApplicationLocked(const ACHAR* modulename) const = 0;
    virtual bool registerAppMDIAware(void* appId) const = 0;
    virtual bool registerAppNotMDIAware(void* appId) const = 0;
    virtual bool loadModule(const ACHAR* fileName, bool printit, bool asCmd = false) = 0;
    virtual bool unloadModule(const ACHAR* fileName, bool asCmd = false) = 0;
};
#define acrxDynamicLinker AcRxDynamicLinker::cast(acrxSysRegistry()->at(ACRX_DYNAMIC_LINKER))

bool acrxUnlockApplication(void* appId);
bool acrxLockApplication(void* appId);
bool acrxApplicationIsLocked(const ACHAR* modulename);
bool acrxRegisterAppMDIAware(void* appId);
bool acrxRegisterAppNotMDIAware(void* appId);

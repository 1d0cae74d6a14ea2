// The module's two exported functions: the host's entry point and the
// interface release check. Nothing else leaves the library.
#include "module/module.h"

#if defined(_WIN32)
#define IV_EXPORT __declspec(dllexport)
#else
#define IV_EXPORT __attribute__((visibility("default")))
#endif

extern "C" IV_EXPORT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt) {
    switch (msg) {
        case AcRx::kInitAppMsg:
            acrxDynamicLinker->unlockApplication(pkt);
            acrxDynamicLinker->registerAppMDIAware(pkt);
            initModule();
            registerDemandLoading();
            break;
        case AcRx::kUnloadAppMsg:
            unloadModule();
            break;
        default:
            break;
    }
    return AcRx::kRetOK;
}

// The release the module was built for, in the upper 16 bits. The vendor
// SDK supplies this function from its static library (exported through
// Ironveil.def); every other build defines it here.
#if !defined(IRONVEIL_VENDOR_SDK)
extern "C" IV_EXPORT Adesk::UInt32 acrxGetApiVersion() {
    return IRONVEIL_API_VERSION;
}
#endif

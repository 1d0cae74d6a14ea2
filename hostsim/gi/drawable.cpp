// Drawables and the world-draw interfaces: class descriptors and, from
// release 18 on, the sealed operations that call the protected sub* hooks.
#include "acgi.h"
#include "hostsim/text.h"
#include "rxobject.h"

namespace {
AcRxClass* lookUp(const char* name) {
    AcRxDictionary* pDict = acrxClassDictionary;
    return pDict != nullptr ? static_cast<AcRxClass*>(pDict->at(hs::fromUtf8(name).c_str())) : nullptr;
}
}  // namespace

AcRxClass* AcGiDrawable::desc() {
    return lookUp("AcGiDrawable");
}
AcRxClass* AcGiSubEntityTraits::desc() {
    return lookUp("AcGiSubEntityTraits");
}
AcRxClass* AcGiGeometry::desc() {
    return lookUp("AcGiGeometry");
}
AcRxClass* AcGiWorldGeometry::desc() {
    return lookUp("AcGiWorldGeometry");
}
AcRxClass* AcGiCommonDraw::desc() {
    return lookUp("AcGiCommonDraw");
}
AcRxClass* AcGiWorldDraw::desc() {
    return lookUp("AcGiWorldDraw");
}

#if IRONVEIL_RELEASE >= 18
Adesk::UInt32 AcGiDrawable::setAttributes(AcGiDrawableTraits* traits) {
    return subSetAttributes(traits);
}
Adesk::Boolean AcGiDrawable::worldDraw(AcGiWorldDraw* wd) {
    return subWorldDraw(wd);
}
void AcGiDrawable::viewportDraw(AcGiViewportDraw* vd) {
    subViewportDraw(vd);
}
#endif

namespace hs {
// The interface classes of world drawing, registered with the entities.
void registerGiClasses() {
    const char* classes[][2] = {
        {"AcGiSubEntityTraits", "AcRxObject"}, {"AcGiGeometry", "AcRxObject"},
        {"AcGiWorldGeometry", "AcGiGeometry"}, {"AcGiCommonDraw", "AcRxObject"},
        {"AcGiWorldDraw", "AcGiCommonDraw"},
    };
    for (auto& c : classes) {
        tstring name = fromUtf8(c[0]);
        if (acrxClassDictionary == nullptr || !acrxClassDictionary->has(name.c_str()))
            newAcRxClass(name.c_str(), fromUtf8(c[1]).c_str());
    }
}
}  // namespace hs

// Run-time classes: AcRxObject, AcRxClass, the system registry with its class
// dictionary, class registration and deletion, and acrx_abort.
#include "rxobject.h"

#include <cstdarg>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "aced.h"
#include "appinfo.h"
#include "core/format.h"
#include "core/session_imp.h"
#include "db/proxy.h"
#include "hostsim/session.h"
#include "hostsim/text.h"
#include "rx/rximp.h"
#include "rxdlinkr.h"

namespace hs {

// A dictionary of named objects, sorted by name, with ids in insertion order.
// It does not own its entries.
class Dictionary : public AcRxDictionary {
public:
    AcRxObject* at(const ACHAR* key) const override {
        if (key == nullptr)
            return nullptr;
        auto it = m_byName.find(Key(key));
        return it == m_byName.end() ? nullptr : m_byId[it->second].second;
    }
    AcRxObject* at(Adesk::UInt32 id) const override {
        return id < m_byId.size() ? m_byId[id].second : nullptr;
    }
    using AcRxDictionary::atPut;
    AcRxObject* atPut(const ACHAR* key, AcRxObject* pObject, Adesk::UInt32& retId) override {
        if (key == nullptr)
            return nullptr;
        auto it = m_byName.find(Key(key));
        if (it != m_byName.end()) {
            retId = it->second;
            AcRxObject* old = m_byId[it->second].second;
            m_byId[it->second].second = pObject;
            return old;
        }
        retId = static_cast<Adesk::UInt32>(m_byId.size());
        m_byName[key] = retId;
        m_byId.emplace_back(key, pObject);
        return nullptr;
    }
    AcRxObject* remove(const ACHAR* key) override {
        if (key == nullptr)
            return nullptr;
        auto it = m_byName.find(Key(key));
        if (it == m_byName.end())
            return nullptr;
        AcRxObject* old = m_byId[it->second].second;
        m_byId[it->second].second = nullptr;
        m_byName.erase(it);
        return old;
    }
    bool has(const ACHAR* entryName) const override {
        return entryName && m_byName.find(Key(entryName)) != m_byName.end();
    }
    Adesk::UInt32 numEntries() const override { return static_cast<Adesk::UInt32>(m_byName.size()); }

    std::vector<AcRxObject*> entries() const {
        std::vector<AcRxObject*> out;
        for (const auto& e : m_byName)
            out.push_back(m_byId[e.second].second);
        return out;
    }

private:
    // Looked up by a view of the caller's text: a lookup makes no string.
    using Key = std::basic_string_view<ACHAR>;
    std::map<tstring, Adesk::UInt32, std::less<>> m_byName;
    std::vector<std::pair<tstring, AcRxObject*>> m_byId;
};

namespace {

Dictionary* classDictionary() {
    return static_cast<Dictionary*>(acrxSysRegistry()->at(ACRX_CLASS_DICTIONARY));
}

AcRxClass* builtinClass(const ACHAR* name) {
    return static_cast<AcRxClass*>(classDictionary()->at(name));
}

}  // namespace

std::vector<AcRxClass*> registeredClasses() {
    std::vector<AcRxClass*> out;
    for (AcRxObject* o : classDictionary()->entries())
        out.push_back(static_cast<AcRxClass*>(o));
    return out;
}

void startRx(Session::Imp& imp) {
    Dictionary* sys = new Dictionary();
    imp.sysRegistry = sys;
    sys->atPut(ACRX_CLASS_DICTIONARY, new Dictionary());
    sys->atPut(ACRX_SERVICE_DICTIONARY, new Dictionary());
    struct Builtin {
        const ACHAR* name;
        const ACHAR* parent;
    };
    const Builtin builtins[] = {
        {ACRX_T("AcRxObject"), nullptr},
        {ACRX_T("AcRxClass"), ACRX_T("AcRxObject")},
        {ACRX_T("AcRxDictionary"), ACRX_T("AcRxObject")},
        {ACRX_T("AcRxEvent"), ACRX_T("AcRxObject")},
        {ACRX_T("AcRxEventReactor"), ACRX_T("AcRxObject")},
        {ACRX_T("AcEditorReactor"), ACRX_T("AcRxEventReactor")},
        {ACRX_T("AcEditor"), ACRX_T("AcRxEvent")},
        {ACRX_T("AcEdCommand"), ACRX_T("AcRxObject")},
        {ACRX_T("AcEdCommandStack"), ACRX_T("AcRxObject")},
        {ACRX_T("AcRxDynamicLinker"), ACRX_T("AcRxObject")},
        {ACRX_T("AcadAppInfo"), ACRX_T("AcRxObject")},
    };
    for (const Builtin& b : builtins)
        newAcRxClass(b.name, b.parent);
    acrxBuildClassHierarchy();
}

}  // namespace hs

using hs::tstring;

// ---- AcRxObject -------------------------------------------------------------------------------

AcRxClass* AcRxObject::gpDesc = nullptr;

AcRxObject::AcRxObject() = default;
AcRxObject::~AcRxObject() = default;

AcRxClass* AcRxObject::desc() {
    if (gpDesc == nullptr)
        gpDesc = hs::builtinClass(ACRX_T("AcRxObject"));
    return gpDesc;
}

AcRxClass* AcRxObject::isA() const {
    return AcRxObject::desc();
}

bool AcRxObject::isKindOf(const AcRxClass* aClass) const {
    AcRxClass* mine = isA();
#if IRONVEIL_RELEASE >= 18
    return mine != nullptr && mine->isDerivedFrom(aClass);
#else
    // Release 16 takes an object without a class as kind of anything.
    return mine == nullptr || mine->isDerivedFrom(aClass);
#endif
}

AcRxObject* AcRxObject::clone() const {
    return nullptr;
}
Acad::ErrorStatus AcRxObject::copyFrom(const AcRxObject*) {
    return Acad::eNotApplicable;
}
Adesk::Boolean AcRxObject::isEqualTo(const AcRxObject* other) const {
    return other == this;
}
AcRx::Ordering AcRxObject::comparedTo(const AcRxObject*) const {
    return AcRx::kNotOrderable;
}

// Classes the stand-in host registers itself: desc() finds them by name.
#define HS_BUILTIN_DESC(CLASS)                         \
    AcRxClass* CLASS::desc() {                         \
        static AcRxClass* s_desc = nullptr;            \
        if (s_desc == nullptr)                         \
            s_desc = hs::builtinClass(ACRX_T(#CLASS)); \
        return s_desc;                                 \
    }
HS_BUILTIN_DESC(AcRxClass)
HS_BUILTIN_DESC(AcRxDictionary)
HS_BUILTIN_DESC(AcRxEvent)
HS_BUILTIN_DESC(AcRxEventReactor)
HS_BUILTIN_DESC(AcEditorReactor)
HS_BUILTIN_DESC(AcEditor)
HS_BUILTIN_DESC(AcEdCommand)
HS_BUILTIN_DESC(AcEdCommandStack)
HS_BUILTIN_DESC(AcRxDynamicLinker)
HS_BUILTIN_DESC(AcadAppInfo)
#undef HS_BUILTIN_DESC

// ---- AcRxClass ------------------------------------------------------------------------------------

struct AcRxClass::Data {
    tstring name;
    tstring parentName;
    tstring dxfName;
    tstring appName;
    int dwgVer = 0;
    int maintVer = 0;
    int proxyFlags = 0;
    AcRxPseudoConstructor ctor = nullptr;
    AppNameChangeFuncPtr func = nullptr;
    AcRxClass* parent = nullptr;
};

AcRxClass::AcRxClass(const ACHAR* name, const ACHAR* parentName, int dwgVer, int maintVer, int proxyFlags,
                     AcRxPseudoConstructor ctor, const ACHAR* dxfName, const ACHAR* appName,
                     AppNameChangeFuncPtr func)
    : m_pData(new Data) {
    m_pData->name = name ? name : ACRX_T("");
    m_pData->parentName = parentName ? parentName : ACRX_T("");
    m_pData->dxfName = dxfName ? dxfName : ACRX_T("");
    m_pData->appName = appName ? appName : ACRX_T("");
    m_pData->dwgVer = dwgVer;
    m_pData->maintVer = maintVer;
    m_pData->proxyFlags = proxyFlags;
    m_pData->ctor = ctor;
    m_pData->func = func;
}

AcRxClass::~AcRxClass() {
    delete m_pData;
}
AcRxClass* AcRxClass::isA() const {
    return AcRxClass::desc();
}
AcRxObject* AcRxClass::create() {
    return m_pData->ctor ? m_pData->ctor() : nullptr;
}
const ACHAR* AcRxClass::appName() const {
    return m_pData->appName.c_str();
}
const ACHAR* AcRxClass::dxfName() const {
    return m_pData->dxfName.c_str();
}
const ACHAR* AcRxClass::name() const {
    return m_pData->name.c_str();
}
const ACHAR* AcRxClass::parentName() const {
    return m_pData->parentName.c_str();
}

void AcRxClass::getClassVersion(int& dwgVer, int& maintVer) const {
    dwgVer = m_pData->dwgVer;
    maintVer = m_pData->maintVer;
}

int AcRxClass::proxyFlags() const {
    return m_pData->proxyFlags;
}

bool AcRxClass::isDerivedFrom(const AcRxClass* other) const {
    if (other == nullptr)
        return false;
    for (const AcRxClass* c = this; c != nullptr; c = c->myParent())
        if (c == other)
            return true;
    return false;
}

AcRxClass* AcRxClass::myParent() const {
    return m_pData->parent;
}
AppNameChangeFuncPtr AcRxClass::appNameCallbackPtr() const {
    return m_pData->func;
}
AcRxPseudoConstructor AcRxClass::hsConstructor() const {
    return m_pData->ctor;
}
void AcRxClass::hsSetParent(AcRxClass* parent) {
    m_pData->parent = parent;
}

// ---- registration ------------------------------------------------------------------------------------

AcRxClass* newAcRxClass(const ACHAR* className, const ACHAR* parentClassName, int proxyFlags,
                        AcRxObject* (*pseudoConstructor)(), const ACHAR* dxfName, const ACHAR* appName) {
    return newAcRxClass(className, parentClassName, 0, 0, proxyFlags, pseudoConstructor, dxfName, appName,
                        nullptr);
}

AcRxClass* newAcRxClass(const ACHAR* className, const ACHAR* parentClassName, int dwgVer, int maintVer,
                        int proxyFlags, AcRxObject* (*pseudoConstructor)(), const ACHAR* dxfName,
                        const ACHAR* appName, AppNameChangeFuncPtr func) {
    hs::Session& session = hs::Session::get();
    if (className == nullptr || *className == 0)
        session.fatal("newAcRxClass: a class needs a name");
    hs::Dictionary* dict = hs::classDictionary();
    if (auto* existing = static_cast<AcRxClass*>(dict->at(className))) {
        // Registering the same class twice is harmless; anything else under
        // the same name would give two classes one name.
        int dv = 0;
        int mv = 0;
        existing->getClassVersion(dv, mv);
        hs::tstring parent = parentClassName ? parentClassName : ACRX_T("");
        bool identical = parent == existing->parentName() && dv == dwgVer && mv == maintVer &&
                         existing->proxyFlags() == proxyFlags &&
                         hs::tstring(dxfName ? dxfName : ACRX_T("")) == existing->dxfName() &&
                         existing->hsConstructor() == pseudoConstructor;
        if (identical)
            return existing;
        session.fatal("newAcRxClass: conflicting registration of class " + hs::toUtf8(className) +
                      ": a different class of that name is already registered");
    }
    AcRxClass* cls = new AcRxClass(className, parentClassName, dwgVer, maintVer, proxyFlags,
                                   pseudoConstructor, dxfName, appName, func);
    if (parentClassName != nullptr && *parentClassName != 0)
        cls->hsSetParent(static_cast<AcRxClass*>(dict->at(parentClassName)));
    dict->atPut(className, cls);
    return cls;
}

void acrxBuildClassHierarchy() {
    hs::Dictionary* dict = hs::classDictionary();
    for (AcRxObject* o : dict->entries()) {
        auto* cls = static_cast<AcRxClass*>(o);
        const ACHAR* parent = cls->parentName();
        cls->hsSetParent(parent && *parent ? static_cast<AcRxClass*>(dict->at(parent)) : nullptr);
    }
}

void deleteAcRxClass(AcRxClass* pClassObj) {
    if (pClassObj == nullptr)
        return;
    hs::Dictionary* dict = hs::classDictionary();
    if (dict->at(pClassObj->name()) != pClassObj) {
        hs::Session::get().fault("deleteAcRxClass: the class is not registered");
        return;
    }
    // Instances that live in a database become proxies first, while the
    // class's code is still loaded.
    hs::convertInstancesToProxies(pClassObj);
    dict->remove(pClassObj->name());
    for (AcRxObject* o : dict->entries()) {
        auto* cls = static_cast<AcRxClass*>(o);
        if (cls->myParent() == pClassObj)
            cls->hsSetParent(nullptr);
    }
    delete pClassObj;
}

extern "C" AcRxDictionary* acrxSysRegistry() {
    return hs::Session::get().imp().sysRegistry;
}

extern "C" void acrx_abort(const ACHAR* format, ...) {
    va_list args;
    va_start(args, format);
#if HOSTSIM_WIDE
    std::string message = hs::vformatWide(format, args);
#else
    std::string message = hs::vformatNarrow(format, args);
#endif
    va_end(args);
    hs::Session::get().fatal(message);
}

// The run-time class system: objects, classes, dictionaries and the
// boilerplate macros that register a class.
#pragma once
#include "acadstrc.h"
#include "rxdefs.h"

class AcRxObject {
public:
    virtual ~AcRxObject();
    static AcRxClass* desc();
    static AcRxObject* cast(const AcRxObject* inPtr) { return const_cast<AcRxObject*>(inPtr); }
    // Release 16 treats an object without a class as kind of anything.
    bool isKindOf(const AcRxClass* aClass) const;
    virtual AcRxClass* isA() const;
    virtual AcRxObject* clone() const;
    virtual Acad::ErrorStatus copyFrom(const AcRxObject* other);
    virtual Adesk::Boolean isEqualTo(const AcRxObject* other) const;
    virtual AcRx::Ordering comparedTo(const AcRxObject* other) const;

    static AcRxClass* gpDesc;

protected:
    AcRxObject();
};

typedef AcRxObject* (*AcRxPseudoConstructor)();

// A registered run-time class. The stand-in host keeps every class object in
// the class dictionary; the members are not virtual, as in release 19.
class AcRxClass : public AcRxObject {
public:
    AcRxClass(const ACHAR* name, const ACHAR* parentName, int dwgVer, int maintVer, int proxyFlags,
              AcRxPseudoConstructor ctor, const ACHAR* dxfName, const ACHAR* appName,
              AppNameChangeFuncPtr func);
    ~AcRxClass() override;
    static AcRxClass* desc();
    AcRxClass* isA() const override;

    AcRxObject* create();
    const ACHAR* appName() const;
    const ACHAR* dxfName() const;
    const ACHAR* name() const;
    void getClassVersion(int& dwgVer, int& maintVer) const;
    int proxyFlags() const;
    bool isDerivedFrom(const AcRxClass*) const;
    AcRxClass* myParent() const;
    const ACHAR* parentName() const;
    AppNameChangeFuncPtr appNameCallbackPtr() const;

    // hostsim: links the class to its parent after a hierarchy rebuild.
    void hsSetParent(AcRxClass* parent);
    // hostsim: the pseudo-constructor given at registration.
    AcRxPseudoConstructor hsConstructor() const;

private:
    struct Data;
    Data* m_pData;
};

class AcRxDictionaryIterator;

class AcRxDictionary : public AcRxObject {
public:
    static AcRxClass* desc();
    static AcRxDictionary* cast(const AcRxObject* p) {
        return static_cast<AcRxDictionary*>(const_cast<AcRxObject*>(p));
    }
    virtual AcRxObject* at(const ACHAR* key) const = 0;
    virtual AcRxObject* at(Adesk::UInt32 id) const = 0;
    AcRxObject* atPut(const ACHAR* key, AcRxObject* pObject) {
        Adesk::UInt32 id = 0;
        return atPut(key, pObject, id);
    }
    virtual AcRxObject* atPut(const ACHAR* key, AcRxObject* pObject, Adesk::UInt32& retId) = 0;
    virtual AcRxObject* remove(const ACHAR* key) = 0;
    virtual bool has(const ACHAR* entryName) const = 0;
    virtual Adesk::UInt32 numEntries() const = 0;
};

AcRxClass* newAcRxClass(const ACHAR* className, const ACHAR* parentClassName, int proxyFlags = 0,
                        AcRxObject* (*pseudoConstructor)() = nullptr, const ACHAR* dxfName = nullptr,
                        const ACHAR* appName = nullptr);
AcRxClass* newAcRxClass(const ACHAR* className, const ACHAR* parentClassName, int dwgVer, int maintVer,
                        int proxyFlags = 0, AcRxObject* (*pseudoConstructor)() = nullptr,
                        const ACHAR* dxfName = nullptr, const ACHAR* appName = nullptr,
                        AppNameChangeFuncPtr func = nullptr);
void acrxBuildClassHierarchy();
void deleteAcRxClass(AcRxClass* pClassObj);
extern "C" AcRxDictionary* acrxSysRegistry();
#if IRONVEIL_RELEASE >= 18
extern "C" void acrx_abort(const ACHAR* format, ...);
#else
extern "C" void acrx_abort(const char* format, ...);
#endif

#define acrxClassDictionary AcRxDictionary::cast(acrxSysRegistry()->at(ACRX_CLASS_DICTIONARY))
#define acrxServiceDictionary AcRxDictionary::cast(acrxSysRegistry()->at(ACRX_SERVICE_DICTIONARY))

// ---- boilerplate -------------------------------------------------------------

#if HOSTSIM_WIDE
#define HSRX_STR(x) ACRX_T(#x)
#else
#define HSRX_STR(x) #x
#endif

#define ACRX_DECLARE_MEMBERS(CLASS_NAME)                                                                    \
    virtual AcRxClass* isA() const;                                                                         \
    static AcRxClass* gpDesc;                                                                               \
    static AcRxClass* desc();                                                                               \
    static CLASS_NAME* cast(const AcRxObject* inPtr) {                                                      \
        return ((inPtr == nullptr) || !inPtr->isKindOf(CLASS_NAME::desc())) ? nullptr : (CLASS_NAME*)inPtr; \
    }                                                                                                       \
    static void rxInit();                                                                                   \
    static void rxInit(AppNameChangeFuncPtr)

#define ACRX_DEFINE_MEMBERS(CLASS_NAME)                                                        \
    AcRxClass* CLASS_NAME::desc() {                                                            \
        if (CLASS_NAME::gpDesc != nullptr)                                                     \
            return CLASS_NAME::gpDesc;                                                         \
        return CLASS_NAME::gpDesc =                                                            \
                   (AcRxClass*)((AcRxDictionary*)acrxSysRegistry()->at(ACRX_CLASS_DICTIONARY)) \
                       ->at(HSRX_STR(CLASS_NAME));                                             \
    }                                                                                          \
    AcRxClass* CLASS_NAME::isA() const {                                                       \
        if (CLASS_NAME::gpDesc != nullptr)                                                     \
            return CLASS_NAME::gpDesc;                                                         \
        return CLASS_NAME::gpDesc =                                                            \
                   (AcRxClass*)((AcRxDictionary*)acrxSysRegistry()->at(ACRX_CLASS_DICTIONARY)) \
                       ->at(HSRX_STR(CLASS_NAME));                                             \
    }                                                                                          \
    AcRxClass* CLASS_NAME::gpDesc = nullptr

#define ACRX_STATIC_CHECK(CLASS_NAME)                                                                   \
    if (CLASS_NAME::gpDesc) {                                                                           \
        AcRxClass* pClass = (AcRxClass*)((AcRxDictionary*)acrxSysRegistry()->at(ACRX_CLASS_DICTIONARY)) \
                                ->at(HSRX_STR(CLASS_NAME));                                             \
        if (pClass) {                                                                                   \
            if (CLASS_NAME::gpDesc == pClass)                                                           \
                return;                                                                                 \
            else                                                                                        \
                acrx_abort(HSRX_STR(Class mismatch));                                                   \
        }                                                                                               \
    }

#define ACRX_NO_CONS_DEFINE_MEMBERS(CLASS_NAME, PARENT_CLASS)                            \
    ACRX_DEFINE_MEMBERS(CLASS_NAME);                                                     \
    void CLASS_NAME::rxInit() {                                                          \
        ACRX_STATIC_CHECK(CLASS_NAME);                                                   \
        CLASS_NAME::gpDesc = newAcRxClass(HSRX_STR(CLASS_NAME), HSRX_STR(PARENT_CLASS)); \
    }                                                                                    \
    void CLASS_NAME::rxInit(AppNameChangeFuncPtr) {                                      \
        CLASS_NAME::rxInit();                                                            \
    }

#define ACRX_DXF_DEFINE_MEMBERS(CLASS_NAME, PARENT_CLASS, DWG_VERSION, MAINTENANCE_VERSION, PROXY_FLAGS, \
                                DXF_NAME, APP)                                                           \
    ACRX_DEFINE_MEMBERS(CLASS_NAME);                                                                     \
    static AcRxObject* make##CLASS_NAME() {                                                              \
        return new CLASS_NAME();                                                                         \
    }                                                                                                    \
    void CLASS_NAME::rxInit() {                                                                          \
        ACRX_STATIC_CHECK(CLASS_NAME);                                                                   \
        CLASS_NAME::gpDesc =                                                                             \
            newAcRxClass(HSRX_STR(CLASS_NAME), HSRX_STR(PARENT_CLASS), DWG_VERSION, MAINTENANCE_VERSION, \
                         PROXY_FLAGS, &make##CLASS_NAME, HSRX_STR(DXF_NAME), HSRX_STR(APP));             \
    }                                                                                                    \
    void CLASS_NAME::rxInit(AppNameChangeFuncPtr ptr) {                                                  \
        ACRX_STATIC_CHECK(CLASS_NAME);                                                                   \
        CLASS_NAME::gpDesc =                                                                             \
            newAcRxClass(HSRX_STR(CLASS_NAME), HSRX_STR(PARENT_CLASS), DWG_VERSION, MAINTENANCE_VERSION, \
                         PROXY_FLAGS, &make##CLASS_NAME, HSRX_STR(DXF_NAME), HSRX_STR(APP), ptr);        \
    }

class AcRxEventReactor;
class AcRxEvent : public AcRxObject {
public:
    static AcRxClass* desc();
    virtual void addReactor(AcRxEventReactor* newObj) = 0;
    virtual void removeReactor(AcRxEventReactor* delObj) = 0;
};

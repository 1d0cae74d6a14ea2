// Run-time classes: registration, hierarchy, kind-of tests, deletion, and the
// fatal end of a conflicting registration.
#include <gtest/gtest.h>

#include "aced.h"
#include "appinfo.h"
#include "hostsim/session.h"
#include "hostsim/text.h"
#include "rxdlinkr.h"
#include "rxobject.h"

class HsTestBase : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(HsTestBase);
};
class HsTestDerived : public HsTestBase {
public:
    ACRX_DECLARE_MEMBERS(HsTestDerived);
};
static AcRxObject* makeDerived() {
    return new HsTestDerived();
}

ACRX_NO_CONS_DEFINE_MEMBERS(HsTestBase, AcRxObject)
ACRX_DEFINE_MEMBERS(HsTestDerived);
void HsTestDerived::rxInit() {
    ACRX_STATIC_CHECK(HsTestDerived);
    HsTestDerived::gpDesc = newAcRxClass(ACRX_T("HsTestDerived"), ACRX_T("HsTestBase"), 25, 76, 0,
                                         makeDerived, ACRX_T("HSTESTDERIVED"), ACRX_T("HsApp"));
}
void HsTestDerived::rxInit(AppNameChangeFuncPtr) {
    rxInit();
}

namespace {

class RxClasses : public ::testing::Test {
protected:
    void SetUp() override {
        // Derived first: its parent is linked when the hierarchy is rebuilt.
        HsTestDerived::rxInit();
        HsTestBase::rxInit();
        acrxBuildClassHierarchy();
    }
    void TearDown() override {
        deleteAcRxClass(HsTestDerived::desc());
        deleteAcRxClass(HsTestBase::desc());
        HsTestDerived::gpDesc = nullptr;
        HsTestBase::gpDesc = nullptr;
    }
};

}  // namespace

TEST_F(RxClasses, ClassDictionaryHoldsTheClassWithItsRegistration) {
    AcRxClass* cls = static_cast<AcRxClass*>(acrxClassDictionary->at(ACRX_T("HsTestDerived")));
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls, HsTestDerived::desc());
    int dwg = 0;
    int maint = 0;
    cls->getClassVersion(dwg, maint);
    EXPECT_EQ(dwg, 25);
    EXPECT_EQ(maint, 76);
    EXPECT_EQ(hs::tstring(cls->dxfName()), ACRX_T("HSTESTDERIVED"));
    EXPECT_EQ(hs::tstring(cls->appName()), ACRX_T("HsApp"));
    EXPECT_EQ(cls->myParent(), HsTestBase::desc());
}

TEST_F(RxClasses, CreateMakesAnObjectOfTheClass) {
    AcRxObject* obj = HsTestDerived::desc()->create();
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(obj->isA(), HsTestDerived::desc());
    EXPECT_TRUE(obj->isKindOf(HsTestBase::desc()));
    EXPECT_TRUE(obj->isKindOf(AcRxObject::desc()));
    EXPECT_NE(HsTestBase::cast(obj), nullptr);
    EXPECT_EQ(HsTestBase::desc()->create(), nullptr) << "a class without constructor makes nothing";
    delete obj;
}

TEST_F(RxClasses, CastRefusesObjectsOfOtherClasses) {
    HsTestDerived* d = new HsTestDerived();
    EXPECT_EQ(AcEditorReactor::desc()->isDerivedFrom(HsTestBase::desc()), false);
    EXPECT_EQ(HsTestDerived::cast(nullptr), nullptr);
    EXPECT_FALSE(d->isKindOf(AcEditorReactor::desc()));
    delete d;
}

TEST_F(RxClasses, DeletingAClassRemovesItFromTheDictionary) {
    AcRxClass* derived = HsTestDerived::desc();
    deleteAcRxClass(derived);
    HsTestDerived::gpDesc = nullptr;
    EXPECT_EQ(acrxClassDictionary->at(ACRX_T("HsTestDerived")), nullptr);
    HsTestDerived::rxInit();  // registered again for TearDown
    acrxBuildClassHierarchy();
    EXPECT_NE(acrxClassDictionary->at(ACRX_T("HsTestDerived")), nullptr);
}

TEST_F(RxClasses, RegisteringTheSameClassAgainIsHarmless) {
    AcRxClass* before = HsTestDerived::desc();
    HsTestDerived::rxInit();
    EXPECT_EQ(HsTestDerived::desc(), before);
}

TEST_F(RxClasses, AConflictingRegistrationIsFatal) {
    EXPECT_EXIT(newAcRxClass(ACRX_T("HsTestDerived"), ACRX_T("AcRxObject")), ::testing::ExitedWithCode(3),
                "");
}

TEST_F(RxClasses, AStaticCheckMismatchAbortsWithClassMismatch) {
    // The module's cached class object differs from the registered one.
    EXPECT_EXIT(
        {
            HsTestDerived::gpDesc = HsTestBase::desc();
            HsTestDerived::rxInit();
        },
        ::testing::ExitedWithCode(3), "");
}

TEST(RxRegistry, HoldsTheHostServicesByTheirNames) {
    EXPECT_NE(acrxSysRegistry()->at(ACRX_T("DynamicLinker")), nullptr);
    EXPECT_NE(acrxSysRegistry()->at(ACRX_T("ACAD_REGISTERED_COMMANDS")), nullptr);
    EXPECT_NE(acrxSysRegistry()->at(ACRX_T("AcEditor")), nullptr);
    EXPECT_NE(acrxSysRegistry()->at(ACRX_T("ClassDictionary")), nullptr);
    EXPECT_EQ(acrxSysRegistry()->at(ACRX_T("NoSuchService")), nullptr);
    EXPECT_NE(acrxClassDictionary->at(ACRX_T("AcEditorReactor")), nullptr);
}

TEST(RxObject, KindOfAnObjectWithoutClassDependsOnTheRelease) {
    class Classless : public AcRxObject {
    public:
        AcRxClass* isA() const override { return nullptr; }
    };
    Classless c;
#if IRONVEIL_RELEASE >= 18
    EXPECT_FALSE(c.isKindOf(AcEditorReactor::desc()));
#else
    EXPECT_TRUE(c.isKindOf(AcEditorReactor::desc()));
#endif
}

TEST(AcrxAbort, PrintsItsMessageAndEndsTheProcess) {
    EXPECT_EXIT(
        {
            hs::Session::get().stopCapture();
            acrx_abort(ACRX_T("Class mismatch"));
        },
        ::testing::ExitedWithCode(3), "");
}

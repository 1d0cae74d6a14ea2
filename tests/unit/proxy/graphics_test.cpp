// Proxy graphics recorded from entities and played back, and the proxy
// flags of a proxy entity, inside the test process.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "db/proxy.h"
#include "dbents.h"
#include "dbfiler.h"
#include "dbsymtb.h"
#include "gescl3d.h"
#include "gi/proxygraphics.h"
#include "hostsim/dbapi.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace {

// Collects what graphics draw, in the coordinates given.
class Collect : public AcGiWorldDraw {
public:
    struct Traits : AcGiSubEntityTraits {
        void setColor(const Adesk::UInt16 c) override { current = c; }
        void setTrueColor(const AcCmEntityColor&) override {}
        void setLayer(const AcDbObjectId) override {}
        void setLineType(const AcDbObjectId) override {}
        Adesk::UInt16 color() const override { return current; }
        Adesk::UInt16 current = 256;
    };
    struct Geometry : AcGiWorldGeometry {
        explicit Geometry(Collect& o) : owner(o) {}
        Adesk::Boolean circle(const AcGePoint3d& c, const double r, const AcGeVector3d&) const override {
            owner.log.push_back("circle " + pt(c) + " r=" + num(r) +
                                " c=" + std::to_string(owner.traits.current));
            return Adesk::kTrue;
        }
        Adesk::Boolean circularArc(const AcGePoint3d& c, const double r, const AcGeVector3d& n,
                                   const AcGeVector3d& s, const double sweep,
                                   const AcGiArcType) const override {
            owner.log.push_back("arc " + pt(c) + " r=" + num(r) + " n=" + num(n.z) +
                                " s=" + pt(AcGePoint3d(s.x, s.y, s.z)) + " sweep=" + num(sweep));
            return Adesk::kTrue;
        }
        Adesk::Boolean polyline(const Adesk::UInt32 n, const AcGePoint3d* p, const AcGeVector3d*,
                                Adesk::Int32) const override {
            std::string s = "polyline";
            for (Adesk::UInt32 i = 0; i < n; ++i)
                s += " " + pt(p[i]);
            owner.log.push_back(s);
            return Adesk::kTrue;
        }
        Adesk::Boolean text(const AcGePoint3d& p, const AcGeVector3d&, const AcGeVector3d& d, const double h,
                            const double, const double, const ACHAR* msg) const override {
            owner.log.push_back("text " + pt(p) + " dir=" + pt(AcGePoint3d(d.x, d.y, d.z)) + " h=" + num(h) +
                                " " + hs::toUtf8(msg));
            return Adesk::kTrue;
        }
        Adesk::Boolean draw(AcGiDrawable*) const override { return Adesk::kFalse; }
        Adesk::Boolean pushModelTransform(const AcGeMatrix3d&) override { return Adesk::kTrue; }
        Adesk::Boolean popModelTransform() override { return Adesk::kTrue; }
        static std::string num(double v) {
            char b[32];
            std::snprintf(b, sizeof b, "%.4f", std::fabs(v) < 5e-5 ? 0.0 : v);
            return b;
        }
        static std::string pt(const AcGePoint3d& p) { return "(" + num(p.x) + "," + num(p.y) + ")"; }
        Collect& owner;
    };
    Collect() : geometry_(*this) {}
    AcGiSubEntityTraits& subEntityTraits() const override { return traits; }
    Adesk::Boolean regenAbort() const override { return Adesk::kFalse; }
    AcGiRegenType regenType() const override { return kAcGiStandardDisplay; }
    AcGiWorldGeometry& geometry() const override { return geometry_; }

    mutable Traits traits;
    mutable Geometry geometry_;
    std::vector<std::string> log;
};

AcDbObjectId append(AcDbDatabase*, AcDbEntity* pEnt, AcDbObjectId block) {
    AcDbBlockTableRecord* pRec = nullptr;
    EXPECT_EQ(acdbOpenObject(pRec, block, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(pRec->appendAcDbEntity(id, pEnt), Acad::eOk);
    pRec->close();
    pEnt->close();
    return id;
}

class ProxyGraphicsRecording : public ::testing::Test {
protected:
    void SetUp() override {
        hs::Session::get();
        db_ = new AcDbDatabase(true, true);
    }
    void TearDown() override { delete db_; }
    // A block "LOGO" of a circle and a line, referenced at (10,0) turned a
    // quarter turn and twice as large.
    AcDbObjectId logoReference() {
        AcDbBlockTableRecord* pBlock = new AcDbBlockTableRecord();
        pBlock->setName(ACRX_T("LOGO"));
        AcDbBlockTable* pTable = nullptr;
        EXPECT_EQ(db_->getBlockTable(pTable, AcDb::kForWrite), Acad::eOk);
        AcDbObjectId blockId;
        EXPECT_EQ(pTable->add(blockId, pBlock), Acad::eOk);
        pTable->close();
        pBlock->close();
        AcDbCircle* pCircle = new AcDbCircle(AcGePoint3d(1, 0, 0), AcGeVector3d::kZAxis, 1.0);
        pCircle->setColorIndex(3);
        append(db_, pCircle, blockId);
        append(db_, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)), blockId);
        AcDbBlockReference* pRef = new AcDbBlockReference(AcGePoint3d(10, 0, 0), blockId);
        pRef->setRotation(std::acos(-1.0) / 2);
        pRef->setScaleFactors(AcGeScale3d(2, 2, 2));
        return append(db_, pRef, hs::modelSpaceId(db_));
    }
    std::string graphicsOf(AcDbObjectId id) {
        AcDbEntity* pEnt = nullptr;
        EXPECT_EQ(acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead), Acad::eOk);
        std::string g = hs::recordProxyGraphics(pEnt);
        pEnt->close();
        return g;
    }
    AcDbDatabase* db_ = nullptr;
};

}  // namespace

TEST_F(ProxyGraphicsRecording, ABlockReferenceDrawsItsBlockUnderItsTransformInWorldCoordinates) {
    std::string g = graphicsOf(logoReference());
    ASSERT_FALSE(g.empty());
    Collect c;
    ASSERT_TRUE(hs::playProxyGraphics(g, &c));
    EXPECT_EQ(c.log, (std::vector<std::string>{"circle (10.0000,2.0000) r=2.0000 c=3",
                                               "polyline (10.0000,0.0000) (10.0000,2.0000)"}));
    std::vector<unsigned> types;
    ASSERT_TRUE(hs::proxyGraphicsTypes(g, types));
    // Colour and layer, linetype and lineweight before each primitive that changes them.
    EXPECT_EQ(types, (std::vector<unsigned>{14, 16, 18, 23, 2, 14, 6}));
}

TEST_F(ProxyGraphicsRecording, ArcsAndTextKeepTheirDirectionUnderAMirror) {
    // A quarter arc in a block referenced mirrored in x: the arc starts at
    // (-2,0) and turns clockwise seen from +z, so its normal points down.
    AcDbBlockTableRecord* pBlock = new AcDbBlockTableRecord();
    pBlock->setName(ACRX_T("ARC"));
    AcDbBlockTable* pTable = nullptr;
    ASSERT_EQ(db_->getBlockTable(pTable, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId blockId;
    ASSERT_EQ(pTable->add(blockId, pBlock), Acad::eOk);
    pTable->close();
    pBlock->close();
    append(db_, new AcDbArc(AcGePoint3d(0, 0, 0), 2.0, 0.0, std::acos(-1.0) / 2), blockId);
    AcDbBlockReference* pRef = new AcDbBlockReference(AcGePoint3d(0, 0, 0), blockId);
    pRef->setScaleFactors(AcGeScale3d(-1, 1, 1));
    std::string g = graphicsOf(append(db_, pRef, hs::modelSpaceId(db_)));
    Collect c;
    ASSERT_TRUE(hs::playProxyGraphics(g, &c));
    ASSERT_EQ(c.log.size(), 1u);
    EXPECT_EQ(c.log[0], "arc (0.0000,0.0000) r=2.0000 n=-1.0000 s=(-1.0000,0.0000) sweep=1.5708");
    AcDbText* pText = new AcDbText(AcGePoint3d(1, 1, 0), ACRX_T("A1"), AcDbObjectId::kNull, 2.5, 0.0);
    std::string t = graphicsOf(append(db_, pText, hs::modelSpaceId(db_)));
    Collect ct;
    ASSERT_TRUE(hs::playProxyGraphics(t, &ct));
    ASSERT_EQ(ct.log.size(), 1u);
    EXPECT_EQ(ct.log[0], "text (1.0000,1.0000) dir=(1.0000,0.0000) h=2.5000 A1");
}

TEST(ProxyGraphicsData, DamagedDataStopsWithoutHangingAndHexRoundTrips) {
    // A primitive of size 0 would make a reader step forever.
    std::string bad("\x18\0\0\0\x01\0\0\0\0\0\0\0\x02\0\0\0", 16);
    bad.append(8, '\0');
    Collect c;
    EXPECT_FALSE(hs::playProxyGraphics(bad, &c));
    EXPECT_TRUE(c.log.empty());
    std::string data;
    for (int i = 0; i < 300; ++i)
        data.push_back(static_cast<char>(i * 7));
    std::vector<std::string> hex = hs::proxyGraphicsToHex(data);
    ASSERT_EQ(hex.size(), 3u);
    EXPECT_EQ(hex[0].size(), 254u);
    std::string back;
    for (const std::string& h : hex)
        ASSERT_TRUE(hs::proxyGraphicsAppendHex(h, back));
    EXPECT_EQ(back, data);
    EXPECT_FALSE(hs::proxyGraphicsAppendHex("0G", back));
}

namespace {

AcDbObjectId addProxy(AcDbDatabase* pDb, int flags) {
    HsProxyEntity* p = new HsProxyEntity();
    hs::ProxyClassRecord rec;
    rec.dxfName = "HS_TESTPROXY";
    rec.cppName = "HsTestProxy";
    rec.appName = "Test application";
    rec.proxyFlags = flags;
    p->setClassRecord(rec);
    p->setTags({{0, "HS_TESTPROXY"}, {100, "AcDbEntity"}, {8, "0"}, {100, "HsTestProxy"}, {1, "data"}});
    return append(pDb, p, hs::modelSpaceId(pDb));
}

}  // namespace

TEST(ProxyFlags, EachEditIsAllowedOnlyByItsFlag) {
    hs::Session::get();
    AcDbDatabase db(true, true);
    AcDbObjectId locked = addProxy(&db, 0);
    AcDbObjectId open = addProxy(&db, AcDbProxyEntity::kEraseAllowed | AcDbProxyEntity::kColorChangeAllowed);
    AcDbEntity* pEnt = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(pEnt, locked, AcDb::kForWrite), Acad::eOk);
    EXPECT_TRUE(pEnt->isAProxy());
    EXPECT_EQ(pEnt->erase(), Acad::eNotAllowedForThisProxy);
    EXPECT_EQ(pEnt->setColorIndex(1), Acad::eNotAllowedForThisProxy);
    EXPECT_EQ(pEnt->setLayer(ACRX_T("0")), Acad::eNotAllowedForThisProxy);
    EXPECT_EQ(pEnt->setLinetype(ACRX_T("Continuous")), Acad::eNotAllowedForThisProxy);
    EXPECT_EQ(pEnt->setLinetypeScale(2.0), Acad::eNotAllowedForThisProxy);
    EXPECT_EQ(pEnt->setLineWeight(AcDb::kLnWt050), Acad::eNotAllowedForThisProxy);
    EXPECT_EQ(pEnt->setVisibility(AcDb::kInvisible), Acad::eNotAllowedForThisProxy);
    EXPECT_EQ(pEnt->transformBy(AcGeMatrix3d::translation(AcGeVector3d(1, 0, 0))),
              Acad::eNotAllowedForThisProxy);
    EXPECT_FALSE(pEnt->isErased());
    pEnt->close();
    ASSERT_EQ(acdbOpenAcDbEntity(pEnt, open, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(pEnt->setColorIndex(1), Acad::eOk);
    EXPECT_EQ(pEnt->setLineWeight(AcDb::kLnWt050), Acad::eNotAllowedForThisProxy);
    EXPECT_EQ(pEnt->erase(), Acad::eOk);
    pEnt->close();
    std::vector<AcDbObjectId> copies;
    int failed = 0;
    hs::copyEntities({locked}, AcGeMatrix3d::kIdentity, copies, failed);
    EXPECT_EQ(failed, 1) << "a proxy whose flags forbid cloning is not copied";
    EXPECT_TRUE(copies.empty() || copies[0].isNull());
}

// ---- a class of the test itself: deleted while its instances live, then registered again ----

class HsTestMark : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(HsTestMark);
    int value = 0;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* pFiler) const override {
        Acad::ErrorStatus es = AcDbEntity::dxfOutFields(pFiler);
        if (es != Acad::eOk)
            return es;
        pFiler->writeString(AcDb::kDxfSubclass, ACRX_T("HsTestMark"));
        pFiler->writeInt32(AcDb::kDxfInt32, value);
        return pFiler->filerStatus();
    }
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* pFiler) override {
        Acad::ErrorStatus es = AcDbEntity::dxfInFields(pFiler);
        if (es != Acad::eOk || !pFiler->atSubclassData(ACRX_T("HsTestMark")))
            return es != Acad::eOk ? es : Acad::eBadDxfSequence;
        resbuf rb;
        while (pFiler->readResBuf(&rb) == Acad::eOk)
            if (rb.restype == AcDb::kDxfInt32)
                value = static_cast<int>(rb.resval.rlong);
        return Acad::eOk;
    }
#if IRONVEIL_RELEASE >= 18
protected:
    Adesk::Boolean subWorldDraw(AcGiWorldDraw* pWd) override
#else
    Adesk::Boolean worldDraw(AcGiWorldDraw* pWd) override
#endif
    {
        AcGePoint3d pts[2] = {AcGePoint3d(0, 0, 0), AcGePoint3d(value, 0, 0)};
        pWd->geometry().polyline(2, pts);
        return Adesk::kTrue;
    }
};

ACRX_DXF_DEFINE_MEMBERS(HsTestMark, AcDbEntity, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0, HS_TESTMARK,
                        HsTestApplication);

namespace {

class Resurrections : public AcDbDatabaseReactor {
public:
    void proxyResurrectionCompleted(const AcDbDatabase*, const ACHAR* app, AcDbObjectIdArray& ids) override {
        calls.push_back(hs::toUtf8(app) + ":" + std::to_string(ids.length()));
    }
    std::vector<std::string> calls;
};

}  // namespace

TEST(ProxyLifecycle, ADeletedClassLeavesProxiesThatComeBackWhenItIsRegisteredAgain) {
    hs::Session::get();
    HsTestMark::rxInit();
    acrxBuildClassHierarchy();
    AcDbDatabase db(true, true);
    HsTestMark* pMark = new HsTestMark();
    pMark->value = 42;
    AcDbObjectId id = append(&db, pMark, hs::modelSpaceId(&db));
    Resurrections reactor;
    db.addReactor(&reactor);

    deleteAcRxClass(HsTestMark::desc());
    HsTestMark::gpDesc = nullptr;
    AcDbEntity* pEnt = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(pEnt, id, AcDb::kForWrite), Acad::eOk);
    ASSERT_TRUE(pEnt->isAProxy());
    HsProxyEntity* pProxy = hs::proxyEntity(pEnt);
    ASSERT_NE(pProxy, nullptr);
    EXPECT_EQ(hs::toUtf8(pProxy->originalClassName()), "HsTestMark");
    EXPECT_EQ(hs::toUtf8(pProxy->applicationDescription()), "HsTestApplication");
    EXPECT_FALSE(pProxy->graphics().empty());
    EXPECT_EQ(pEnt->erase(), Acad::eNotAllowedForThisProxy);
    pEnt->close();

    HsTestMark::rxInit();
    acrxBuildClassHierarchy();
    hs::resurrectProxies();
    EXPECT_EQ(reactor.calls, std::vector<std::string>{"HsTestApplication:1"});
    ASSERT_EQ(acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead), Acad::eOk);
    HsTestMark* pBack = HsTestMark::cast(pEnt);
    ASSERT_NE(pBack, nullptr);
    EXPECT_EQ(pBack->value, 42);
    pEnt->close();
    db.removeReactor(&reactor);
    deleteAcRxClass(HsTestMark::desc());
    HsTestMark::gpDesc = nullptr;
}

TEST_F(ProxyGraphicsRecording, TextOutsideAsciiIsStoredAsItsCharactersAndPlaysBackTheSame) {
    // In 8-bit builds the literal is GBK, the system code page: the graphics
    // hold its characters in UTF-16 all the same.
    const ACHAR* kName = ACRX_T("水印 ok");
    AcDbText* pText = new AcDbText(AcGePoint3d(0, 0, 0), kName, AcDbObjectId::kNull, 1.0, 0.0);
    std::string g = graphicsOf(append(db_, pText, hs::modelSpaceId(db_)));
    const std::string utf16("\x34\x6C\x70\x53\x20\x00\x6F\x00\x6B\x00\x00\x00", 12);
    EXPECT_NE(g.find(utf16), std::string::npos);
    Collect c;
    ASSERT_TRUE(hs::playProxyGraphics(g, &c));
    ASSERT_EQ(c.log.size(), 1u);
    EXPECT_EQ(c.log[0], "text (0.0000,0.0000) dir=(1.0000,0.0000) h=1.0000 " + hs::toUtf8(kName));
}

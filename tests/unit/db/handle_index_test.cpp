// Handles close together and far apart, and objects made from memory that
// other objects had before.
#include <algorithm>

#include "db/pool.h"
#include "dbents.h"
#include "dbtest.h"

using dbtest::DbTest;
using dbtest::ProbeEntity;

using HandleIndex = DbTest;

namespace {

AcDbObjectId addWithHandle(AcDbDatabase* db, double value, std::uint64_t handle) {
    AcDbObjectId id;
    ProbeEntity* p = new ProbeEntity(value);
    EXPECT_EQ(hs::addObject(db, p, hs::modelSpaceId(db), AcDbHandle(handle), id), Acad::eOk);
    p->close();
    return id;
}

}  // namespace

TEST_F(HandleIndex, HandlesFarApartFindTheirObjectsAndAllObjectsComeInHandleOrder) {
    const std::uint64_t handles[] = {0xFFFFFFFFF0ull, 0x30000, 0x7000, 0x123456789ull, 0x2000};
    for (std::uint64_t h : handles)
        addWithHandle(db, static_cast<double>(h % 1000), h);
    for (std::uint64_t h : handles) {
        AcDbObjectId found;
        ASSERT_EQ(db->getAcDbObjectId(found, false, AcDbHandle(h)), Acad::eOk) << std::hex << h;
        EXPECT_EQ(found.handle().value(), h);
        EXPECT_EQ(valueOf(found), static_cast<double>(h % 1000));
    }
    AcDbObjectId none;
    EXPECT_EQ(db->getAcDbObjectId(none, false, AcDbHandle(0x2001)), Acad::eKeyNotFound);
    EXPECT_EQ(db->getAcDbObjectId(none, false, AcDbHandle(0xFFFFFFFFF1ull)), Acad::eKeyNotFound);
    std::vector<AcDbObjectId> all = hs::allObjects(db);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](const AcDbObjectId& a, const AcDbObjectId& b) {
        return a.handle().value() < b.handle().value();
    }));
    EXPECT_EQ(all.back().handle().value(), 0xFFFFFFFFF0ull);
    // New objects go above the highest handle.
    EXPECT_GT(addProbe(1.0).handle().value(), 0xFFFFFFFFF0ull);
}

TEST_F(HandleIndex, ManyObjectsKeepTheirHandlesWhileTheIndexGrows) {
    std::vector<AcDbObjectId> ids;
    for (int i = 0; i < 20000; ++i)
        ids.push_back(addProbe(i));
    // A handle between the close ones and the far ones, added late.
    AcDbObjectId late = addWithHandle(db, -1.0, ids.back().handle().value() + 50000);
    for (int i = 0; i < 20000; i += 997) {
        AcDbObjectId found;
        ASSERT_EQ(db->getAcDbObjectId(found, false, ids[static_cast<size_t>(i)].handle()), Acad::eOk);
        EXPECT_EQ(found, ids[static_cast<size_t>(i)]);
        EXPECT_EQ(valueOf(found), i);
    }
    EXPECT_EQ(valueOf(late), -1.0);
    EXPECT_EQ(hs::entitiesOf(hs::modelSpaceId(db)).size(), 20001u);
}

TEST_F(HandleIndex, ObjectsMadeInTheMemoryOfDeletedOnesStartClean) {
    // Lines with every property set, then deleted: their memory is taken again.
    std::vector<AcDbLine*> old;
    for (int i = 0; i < 500; ++i) {
        AcDbLine* p = new AcDbLine(AcGePoint3d(i, i, i), AcGePoint3d(-i, -i, -i));
        p->setColorIndex(3);
        p->setLinetypeScale(4.0);
        p->setThickness(2.0);
        old.push_back(p);
    }
    for (AcDbLine* p : old)
        delete p;
    for (int i = 0; i < 500; ++i) {
        AcDbLine line;
        EXPECT_EQ(line.colorIndex(), 256);
        EXPECT_EQ(line.linetypeScale(), 1.0);
        EXPECT_EQ(line.thickness(), 0.0);
        EXPECT_EQ(line.startPoint(), AcGePoint3d::kOrigin);
        ACHAR* lt = line.linetype();
        EXPECT_EQ(hs::toUtf8(lt), "ByLayer");
        acdbFree(lt);
        AcDbLine* p = new AcDbLine();
        EXPECT_EQ(p->colorIndex(), 256);
        EXPECT_EQ(p->linetypeScale(), 1.0);
        EXPECT_TRUE(p->objectId().isNull());
        delete p;
    }
}

TEST_F(HandleIndex, LargeDrawingsMadeAndDroppedInTurnReuseTheirMemory) {
    // Enough objects for several large blocks of records; each drawing is
    // checked whole, then deleted, and the next takes the memory again.
    const int kCount = 60000;
    std::size_t firstPeak = 0;
    for (int round = 0; round < 4; ++round) {
        AcDbDatabase* pDb = new AcDbDatabase(true, true);
        std::vector<AcDbObjectId> ids;
        ids.reserve(kCount);
        for (int i = 0; i < kCount; ++i) {
            AcDbObjectId id;
            AcDbLine* p = new AcDbLine(AcGePoint3d(i, round, 0), AcGePoint3d(i + 1, round, 0));
            ASSERT_EQ(hs::addObject(pDb, p, hs::modelSpaceId(pDb), AcDbHandle(), id), Acad::eOk);
            p->close();
            ids.push_back(id);
        }
        for (int i = 0; i < kCount; i += 599) {
            AcDbLine* p = nullptr;
            ASSERT_EQ(acdbOpenObject(p, ids[static_cast<size_t>(i)], AcDb::kForRead), Acad::eOk);
            EXPECT_EQ(p->startPoint(), AcGePoint3d(i, round, 0));
            p->close();
        }
        std::size_t peak = hs::poolMappedBytes();
        if (round == 0)
            firstPeak = peak;
        // Later drawings take the blocks kept from earlier ones (a few more
        // may be ready ahead of need).
        EXPECT_LE(peak, firstPeak + 4 * hs::kPoolBlockBytes) << "round " << round;
        delete pDb;
    }
}

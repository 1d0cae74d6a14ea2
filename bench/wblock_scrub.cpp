// WBLOCK * of a large drawing with and without the module's scrub: the
// whole-drawing wblock clone, the endWblock notification (the scrub erases
// every watermark of the written database) and the DXF file. Prints both
// times and the share the scrub adds.
//   bench_wblock_scrub [ordinary-entities] [watermarks]   (default 1000000 1000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "dbents.h"
#include "dbsymtb.h"
#include "entity/QWK_WaterMark.h"
#include "guard/guard.h"
#include "hostsim/dbapi.h"
#include "hostsim/dxffile.h"
#include "hostsim/session.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Timing {
    double clone = 0, scrub = 0, write = 0;
    double total() const { return clone + scrub + write; }
};

// One WBLOCK of the whole drawing into a DXF file; with the reactor the
// written database is scrubbed before it is saved, as the host's
// notification order has it.
Timing wblock(AcDbDatabase* pDb, KeelCommandReactor* pReactor, const std::string& path) {
    Timing t;
    auto start = std::chrono::steady_clock::now();
    AcDbDatabase* pOut = nullptr;
    pDb->wblock(pOut);
    t.clone = secondsSince(start);
    start = std::chrono::steady_clock::now();
    if (pReactor)
        pReactor->endWblock(pOut);
    t.scrub = secondsSince(start);
    start = std::chrono::steady_clock::now();
    hs::DxfResult r = hs::writeDxfFile(path, pOut);
    t.write = secondsSince(start);
    if (!r.ok)
        std::printf("writing %s failed: %s\n", path.c_str(), r.message.c_str());
    delete pOut;
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int marks = argc > 2 ? std::atoi(argv[2]) : 1000;
    hs::Session& session = hs::Session::get();
    QWK_WaterMark::rxInit();
    acrxBuildClassHierarchy();
    session.setDatabase(new AcDbDatabase());
    AcDbDatabase* pDb = session.database();

    AcDbBlockTableRecord* pMs = nullptr;
    acdbOpenObject(pMs, hs::modelSpaceId(pDb), AcDb::kForWrite);
    for (int i = 0; i < n; ++i) {
        AcDbLine* pLine = new AcDbLine(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 1, 0));
        pMs->appendAcDbEntity(pLine);
        pLine->close();
    }
    AcDbLine logo(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 5, 0));
    AcDbCircle ring(AcGePoint3d(5, 2.5, 0), AcGeVector3d::kZAxis, 3.0);
    for (int i = 0; i < marks; ++i) {
        QWK_WaterMark* pWm = new QWK_WaterMark();
        pWm->set_pEntity(&logo);
        pWm->set_pEntity(&ring);
        pWm->set_ColorIndex(250);
        pWm->transformBy(AcGeMatrix3d::translation(AcGeVector3d(i * 20.0, 10, 0)));
        pMs->appendAcDbEntity(pWm);
        pWm->close();
    }
    pMs->close();

    const std::string dir = argc > 3 ? argv[3] : "/tmp";
    KeelCommandReactor reactor;
    // A first write-block warms the allocator and the file cache; not counted.
    wblock(pDb, nullptr, dir + "/bench_wblock_plain.dxf");
    Timing without = wblock(pDb, nullptr, dir + "/bench_wblock_plain.dxf");
    Timing with = wblock(pDb, &reactor, dir + "/bench_wblock_scrubbed.dxf");
    std::printf("WBLOCK * of %d entities and %d watermarks\n", n, marks);
    std::printf("  without the scrub: %.3f s (clone %.3f, write %.3f)\n", without.total(), without.clone,
                without.write);
    std::printf("  with the scrub:    %.3f s (clone %.3f, scrub %.3f, write %.3f)\n", with.total(),
                with.clone, with.scrub, with.write);
    std::printf("  the scrub itself adds %.1f %% to the write-block (target under 10 %%); whole ratio %.3f\n",
                100.0 * with.scrub / without.total(), with.total() / without.total());
    return 0;
}

// The drawing database at scale: appending entities, write-block of the
// whole drawing, deep clone, and undoing one command that appended many
// entities. Plain timing; prints one line per measure.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "dbents.h"
#include "dbsymtb.h"
#include "hostsim/dbapi.h"
#include "hostsim/session.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 1000000;
    hs::Session& session = hs::Session::get();
    session.setDatabase(new AcDbDatabase());
    AcDbDatabase* pDb = session.database();

    hs::beginUndoGroup(pDb, "BENCH");
    auto start = std::chrono::steady_clock::now();
    AcDbBlockTableRecord* pMs = nullptr;
    acdbOpenObject(pMs, hs::modelSpaceId(pDb), AcDb::kForWrite);
    for (int i = 0; i < n; ++i) {
        AcDbLine* pLine = new AcDbLine(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 1, 0));
        pMs->appendAcDbEntity(pLine);
        pLine->close();
    }
    pMs->close();
    hs::endUndoGroup(pDb);
    double append = secondsSince(start);
    std::printf("append %d lines: %.3f s (%.2f us per entity)\n", n, append, append * 1e6 / n);

    start = std::chrono::steady_clock::now();
    AcDbDatabase* pOut = nullptr;
    pDb->wblock(pOut);
    double wblock = secondsSince(start);
    std::printf("wblock clone of the whole drawing: %.3f s (%.2f us per entity), %zu entities written\n",
                wblock, wblock * 1e6 / n, hs::entitiesOf(hs::modelSpaceId(pOut)).size());
    start = std::chrono::steady_clock::now();
    delete pOut;
    std::printf("delete the written database: %.3f s\n", secondsSince(start));

    const int copies = n < 100000 ? n : 100000;
    std::vector<AcDbObjectId> ids = hs::entitiesOf(hs::modelSpaceId(pDb));
    start = std::chrono::steady_clock::now();
    AcGeMatrix3d shift = AcGeMatrix3d::translation(AcGeVector3d(0, 5, 0));
    for (int i = 0; i < copies; ++i) {
        std::vector<AcDbObjectId> made;
        int failed = 0;
        hs::copyEntities({ids[static_cast<size_t>(i)]}, shift, made, failed);
    }
    double clone = secondsSince(start);
    std::printf("deep clone of %d lines: %.3f s (%.2f us per copy)\n", copies, clone, clone * 1e6 / copies);

    start = std::chrono::steady_clock::now();
    session.startCapture(false);
    hs::undoGroups(1);
    session.stopCapture();
    double undo = secondsSince(start);
    std::printf("undo of the command that appended %d lines: %.3f s\n", n, undo);
    return 0;
}

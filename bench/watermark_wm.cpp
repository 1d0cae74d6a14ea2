// The whole WM command on a large drawing: 256 sources, a 12 x 16 grid, and
// 100,000 ordinary entities around them. Prints the command's time and the
// share of the host's -ARRAY and DRAWORDER commands that it drives.
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>

#include "dbents.h"
#include "dbsymtb.h"
#include "entity/QWK_WaterMark.h"
#include "hostsim/dbapi.h"
#include "hostsim/session.h"
#include "hostsim/text.h"
#include "module/module.h"

namespace {

using Clock = std::chrono::steady_clock;

void appendEntities(AcDbDatabase* pDb, int ordinary, int sources) {
    AcDbBlockTable* pBlockTable = nullptr;
    pDb->getSymbolTable(pBlockTable, AcDb::kForRead);
    AcDbBlockTableRecord* pModel = nullptr;
    pBlockTable->getAt(ACRX_T("*Model_Space"), pModel, AcDb::kForWrite);
    pBlockTable->close();
    for (int i = 0; i < ordinary; i++) {
        double x = (i % 400) * 4.0, y = (i / 400) * 4.0;
        AcDbEntity* pEnt =
            (i % 2 == 0)
                ? (AcDbEntity*)new AcDbLine(AcGePoint3d(x, y, 0), AcGePoint3d(x + 3, y + 2, 0))
                : (AcDbEntity*)new AcDbCircle(AcGePoint3d(x + 1, y + 1, 0), AcGeVector3d::kZAxis, 1.0);
        pModel->appendAcDbEntity(pEnt);
        pEnt->close();
    }
    // The sources: a ring of short lines and circles far from the rest.
    for (int i = 0; i < sources; i++) {
        double x = 10000 + (i % 32) * 3.0, y = (i / 32) * 3.0;
        AcDbEntity* pEnt =
            (i % 2 == 0)
                ? (AcDbEntity*)new AcDbLine(AcGePoint3d(x, y, 0), AcGePoint3d(x + 2, y + 2, 0))
                : (AcDbEntity*)new AcDbCircle(AcGePoint3d(x + 1, y + 1, 0), AcGeVector3d::kZAxis, 1.0);
        pModel->appendAcDbEntity(pEnt);
        pEnt->close();
    }
    pModel->close();
}

}  // namespace

int main() {
    // A private home, so the settings and the registry file stay out of the user's.
    char home[] = "/tmp/ivbench-XXXXXX";
    if (mkdtemp(home) == nullptr)
        return 1;
    setenv("HOME", home, 1);
    setenv("XDG_CONFIG_HOME", home, 1);

    const int kOrdinary = 100000, kSources = 256;
    hs::Session& session = hs::Session::get();
    AcDbDatabase* pDb = session.database();
    auto t0 = Clock::now();
    appendEntities(pDb, kOrdinary, kSources);
    std::printf("drawing: %d ordinary entities and %d sources, built in %.2f s\n", kOrdinary, kSources,
                std::chrono::duration<double>(Clock::now() - t0).count());
    initModule();

    std::map<std::string, Clock::time_point> started;
    std::map<std::string, double> spent;
    session.commandEvents().willStart.push_back(
        [&](const std::string& name, bool) { started[hs::upper(name)] = Clock::now(); });
    session.commandEvents().ended.push_back([&](const std::string& name, bool, int) {
        std::string key = hs::upper(name);
        spent[key] += std::chrono::duration<double>(Clock::now() - started[key]).count();
    });

    session.startCapture(false);
    session.setScriptText("WM\n0,0\n1600,1000\n12\n16\n50\nW 9990,-10 10200,100\n\n8\n");
    auto start = Clock::now();
    session.commandLoop();
    double total = std::chrono::duration<double>(Clock::now() - start).count();
    std::string transcript = session.takeCapture();
    session.stopCapture();

    int marks = 0, clones = 0;
    for (AcDbObjectId id : hs::entitiesOf(hs::modelSpaceId(pDb))) {
        AcDbEntity* pEnt = nullptr;
        if (acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead) != Acad::eOk)
            continue;
        if (QWK_WaterMark* pWm = QWK_WaterMark::cast(pEnt)) {
            marks++;
            clones = pWm->count();
        }
        pEnt->close();
    }
    if (marks != 12 * 16 || clones != kSources) {
        std::printf("unexpected result: %d watermarks of %d clones\n%s\n", marks, clones, transcript.c_str());
        return 1;
    }
    double array = 0, draworder = 0;
    for (const auto& entry : spent) {
        if (entry.first.find("ARRAY") != std::string::npos)
            array += entry.second;
        if (entry.first.find("DRAWORDER") != std::string::npos)
            draworder += entry.second;
    }
    std::printf("WM: %d watermarks of %d clones in %.3f s (target under 0.5 s)\n", marks, clones, total);
    std::printf("  -ARRAY     %.3f s (%.0f %%)\n", array, 100.0 * array / total);
    std::printf("  DRAWORDER  %.3f s (%.0f %%)\n", draworder, 100.0 * draworder / total);
    std::printf("  the rest   %.3f s (selection, creation, fit)\n", total - array - draworder);
    std::fflush(stdout);
    _exit(0);
}

// Selecting a large drawing: opening a DXF file of N lines, then ERASE ALL
// on it from a script, as a user runs hostsim. Prints both times and their
// ratio; selection is linear when the ratio stays small as N grows.
//
//   bench_select_erase [N...]        (default: 100000 200000 400000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "dbents.h"
#include "dbsymtb.h"
#include "hostsim/dbapi.h"
#include "hostsim/dxffile.h"
#include "hostsim/session.h"

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

bool writeLines(const std::string& path, int count) {
    AcDbDatabase* pDb = new AcDbDatabase(true, true);
    AcDbBlockTableRecord* pMs = nullptr;
    acdbOpenObject(pMs, hs::modelSpaceId(pDb), AcDb::kForWrite);
    for (int i = 0; i < count; ++i) {
        double x = (i % 1000) * 1.5, y = (i / 1000) * 2.5;
        AcDbLine* pLine = new AcDbLine(AcGePoint3d(x, y, 0), AcGePoint3d(x + 1, y + 1, 0));
        pMs->appendAcDbEntity(pLine);
        pLine->close();
    }
    pMs->close();
    hs::DxfResult r = hs::writeDxfFile(path, pDb);
    delete pDb;
    return r.ok;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {100000, 200000, 400000};
    hs::Session& session = hs::Session::get();
    session.startCapture(/*alsoToStdout=*/false);
    std::string path = "bench_select_erase.dxf";
    std::printf("%10s %10s %10s %8s\n", "lines", "open s", "erase s", "ratio");
    for (int n : sizes) {
        if (!writeLines(path, n)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        auto start = std::chrono::steady_clock::now();
        AcDbDatabase* pDb = nullptr;
        hs::DxfResult r = hs::readDxfFile(path, pDb);
        double open = seconds(start);
        if (!r.ok || pDb == nullptr) {
            std::fprintf(stderr, "cannot read %s: %s\n", path.c_str(), r.message.c_str());
            return 1;
        }
        session.setDatabase(pDb);
        session.setScriptText("ERASE\nALL\n\n");
        start = std::chrono::steady_clock::now();
        session.commandLoop();
        double erase = seconds(start);
        size_t left = hs::entitiesOf(hs::modelSpaceId(pDb)).size();
        session.takeCapture();
        std::printf("%10d %10.3f %10.3f %8.2f%s\n", n, open, erase, erase / open,
                    left == 0 ? "" : "  (not all erased)");
        std::fflush(stdout);
        session.setDatabase(new AcDbDatabase());
    }
    std::remove(path.c_str());
    return 0;
}

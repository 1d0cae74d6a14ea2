// Deep-cloning a watermark that holds 256 clones, the way the host copies
// it for COPY, -ARRAY and WBLOCK: time per copy and size of its DWG stream.
#include <chrono>
#include <cstdio>

#include "dbents.h"
#include "entity/QWK_WaterMark.h"
#include "filing/dwgfiler.h"
#include "hostsim/dbapi.h"
#include "hostsim/session.h"

int main() {
    hs::Session::get();
    QWK_WaterMark::rxInit();
    acrxBuildClassHierarchy();

    QWK_WaterMark* pWm = new QWK_WaterMark();
    for (int i = 0; i < QWK_WaterMark::kMaxClones; i++) {
        if (i % 2 == 0) {
            AcDbLine line(AcGePoint3d(i, 0, 0), AcGePoint3d(i + 10, 5, 0));
            pWm->set_pEntity(&line);
        } else {
            AcDbCircle circle(AcGePoint3d(i, 3, 0), AcGeVector3d::kZAxis, 2.5);
            pWm->set_pEntity(&circle);
        }
    }
    pWm->set_ColorIndex(8);

    hs::DwgFiler filer(AcDb::kDeepCloneFiler);
    pWm->dwgOutFields(&filer);
    std::printf("watermark with %d clones: DWG stream %zu bytes (%.1f bytes per clone)\n", pWm->count(),
                filer.byteCount(), (double)filer.byteCount() / pWm->count());

    const int copies = 200;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < copies; i++) {
        AcDbObject* pCopy = nullptr;
        if (hs::copyThroughFiling(pWm, AcDb::kDeepCloneFiler, pCopy) != Acad::eOk || pCopy == nullptr) {
            std::printf("copy failed\n");
            return 1;
        }
        delete pCopy;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("deep clone through filing: %.3f ms per copy (%d copies)\n", seconds * 1000.0 / copies,
                copies);
    delete pWm;
    return 0;
}

#include "wmscript.h"

#include <cmath>
#include <sstream>

#include "hostsim/dbapi.h"
#include "hostsim/dxffile.h"

namespace wmscript {

Drawing::~Drawing() {
    delete pDb;
}

const Mark* Drawing::at(double x, double y, double tolerance) const {
    for (const Mark& m : marks)
        if (std::fabs(m.min.x - x) <= tolerance && std::fabs(m.min.y - y) <= tolerance)
            return &m;
    return nullptr;
}

std::unique_ptr<Drawing> readDrawing(const std::string& path) {
    std::unique_ptr<Drawing> d(new Drawing());
    hs::DxfResult result = hs::readDxfFile(path, d->pDb);
    if (!result.ok || d->pDb == nullptr) {
        d->error = "cannot read " + path + ": " + result.message;
        return d;
    }
    AcDbObjectId ms = hs::modelSpaceId(d->pDb);
    std::vector<AcDbObjectId> ids = hs::entitiesOf(ms);
    d->entities = (int)ids.size();
    for (AcDbObjectId id : ids) {
        AcDbEntity* pEnt = nullptr;
        if (acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead) != Acad::eOk)
            continue;
        if (QWK_WaterMark* pWm = QWK_WaterMark::cast(pEnt)) {
            Mark m;
            m.id = id;
            AcDbExtents ext;
            pWm->getGeomExtents(ext);
            m.min = ext.minPoint();
            m.max = ext.maxPoint();
            m.count = pWm->count();
            m.colour = pWm->colorIndex();
            if (pWm->count() > 0)
                m.cloneColour = pWm->entityAt(0)->colorIndex();
            for (int i = 0; i < pWm->count(); i++)
                m.cloneClasses.push_back(hs::toUtf8(pWm->entityAt(i)->isA()->name()));
            d->marks.push_back(m);
        }
        pEnt->close();
    }
    std::vector<AcDbObjectId> order = hs::drawOrder(ms);
    d->marksBehind = true;
    bool seenOther = false;
    for (AcDbObjectId id : order) {
        bool isMark = false;
        for (const Mark& m : d->marks)
            isMark = isMark || m.id == id;
        if (!isMark)
            seenOther = true;
        else if (seenOther)
            d->marksBehind = false;
    }
    return d;
}

std::string line(double x1, double y1, double x2, double y2) {
    std::ostringstream s;
    s << "LINE\n" << x1 << "," << y1 << "\n" << x2 << "," << y2 << "\n\n";
    return s.str();
}

std::string settingsKey() {
    return ivtest::kSettingsKey;
}

ivtest::HostsimOptions savingRun(const std::vector<std::pair<std::string, unsigned>>& settings) {
    ivtest::HostsimOptions opts;
    opts.saveDxf = "out.dxf";
    if (!settings.empty()) {
        ivtest::RegValues values;
        for (const auto& s : settings)
            values.push_back({s.first, ivtest::regDword(s.second)});
        opts.registryText = ivtest::regFileText({{settingsKey(), values}});
    }
    return opts;
}

std::string setting(const ivtest::Run& run, const std::string& name) {
    return ivtest::RegFile::load(run.registryPath).value(settingsKey(), name);
}

}  // namespace wmscript

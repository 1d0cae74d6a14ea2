// Registration of the host's drawing and editing commands, and the helpers
// those commands share.
#include "aced.h"
#include "db/proxy.h"
#include "dbsymtb.h"
#include "edcmds.h"
#include "hostsim/builtins.h"
#include "hostsim/selection.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace hs {

void registerEditCommands() {
    registerSelectionChecks();
    registerDrivenCommandEvents();
    registerDrawCommands();
    registerModifyCommands();
    registerPropertyCommands();
    registerUndoCommands();
    registerArrayCommands();
    registerWblockCommand();
    registerInsertCommand();
    registerUcsCommand();
}

void addBuiltinCommand(const std::string& name, void (*fn)(), int flags) {
    tstring group = fromUtf8("ACAD");
    tstring n = fromUtf8(name);
    acedRegCmds->addCommand(group.c_str(), n.c_str(), n.c_str(), flags, fn);
}

AcDbObjectId appendToCurrentSpace(AcDbEntity* pEnt) {
    AcDbDatabase* pDb = Session::get().database();
    AcDbObjectId id;
    AcDbBlockTableRecord* pSpace = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(pSpace, pDb->currentSpaceId(), AcDb::kForWrite);
    if (es == Acad::eOk) {
        pEnt->setLayer(pDb->clayer());
        es = pSpace->appendAcDbEntity(id, pEnt);
        pSpace->close();
    }
    if (es != Acad::eOk) {
        delete pEnt;
        Session::get().print(std::string("Could not add the entity: ") + toUtf8(acadErrorStatusText(es)) +
                             "\n");
        return AcDbObjectId::kNull;
    }
    pEnt->close();
    return id;
}

std::string countOf(int n, const std::string& singular, const std::string& plural) {
    return std::to_string(n) + " " + (n == 1 ? singular : plural);
}

int forEachForWrite(const std::vector<AcDbObjectId>& ids,
                    const std::function<Acad::ErrorStatus(AcDbEntity*)>& fn, const std::string& verb) {
    int done = 0, locked = 0, refused = 0;
    for (AcDbObjectId id : ids) {
        AcDbEntity* pEnt = nullptr;
        Acad::ErrorStatus es = acdbOpenAcDbEntity(pEnt, id, AcDb::kForWrite);
        if (es == Acad::eOnLockedLayer) {
            ++locked;
            continue;
        }
        if (es != Acad::eOk) {
            ++refused;
            continue;
        }
        es = fn(pEnt);
        if (es == Acad::eOk)
            ++done;
        else
            ++refused;
        if (es == Acad::eNotAllowedForThisProxy)
            edPrint(proxyRefusalLine(pEnt, verb));
        pEnt->close();
    }
    if (locked > 0)
        edPrint(std::to_string(locked) + (locked == 1 ? " was" : " were") + " on a locked layer.\n");
    if (refused > 0)
        edPrint(countOf(refused, "object", "objects") + (refused == 1 ? " was" : " were") + " not " + verb +
                ".\n");
    return done;
}

}  // namespace hs

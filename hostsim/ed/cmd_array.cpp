// -ARRAY (rectangular) and DRAWORDER. Array copies are deep clones through
// filing, moved into place and appended to the owner of their original;
// the draw order is the database's.
#include <algorithm>
#include <map>

#include "adscodes.h"
#include "db/proxy.h"
#include "edcmds.h"
#include "gemat3d.h"
#include "hostsim/dbapi.h"
#include "hostsim/session.h"

namespace hs {
namespace {

// The host refuses arrays of more elements than this.
const long kMaxArrayElements = 100000;

AcGeVector3d ucsVector(double dx, double dy) {
    return ucsToWcs(AcGePoint3d(dx, dy, 0)) - ucsToWcs(AcGePoint3d(0, 0, 0));
}

int askCount(const std::string& prompt, int& n) {
    Request rq;
    rq.prompt = prompt;
    rq.flags = RSG_NOZERO | RSG_NONEG;
    std::string kw;
    int st = requestInt(rq, n, kw);
    if (st == RTNONE)
        n = 1;
    return st == RTCAN ? RTCAN : RTNORM;
}

// Row distance, or a unit cell given by two points (then both distances).
int askRowDistance(double& dy, double& dx, bool& unitCell) {
    Request rq;
    rq.prompt = "Enter the distance between rows or specify unit cell (---): ";
    rq.flags = RSG_NONULL | RSG_OTHER;
    std::string other;
    for (;;) {
        int st = requestReal(rq, dy, other);
        if (st != RTKWORD)
            return st;
        AcGePoint3d c1, c2;
        if (!parsePoint(other, wcsToUcs(lastPoint()), c1)) {
            Session::get().print("Requires numeric distance or two points.\n");
            continue;
        }
        setLastPoint(ucsToWcs(c1));
        Request rq2;
        rq2.prompt = "Specify opposite corner: ";
        rq2.flags = RSG_NONULL;
        rq2.base = &c1;
        std::string kw;
        if (requestCorner(rq2, c2, kw) != RTNORM)
            return RTCAN;
        dy = c2.y - c1.y;
        dx = c2.x - c1.x;
        unitCell = true;
        return RTNORM;
    }
}

void arrayCommand() {
    std::vector<AcDbObjectId> ids;
    if (!selectForCommand(ids))
        return;
    Request type;
    type.prompt = "Enter the type of array [Rectangular/Polar] <R>: ";
    type.keywords = "Rectangular Polar";
    std::string kw;
    int st = requestKeyword(type, kw);
    if (st == RTCAN)
        return;
    if (kw == "Polar") {
        edPrint("Only rectangular arrays are available.\n");
        return;
    }
    int rows = 1, columns = 1;
    if (askCount("Enter the number of rows (---) <1>: ", rows) != RTNORM ||
        askCount("Enter the number of columns (|||) <1>: ", columns) != RTNORM)
        return;
    if (static_cast<long>(rows) * columns > kMaxArrayElements) {
        edPrint("Array size too large.\n");
        return;
    }
    if (rows == 1 && columns == 1) {
        edPrint("One-element array, nothing to do.\n");
        return;
    }
    double dy = 0, dx = 0;
    bool unitCell = false;
    if (rows > 1 && askRowDistance(dy, dx, unitCell) != RTNORM)
        return;
    if (columns > 1 && !unitCell) {
        Request rq;
        rq.prompt = "Specify the distance between columns (|||): ";
        rq.flags = RSG_NONULL;
        if (requestDist(rq, dx, kw) != RTNORM)
            return;
    }
    AcGeVector3d rowStep = ucsVector(0, dy), columnStep = ucsVector(dx, 0);
    int failed = 0;
    hs::reportCloneRefusals(ids, "copied");
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            if (i == 0 && j == 0)
                continue;
            // Each element is one deep clone operation of the selection.
            AcGeMatrix3d xform = AcGeMatrix3d::translation(rowStep * i + columnStep * j);
            std::vector<AcDbObjectId> copies;
            int notCopied = 0;
            copyEntities(ids, xform, copies, notCopied);
            failed += notCopied;
        }
    }
    if (failed > 0)
        edPrint(countOf(failed, "copy", "copies") + " could not be made.\n");
}

AcDbObjectId ownerOf(AcDbObjectId id) {
    AcDbObject* pObj = nullptr;
    if (acdbOpenAcDbObject(pObj, id, AcDb::kForRead) != Acad::eOk)
        return AcDbObjectId::kNull;
    AcDbObjectId owner = pObj->ownerId();
    pObj->close();
    return owner;
}

// Moves the objects just above the topmost (or just under the lowest)
// reference object of the same owner, keeping their own order.
void placeRelative(const std::vector<AcDbObjectId>& ids, const std::vector<AcDbObjectId>& refs, bool above) {
    std::map<AcDbObjectId, std::vector<AcDbObjectId>> byOwner;
    for (AcDbObjectId id : ids)
        byOwner[ownerOf(id)].push_back(id);
    for (auto& group : byOwner) {
        if (group.first.isNull())
            continue;
        std::vector<AcDbObjectId> order = drawOrder(group.first);
        std::vector<AcDbObjectId> moved, rest;
        for (AcDbObjectId id : order)
            (std::find(group.second.begin(), group.second.end(), id) != group.second.end() ? moved : rest)
                .push_back(id);
        long at = -1;
        for (size_t k = 0; k < rest.size(); ++k) {
            if (std::find(refs.begin(), refs.end(), rest[k]) == refs.end())
                continue;
            if (above)
                at = static_cast<long>(k) + 1;
            else if (at < 0)
                at = static_cast<long>(k);
        }
        if (at < 0)
            continue;  // no reference object in this space
        rest.insert(rest.begin() + at, moved.begin(), moved.end());
        setDrawOrder(group.first, rest);
    }
}

void draworderCommand() {
    std::vector<AcDbObjectId> ids;
    if (!selectForCommand(ids))
        return;
    Request rq;
    rq.prompt = "Enter object ordering option [Above objects/Under objects/Front/Back] <Back>: ";
    rq.keywords = "Above Under Front Back";
    std::string kw;
    int st = requestKeyword(rq, kw);
    if (st == RTCAN)
        return;
    if (st == RTNONE || kw == "Back") {
        sendToBack(ids);
    } else if (kw == "Front") {
        bringToFront(ids);
    } else {
        std::vector<AcDbObjectId> refs;
        if (selectObjects(refs, nullptr, "Select reference objects: ") != RTNORM || refs.empty())
            return;
        placeRelative(ids, refs, kw == "Above");
    }
}

}  // namespace

void registerArrayCommands() {
    addBuiltinCommand("-ARRAY", arrayCommand);
    addBuiltinCommand("DRAWORDER", draworderCommand);
}

}  // namespace hs

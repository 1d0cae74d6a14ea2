// Commands that change or remove selected entities: MOVE, ROTATE, SCALE,
// COPY, ERASE and OOPS. Entities are transformed through transformBy and
// copied through the database's deep clone; erasing goes through erase(),
// so an entity's erase hook may refuse.
#include "adscodes.h"
#include "db/proxy.h"
#include "edcmds.h"
#include "edstate.h"
#include "gemat3d.h"
#include "hostsim/dbapi.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace hs {
namespace {

AcGeVector3d ucsVectorToWcs(const AcGePoint3d& v) {
    return ucsToWcs(v) - ucsToWcs(AcGePoint3d(0, 0, 0));
}

// The base point and the displacement of MOVE and COPY, in world
// coordinates. Returns false when the command is to end.
bool askDisplacement(AcGeVector3d& disp, AcGePoint3d& baseWcs, const std::string& extraKeyword,
                     bool& extraChosen) {
    baseWcs = ucsToWcs(AcGePoint3d(0, 0, 0));
    extraChosen = false;
    Request rq;
    rq.prompt = extraKeyword.empty()
                    ? "Specify base point or [Displacement] <Displacement>: "
                    : "Specify base point or [Displacement/" + extraKeyword + "] <Displacement>: ";
    rq.keywords = "Displacement " + extraKeyword;
    std::string kw;
    AcGePoint3d base;
    int st = requestPoint(rq, base, kw);
    while (st == RTKWORD && kw == extraKeyword) {
        extraChosen = true;
        st = requestPoint(rq, base, kw);
    }
    if (st == RTCAN)
        return false;
    if (st == RTNORM) {
        baseWcs = ucsToWcs(base);
        Request second;
        second.prompt = "Specify second point or <use first point as displacement>: ";
        second.base = &base;
        AcGePoint3d to;
        int st2 = requestPoint(second, to, kw);
        if (st2 == RTCAN || st2 == RTKWORD)
            return false;
        disp = st2 == RTNORM ? ucsToWcs(to) - ucsToWcs(base) : ucsVectorToWcs(base);
        return true;
    }
    Request d;
    d.prompt = "Specify displacement <0.0000, 0.0000, 0.0000>: ";
    AcGePoint3d v;
    int st3 = requestPoint(d, v, kw);
    if (st3 == RTCAN || st3 == RTKWORD)
        return false;
    disp = st3 == RTNORM ? ucsVectorToWcs(v) : AcGeVector3d(0, 0, 0);
    return true;
}

void transformSelection(const std::vector<AcDbObjectId>& ids, const AcGeMatrix3d& xform,
                        const std::string& verb) {
    forEachForWrite(
        ids, [&](AcDbEntity* pEnt) { return pEnt->transformBy(xform); }, verb);
}

void moveCommand() {
    std::vector<AcDbObjectId> ids;
    if (!selectForCommand(ids))
        return;
    AcGeVector3d disp;
    AcGePoint3d base;
    bool unused = false;
    if (!askDisplacement(disp, base, "", unused))
        return;
    transformSelection(ids, AcGeMatrix3d::translation(disp), "moved");
}

// Asks for a base point; returns it in world coordinates.
bool askBase(AcGePoint3d& baseUcs) {
    Request rq;
    rq.prompt = "Specify base point: ";
    rq.flags = RSG_NONULL;
    std::string kw;
    return requestPoint(rq, baseUcs, kw) == RTNORM;
}

void rotateCommand() {
    std::vector<AcDbObjectId> ids;
    AcGePoint3d base;
    if (!selectForCommand(ids) || !askBase(base))
        return;
    Request rq;
    rq.prompt = "Specify rotation angle <0>: ";
    rq.base = &base;
    double angle = 0;
    std::string kw;
    int st = requestAngle(rq, angle, kw);
    if (st == RTCAN)
        return;
    if (st != RTNORM)
        angle = 0;
    Ucs u = currentUcs();
    AcGeVector3d axis = u.xAxis.crossProduct(u.yAxis);
    transformSelection(ids, AcGeMatrix3d::rotation(angle, axis, ucsToWcs(base)), "rotated");
}

void scaleCommand() {
    std::vector<AcDbObjectId> ids;
    AcGePoint3d base;
    if (!selectForCommand(ids) || !askBase(base))
        return;
    Request rq;
    rq.prompt = "Specify scale factor: ";
    rq.flags = RSG_NONULL | RSG_NOZERO | RSG_NONEG;
    rq.base = &base;
    double factor = 1;
    std::string kw;
    if (requestDist(rq, factor, kw) != RTNORM)
        return;
    transformSelection(ids, AcGeMatrix3d::scaling(factor, ucsToWcs(base)), "scaled");
}

// One copy of every selected entity, moved by disp; returns how many failed.
int copyOnce(const std::vector<AcDbObjectId>& ids, const AcGeVector3d& disp) {
    // One deep clone operation (with its notifications) for each copy.
    int failed = 0;
    std::vector<AcDbObjectId> copies;
    Acad::ErrorStatus es = copyEntities(ids, AcGeMatrix3d::translation(disp), copies, failed);
    if (es != Acad::eOk)
        edPrint("The copy was stopped: " + toUtf8(acadErrorStatusText(es)) + "\n");
    return failed;
}

void copyCommand() {
    std::vector<AcDbObjectId> ids;
    if (!selectForCommand(ids))
        return;
    hs::reportCloneRefusals(ids, "copied");
    AcGeVector3d disp;
    AcGePoint3d base;
    bool multiple = false;
    if (!askDisplacement(disp, base, "Multiple", multiple))
        return;
    int failed = copyOnce(ids, disp);
    // Multiple: more second points from the same base until Enter.
    while (multiple) {
        Request rq;
        rq.prompt = "Specify second point or [Exit] <Exit>: ";
        rq.keywords = "Exit";
        AcGePoint3d to;
        std::string kw;
        if (requestPoint(rq, to, kw) != RTNORM)
            break;
        failed += copyOnce(ids, ucsToWcs(to) - base);
    }
    if (failed > 0)
        edPrint(countOf(failed, "object", "objects") + (failed == 1 ? " was" : " were") + " not copied.\n");
}

void eraseCommand() {
    std::vector<AcDbObjectId> ids;
    if (!selectForCommand(ids))
        return;
    std::vector<AcDbObjectId> erased;
    forEachForWrite(
        ids,
        [&](AcDbEntity* pEnt) {
            Acad::ErrorStatus es = pEnt->erase();
            if (es == Acad::eOk)
                erased.push_back(pEnt->objectId());
            return es;
        },
        "erased");
    editorState().oops = erased;
}

void oopsCommand() {
    EditorState& st = editorState();
    std::vector<AcDbObjectId> ids = st.oops;
    st.oops.clear();
    int restored = 0;
    for (AcDbObjectId id : ids) {
        AcDbEntity* pEnt = nullptr;
        if (acdbOpenAcDbEntity(pEnt, id, AcDb::kForWrite, /*openErasedEntity=*/true) != Acad::eOk)
            continue;
        if (pEnt->isErased() && pEnt->erase(Adesk::kFalse) == Acad::eOk)
            ++restored;
        pEnt->close();
    }
    if (ids.empty())
        edPrint("Nothing to restore.\n");
    else if (restored < static_cast<int>(ids.size()))
        edPrint(countOf(static_cast<int>(ids.size()) - restored, "object was", "objects were") +
                " not restored.\n");
}

}  // namespace

void registerModifyCommands() {
    addBuiltinCommand("MOVE", moveCommand);
    addBuiltinCommand("ROTATE", rotateCommand);
    addBuiltinCommand("SCALE", scaleCommand);
    addBuiltinCommand("COPY", copyCommand);
    addBuiltinCommand("ERASE", eraseCommand);
    addBuiltinCommand("OOPS", oopsCommand);
}

}  // namespace hs

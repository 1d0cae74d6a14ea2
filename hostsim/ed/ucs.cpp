// The user coordinate system: conversions (acedTrans) and the UCS command
// (World, Origin, X/Y/Z rotations, Previous).
#include <cmath>

#include "acedads.h"
#include "dbents.h"
#include "edcmds.h"
#include "edstate.h"
#include "hostsim/session.h"

namespace hs {

namespace {

const double kPi = 3.14159265358979323846;

AcGeVector3d zAxisOf(const Ucs& u) {
    return u.xAxis.crossProduct(u.yAxis);
}

// A coordinate system given by its origin and axes in world coordinates.
struct Frame {
    AcGePoint3d origin;
    AcGeVector3d x = AcGeVector3d(1, 0, 0), y = AcGeVector3d(0, 1, 0), z = AcGeVector3d(0, 0, 1);
};

AcGePoint3d toWorld(const Frame& f, const AcGePoint3d& p, bool disp) {
    AcGeVector3d v = f.x * p.x + f.y * p.y + f.z * p.z;
    return disp ? AcGePoint3d(v.x, v.y, v.z) : f.origin + v;
}

AcGePoint3d fromWorld(const Frame& f, const AcGePoint3d& p, bool disp) {
    AcGeVector3d d = disp ? AcGeVector3d(p.x, p.y, p.z) : p - f.origin;
    return AcGePoint3d(d.dotProduct(f.x), d.dotProduct(f.y), d.dotProduct(f.z));
}

// The object coordinate system of an extrusion direction (the arbitrary
// axis rule of the drawing format).
Frame ecsFrame(const AcGeVector3d& normal) {
    Frame f;
    AcGeVector3d n = normal.normal();
    if (n.length() == 0)
        return f;
    AcGeVector3d ax = (std::fabs(n.x) < 1.0 / 64 && std::fabs(n.y) < 1.0 / 64)
                          ? AcGeVector3d(0, 1, 0).crossProduct(n)
                          : AcGeVector3d(0, 0, 1).crossProduct(n);
    ax = ax.normal();
    f.x = ax;
    f.y = n.crossProduct(ax).normal();
    f.z = n;
    return f;
}

Frame ucsFrame() {
    Ucs u = currentUcs();
    Frame f;
    f.origin = u.origin;
    f.x = u.xAxis;
    f.y = u.yAxis;
    f.z = zAxisOf(u);
    return f;
}

AcGeVector3d entityNormal(const resbuf* rb) {
    ads_name en = {static_cast<long>(rb->resval.rlname[0]), static_cast<long>(rb->resval.rlname[1])};
    AcDbObjectId id;
    AcDbEntity* pEnt = nullptr;
    AcGeVector3d n(0, 0, 1);
    if (acdbGetObjectId(id, en) != Acad::eOk || acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead) != Acad::eOk)
        return n;
    if (auto* p = AcDbCircle::cast(pEnt))
        n = p->normal();
    else if (auto* p = AcDbArc::cast(pEnt))
        n = p->normal();
    else if (auto* p = AcDbPolyline::cast(pEnt))
        n = p->normal();
    else if (auto* p = AcDbText::cast(pEnt))
        n = p->normal();
    else if (auto* p = AcDbBlockReference::cast(pEnt))
        n = p->normal();
    pEnt->close();
    return n;
}

// The system a resbuf of acedTrans names: 0 world, 1 UCS, 2 display (the
// plan view of the UCS), 3 paper-space display (world here), an entity name
// or an extrusion direction (object system).
bool frameOf(const resbuf* rb, Frame& f) {
    if (rb == nullptr)
        return false;
    if (rb->restype == RTSHORT) {
        switch (rb->resval.rint) {
            case 0:
            case 3:
                f = Frame();
                return true;
            case 1:
            case 2:
                f = ucsFrame();
                return true;
            default:
                return false;
        }
    }
    if (rb->restype == RTENAME) {
        f = ecsFrame(entityNormal(rb));
        return true;
    }
    if (rb->restype == RT3DPOINT) {
        f = ecsFrame(AcGeVector3d(rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]));
        return true;
    }
    return false;
}

AcGeVector3d rotated(const AcGeVector3d& v, const AcGeVector3d& axis, double angle) {
    AcGeVector3d k = axis.normal();
    return v * std::cos(angle) + k.crossProduct(v) * std::sin(angle) +
           k * (k.dotProduct(v) * (1 - std::cos(angle)));
}

void setUcsKeepingPrevious(const Ucs& u) {
    editorState().previousUcs.push_back(currentUcs());
    setCurrentUcs(u);
}

void ucsCommand() {
    edPrint(std::string("Current ucs name:  ") + (ucsIsWorld() ? "*WORLD*" : "*NO NAME*") + "\n");
    Request rq;
    rq.prompt = "Specify origin of UCS or [Origin/Previous/World/X/Y/Z] <World>: ";
    rq.keywords = "Origin Previous World X Y Z";
    AcGePoint3d p;
    std::string kw;
    int st = requestPoint(rq, p, kw);
    Ucs u = currentUcs();
    if (st == RTNONE || (st == RTKWORD && kw == "World")) {
        setUcsKeepingPrevious(Ucs());
    } else if (st == RTNORM) {
        u.origin = ucsToWcs(p);
        setUcsKeepingPrevious(u);
    } else if (st == RTKWORD && kw == "Origin") {
        Request o;
        o.prompt = "Specify new origin point <0,0,0>: ";
        AcGePoint3d q;
        int st2 = requestPoint(o, q, kw);
        if (st2 == RTCAN)
            return;
        u.origin = ucsToWcs(st2 == RTNORM ? q : AcGePoint3d(0, 0, 0));
        setUcsKeepingPrevious(u);
    } else if (st == RTKWORD && kw == "Previous") {
        EditorState& es = editorState();
        if (es.previousUcs.empty()) {
            edPrint("No previous UCS.\n");
            return;
        }
        setCurrentUcs(es.previousUcs.back());
        es.previousUcs.pop_back();
    } else if (st == RTKWORD) {
        Request a;
        a.prompt = "Specify rotation angle about " + kw + " axis <90>: ";
        double angle = kPi / 2;
        int st2 = requestAngle(a, angle, kw);
        if (st2 == RTCAN)
            return;
        if (st2 != RTNORM)
            angle = kPi / 2;
        AcGeVector3d axis = kw == "X" ? u.xAxis : (kw == "Y" ? u.yAxis : zAxisOf(u));
        u.xAxis = rotated(u.xAxis, axis, angle);
        u.yAxis = rotated(u.yAxis, axis, angle);
        setUcsKeepingPrevious(u);
    }
}

}  // namespace

Ucs currentUcs() {
    return editorState().ucs;
}

void setCurrentUcs(const Ucs& ucs) {
    Ucs u = ucs;
    u.xAxis = u.xAxis.normal();
    u.yAxis = u.yAxis.normal();
    editorState().ucs = u;
}

bool ucsIsWorld() {
    const Ucs& u = editorState().ucs;
    const double eps = 1e-12;
    return u.origin.distanceTo(AcGePoint3d(0, 0, 0)) < eps &&
           (u.xAxis - AcGeVector3d(1, 0, 0)).length() < eps &&
           (u.yAxis - AcGeVector3d(0, 1, 0)).length() < eps;
}

AcGePoint3d ucsToWcs(const AcGePoint3d& p) {
    return toWorld(ucsFrame(), p, false);
}
AcGePoint3d wcsToUcs(const AcGePoint3d& p) {
    return fromWorld(ucsFrame(), p, false);
}
AcGePoint3d lastPoint() {
    return editorState().lastPointWcs;
}
void setLastPoint(const AcGePoint3d& wcsPoint) {
    editorState().lastPointWcs = wcsPoint;
}

void registerUcsCommand() {
    addBuiltinCommand("UCS", ucsCommand);
}

}  // namespace hs

extern "C" int acedTrans(const ads_point pt, const struct resbuf* from, const struct resbuf* to, int disp,
                         ads_point result) {
    hs::Frame f, t;
    if (pt == nullptr || result == nullptr || !hs::frameOf(from, f) || !hs::frameOf(to, t))
        return RTERROR;
    AcGePoint3d w = hs::toWorld(f, AcGePoint3d(pt[X], pt[Y], pt[Z]), disp != 0);
    AcGePoint3d r = hs::fromWorld(t, w, disp != 0);
    result[X] = r.x;
    result[Y] = r.y;
    result[Z] = r.z;
    return RTNORM;
}

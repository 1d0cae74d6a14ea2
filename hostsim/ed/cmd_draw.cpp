// Commands that draw ordinary entities: LINE, CIRCLE, ARC, PLINE, TEXT.
// Points are asked in the current UCS and stored in world coordinates.
#include <cmath>
#include <cstdio>

#include "adscodes.h"
#include "dbents.h"
#include "edcmds.h"
#include "edstate.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace hs {
namespace {

std::string fixed4(double v) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.4f", v);
    return buf;
}

// Asks for a point; the answer comes back in world coordinates.
int askPoint(const std::string& prompt, const AcGePoint3d* baseWcs, const std::string& keywords,
             AcGePoint3d& wcs, std::string& kw, int flags = 0) {
    Request rq;
    rq.prompt = prompt;
    rq.keywords = keywords;
    rq.flags = flags;
    AcGePoint3d base;
    if (baseWcs != nullptr) {
        base = wcsToUcs(*baseWcs);
        rq.base = &base;
    }
    AcGePoint3d p;
    int st = requestPoint(rq, p, kw);
    if (st == RTNORM)
        wcs = ucsToWcs(p);
    return st;
}

void eraseEntity(AcDbObjectId id) {
    AcDbEntity* pEnt = nullptr;
    if (acdbOpenAcDbEntity(pEnt, id, AcDb::kForWrite) == Acad::eOk) {
        pEnt->erase();
        pEnt->close();
    }
}

// ---- LINE ----

void lineCommand() {
    AcGePoint3d first;
    std::string kw;
    if (askPoint("Specify first point: ", nullptr, "", first, kw) != RTNORM)
        return;
    std::vector<AcGePoint3d> pts{first};
    std::vector<AcDbObjectId> segments;
    for (;;) {
        bool canClose = segments.size() >= 2;
        AcGePoint3d p;
        int st = askPoint(
            canClose ? "Specify next point or [Close/Undo]: " : "Specify next point or [Undo]: ", &pts.back(),
            canClose ? "Close Undo" : "Undo", p, kw);
        if (st == RTNONE || st == RTCAN)
            return;
        if (st == RTKWORD && kw == "Undo") {
            if (segments.empty()) {
                edPrint("All segments already undone.\n");
                continue;
            }
            eraseEntity(segments.back());
            segments.pop_back();
            pts.pop_back();
            continue;
        }
        if (st == RTKWORD && kw == "Close")
            p = pts.front();
        AcDbObjectId id = appendToCurrentSpace(new AcDbLine(pts.back(), p));
        if (id.isNull() || (st == RTKWORD && kw == "Close"))
            return;
        segments.push_back(id);
        pts.push_back(p);
    }
}

// ---- CIRCLE and ARC ----

// Centre of the circle through three points (world XY); false if collinear.
bool circumcentre(const AcGePoint3d& a, const AcGePoint3d& b, const AcGePoint3d& c, AcGePoint3d& centre) {
    double d = 2 * (a.x * (b.y - c.y) + b.x * (c.y - a.y) + c.x * (a.y - b.y));
    if (std::fabs(d) < 1e-12)
        return false;
    double a2 = a.x * a.x + a.y * a.y, b2 = b.x * b.x + b.y * b.y, c2 = c.x * c.x + c.y * c.y;
    centre = AcGePoint3d((a2 * (b.y - c.y) + b2 * (c.y - a.y) + c2 * (a.y - b.y)) / d,
                         (a2 * (c.x - b.x) + b2 * (a.x - c.x) + c2 * (b.x - a.x)) / d, a.z);
    return true;
}

double angleOf(const AcGePoint3d& from, const AcGePoint3d& to) {
    return std::atan2(to.y - from.y, to.x - from.x);
}

int askRadius(const std::string& prompt, const AcGePoint3d& centreWcs, const std::string& keywords, double& r,
              std::string& kw) {
    Request rq;
    rq.prompt = prompt;
    rq.keywords = keywords;
    rq.flags = RSG_NONULL | RSG_NOZERO | RSG_NONEG;
    AcGePoint3d base = wcsToUcs(centreWcs);
    rq.base = &base;
    return requestDist(rq, r, kw);
}

void circleCommand() {
    AcGePoint3d c;
    std::string kw;
    int st = askPoint("Specify center point for circle or [3P/2P]: ", nullptr, "3P 2P", c, kw, RSG_NONULL);
    if (st == RTKWORD) {
        AcGePoint3d p1, p2, p3;
        if (askPoint("Specify first point on circle: ", nullptr, "", p1, kw, RSG_NONULL) != RTNORM ||
            askPoint("Specify second point on circle: ", &p1, "", p2, kw, RSG_NONULL) != RTNORM)
            return;
        AcGePoint3d centre;
        double r = 0;
        if (kw == "2P") {
            centre = AcGePoint3d((p1.x + p2.x) / 2, (p1.y + p2.y) / 2, (p1.z + p2.z) / 2);
            r = p1.distanceTo(p2) / 2;
        } else {
            if (askPoint("Specify third point on circle: ", &p2, "", p3, kw, RSG_NONULL) != RTNORM)
                return;
            if (!circumcentre(p1, p2, p3, centre)) {
                edPrint("Circle does not exist.\n");
                return;
            }
            r = centre.distanceTo(p1);
        }
        if (r <= 0) {
            edPrint("Circle does not exist.\n");
            return;
        }
        appendToCurrentSpace(new AcDbCircle(centre, AcGeVector3d::kZAxis, r));
        return;
    }
    if (st != RTNORM)
        return;
    double r = 0;
    st = askRadius("Specify radius of circle or [Diameter]: ", c, "Diameter", r, kw);
    if (st == RTKWORD) {
        st = askRadius("Specify diameter of circle: ", c, "", r, kw);
        r /= 2;
    }
    if (st != RTNORM)
        return;
    appendToCurrentSpace(new AcDbCircle(c, AcGeVector3d::kZAxis, r));
}

void arcFromCentre(const AcGePoint3d& c, const AcGePoint3d& start) {
    std::string kw;
    AcGePoint3d end;
    int st = askPoint("Specify end point of arc or [Angle]: ", &c, "Angle", end, kw, RSG_NONULL);
    double a0 = angleOf(c, start), a1 = 0;
    if (st == RTKWORD) {
        Request rq;
        rq.prompt = "Specify included angle: ";
        rq.flags = RSG_NONULL;
        double inc = 0;
        if (requestAngle(rq, inc, kw) != RTNORM)
            return;
        a1 = a0 + inc;
        if (inc < 0)
            std::swap(a0, a1);
    } else if (st == RTNORM) {
        a1 = angleOf(c, end);
    } else {
        return;
    }
    double r = c.distanceTo(start);
    if (r <= 0) {
        edPrint("Invalid arc.\n");
        return;
    }
    appendToCurrentSpace(new AcDbArc(c, r, a0, a1));
}

void arcCommand() {
    AcGePoint3d p1, p2, p3, c;
    std::string kw;
    int st = askPoint("Specify start point of arc or [Center]: ", nullptr, "Center", p1, kw, RSG_NONULL);
    if (st == RTKWORD) {
        if (askPoint("Specify center point of arc: ", nullptr, "", c, kw, RSG_NONULL) != RTNORM ||
            askPoint("Specify start point of arc: ", &c, "", p1, kw, RSG_NONULL) != RTNORM)
            return;
        arcFromCentre(c, p1);
        return;
    }
    if (st != RTNORM)
        return;
    st = askPoint("Specify second point of arc or [Center]: ", &p1, "Center", p2, kw, RSG_NONULL);
    if (st == RTKWORD) {
        if (askPoint("Specify center point of arc: ", &p1, "", c, kw, RSG_NONULL) != RTNORM)
            return;
        arcFromCentre(c, p1);
        return;
    }
    if (st != RTNORM || askPoint("Specify end point of arc: ", &p2, "", p3, kw, RSG_NONULL) != RTNORM)
        return;
    if (!circumcentre(p1, p2, p3, c)) {
        edPrint("Arc points are collinear.\n");
        return;
    }
    double turn = (p2.x - p1.x) * (p3.y - p2.y) - (p2.y - p1.y) * (p3.x - p2.x);
    double a1 = angleOf(c, p1), a3 = angleOf(c, p3);
    if (turn > 0)
        appendToCurrentSpace(new AcDbArc(c, c.distanceTo(p1), a1, a3));
    else
        appendToCurrentSpace(new AcDbArc(c, c.distanceTo(p1), a3, a1));
}

// ---- PLINE ----

struct PlineVertex {
    AcGePoint3d pt;
    double bulge = 0;  // of the segment that starts here
};

// The direction in which the polyline leaves its last vertex.
AcGeVector3d endTangent(const std::vector<PlineVertex>& v) {
    if (v.size() < 2)
        return AcGeVector3d(1, 0, 0);
    const PlineVertex& a = v[v.size() - 2];
    AcGeVector3d chord = v.back().pt - a.pt;
    double half = 2 * std::atan(a.bulge);  // half of the included angle
    double ang = std::atan2(chord.y, chord.x) + half;
    return AcGeVector3d(std::cos(ang), std::sin(ang), 0);
}

// The bulge of an arc that leaves `from` along `tangent` and ends at `to`.
double tangentBulge(const AcGePoint3d& from, const AcGeVector3d& tangent, const AcGePoint3d& to) {
    AcGeVector3d chord = to - from;
    double phi =
        std::atan2(tangent.x * chord.y - tangent.y * chord.x, tangent.x * chord.x + tangent.y * chord.y);
    return std::tan(phi / 2);
}

void makePolyline(const std::vector<PlineVertex>& v, bool closed) {
    if (v.size() < 2)
        return;
    AcDbPolyline* pl = new AcDbPolyline(static_cast<unsigned int>(v.size()));
    for (size_t i = 0; i < v.size(); ++i)
        pl->addVertexAt(static_cast<unsigned int>(i), AcGePoint2d(v[i].pt.x, v[i].pt.y), v[i].bulge);
    pl->setElevation(v[0].pt.z);
    pl->setClosed(closed ? Adesk::kTrue : Adesk::kFalse);
    appendToCurrentSpace(pl);
}

void plineCommand() {
    std::vector<PlineVertex> v(1);
    std::string kw;
    if (askPoint("Specify start point: ", nullptr, "", v[0].pt, kw, RSG_NONULL) != RTNORM)
        return;
    edPrint("Current line-width is 0.0000\n");
    bool arcMode = false;
    for (;;) {
        bool canClose = v.size() >= 2;
        std::string prompt = arcMode ? "Specify endpoint of arc or [CLose/Line/Undo]: "
                                     : (canClose ? "Specify next point or [Arc/Close/Undo]: "
                                                 : "Specify next point or [Arc/Undo]: ");
        std::string keywords = arcMode ? (canClose ? "CLose Line Undo" : "Line Undo")
                                       : (canClose ? "Arc Close Undo" : "Arc Undo");
        AcGePoint3d p;
        int st = askPoint(prompt, &v.back().pt, keywords, p, kw);
        if (st == RTNONE || st == RTCAN) {
            makePolyline(v, false);
            return;
        }
        if (st == RTKWORD) {
            if (kw == "Arc") {
                arcMode = true;
            } else if (kw == "Line") {
                arcMode = false;
            } else if (kw == "Undo") {
                if (v.size() > 1)
                    v.pop_back();
                v.back().bulge = 0;
            } else {  // Close or CLose
                if (arcMode)
                    v.back().bulge = tangentBulge(v.back().pt, endTangent(v), v.front().pt);
                makePolyline(v, true);
                return;
            }
            continue;
        }
        if (arcMode)
            v.back().bulge = tangentBulge(v.back().pt, endTangent(v), p);
        PlineVertex next;
        next.pt = p;
        v.push_back(next);
    }
}

// ---- TEXT ----

void textCommand() {
    EditorState& st = editorState();
    edPrint("Current text style:  \"Standard\"  Text height:  " + fixed4(st.textHeight) + "\n");
    AcGePoint3d pos;
    std::string kw;
    if (askPoint("Specify start point of text: ", nullptr, "", pos, kw, RSG_NONULL) != RTNORM)
        return;
    AcGePoint3d base = wcsToUcs(pos);
    Request h;
    h.prompt = "Specify height <" + fixed4(st.textHeight) + ">: ";
    h.flags = RSG_NOZERO | RSG_NONEG;
    h.base = &base;
    double height = st.textHeight;
    int r = requestDist(h, height, kw);
    if (r == RTCAN)
        return;
    if (r != RTNORM)
        height = st.textHeight;
    Request a;
    a.prompt = "Specify rotation angle of text <0>: ";
    a.base = &base;
    double rotation = 0;
    r = requestAngle(a, rotation, kw);
    if (r == RTCAN)
        return;
    if (r != RTNORM)
        rotation = 0;
    std::string text;
    if (requestString("Enter text: ", true, text) != RTNORM || text.empty())
        return;
    editorState().textHeight = height;
    Ucs u = currentUcs();
    rotation += std::atan2(u.xAxis.y, u.xAxis.x);
    tstring t = fromUtf8(text);
    appendToCurrentSpace(new AcDbText(pos, t.c_str(), AcDbObjectId::kNull, height, rotation));
}

}  // namespace

void registerDrawCommands() {
    addBuiltinCommand("LINE", lineCommand);
    addBuiltinCommand("CIRCLE", circleCommand);
    addBuiltinCommand("ARC", arcCommand);
    addBuiltinCommand("PLINE", plineCommand);
    addBuiltinCommand("TEXT", textCommand);
}

}  // namespace hs

// acedSetVar and acedGetVar: the session's integer variables (CMDECHO ...),
// the current layer and the read-only UCS variables.
#include <cstdlib>
#include <cstring>

#include "acedads.h"
#include "dbsymtb.h"
#include "dxf/proxy_dxf.h"
#include "edstate.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace hs {
namespace {

struct IntVar {
    const char* name;
    int defaultValue;
    int low;
    int high;
};

// The integer variables the editor knows, with their ranges.
const IntVar kIntVars[] = {
    {"CMDECHO", 1, 0, 1},     {"FILEDIA", 1, 0, 1},   {"CMDDIA", 1, 0, 1},      {"EXPERT", 0, 0, 5},
    {"OSMODE", 0, 0, 32767},  {"ORTHOMODE", 0, 0, 1}, {"PICKFIRST", 1, 0, 1},   {"PICKADD", 1, 0, 2},
    {"ATTREQ", 1, 0, 1},      {"UCSFOLLOW", 0, 0, 1}, {"HIGHLIGHT", 1, 0, 1},   {"DRAGMODE", 2, 0, 2},
    {"BLIPMODE", 0, 0, 1},    {"NOMUTT", 0, 0, 1},    {"QAFLAGS", 0, 0, 32767}, {"PROXYSHOW", 1, 0, 2},
    {"PROXYNOTICE", 1, 0, 1},
};

const IntVar* findIntVar(const std::string& name) {
    for (const IntVar& v : kIntVars)
        if (equalsNoCase(name, v.name))
            return &v;
    return nullptr;
}

void setPoint(resbuf* rb, const AcGePoint3d& p) {
    rb->restype = RT3DPOINT;
    rb->resval.rpoint[X] = p.x;
    rb->resval.rpoint[Y] = p.y;
    rb->resval.rpoint[Z] = p.z;
}

std::string currentLayerName() {
    AcDbDatabase* pDb = Session::get().database();
    AcDbLayerTableRecord* pRec = nullptr;
    if (acdbOpenObject(pRec, pDb->clayer(), AcDb::kForRead) != Acad::eOk)
        return "0";
    const ACHAR* name = nullptr;
    pRec->getName(name);
    std::string out = name != nullptr ? toUtf8(name) : std::string("0");
    pRec->close();
    return out;
}

bool setCurrentLayer(const ACHAR* name) {
    AcDbDatabase* pDb = Session::get().database();
    AcDbLayerTable* pTable = nullptr;
    if (pDb->getSymbolTable(pTable, AcDb::kForRead) != Acad::eOk)
        return false;
    AcDbObjectId id;
    Acad::ErrorStatus es = pTable->getAt(name, id);
    pTable->close();
    return es == Acad::eOk && pDb->setClayer(id) == Acad::eOk;
}

// CECOLOR as the host shows it: BYLAYER, BYBLOCK or the colour number.
std::string currentColorText() {
    AcCmColor c = Session::get().database()->cecolor();
    if (c.isByLayer())
        return "BYLAYER";
    if (c.isByBlock())
        return "BYBLOCK";
    return std::to_string(c.colorIndex());
}

bool setCurrentColor(const std::string& text) {
    std::string t = upper(text);
    AcCmColor c;
    if (t == "BYLAYER") {
        c.setColorIndex(256);
    } else if (t == "BYBLOCK") {
        c.setColorIndex(0);
    } else {
        char* end = nullptr;
        long n = std::strtol(t.c_str(), &end, 10);
        if (end == t.c_str() || *end != 0 || n < 1 || n > 255)
            return false;
        c.setColorIndex(static_cast<Adesk::UInt16>(n));
    }
    return Session::get().database()->setCecolor(c) == Acad::eOk;
}

std::string currentLinetypeName() {
    AcDbDatabase* pDb = Session::get().database();
    AcDbLinetypeTableRecord* pRec = nullptr;
    if (acdbOpenObject(pRec, pDb->celtype(), AcDb::kForRead) != Acad::eOk)
        return "ByLayer";
    const ACHAR* name = nullptr;
    pRec->getName(name);
    std::string out = name != nullptr ? toUtf8(name) : std::string("ByLayer");
    pRec->close();
    return out;
}

bool setCurrentLinetype(const ACHAR* name) {
    AcDbDatabase* pDb = Session::get().database();
    AcDbLinetypeTable* pTable = nullptr;
    if (pDb->getSymbolTable(pTable, AcDb::kForRead) != Acad::eOk)
        return false;
    AcDbObjectId id;
    Acad::ErrorStatus es = pTable->getAt(name, id);
    pTable->close();
    return es == Acad::eOk && pDb->setCeltype(id) == Acad::eOk;
}

bool isLineWeightValue(long lw) {
    static const long valid[] = {0,  5,  9,  13,  15,  18,  20,  25,  30,  35,  40, 50, 53, 60,
                                 70, 80, 90, 100, 106, 120, 140, 158, 200, 211, -1, -2, -3};
    for (long v : valid)
        if (v == lw)
            return true;
    return false;
}

}  // namespace
}  // namespace hs

extern "C" int acedGetVar(const ACHAR* sym, struct resbuf* result) {
    if (sym == nullptr || result == nullptr)
        return RTERROR;
    std::string name = hs::upper(hs::toUtf8(sym));
    if (const hs::IntVar* v = hs::findIntVar(name)) {
        result->restype = RTSHORT;
        result->resval.rint = static_cast<short>(hs::Session::get().getVar(v->name, v->defaultValue));
        return RTNORM;
    }
    hs::Ucs u = hs::currentUcs();
    if (name == "PROXYGRAPHICS") {
        // A drawing variable: it is saved in the drawing's header.
        result->restype = RTSHORT;
        result->resval.rint =
            static_cast<short>(hs::dxf::proxyGraphicsSetting(hs::Session::get().database()));
    } else if (name == "WORLDUCS") {
        result->restype = RTSHORT;
        result->resval.rint = hs::ucsIsWorld() ? 1 : 0;
    } else if (name == "UCSORG") {
        hs::setPoint(result, u.origin);
    } else if (name == "UCSXDIR") {
        hs::setPoint(result, AcGePoint3d(u.xAxis.x, u.xAxis.y, u.xAxis.z));
    } else if (name == "UCSYDIR") {
        hs::setPoint(result, AcGePoint3d(u.yAxis.x, u.yAxis.y, u.yAxis.z));
    } else if (name == "LASTPOINT") {
        hs::setPoint(result, hs::wcsToUcs(hs::lastPoint()));
    } else if (name == "CLAYER") {
        // The caller frees the text (acutDelString).
        result->restype = RTSTR;
        result->resval.rstring = hs::newString(hs::fromUtf8(hs::currentLayerName()).c_str());
    } else if (name == "CECOLOR") {
        result->restype = RTSTR;
        result->resval.rstring = hs::newString(hs::fromUtf8(hs::currentColorText()).c_str());
    } else if (name == "CELTYPE") {
        result->restype = RTSTR;
        result->resval.rstring = hs::newString(hs::fromUtf8(hs::currentLinetypeName()).c_str());
    } else if (name == "CELTSCALE") {
        result->restype = RTREAL;
        result->resval.rreal = hs::Session::get().database()->celtscale();
    } else if (name == "CELWEIGHT") {
        result->restype = RTSHORT;
        result->resval.rint = static_cast<short>(hs::Session::get().database()->celweight());
    } else {
        return RTERROR;
    }
    return RTNORM;
}

// Integer variables take RTSHORT (or RTLONG) within their range; CLAYER an
// existing layer's name; LASTPOINT a point. Anything else is refused.
extern "C" int acedSetVar(const ACHAR* sym, const struct resbuf* val) {
    if (sym == nullptr || val == nullptr)
        return RTERROR;
    std::string name = hs::upper(hs::toUtf8(sym));
    if (const hs::IntVar* v = hs::findIntVar(name)) {
        long value = 0;
        if (val->restype == RTSHORT)
            value = val->resval.rint;
        else if (val->restype == RTLONG)
            value = val->resval.rlong;
        else
            return RTERROR;
        if (value < v->low || value > v->high)
            return RTERROR;
        hs::Session::get().setVar(v->name, static_cast<int>(value));
        return RTNORM;
    }
    if (name == "PROXYGRAPHICS") {
        long value = val->restype == RTSHORT  ? val->resval.rint
                     : val->restype == RTLONG ? val->resval.rlong
                                              : -1;
        return hs::dxf::setProxyGraphicsSetting(hs::Session::get().database(), static_cast<int>(value))
                   ? RTNORM
                   : RTERROR;
    }
    if (name == "CLAYER") {
        if (val->restype != RTSTR || val->resval.rstring == nullptr)
            return RTERROR;
        return hs::setCurrentLayer(val->resval.rstring) ? RTNORM : RTERROR;
    }
    if (name == "CECOLOR" || name == "CELTYPE") {
        if (val->restype != RTSTR || val->resval.rstring == nullptr)
            return RTERROR;
        bool ok = name == "CECOLOR" ? hs::setCurrentColor(hs::toUtf8(val->resval.rstring))
                                    : hs::setCurrentLinetype(val->resval.rstring);
        return ok ? RTNORM : RTERROR;
    }
    if (name == "CELTSCALE") {
        double v = val->restype == RTREAL    ? val->resval.rreal
                   : val->restype == RTSHORT ? val->resval.rint
                                             : -1.0;
        return hs::Session::get().database()->setCeltscale(v) == Acad::eOk ? RTNORM : RTERROR;
    }
    if (name == "CELWEIGHT") {
        long v = val->restype == RTSHORT  ? val->resval.rint
                 : val->restype == RTLONG ? val->resval.rlong
                                          : -100;
        if (!hs::isLineWeightValue(v))
            return RTERROR;
        hs::Session::get().database()->setCelweight(static_cast<AcDb::LineWeight>(v));
        return RTNORM;
    }
    if (name == "LASTPOINT") {
        if (val->restype != RT3DPOINT && val->restype != RTPOINT)
            return RTERROR;
        double z = val->restype == RT3DPOINT ? val->resval.rpoint[Z] : 0.0;
        hs::setLastPoint(hs::ucsToWcs(AcGePoint3d(val->resval.rpoint[X], val->resval.rpoint[Y], z)));
        return RTNORM;
    }
    return RTERROR;
}

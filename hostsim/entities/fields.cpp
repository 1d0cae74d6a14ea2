// Filing an entity's value table through the DWG and DXF filers.
#include "fields.h"

#include <cmath>
#include <cstring>

#include "filing/dxffiler.h"
#include "hostsim/text.h"

namespace hs {

namespace {
constexpr int kLegacyElevation = 38;
constexpr double kPi = 3.14159265358979323846;
double toDegrees(double radians) {
    return radians * 180.0 / kPi;
}
double toRadians(double degrees) {
    return degrees * kPi / 180.0;
}
// Compares a host string with a UTF-8 name; no conversion while it is ASCII.
bool equalsAscii(const ACHAR* text, const char* utf8) {
    if (text == nullptr)
        return *utf8 == 0;
    for (const char* p = utf8; *p != 0; ++text, ++p) {
        if (static_cast<unsigned char>(*p) >= 0x80)
            return toUtf8(text - (p - utf8)) == utf8;
        if (*text != static_cast<ACHAR>(*p))
            return false;
    }
    return *text == 0;
}

void assignText(std::basic_string<ACHAR>& value, const char* utf8) {
    value.clear();
    for (const char* p = utf8; *p != 0; ++p) {
        if (static_cast<unsigned char>(*p) >= 0x80) {
            value = fromUtf8(utf8);
            return;
        }
        value.push_back(static_cast<ACHAR>(*p));
    }
}
}  // namespace

EntityFields& EntityFields::add(const Field& f) {
    m_fields.push_back(f);
    return *this;
}

EntityFields& EntityFields::marker(const char* subclassName) {
    Field f;
    f.kind = kMarker;
    f.code = AcDb::kDxfSubclass;
    f.textDefault = subclassName;
    return add(f);
}

EntityFields& EntityFields::real(int code, double& value, bool optional, double dflt) {
    Field f;
    f.code = code;
    f.kind = kReal;
    f.pValue = &value;
    f.optional = optional;
    f.realDefault = dflt;
    return add(f);
}

EntityFields& EntityFields::angle(int code, double& value, bool optional) {
    real(code, value, optional, 0.0);
    m_fields.back().kind = kAngle;
    return *this;
}

EntityFields& EntityFields::point(int code, AcGePoint3d& value, bool optional) {
    Field f;
    f.code = code;
    f.kind = kPoint;
    f.pValue = &value;
    f.optional = optional;
    return add(f);
}

EntityFields& EntityFields::vector(int code, AcGeVector3d& value, bool optional, const AcGeVector3d& dflt) {
    Field f;
    f.code = code;
    f.kind = kVector;
    f.pValue = &value;
    f.optional = optional;
    f.vectorDefault = dflt;
    return add(f);
}

EntityFields& EntityFields::int16(int code, Adesk::Int16& value, bool optional, Adesk::Int16 dflt) {
    Field f;
    f.code = code;
    f.kind = kInt16;
    f.pValue = &value;
    f.optional = optional;
    f.intDefault = dflt;
    return add(f);
}

EntityFields& EntityFields::text(int code, std::basic_string<ACHAR>& value, bool optional, const char* dflt) {
    Field f;
    f.code = code;
    f.kind = kText;
    f.pValue = &value;
    f.optional = optional;
    f.textDefault = dflt;
    return add(f);
}

Acad::ErrorStatus EntityFields::dwgOut(AcDbDwgFiler* pFiler) const {
    Acad::ErrorStatus es = Acad::eOk;
    for (const Field& f : m_fields) {
        switch (f.kind) {
            case kMarker:
                continue;
            case kReal:
            case kAngle:
                es = pFiler->writeDouble(*static_cast<double*>(f.pValue));
                break;
            case kPoint:
                es = pFiler->writePoint3d(*static_cast<AcGePoint3d*>(f.pValue));
                break;
            case kVector:
                es = pFiler->writeVector3d(*static_cast<AcGeVector3d*>(f.pValue));
                break;
            case kInt16:
                es = pFiler->writeInt16(*static_cast<Adesk::Int16*>(f.pValue));
                break;
            case kText:
                es = pFiler->writeString(static_cast<std::basic_string<ACHAR>*>(f.pValue)->c_str());
                break;
        }
        if (es != Acad::eOk)
            return es;
    }
    return pFiler->filerStatus();
}

Acad::ErrorStatus EntityFields::dwgIn(AcDbDwgFiler* pFiler) {
    Acad::ErrorStatus es = Acad::eOk;
    for (const Field& f : m_fields) {
        switch (f.kind) {
            case kMarker:
                continue;
            case kReal:
            case kAngle:
                es = pFiler->readDouble(static_cast<double*>(f.pValue));
                break;
            case kPoint:
                es = pFiler->readPoint3d(static_cast<AcGePoint3d*>(f.pValue));
                break;
            case kVector:
                es = pFiler->readVector3d(static_cast<AcGeVector3d*>(f.pValue));
                break;
            case kInt16:
                es = pFiler->readInt16(static_cast<Adesk::Int16*>(f.pValue));
                break;
            case kText: {
                ACHAR* pText = nullptr;
                es = pFiler->readString(&pText);
                auto* pValue = static_cast<std::basic_string<ACHAR>*>(f.pValue);
                if (es == Acad::eOk && pText != nullptr)
                    pValue->assign(pText);
                else
                    pValue->clear();
                acdbFree(pText);
                break;
            }
        }
        if (es != Acad::eOk)
            return es;
    }
    return pFiler->filerStatus();
}

Acad::ErrorStatus writeMarker(AcDbDxfFiler* pFiler, const char* subclassName) {
    return pFiler->writeString(AcDb::kDxfSubclass, fromUtf8(subclassName).c_str());
}

Acad::ErrorStatus EntityFields::dxfOut(AcDbDxfFiler* pFiler) const {
    Acad::ErrorStatus es = Acad::eOk;
    for (const Field& f : m_fields) {
        AcDb::DxfCode code = static_cast<AcDb::DxfCode>(f.code);
        switch (f.kind) {
            case kMarker:
                es = writeMarker(pFiler, f.textDefault);
                break;
            case kReal:
            case kAngle: {
                double v = *static_cast<double*>(f.pValue);
                if (f.optional && v == f.realDefault)
                    continue;
                es = pFiler->writeDouble(code, f.kind == kAngle ? toDegrees(v) : v);
                break;
            }
            case kPoint: {
                const AcGePoint3d& p = *static_cast<AcGePoint3d*>(f.pValue);
                if (f.optional && p == AcGePoint3d::kOrigin)
                    continue;
                es = pFiler->writePoint3d(code, p);
                break;
            }
            case kVector: {
                const AcGeVector3d& v = *static_cast<AcGeVector3d*>(f.pValue);
                if (f.optional && v == f.vectorDefault)
                    continue;
                es = pFiler->writeVector3d(code, v);
                break;
            }
            case kInt16: {
                Adesk::Int16 v = *static_cast<Adesk::Int16*>(f.pValue);
                if (f.optional && v == f.intDefault)
                    continue;
                es = pFiler->writeInt16(code, v);
                break;
            }
            case kText: {
                const std::basic_string<ACHAR>& v = *static_cast<std::basic_string<ACHAR>*>(f.pValue);
                if (f.optional && equalsAscii(v.c_str(), f.textDefault))
                    continue;
                es = pFiler->writeString(code, v.c_str());
                break;
            }
        }
        if (es != Acad::eOk)
            return es;
    }
    return pFiler->filerStatus();
}

Acad::ErrorStatus EntityFields::dxfIn(AcDbDxfFiler* pFiler, const std::function<bool(const resbuf&)>& extra) {
    for (const Field& f : m_fields) {
        if (!f.optional)
            continue;
        switch (f.kind) {
            case kReal:
            case kAngle:
                *static_cast<double*>(f.pValue) = f.realDefault;
                break;
            case kVector:
                *static_cast<AcGeVector3d*>(f.pValue) = f.vectorDefault;
                break;
            case kPoint:
                *static_cast<AcGePoint3d*>(f.pValue) = AcGePoint3d::kOrigin;
                break;
            case kInt16:
                *static_cast<Adesk::Int16*>(f.pValue) = f.intDefault;
                break;
            case kText:
                assignText(*static_cast<std::basic_string<ACHAR>*>(f.pValue), f.textDefault);
                break;
            default:
                break;
        }
    }
    // Old files give the height of a planar entity as an elevation (38);
    // it is the z of the entity's first point.
    double elevation = 0.0;
    for (;;) {
        resbuf rb;
        Acad::ErrorStatus es = pFiler->readResBuf(&rb);
        if (es == Acad::eEndOfFile || es == Acad::eEndOfObject)
            break;
        if (es != Acad::eOk)
            return es;
        const Field* pField = nullptr;
        for (const Field& f : m_fields) {
            if (f.code != rb.restype)
                continue;
            if (f.kind == kMarker &&
                (rb.resval.rstring == nullptr || !equalsAscii(rb.resval.rstring, f.textDefault)))
                continue;
            pField = &f;
            break;
        }
        if (pField == nullptr) {
            if (extra && extra(rb))
                continue;
            if (rb.restype == kLegacyElevation) {
                elevation = rb.resval.rreal;
                continue;
            }
            // Extended data (from its first application name) and the data
            // of an embedded object end the entity's own groups. Any other
            // group is left for the file reader, which keeps it in its place,
            // and reading goes on: other programs put groups in other orders
            // and add their own.
            auto* pHs = dynamic_cast<DxfFiler*>(pFiler);
            if (rb.restype == AcDb::kDxfRegAppName || rb.restype == AcDb::kDxfEmbeddedObjectStart ||
                pHs == nullptr || !pHs->leavesUnknown()) {
                pFiler->pushBackItem();
                break;
            }
            pHs->leaveLastItem();
            continue;
        }
        switch (pField->kind) {
            case kMarker:
                break;
            case kReal:
                *static_cast<double*>(pField->pValue) = rb.resval.rreal;
                break;
            case kAngle:
                *static_cast<double*>(pField->pValue) = toRadians(rb.resval.rreal);
                break;
            case kPoint:
                static_cast<AcGePoint3d*>(pField->pValue)
                    ->set(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]);
                break;
            case kVector: {
                AcGeVector3d& v = *static_cast<AcGeVector3d*>(pField->pValue);
                v.x = rb.resval.rpoint[0];
                v.y = rb.resval.rpoint[1];
                v.z = rb.resval.rpoint[2];
                break;
            }
            case kInt16:
                *static_cast<Adesk::Int16*>(pField->pValue) = rb.resval.rint;
                break;
            case kText:
                if (rb.resval.rstring != nullptr)
                    static_cast<std::basic_string<ACHAR>*>(pField->pValue)->assign(rb.resval.rstring);
                else
                    static_cast<std::basic_string<ACHAR>*>(pField->pValue)->clear();
                break;
        }
    }
    if (elevation != 0.0)
        for (const Field& f : m_fields)
            if (f.kind == kPoint) {
                AcGePoint3d& p = *static_cast<AcGePoint3d*>(f.pValue);
                if (p.z == 0.0)
                    p.z = elevation;
                break;
            }
    return pFiler->filerStatus();
}

}  // namespace hs

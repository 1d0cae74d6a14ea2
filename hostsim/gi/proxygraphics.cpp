// The host's binary proxy graphics: recording a worldDraw, playing the
// primitives back, their extents and their hexadecimal DXF form.
#include "gi/proxygraphics.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>

#include "dbsymtb.h"
#include "hostsim/dbapi.h"
#include "hostsim/text.h"

namespace hs {

namespace {

constexpr double kPiValue = 3.14159265358979323846;

enum PrimitiveType : std::uint32_t {
    kExtents = 1,
    kCircle = 2,
    kCircle3p = 3,
    kCircularArc = 4,
    kCircularArc3p = 5,
    kPolyline = 6,
    kPolygon = 7,
    kText = 10,
    kText2 = 11,
    kAttrColor = 14,
    kAttrLayer = 16,
    kAttrLinetype = 18,
    kAttrTrueColor = 22,
    kAttrLineweight = 23,
    kAttrLtscale = 24,
    kPushMatrix = 29,
    kPopMatrix = 31,
    kPolylineWithNormals = 32,
    kUnicodeText = 36,
    kUnicodeText2 = 38,
};

// ---- writing ----

void putU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void putDouble(std::string& out, double d) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

void putPoint(std::string& out, const AcGePoint3d& p) {
    putDouble(out, p.x);
    putDouble(out, p.y);
    putDouble(out, p.z);
}

void putVector(std::string& out, const AcGeVector3d& v) {
    putDouble(out, v.x);
    putDouble(out, v.y);
    putDouble(out, v.z);
}

// UTF-8 to UTF-16LE, then two zero bytes, padded to a multiple of 4.
void putUnicode(std::string& out, const std::string& utf8) {
    std::string bytes;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        unsigned cp = c;
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra > 0)
            cp = extra == 3 ? (c & 0x07u) : extra == 2 ? (c & 0x0Fu) : (c & 0x1Fu);
        size_t k = 1;
        for (; k <= static_cast<size_t>(extra) && i + k < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        i += k;
        auto unit = [&](unsigned u) {
            bytes.push_back(static_cast<char>(u & 0xFF));
            bytes.push_back(static_cast<char>((u >> 8) & 0xFF));
        };
        if (cp >= 0x10000) {
            cp -= 0x10000;
            unit(0xD800 + (cp >> 10));
            unit(0xDC00 + (cp & 0x3FF));
        } else {
            unit(cp);
        }
    }
    bytes.append(2, '\0');
    while (bytes.size() % 4 != 0)
        bytes.push_back('\0');
    out += bytes;
}

// The position of each non-erased record of a table, in storage order (the
// order the DXF file lists them).
std::map<AcDbStub*, std::uint32_t> tableIndex(AcDbObjectId tableId) {
    std::map<AcDbStub*, std::uint32_t> index;
    if (tableId.isNull())
        return index;
    std::uint32_t i = 0;
    for (AcDbObjectId id : entitiesOf(tableId))
        index[id.stub()] = i++;
    return index;
}

bool isConformal(const AcGeMatrix3d& m, double& scale) {
    AcGeVector3d x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    x.transformBy(m);
    y.transformBy(m);
    z.transformBy(m);
    double lx = x.length(), ly = y.length(), lz = z.length();
    scale = lx;
    double tol = 1e-9 * std::max(1.0, lx);
    return std::fabs(lx - ly) <= tol && std::fabs(lx - lz) <= tol && std::fabs(x.dotProduct(y)) <= tol * lx &&
           std::fabs(y.dotProduct(z)) <= tol * lx && std::fabs(x.dotProduct(z)) <= tol * lx && lx > 0.0;
}

// A unit vector perpendicular to n.
AcGeVector3d perpendicular(const AcGeVector3d& n) {
    AcGeVector3d a = std::fabs(n.x) < 0.9 ? AcGeVector3d(1, 0, 0) : AcGeVector3d(0, 1, 0);
    return n.crossProduct(a).normal();
}

class Recorder;

class RecorderTraits : public AcGiSubEntityTraits {
public:
    explicit RecorderTraits(Recorder& owner) : m_owner(owner) {}
    void setColor(const Adesk::UInt16 color) override;
    void setTrueColor(const AcCmEntityColor&) override {}
    void setLayer(const AcDbObjectId layerId) override;
    void setLineType(const AcDbObjectId linetypeId) override;
    Adesk::UInt16 color() const override;

private:
    Recorder& m_owner;
};

class RecorderGeometry : public AcGiWorldGeometry {
public:
    explicit RecorderGeometry(Recorder& owner) : m_owner(owner) {}
    Adesk::Boolean circle(const AcGePoint3d& center, const double radius,
                          const AcGeVector3d& normal) const override;
    Adesk::Boolean circularArc(const AcGePoint3d& center, const double radius, const AcGeVector3d& normal,
                               const AcGeVector3d& startVector, const double sweepAngle,
                               const AcGiArcType arcType = kAcGiArcSimple) const override;
    Adesk::Boolean polyline(const Adesk::UInt32 nbPoints, const AcGePoint3d* pVertexList,
                            const AcGeVector3d* pNormal = nullptr,
                            Adesk::Int32 lBaseSubEntMarker = -1) const override;
    Adesk::Boolean text(const AcGePoint3d& position, const AcGeVector3d& normal,
                        const AcGeVector3d& direction, const double height, const double width,
                        const double oblique, const ACHAR* pMsg) const override;
    Adesk::Boolean draw(AcGiDrawable* pDrawable) const override;
    Adesk::Boolean pushModelTransform(const AcGeMatrix3d& xMat) override;
    Adesk::Boolean popModelTransform() override;

private:
    Recorder& m_owner;
};

// The attributes primitives are drawn with.
struct Attributes {
    long color = 256;
    long layer = -1;  // index in the layer table; -1 unknown
    long linetype = -1;
    long lineweight = AcDb::kLnWtByLayer;
    double ltscale = 1.0;
};

class Recorder : public AcGiWorldDraw {
public:
    explicit Recorder(AcDbDatabase* pDb) : m_traits(*this), m_geometry(*this), m_transforms(1) {
        if (pDb != nullptr) {
            m_layers = tableIndex(pDb->layerTableId());
            m_linetypes = tableIndex(pDb->linetypeTableId());
        }
        m_emitted.color = -1000;  // nothing emitted yet
        m_emitted.layer = -1000;
        m_emitted.linetype = -1000;
        m_emitted.lineweight = -1000;
        m_emitted.ltscale = 1.0;
    }
    AcGiSubEntityTraits& subEntityTraits() const override { return m_traits; }
    Adesk::Boolean regenAbort() const override { return Adesk::kFalse; }
    AcGiRegenType regenType() const override { return kAcGiSaveWorldDrawForProxy; }
    AcGiWorldGeometry& geometry() const override { return m_geometry; }

    // The attributes of an entity that is drawn; ByBlock colour takes the
    // colour current where it is drawn.
    void takeEntityAttributes(const AcDbEntity* pEnt) {
        long color = pEnt->colorIndex();
        if (color == 0)
            color = m_current.color;
        m_current.color = color;
        m_current.layer = indexOf(m_layers, pEnt->layerId());
        m_current.linetype = indexOf(m_linetypes, pEnt->linetypeId());
        m_current.lineweight = pEnt->lineWeight();
        m_current.ltscale = pEnt->linetypeScale();
    }
    bool drawEntity(AcGiDrawable* pDrawable) {
        if (pDrawable == nullptr)
            return false;
        AcDbEntity* pEnt = AcDbEntity::cast(pDrawable);
        Attributes saved = m_current;
        if (pEnt != nullptr) {
            if (pEnt->visibility() == AcDb::kInvisible)
                return true;
            takeEntityAttributes(pEnt);
        }
        pDrawable->worldDraw(this);
        m_current = saved;
        return true;
    }

    Attributes& current() { return m_current; }
    long indexOf(const std::map<AcDbStub*, std::uint32_t>& table, AcDbObjectId id) const {
        auto it = table.find(id.stub());
        return it == table.end() ? -1 : static_cast<long>(it->second);
    }
    const std::map<AcDbStub*, std::uint32_t>& layers() const { return m_layers; }
    const std::map<AcDbStub*, std::uint32_t>& linetypes() const { return m_linetypes; }

    const AcGeMatrix3d& transform() const { return m_transforms.back(); }
    void push(const AcGeMatrix3d& m) { m_transforms.push_back(m_transforms.back() * m); }
    bool pop() {
        if (m_transforms.size() <= 1)
            return false;
        m_transforms.pop_back();
        return true;
    }

    // Adds one primitive, after the attributes that changed since the last.
    void add(std::uint32_t type, const std::string& payload) {
        flushAttributes();
        emit(type, payload);
    }
    std::string result() const {
        if (m_count == 0)
            return std::string();
        std::string out;
        putU32(out, static_cast<std::uint32_t>(8 + m_body.size()));
        putU32(out, m_count);
        return out + m_body;
    }

private:
    void emit(std::uint32_t type, const std::string& payload) {
        putU32(m_body, static_cast<std::uint32_t>(8 + payload.size()));
        putU32(m_body, type);
        m_body += payload;
        ++m_count;
    }
    void flushAttributes() {
        std::string p;
        if (m_current.color != m_emitted.color) {
            putU32(p, static_cast<std::uint32_t>(m_current.color));
            emit(kAttrColor, p);
            p.clear();
        }
        if (m_current.layer >= 0 && m_current.layer != m_emitted.layer) {
            putU32(p, static_cast<std::uint32_t>(m_current.layer));
            emit(kAttrLayer, p);
            p.clear();
        }
        if (m_current.linetype >= 0 && m_current.linetype != m_emitted.linetype) {
            putU32(p, static_cast<std::uint32_t>(m_current.linetype));
            emit(kAttrLinetype, p);
            p.clear();
        }
        if (m_current.lineweight != m_emitted.lineweight) {
            putU32(p, static_cast<std::uint32_t>(static_cast<std::int32_t>(m_current.lineweight)));
            emit(kAttrLineweight, p);
            p.clear();
        }
        if (m_current.ltscale != m_emitted.ltscale) {
            putDouble(p, m_current.ltscale);
            emit(kAttrLtscale, p);
            p.clear();
        }
        m_emitted = m_current;
    }

    mutable RecorderTraits m_traits;
    mutable RecorderGeometry m_geometry;
    std::vector<AcGeMatrix3d> m_transforms;
    std::map<AcDbStub*, std::uint32_t> m_layers, m_linetypes;
    Attributes m_current, m_emitted;
    std::string m_body;
    std::uint32_t m_count = 0;
};

void RecorderTraits::setColor(const Adesk::UInt16 color) {
    m_owner.current().color = color > 256 ? 256 : color;
}
void RecorderTraits::setLayer(const AcDbObjectId layerId) {
    m_owner.current().layer = m_owner.indexOf(m_owner.layers(), layerId);
}
void RecorderTraits::setLineType(const AcDbObjectId linetypeId) {
    m_owner.current().linetype = m_owner.indexOf(m_owner.linetypes(), linetypeId);
}
Adesk::UInt16 RecorderTraits::color() const {
    return static_cast<Adesk::UInt16>(m_owner.current().color);
}

// A circle or arc under a transform that is not conformal: points along it.
void addSampled(Recorder& r, const AcGePoint3d& c, double radius, const AcGeVector3d& normal,
                const AcGeVector3d& start, double sweep) {
    AcGeVector3d a = start.normal() * radius;
    AcGeVector3d b = normal.normal().crossProduct(start.normal()) * radius;
    int n = std::max(8, static_cast<int>(std::ceil(std::fabs(sweep) / (kPiValue / 32))));
    std::string p;
    putU32(p, static_cast<std::uint32_t>(n + 1));
    for (int i = 0; i <= n; ++i) {
        double t = sweep * i / n;
        AcGePoint3d pt = c + a * std::cos(t) + b * std::sin(t);
        putPoint(p, pt.transformBy(r.transform()));
    }
    r.add(kPolyline, p);
}

Adesk::Boolean RecorderGeometry::circle(const AcGePoint3d& center, const double radius,
                                        const AcGeVector3d& normal) const {
    double scale = 1.0;
    if (!isConformal(m_owner.transform(), scale)) {
        addSampled(m_owner, center, radius, normal, perpendicular(normal.normal()), 2 * kPiValue);
        return Adesk::kTrue;
    }
    AcGePoint3d c = center;
    c.transformBy(m_owner.transform());
    AcGeVector3d n = normal;
    n.transformBy(m_owner.transform());
    std::string p;
    putPoint(p, c);
    putDouble(p, radius * scale);
    putVector(p, n.length() > 0.0 ? n.normal() : AcGeVector3d(0, 0, 1));
    m_owner.add(kCircle, p);
    return Adesk::kTrue;
}

Adesk::Boolean RecorderGeometry::circularArc(const AcGePoint3d& center, const double radius,
                                             const AcGeVector3d& normal, const AcGeVector3d& startVector,
                                             const double sweepAngle, const AcGiArcType arcType) const {
    double scale = 1.0;
    AcGeVector3d n0 = normal.length() > 0.0 ? normal.normal() : AcGeVector3d(0, 0, 1);
    AcGeVector3d s0 = startVector.length() > 0.0 ? startVector.normal() : perpendicular(n0);
    if (!isConformal(m_owner.transform(), scale)) {
        addSampled(m_owner, center, radius, n0, s0, sweepAngle);
        return Adesk::kTrue;
    }
    const AcGeMatrix3d& m = m_owner.transform();
    AcGePoint3d c = center;
    c.transformBy(m);
    AcGeVector3d s = s0, side = n0.crossProduct(s0);
    s.transformBy(m);
    side.transformBy(m);
    // The normal that keeps the sweep counter-clockwise (a mirror turns it).
    AcGeVector3d n = s.crossProduct(side).normal();
    std::string p;
    putPoint(p, c);
    putDouble(p, radius * scale);
    putVector(p, n);
    putVector(p, s.normal());
    putDouble(p, sweepAngle);
    putU32(p, static_cast<std::uint32_t>(arcType));
    m_owner.add(kCircularArc, p);
    return Adesk::kTrue;
}

Adesk::Boolean RecorderGeometry::polyline(const Adesk::UInt32 nbPoints, const AcGePoint3d* pVertexList,
                                          const AcGeVector3d*, Adesk::Int32) const {
    if (nbPoints == 0 || pVertexList == nullptr)
        return Adesk::kFalse;
    std::string p;
    putU32(p, nbPoints);
    for (Adesk::UInt32 i = 0; i < nbPoints; ++i) {
        AcGePoint3d pt = pVertexList[i];
        putPoint(p, pt.transformBy(m_owner.transform()));
    }
    m_owner.add(kPolyline, p);
    return Adesk::kTrue;
}

Adesk::Boolean RecorderGeometry::text(const AcGePoint3d& position, const AcGeVector3d& normal,
                                      const AcGeVector3d& direction, const double height, const double width,
                                      const double oblique, const ACHAR* pMsg) const {
    const AcGeMatrix3d& m = m_owner.transform();
    AcGePoint3d pos = position;
    pos.transformBy(m);
    AcGeVector3d dir = direction.length() > 0.0 ? direction.normal() : AcGeVector3d(1, 0, 0);
    dir.transformBy(m);
    double scale = dir.length();
    AcGeVector3d n = normal.length() > 0.0 ? normal.normal() : AcGeVector3d(0, 0, 1);
    n.transformBy(m);
    std::string p;
    putPoint(p, pos);
    putVector(p, n.length() > 0.0 ? n.normal() : AcGeVector3d(0, 0, 1));
    putVector(p, scale > 0.0 ? dir.normal() : AcGeVector3d(1, 0, 0));
    putDouble(p, height * scale);
    putDouble(p, width);
    putDouble(p, oblique);
    // The text's characters, whatever the build's text (release 16: GBK).
    putUnicode(p, toUnicodeUtf8(pMsg));
    m_owner.add(kUnicodeText, p);
    return Adesk::kTrue;
}

Adesk::Boolean RecorderGeometry::draw(AcGiDrawable* pDrawable) const {
    return m_owner.drawEntity(pDrawable) ? Adesk::kTrue : Adesk::kFalse;
}

Adesk::Boolean RecorderGeometry::pushModelTransform(const AcGeMatrix3d& xMat) {
    m_owner.push(xMat);
    return Adesk::kTrue;
}

Adesk::Boolean RecorderGeometry::popModelTransform() {
    return m_owner.pop() ? Adesk::kTrue : Adesk::kFalse;
}

// ---- reading ----

class Cursor {
public:
    explicit Cursor(std::string_view data) : m_data(data) {}
    bool u32(std::uint32_t& v) {
        if (m_pos + 4 > m_data.size())
            return false;
        v = 0;
        for (int i = 0; i < 4; ++i)
            v |=
                static_cast<std::uint32_t>(static_cast<unsigned char>(m_data[m_pos + static_cast<size_t>(i)]))
                << (8 * i);
        m_pos += 4;
        return true;
    }
    bool real(double& d) {
        if (m_pos + 8 > m_data.size())
            return false;
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits |=
                static_cast<std::uint64_t>(static_cast<unsigned char>(m_data[m_pos + static_cast<size_t>(i)]))
                << (8 * i);
        std::memcpy(&d, &bits, sizeof d);
        m_pos += 8;
        return std::isfinite(d);
    }
    bool point(AcGePoint3d& p) { return real(p.x) && real(p.y) && real(p.z); }
    bool vector(AcGeVector3d& v) { return real(v.x) && real(v.y) && real(v.z); }
    // A zero-ended 8-bit string padded to a multiple of 4.
    bool text8(std::string& s) {
        size_t end = m_data.find('\0', m_pos);
        if (end == std::string_view::npos)
            return false;
        s.assign(m_data.substr(m_pos, end - m_pos));
        m_pos = end + 1;
        m_pos = std::min(m_data.size(), (m_pos + 3) / 4 * 4);
        return true;
    }
    // A UTF-16LE string ended by two zero bytes, padded to a multiple of 4; as UTF-8.
    bool text16(std::string& s) {
        s.clear();
        for (;;) {
            if (m_pos + 2 > m_data.size())
                return false;
            unsigned u = static_cast<unsigned char>(m_data[m_pos]) |
                         (static_cast<unsigned>(static_cast<unsigned char>(m_data[m_pos + 1])) << 8);
            m_pos += 2;
            if (u == 0)
                break;
            unsigned cp = u;
            if (u >= 0xD800 && u < 0xDC00 && m_pos + 2 <= m_data.size()) {
                unsigned lo = static_cast<unsigned char>(m_data[m_pos]) |
                              (static_cast<unsigned>(static_cast<unsigned char>(m_data[m_pos + 1])) << 8);
                if (lo >= 0xDC00 && lo < 0xE000) {
                    m_pos += 2;
                    cp = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                }
            }
            appendUtf8(s, cp);
        }
        m_pos = std::min(m_data.size(), (m_pos + 3) / 4 * 4);
        return true;
    }
    bool skip(size_t n) {
        if (m_pos + n > m_data.size())
            return false;
        m_pos += n;
        return true;
    }

private:
    std::string_view m_data;
    size_t m_pos = 0;
};

// Calls the world-draw context for each primitive. Unknown primitives are
// stepped over by their size.
bool play(std::string_view data, AcGiWorldDraw* pWd, std::vector<unsigned>* pTypes) {
    Cursor head(data);
    std::uint32_t total = 0, count = 0;
    if (!head.u32(total) || !head.u32(count))
        return data.empty();
    size_t end = std::min<size_t>(data.size(), total);
    size_t pos = 8;
    int pushed = 0;
    bool ok = true;
    while (pos + 8 <= end) {
        Cursor c(data.substr(pos, end - pos));
        std::uint32_t size = 0, type = 0;
        c.u32(size);
        c.u32(type);
        if (size < 8 || pos + size > end) {
            ok = false;
            break;
        }
        if (pTypes != nullptr)
            pTypes->push_back(type);
        Cursor p(data.substr(pos + 8, size - 8));
        pos += size;
        if (pWd == nullptr)
            continue;
        AcGiWorldGeometry& g = pWd->geometry();
        AcGePoint3d a;
        AcGeVector3d n, v;
        double r = 0, sweep = 0, h = 0, w = 0, obl = 0;
        std::uint32_t k = 0;
        std::string s;
        switch (type) {
            case kCircle:
                if (!(p.point(a) && p.real(r) && p.vector(n)))
                    return false;
                g.circle(a, r, n);
                break;
            case kCircularArc:
                if (!(p.point(a) && p.real(r) && p.vector(n) && p.vector(v) && p.real(sweep)))
                    return false;
                g.circularArc(a, r, n, v, sweep);
                break;
            case kCircle3p:
            case kCircularArc3p:
            case kPolyline:
            case kPolygon:
            case kPolylineWithNormals: {
                std::vector<AcGePoint3d> pts;
                if (type == kCircle3p || type == kCircularArc3p) {
                    k = 3;
                } else if (!p.u32(k) || k > size / 24) {
                    return false;
                }
                for (std::uint32_t i = 0; i < k; ++i) {
                    if (!p.point(a))
                        return false;
                    pts.push_back(a);
                }
                if (type == kPolygon && !pts.empty())
                    pts.push_back(pts.front());
                if (!pts.empty())
                    g.polyline(static_cast<Adesk::UInt32>(pts.size()), pts.data());
                break;
            }
            case kText:
            case kUnicodeText:
                if (!(p.point(a) && p.vector(n) && p.vector(v) && p.real(h) && p.real(w) && p.real(obl)))
                    return false;
                if (!(type == kText ? p.text8(s) : p.text16(s)))
                    return false;
                // 8-bit text is the drawing's code page, as the build's text
                // is; Unicode text becomes the build's text.
                g.text(a, n, v, h, w, obl, (type == kText ? fromUtf8(s) : fromUnicodeUtf8(s)).c_str());
                break;
            case kText2:
            case kUnicodeText2: {
                if (!(p.point(a) && p.vector(n) && p.vector(v)))
                    return false;
                if (!(type == kText2 ? p.text8(s) : p.text16(s)))
                    return false;
                double track = 0;
                if (!(p.skip(8) && p.real(h) && p.real(w) && p.real(obl) && p.real(track)))
                    return false;
                g.text(a, n, v, h, w, obl, (type == kText2 ? fromUtf8(s) : fromUnicodeUtf8(s)).c_str());
                break;
            }
            case kAttrColor:
                if (!p.u32(k))
                    return false;
                pWd->subEntityTraits().setColor(static_cast<Adesk::UInt16>(k > 256 ? 256 : k));
                break;
            case kAttrTrueColor: {
                if (!p.u32(k))
                    return false;
                std::uint32_t method = k >> 24;
                if (method == 0xC0)
                    pWd->subEntityTraits().setColor(256);
                else if (method == 0xC1)
                    pWd->subEntityTraits().setColor(0);
                else if (method == 0xC3)
                    pWd->subEntityTraits().setColor(static_cast<Adesk::UInt16>(k & 0xFF));
                break;
            }
            case kAttrLayer:
            case kAttrLinetype:
            case kAttrLineweight:
                // Table indices and lineweights are the recorder's own terms
                // (graphics transformed are recorded again).
                if (Recorder* pRec = dynamic_cast<Recorder*>(pWd)) {
                    if (!p.u32(k))
                        return false;
                    long value = type == kAttrLineweight ? static_cast<long>(static_cast<std::int32_t>(k))
                                                         : static_cast<long>(k);
                    (type == kAttrLayer      ? pRec->current().layer
                     : type == kAttrLinetype ? pRec->current().linetype
                                             : pRec->current().lineweight) = value;
                }
                break;
            case kAttrLtscale:
                if (Recorder* pRec = dynamic_cast<Recorder*>(pWd)) {
                    if (!p.real(r))
                        return false;
                    pRec->current().ltscale = r;
                }
                break;
            case kPushMatrix: {
                AcGeMatrix3d m;
                for (int row = 0; row < 4; ++row)
                    for (int col = 0; col < 4; ++col)
                        if (!p.real(m.entry[row][col]))
                            return false;
                g.pushModelTransform(m);
                ++pushed;
                break;
            }
            case kPopMatrix:
                if (pushed > 0) {
                    g.popModelTransform();
                    --pushed;
                }
                break;
            default:
                break;
        }
    }
    while (pushed-- > 0)
        pWd->geometry().popModelTransform();
    return ok;
}

// A world-draw context that only measures.
class Measure : public AcGiWorldDraw {
public:
    class Traits : public AcGiSubEntityTraits {
    public:
        void setColor(const Adesk::UInt16) override {}
        void setTrueColor(const AcCmEntityColor&) override {}
        void setLayer(const AcDbObjectId) override {}
        void setLineType(const AcDbObjectId) override {}
        Adesk::UInt16 color() const override { return 256; }
    };
    class Geometry : public AcGiWorldGeometry {
    public:
        explicit Geometry(Measure& owner) : m_owner(owner) {}
        Adesk::Boolean circle(const AcGePoint3d& c, const double r, const AcGeVector3d& n) const override {
            return circularArc(c, r, n, perpendicular(n.length() > 0 ? n.normal() : AcGeVector3d(0, 0, 1)),
                               2 * kPiValue, kAcGiArcSimple);
        }
        Adesk::Boolean circularArc(const AcGePoint3d& c, const double r, const AcGeVector3d& n,
                                   const AcGeVector3d& s, const double sweep,
                                   const AcGiArcType) const override {
            AcGeVector3d nn = n.length() > 0 ? n.normal() : AcGeVector3d(0, 0, 1);
            AcGeVector3d a = (s.length() > 0 ? s.normal() : perpendicular(nn)) * r;
            AcGeVector3d b = nn.crossProduct(a.normal()) * r;
            for (int i = 0; i <= 64; ++i) {
                double t = sweep * i / 64;
                m_owner.add(c + a * std::cos(t) + b * std::sin(t));
            }
            return Adesk::kTrue;
        }
        Adesk::Boolean polyline(const Adesk::UInt32 n, const AcGePoint3d* pts, const AcGeVector3d*,
                                Adesk::Int32) const override {
            for (Adesk::UInt32 i = 0; pts != nullptr && i < n; ++i)
                m_owner.add(pts[i]);
            return Adesk::kTrue;
        }
        Adesk::Boolean text(const AcGePoint3d& pos, const AcGeVector3d& n, const AcGeVector3d& dir,
                            const double h, const double w, const double, const ACHAR* msg) const override {
            AcGeVector3d d = dir.length() > 0 ? dir.normal() : AcGeVector3d(1, 0, 0);
            AcGeVector3d up = (n.length() > 0 ? n.normal() : AcGeVector3d(0, 0, 1)).crossProduct(d);
            double len = (msg != nullptr ? static_cast<double>(tstring(msg).size()) : 0.0) * h * w;
            m_owner.add(pos);
            m_owner.add(pos + d * len);
            m_owner.add(pos + up * h);
            m_owner.add(pos + d * len + up * h);
            return Adesk::kTrue;
        }
        Adesk::Boolean draw(AcGiDrawable*) const override { return Adesk::kFalse; }
        Adesk::Boolean pushModelTransform(const AcGeMatrix3d& m) override {
            m_owner.m_transforms.push_back(m_owner.m_transforms.back() * m);
            return Adesk::kTrue;
        }
        Adesk::Boolean popModelTransform() override {
            if (m_owner.m_transforms.size() > 1)
                m_owner.m_transforms.pop_back();
            return Adesk::kTrue;
        }

    private:
        Measure& m_owner;
    };

    Measure() : m_geometry(*this), m_transforms(1) {}
    AcGiSubEntityTraits& subEntityTraits() const override { return m_traits; }
    Adesk::Boolean regenAbort() const override { return Adesk::kFalse; }
    AcGiRegenType regenType() const override { return kAcGiStandardDisplay; }
    AcGiWorldGeometry& geometry() const override { return m_geometry; }
    void add(AcGePoint3d p) { extents.addPoint(p.transformBy(m_transforms.back())); }

    AcDbExtents extents;

private:
    mutable Traits m_traits;
    mutable Geometry m_geometry;
    std::vector<AcGeMatrix3d> m_transforms;
};

}  // namespace

std::string recordProxyGraphics(AcDbEntity* pEnt, AcDbDatabase* pDb) {
    if (pEnt == nullptr)
        return std::string();
    Recorder rec(pDb != nullptr ? pDb : pEnt->database());
    rec.takeEntityAttributes(pEnt);
    pEnt->worldDraw(&rec);
    return rec.result();
}

std::string transformProxyGraphics(std::string_view data, const AcGeMatrix3d& xform, AcDbDatabase* pDb) {
    std::vector<unsigned> types;
    if (data.empty())
        return std::string();
    bool exact = play(data, nullptr, &types);
    // Primitives that are recorded again as they were, in world coordinates.
    for (unsigned t : types)
        exact = exact && (t == kExtents || t == kCircle || t == kCircularArc || t == kPolyline ||
                          t == kText || t == kUnicodeText || t == kAttrColor || t == kAttrLayer ||
                          t == kAttrLinetype || t == kAttrTrueColor || t == kAttrLineweight ||
                          t == kAttrLtscale || t == kPushMatrix || t == kPopMatrix);
    if (exact) {
        Recorder rec(pDb);
        rec.geometry().pushModelTransform(xform);
        exact = play(data, &rec, nullptr);
        rec.geometry().popModelTransform();
        std::string out = rec.result();
        if (exact && !out.empty())
            return out;
    }
    // Other primitives are kept under a matrix: the data between a push and
    // its pop.
    Cursor head(data);
    std::uint32_t total = 0, count = 0;
    if (!head.u32(total) || !head.u32(count) || total > data.size() || total < 8)
        return std::string(data);
    std::string push, body(data.substr(8, total - 8));
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            putDouble(push, xform.entry[row][col]);
    std::string out;
    putU32(out, static_cast<std::uint32_t>(8 + 8 + push.size() + body.size() + 8));
    putU32(out, count + 2);
    putU32(out, static_cast<std::uint32_t>(8 + push.size()));
    putU32(out, kPushMatrix);
    out += push;
    out += body;
    putU32(out, 8);
    putU32(out, kPopMatrix);
    return out;
}

bool playProxyGraphics(std::string_view data, AcGiWorldDraw* pWd) {
    return play(data, pWd, nullptr);
}

bool proxyGraphicsExtents(std::string_view data, AcDbExtents& extents) {
    Measure m;
    play(data, &m, nullptr);
    if (m.extents.hsIsEmpty())
        return false;
    extents = m.extents;
    return true;
}

bool proxyGraphicsTypes(std::string_view data, std::vector<unsigned>& types) {
    types.clear();
    return play(data, nullptr, &types);
}

std::vector<std::string> proxyGraphicsToHex(std::string_view data) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::vector<std::string> out;
    for (size_t at = 0; at < data.size(); at += 127) {
        std::string chunk;
        size_t n = std::min<size_t>(127, data.size() - at);
        chunk.reserve(2 * n);
        for (size_t i = 0; i < n; ++i) {
            unsigned char c = static_cast<unsigned char>(data[at + i]);
            chunk.push_back(kDigits[c >> 4]);
            chunk.push_back(kDigits[c & 15]);
        }
        out.push_back(std::move(chunk));
    }
    return out;
}

bool proxyGraphicsAppendHex(std::string_view hex, std::string& data) {
    auto digit = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    while (!hex.empty() && (hex.back() == ' ' || hex.back() == '\r'))
        hex.remove_suffix(1);
    if (hex.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < hex.size(); i += 2) {
        int hi = digit(hex[i]), lo = digit(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        data.push_back(static_cast<char>(hi * 16 + lo));
    }
    return true;
}

}  // namespace hs

// Shapes of entities kept as tags, read from their groups (DXF reference:
// SPLINE, HATCH boundary paths, POLYLINE and VERTEX, SOLID, TRACE, 3DFACE,
// IMAGE, WIPEOUT, LEADER, MLINE, MULTILEADER, DIMENSION, ACAD_TABLE, INSERT,
// ATTRIB and ATTDEF). Curves become lines through enough points for
// extents and pictures.
#include "dxf/kept_shape.h"

#include <algorithm>
#include <cmath>

#include "entities/common.h"

namespace hs {
namespace dxf {

namespace {

const double kDegree = kPi / 180.0;

double num(const Tag& t) {
    double v = 0;
    parseDouble(t.value, v);
    return v;
}

long long integer(const Tag& t) {
    long long v = 0;
    parseInt(t.value, v);
    return v;
}

// A point whose x has code `code` at tags[i]; y and z follow when present.
// i is left on the last coordinate read.
AcGePoint3d pointAt(const Tags& tags, size_t& i, size_t end) {
    int code = tags[i].code;
    AcGePoint3d p(num(tags[i]), 0, 0);
    if (i + 1 < end && tags[i + 1].code == code + 10) {
        p.y = num(tags[++i]);
        if (i + 1 < end && tags[i + 1].code == code + 20)
            p.z = num(tags[++i]);
    }
    return p;
}

// The end of the entity's own groups: its first follower (group 0).
size_t mainEnd(const Tags& tags) {
    for (size_t i = 1; i < tags.size(); ++i)
        if (tags[i].code == 0)
            return i;
    return tags.size();
}

AcGeVector3d normalOf(const Tags& tags, size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
        if (tags[i].code == 210) {
            AcGePoint3d n = pointAt(tags, i, end);
            AcGeVector3d v(n.x, n.y, n.z);
            if (v.length() > 1e-12)
                return v.normal();
        }
    }
    return AcGeVector3d(0, 0, 1);
}

// Points of the arc from p to q with this bulge (tan of a quarter of its
// angle), q not included.
void addBulge(std::vector<AcGePoint3d>& out, const AcGePoint3d& p, const AcGePoint3d& q, double bulge) {
    out.push_back(p);
    if (std::fabs(bulge) < 1e-12)
        return;
    double dx = q.x - p.x, dy = q.y - p.y;
    double chord = std::hypot(dx, dy);
    if (chord < 1e-12)
        return;
    double angle = 4.0 * std::atan(bulge);
    double radius = chord / (2.0 * std::sin(std::fabs(angle) / 2.0));
    double sagittaToCentre = radius * std::cos(angle / 2.0);
    // The centre lies left of the chord for a positive bulge.
    double mx = (p.x + q.x) / 2.0, my = (p.y + q.y) / 2.0;
    double nx = -dy / chord, ny = dx / chord;
    double sign = bulge > 0 ? 1.0 : -1.0;
    double cx = mx + nx * sagittaToCentre * sign, cy = my + ny * sagittaToCentre * sign;
    double a0 = std::atan2(p.y - cy, p.x - cx);
    int steps = std::max(2, static_cast<int>(std::fabs(angle) / (kPi / 32)));
    for (int s = 1; s < steps; ++s) {
        double a = a0 + angle * s / steps;
        out.emplace_back(cx + radius * std::cos(a), cy + radius * std::sin(a), p.z);
    }
}

// Points of an arc of centre c, radius r from angle a0 to a1 (radians,
// counter-clockwise), both ends included.
void addArc(std::vector<AcGePoint3d>& out, const AcGePoint3d& c, const AcGeVector3d& a, const AcGeVector3d& b,
            double t0, double t1) {
    while (t1 < t0)
        t1 += kTwoPi;
    std::vector<AcGePoint3d> pts = arcPoints(c, a, b, t0, t1);
    out.insert(out.end(), pts.begin(), pts.end());
}

// Points of a B-spline (de Boor), or the control polygon when the knots do
// not fit.
std::vector<AcGePoint3d> splinePoints(int degree, const std::vector<double>& knots,
                                      const std::vector<AcGePoint3d>& ctrl,
                                      const std::vector<double>& weights) {
    size_t n = ctrl.size();
    if (degree < 1 || n < static_cast<size_t>(degree) + 1 ||
        knots.size() != n + static_cast<size_t>(degree) + 1)
        return ctrl;
    bool rational = weights.size() == n;
    double lo = knots[static_cast<size_t>(degree)], hi = knots[n];
    if (!(hi > lo))
        return ctrl;
    size_t samples = std::min<size_t>(std::max<size_t>(n * 8, 32), 2000);
    std::vector<AcGePoint3d> out;
    out.reserve(samples + 1);
    std::vector<double> dx(static_cast<size_t>(degree) + 1), dy(dx.size()), dz(dx.size()), dw(dx.size());
    for (size_t s = 0; s <= samples; ++s) {
        double u = lo + (hi - lo) * static_cast<double>(s) / static_cast<double>(samples);
        size_t k = static_cast<size_t>(degree);
        while (k + 1 < n && knots[k + 1] <= u)
            ++k;
        for (size_t j = 0; j <= static_cast<size_t>(degree); ++j) {
            const AcGePoint3d& p = ctrl[j + k - static_cast<size_t>(degree)];
            double w = rational ? weights[j + k - static_cast<size_t>(degree)] : 1.0;
            dx[j] = p.x * w;
            dy[j] = p.y * w;
            dz[j] = p.z * w;
            dw[j] = w;
        }
        for (size_t r = 1; r <= static_cast<size_t>(degree); ++r) {
            for (size_t j = static_cast<size_t>(degree); j >= r; --j) {
                size_t i = j + k - static_cast<size_t>(degree);
                double den = knots[i + static_cast<size_t>(degree) + 1 - r] - knots[i];
                double alpha = den > 0 ? (u - knots[i]) / den : 0.0;
                dx[j] = (1 - alpha) * dx[j - 1] + alpha * dx[j];
                dy[j] = (1 - alpha) * dy[j - 1] + alpha * dy[j];
                dz[j] = (1 - alpha) * dz[j - 1] + alpha * dz[j];
                dw[j] = (1 - alpha) * dw[j - 1] + alpha * dw[j];
            }
        }
        size_t d = static_cast<size_t>(degree);
        double w = dw[d] != 0 ? dw[d] : 1.0;
        out.emplace_back(dx[d] / w, dy[d] / w, dz[d] / w);
    }
    return out;
}

std::vector<AcGePoint3d> toWorld(std::vector<AcGePoint3d> pts, const AcGeVector3d& normal, double elevation) {
    for (AcGePoint3d& p : pts)
        p = planeToWorld(AcGePoint3d(p.x, p.y, elevation), normal);
    return pts;
}

void spline(const Tags& tags, size_t end, KeptShape& out) {
    int degree = 3;
    std::vector<double> knots, weights;
    std::vector<AcGePoint3d> ctrl, fit;
    for (size_t i = 1; i < end; ++i) {
        const Tag& t = tags[i];
        if (t.code == 71)
            degree = static_cast<int>(integer(t));
        else if (t.code == 40)
            knots.push_back(num(t));
        else if (t.code == 41)
            weights.push_back(num(t));
        else if (t.code == 10)
            ctrl.push_back(pointAt(tags, i, end));
        else if (t.code == 11)
            fit.push_back(pointAt(tags, i, end));
    }
    std::vector<AcGePoint3d> pts = ctrl.size() >= 2 ? splinePoints(degree, knots, ctrl, weights) : fit;
    if (pts.size() >= 2)
        out.paths.push_back(std::move(pts));
    else if (pts.size() == 1)
        out.paths.push_back({pts[0], pts[0]});
}

// The boundary paths of a hatch (also of MPOLYGON): groups in a fixed order
// after the count 91; reading stops at anything unexpected.
void hatch(const Tags& tags, size_t end, KeptShape& out) {
    size_t i = 1;
    while (i < end &&
           !(tags[i].code == 100 && (tags[i].value == "AcDbHatch" || tags[i].value == "AcDbMPolygon")))
        ++i;
    if (i == end)
        i = 1;  // no subclass markers
    double elevation = 0;
    for (size_t j = i; j < end; ++j) {
        if (tags[j].code == 10) {
            elevation = pointAt(tags, j, end).z;
            break;
        }
    }
    AcGeVector3d normal = normalOf(tags, i, end);
    while (i < end && tags[i].code != 91)
        ++i;
    if (i == end)
        return;
    long long paths = integer(tags[i++]);
    auto at = [&](int code) { return i < end && tags[i].code == code; };
    auto point2 = [&]() {
        AcGePoint3d p;
        if (at(10) || at(11) || at(12) || at(13)) {
            int code = tags[i].code;
            p.x = num(tags[i++]);
            if (i < end && tags[i].code == code + 10)
                p.y = num(tags[i++]);
        }
        return p;
    };
    for (long long path = 0; path < paths && i < end; ++path) {
        if (!at(92))
            return;
        long long flags = integer(tags[i++]);
        std::vector<AcGePoint3d> pts;
        if (flags & 2) {
            bool bulges = at(72) && integer(tags[i]) != 0;
            if (at(72))
                ++i;
            bool closed = at(73) && integer(tags[i]) != 0;
            if (at(73))
                ++i;
            if (!at(93))
                return;
            long long count = integer(tags[i++]);
            std::vector<std::pair<AcGePoint3d, double>> verts;
            for (long long v = 0; v < count && at(10); ++v) {
                AcGePoint3d p = point2();
                double b = 0;
                if (bulges && at(42))
                    b = num(tags[i++]);
                verts.emplace_back(p, b);
            }
            for (size_t v = 0; v < verts.size(); ++v) {
                bool last = v + 1 == verts.size();
                if (last && !closed) {
                    pts.push_back(verts[v].first);
                    break;
                }
                addBulge(pts, verts[v].first, verts[last ? 0 : v + 1].first, verts[v].second);
            }
            if (closed && !verts.empty())
                pts.push_back(verts[0].first);
        } else {
            if (!at(93))
                return;
            long long edges = integer(tags[i++]);
            for (long long e = 0; e < edges && at(72); ++e) {
                long long type = integer(tags[i++]);
                if (type == 1) {
                    pts.push_back(point2());
                    pts.push_back(point2());
                } else if (type == 2 || type == 3) {
                    AcGePoint3d c = point2();
                    AcGeVector3d major(1, 0, 0);
                    double r = 1, ratio = 1;
                    if (type == 3) {
                        AcGePoint3d m = point2();
                        major = AcGeVector3d(m.x, m.y, 0);
                    }
                    if (at(40))
                        (type == 2 ? r : ratio) = num(tags[i++]);
                    double a0 = at(50) ? num(tags[i++]) : 0, a1 = at(51) ? num(tags[i++]) : 360;
                    bool ccw = !at(73) || integer(tags[i]) != 0;
                    if (at(73))
                        ++i;
                    if (!ccw) {  // clockwise: the angles are measured the other way
                        double s = 360.0 - a1;
                        a1 = 360.0 - a0;
                        a0 = s;
                    }
                    AcGeVector3d a = type == 2 ? AcGeVector3d(r, 0, 0) : major;
                    AcGeVector3d b = type == 2 ? AcGeVector3d(0, r, 0)
                                               : AcGeVector3d(-major.y * ratio, major.x * ratio, 0);
                    double t1 = a1 * kDegree;
                    if (std::fabs(a1 - a0) >= 360.0)
                        t1 = a0 * kDegree + kTwoPi;
                    addArc(pts, c, a, b, a0 * kDegree, t1);
                } else if (type == 4) {
                    int degree = at(94) ? static_cast<int>(integer(tags[i++])) : 3;
                    bool rational = at(73) && integer(tags[i]) != 0;
                    if (at(73))
                        ++i;
                    if (at(74))
                        ++i;
                    long long nk = at(95) ? integer(tags[i++]) : 0;
                    long long nc = at(96) ? integer(tags[i++]) : 0;
                    std::vector<double> knots, weights;
                    std::vector<AcGePoint3d> ctrl;
                    for (long long k = 0; k < nk && at(40); ++k)
                        knots.push_back(num(tags[i++]));
                    for (long long k = 0; k < nc && at(10); ++k) {
                        ctrl.push_back(point2());
                        if (rational && at(42))
                            weights.push_back(num(tags[i++]));
                    }
                    if (at(97)) {
                        long long nf = integer(tags[i++]);
                        for (long long k = 0; k < nf && at(11); ++k)
                            point2();
                        if (at(12))
                            point2();
                        if (at(13))
                            point2();
                    }
                    std::vector<AcGePoint3d> curve = splinePoints(degree, knots, ctrl, weights);
                    pts.insert(pts.end(), curve.begin(), curve.end());
                } else {
                    return;
                }
            }
        }
        if (at(97)) {
            long long sources = integer(tags[i++]);
            for (long long s = 0; s < sources && at(330); ++s)
                ++i;
        }
        if (pts.size() >= 2)
            out.paths.push_back(toWorld(std::move(pts), normal, elevation));
    }
}

// An old-style polyline with its VERTEX followers: 2D (plane of its normal,
// at its elevation, with bulges), 3D, polygon mesh or polyface mesh.
void polyline(const Tags& tags, size_t end, KeptShape& out) {
    long long flags = 0, m = 0, n = 0;
    double elevation = 0;
    for (size_t i = 1; i < end; ++i) {
        if (tags[i].code == 70)
            flags = integer(tags[i]);
        else if (tags[i].code == 71)
            m = integer(tags[i]);
        else if (tags[i].code == 72)
            n = integer(tags[i]);
        else if (tags[i].code == 30)
            elevation = num(tags[i]);
    }
    AcGeVector3d normal = normalOf(tags, 1, end);
    struct Vertex {
        AcGePoint3d p;
        double bulge = 0;
        long long flags = 0;
        int face[4] = {0, 0, 0, 0};
    };
    std::vector<Vertex> verts;
    for (size_t i = end; i < tags.size(); ++i) {
        if (tags[i].code != 0 || tags[i].value != "VERTEX")
            continue;
        Vertex v;
        for (size_t j = i + 1; j < tags.size() && tags[j].code != 0; ++j) {
            const Tag& t = tags[j];
            if (t.code == 10)
                v.p = pointAt(tags, j, tags.size());
            else if (t.code == 42)
                v.bulge = num(t);
            else if (t.code == 70)
                v.flags = integer(t);
            else if (t.code >= 71 && t.code <= 74)
                v.face[t.code - 71] = static_cast<int>(integer(t));
        }
        verts.push_back(v);
    }
    bool closed = flags & 1;
    if (flags & 64) {  // polyface mesh: locations, then faces by index
        std::vector<AcGePoint3d> locations;
        for (const Vertex& v : verts)
            if (v.flags & 64)
                locations.push_back(v.p);
        for (const Vertex& v : verts) {
            if ((v.flags & 128) == 0 || (v.flags & 64) != 0)
                continue;
            std::vector<AcGePoint3d> face;
            for (int k : v.face) {
                int index = std::abs(k);
                if (index >= 1 && static_cast<size_t>(index) <= locations.size())
                    face.push_back(locations[static_cast<size_t>(index) - 1]);
            }
            if (face.size() >= 2) {
                face.push_back(face.front());
                out.paths.push_back(std::move(face));
            }
        }
        if (out.paths.empty() && locations.size() >= 2)
            out.paths.push_back(locations);
        return;
    }
    if (flags & 16) {  // polygon mesh of m x n vertices, row by row
        if (m < 1 || n < 1 || static_cast<size_t>(m * n) > verts.size())
            m = 1, n = static_cast<long long>(verts.size());
        for (long long r = 0; r < m; ++r) {
            std::vector<AcGePoint3d> row;
            for (long long c = 0; c < n; ++c)
                row.push_back(verts[static_cast<size_t>(r * n + c)].p);
            if (flags & 32)
                row.push_back(row.front());
            out.paths.push_back(std::move(row));
        }
        for (long long c = 0; c < n && m > 1; ++c) {
            std::vector<AcGePoint3d> col;
            for (long long r = 0; r < m; ++r)
                col.push_back(verts[static_cast<size_t>(r * n + c)].p);
            if (flags & 1)
                col.push_back(col.front());
            out.paths.push_back(std::move(col));
        }
        return;
    }
    std::vector<AcGePoint3d> pts;
    bool plane = (flags & 8) == 0;
    for (size_t v = 0; v < verts.size(); ++v) {
        if (verts[v].flags & 16)
            continue;  // spline frame control point
        bool last = v + 1 == verts.size();
        if (!plane || (last && !closed)) {
            pts.push_back(verts[v].p);
            continue;
        }
        addBulge(pts, verts[v].p, verts[last ? 0 : v + 1].p, verts[v].bulge);
    }
    if (closed && !verts.empty())
        pts.push_back(verts[0].p);
    if (plane)
        pts = toWorld(std::move(pts), normal, elevation);
    if (pts.size() == 1)
        pts.push_back(pts[0]);
    if (!pts.empty())
        out.paths.push_back(std::move(pts));
}

// The corners 10, 11, 12, 13 of a solid, trace or face, as an outline.
void corners(const Tags& tags, size_t end, bool inPlane, KeptShape& out) {
    AcGePoint3d c[4];
    bool have[4] = {false, false, false, false};
    for (size_t i = 1; i < end; ++i) {
        int k = tags[i].code - 10;
        if (k >= 0 && k < 4) {
            c[k] = pointAt(tags, i, end);
            have[k] = true;
        }
    }
    if (!have[0])
        return;
    for (int k = 1; k < 4; ++k)
        if (!have[k])
            c[k] = c[k - 1];
    std::vector<AcGePoint3d> pts = inPlane ? std::vector<AcGePoint3d>{c[0], c[1], c[3], c[2], c[0]}
                                           : std::vector<AcGePoint3d>{c[0], c[1], c[2], c[3], c[0]};
    if (inPlane) {
        AcGeVector3d normal = normalOf(tags, 1, end);
        for (AcGePoint3d& p : pts)
            p = planeToWorld(p, normal);
    }
    out.paths.push_back(std::move(pts));
}

// The frame of an image or wipeout: insertion 10, pixel vectors 11 and 12,
// size in pixels 13.
void frame(const Tags& tags, size_t end, KeptShape& out) {
    AcGePoint3d ins, u, v, size;
    for (size_t i = 1; i < end; ++i) {
        switch (tags[i].code) {
            case 10:
                ins = pointAt(tags, i, end);
                break;
            case 11:
                u = pointAt(tags, i, end);
                break;
            case 12:
                v = pointAt(tags, i, end);
                break;
            case 13:
                size = pointAt(tags, i, end);
                break;
            default:
                break;
        }
    }
    AcGeVector3d du(u.x, u.y, u.z), dv(v.x, v.y, v.z);
    AcGePoint3d p0 = ins - du * 0.5 - dv * 0.5;
    AcGeVector3d w = du * size.x, h = dv * size.y;
    out.paths.push_back({p0, p0 + w, p0 + w + h, p0 + h, p0});
}

// The points of a code (10 for leaders, 11 for multilines) as one line.
void vertices(const Tags& tags, size_t end, int code, bool closed, KeptShape& out) {
    std::vector<AcGePoint3d> pts;
    for (size_t i = 1; i < end; ++i)
        if (tags[i].code == code)
            pts.push_back(pointAt(tags, i, end));
    if (closed && pts.size() > 2)
        pts.push_back(pts.front());
    if (pts.size() == 1)
        pts.push_back(pts.front());
    if (!pts.empty())
        out.paths.push_back(std::move(pts));
}

// Leader lines of a multileader (their vertices between LEADER_LINE{ and
// its closing brace), and the other points of its context as a box.
void multileader(const Tags& tags, size_t end, KeptShape& out) {
    std::vector<AcGePoint3d> others;
    std::vector<AcGePoint3d> line;
    bool inLine = false;
    for (size_t i = 1; i < end; ++i) {
        const Tag& t = tags[i];
        if (t.code == 304 && t.value == "LEADER_LINE{") {
            inLine = true;
            line.clear();
        } else if (t.code == 305 && inLine) {
            inLine = false;
            if (line.size() >= 2)
                out.paths.push_back(line);
        } else if (t.code == 10) {
            AcGePoint3d p = pointAt(tags, i, end);
            (inLine ? line : others).push_back(p);
        }
    }
    for (const AcGePoint3d& p : others)
        out.paths.push_back({p, p});
}

// A box round a line of text: insertion 10 (or the alignment point 11 when
// justified), height 40, rotation 50, width factor 41.
void textBox(const Tags& tags, size_t begin, size_t end, KeptShape& out) {
    AcGePoint3d at, align;
    bool haveAlign = false;
    double height = 1, rotation = 0, width = 1;
    std::string text, tag;
    long long h = 0, v = 0;
    for (size_t i = begin; i < end; ++i) {
        const Tag& t = tags[i];
        switch (t.code) {
            case 10:
                at = pointAt(tags, i, end);
                break;
            case 11:
                align = pointAt(tags, i, end);
                haveAlign = true;
                break;
            case 40:
                height = num(t);
                break;
            case 41:
                width = num(t);
                break;
            case 50:
                rotation = num(t) * kDegree;
                break;
            case 1:
                text = t.value;
                break;
            case 2:
                tag = t.value;
                break;
            case 72:
                h = integer(t);
                break;
            case 74:
                v = integer(t);
                break;
            default:
                break;
        }
    }
    if (text.empty())
        text = tag;
    if (haveAlign && (h != 0 || v != 0))
        at = align;
    double length =
        height * std::max(width, 0.01) * 0.7 * static_cast<double>(std::max<size_t>(text.size(), 1));
    AcGeVector3d normal = normalOf(tags, begin, end);
    AcGePoint3d o = at;  // in the plane of the normal
    AcGeVector3d dir(std::cos(rotation), std::sin(rotation), 0),
        up(-std::sin(rotation), std::cos(rotation), 0);
    std::vector<AcGePoint3d> pts = {o, o + dir * length, o + dir * length + up * height, o + up * height, o};
    for (AcGePoint3d& p : pts)
        p = planeToWorld(p, normal);
    out.paths.push_back(std::move(pts));
}

// The placement of a block by a reference: insertion 10 in the plane of the
// normal, scales 41..43, rotation 50.
AcGeMatrix3d insertPlacement(const AcGePoint3d& position, double sx, double sy, double sz, double rotation,
                             const AcGeVector3d& normal) {
    AcGeVector3d dir = planeDirection(rotation, normal);
    AcGeVector3d up = normal.crossProduct(dir);
    AcGeVector3d cols[3] = {dir * sx, up * sy, normal * sz};
    AcGeMatrix3d linear;
    for (int c = 0; c < 3; ++c) {
        linear.entry[0][c] = cols[c].x;
        linear.entry[1][c] = cols[c].y;
        linear.entry[2][c] = cols[c].z;
    }
    return AcGeMatrix3d::translation(planeToWorld(position, normal) - AcGePoint3d::kOrigin) * linear;
}

void blockReference(const Tags& tags, size_t end, KeptShape& out) {
    std::string name;
    AcGePoint3d position;
    double sx = 1, sy = 1, sz = 1, rotation = 0, colSpacing = 0, rowSpacing = 0;
    long long cols = 1, rows = 1;
    for (size_t i = 1; i < end; ++i) {
        const Tag& t = tags[i];
        switch (t.code) {
            case 2:
                if (name.empty())
                    name = t.value;
                break;
            case 10:
                position = pointAt(tags, i, end);
                break;
            case 41:
                sx = num(t);
                break;
            case 42:
                sy = num(t);
                break;
            case 43:
                sz = num(t);
                break;
            case 50:
                rotation = num(t) * kDegree;
                break;
            case 70:
                cols = std::max(1LL, integer(t));
                break;
            case 71:
                rows = std::max(1LL, integer(t));
                break;
            case 44:
                colSpacing = num(t);
                break;
            case 45:
                rowSpacing = num(t);
                break;
            default:
                break;
        }
    }
    AcGeVector3d normal = normalOf(tags, 1, end);
    // A large array of blocks: its corners give its extents.
    long long stepC = cols > 16 ? cols - 1 : 1, stepR = rows > 16 ? rows - 1 : 1;
    for (long long r = 0; r < rows && !name.empty(); r += stepR) {
        for (long long c = 0; c < cols; c += stepC) {
            AcGeVector3d offset =
                planeDirection(rotation, normal) * (static_cast<double>(c) * colSpacing) +
                normal.crossProduct(planeDirection(rotation, normal)) * (static_cast<double>(r) * rowSpacing);
            out.blocks.push_back({name, AcGeMatrix3d::translation(offset) *
                                            insertPlacement(position, sx, sy, sz, rotation, normal)});
        }
    }
    // Its attributes.
    for (size_t i = end; i < tags.size(); ++i) {
        if (tags[i].code != 0 || tags[i].value != "ATTRIB")
            continue;
        size_t j = i + 1;
        while (j < tags.size() && tags[j].code != 0)
            ++j;
        textBox(tags, i + 1, j, out);
    }
}

// A dimension or table draws its block: a dimension's in world
// coordinates, a table's at its insertion point.
void ownBlock(const Tags& tags, size_t end, bool atInsertion, KeptShape& out) {
    std::string name;
    AcGePoint3d position;
    std::vector<AcGePoint3d> defpoints;
    for (size_t i = 1; i < end; ++i) {
        const Tag& t = tags[i];
        if (t.code == 2 && name.empty())
            name = t.value;
        else if (t.code == 10 && defpoints.empty())
            position = pointAt(tags, i, end), defpoints.push_back(position);
        else if (t.code >= 10 && t.code <= 16)
            defpoints.push_back(pointAt(tags, i, end));
    }
    if (!name.empty())
        out.blocks.push_back({name, atInsertion ? AcGeMatrix3d::translation(position - AcGePoint3d::kOrigin)
                                                : AcGeMatrix3d::kIdentity});
    // Without its block, the definition points still place it.
    for (const AcGePoint3d& p : defpoints)
        out.paths.push_back({p, p});
}

}  // namespace

bool transformKeptInsert(Tags& tags, const AcGeMatrix3d& xform) {
    if (tags.empty() || tags[0].value != "INSERT")
        return false;
    AcGeVector3d vx(xform.entry[0][0], xform.entry[1][0], xform.entry[2][0]);
    AcGeVector3d vy(xform.entry[0][1], xform.entry[1][1], xform.entry[2][1]);
    AcGeVector3d vz(xform.entry[0][2], xform.entry[1][2], xform.entry[2][2]);
    double scale = vx.length();
    const double tol = 1e-9 * std::max(1.0, scale);
    if (scale < 1e-12 || std::fabs(vx.z) > tol || std::fabs(vy.z) > tol || std::fabs(vz.x) > tol ||
        std::fabs(vz.y) > tol || std::fabs(vz.z - scale) > tol || std::fabs(vy.x + vx.y) > tol ||
        std::fabs(vy.y - vx.x) > tol || std::fabs(xform.entry[3][0]) > 0 ||
        std::fabs(xform.entry[3][1]) > 0 || std::fabs(xform.entry[3][2]) > 0 ||
        std::fabs(xform.entry[3][3] - 1.0) > 0)
        return false;
    for (size_t i = 0; i < tags.size(); ++i) {
        if (tags[i].code == 210) {
            size_t j = i;
            AcGePoint3d n = pointAt(tags, j, tags.size());
            if (std::fabs(n.x) > 1e-12 || std::fabs(n.y) > 1e-12 || n.z <= 0)
                return false;  // in a plane of its own
        }
    }
    double turn = std::atan2(vx.y, vx.x) / kDegree;
    Tags out;
    out.reserve(tags.size() + 2);
    bool inInsert = true;
    bool haveRotation = false;
    auto rotated = [&](const Tag& t) {
        double a = std::fmod(num(t) + turn, 360.0);
        return Tag{t.code, formatDouble(a < 0 ? a + 360.0 : a)};
    };
    for (size_t i = 0; i < tags.size(); ++i) {
        const Tag& t = tags[i];
        if (t.code == 0 && i > 0) {
            if (inInsert && !haveRotation && std::fabs(turn) > 0)
                out.push_back({50, formatDouble(turn < 0 ? turn + 360.0 : turn)});
            inInsert = false;
            haveRotation = false;
        }
        if (t.code == 10 || t.code == 11) {
            size_t j = i;
            bool hasZ =
                (j + 2 < tags.size() && tags[j + 1].code == t.code + 10 && tags[j + 2].code == t.code + 20);
            AcGePoint3d p = pointAt(tags, j, tags.size());
            p.transformBy(xform);
            out.push_back({t.code, formatDouble(p.x)});
            out.push_back({t.code + 10, formatDouble(p.y)});
            if (hasZ || p.z != 0)
                out.push_back({t.code + 20, formatDouble(p.z)});
            i = j;
            continue;
        }
        bool scaled = inInsert ? (t.code >= 41 && t.code <= 45) : t.code == 40;
        if (scaled) {
            out.push_back({t.code, formatDouble(num(t) * scale)});
        } else if (t.code == 50 && t.value.find_first_not_of(" ") != std::string::npos) {
            out.push_back(rotated(t));
            haveRotation = haveRotation || inInsert;
        } else {
            out.push_back(t);
        }
    }
    // An INSERT without scale groups had 1: it gets the new one.
    bool hasScale = false;
    size_t end = mainEnd(out);
    for (size_t i = 1; i < end; ++i)
        hasScale = hasScale || out[i].code == 41;
    if (!hasScale && std::fabs(scale - 1.0) > 0) {
        size_t at = end;
        for (size_t i = 1; i < end; ++i)
            if (out[i].code == 10 || out[i].code == 20 || out[i].code == 30)
                at = i + 1;
        Tags scales = {{41, formatDouble(scale)}, {42, formatDouble(scale)}, {43, formatDouble(scale)}};
        out.insert(out.begin() + static_cast<long>(at), scales.begin(), scales.end());
    }
    if (inInsert && !haveRotation && std::fabs(turn) > 0)
        out.push_back({50, formatDouble(turn < 0 ? turn + 360.0 : turn)});
    tags = std::move(out);
    return true;
}

KeptShape keptShape(const Tags& tags) {
    KeptShape out;
    if (tags.empty())
        return out;
    const std::string& type = tags[0].value;
    size_t end = mainEnd(tags);
    if (type == "SPLINE")
        spline(tags, end, out);
    else if (type == "HATCH" || type == "MPOLYGON")
        hatch(tags, end, out);
    else if (type == "POLYLINE")
        polyline(tags, end, out);
    else if (type == "SOLID" || type == "TRACE")
        corners(tags, end, /*inPlane=*/true, out);
    else if (type == "3DFACE")
        corners(tags, end, /*inPlane=*/false, out);
    else if (type == "IMAGE" || type == "WIPEOUT")
        frame(tags, end, out);
    else if (type == "LEADER")
        vertices(tags, end, 10, false, out);
    else if (type == "MLINE") {
        long long flags = 0;
        for (size_t i = 1; i < end; ++i)
            if (tags[i].code == 71)
                flags = integer(tags[i]);
        vertices(tags, end, 11, (flags & 2) != 0, out);
    } else if (type == "MULTILEADER" || type == "MLEADER")
        multileader(tags, end, out);
    else if (type == "DIMENSION" || type == "ARC_DIMENSION" || type == "LARGE_RADIAL_DIMENSION")
        ownBlock(tags, end, /*atInsertion=*/false, out);
    else if (type == "ACAD_TABLE")
        ownBlock(tags, end, /*atInsertion=*/true, out);
    else if (type == "INSERT")
        blockReference(tags, end, out);
    else if (type == "ATTDEF" || type == "ATTRIB")
        textBox(tags, 1, end, out);
    return out;
}

}  // namespace dxf
}  // namespace hs

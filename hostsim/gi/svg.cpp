// The picture of a drawing: model space in draw order through the recording
// world-draw context, written as SVG with the y axis pointing up.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "dbents.h"
#include "entities/common.h"
#include "gi/worlddraw.h"
#include "hostsim/dbapi.h"
#include "hostsim/picture.h"

namespace hs {

namespace {

constexpr double kSize = 1000.0;  // pixels of the longer side of the drawing
constexpr double kMargin = 20.0;  // pixels around it

// Text for XML: markup characters as entities; control characters, which
// XML 1.0 cannot hold even as references, left out (a tab, a line break
// stays); bytes that are not UTF-8, and the non-characters U+FFFE and
// U+FFFF, become U+FFFD so that the file is always well-formed.
std::string escape(const std::string& s) {
    static const char* const kReplacement = "\xEF\xBF\xBD";
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    size_t n = s.size();
    for (size_t i = 0; i < n;) {
        unsigned char c = p[i];
        if (c < 0x80) {
            switch (c) {
                case '&':
                    out += "&amp;";
                    break;
                case '<':
                    out += "&lt;";
                    break;
                case '>':
                    out += "&gt;";
                    break;
                case '"':
                    out += "&quot;";
                    break;
                case '\t':
                case '\n':
                case '\r':
                    out += static_cast<char>(c);
                    break;
                default:
                    if (c >= 0x20 && c != 0x7f)
                        out += static_cast<char>(c);
                    break;
            }
            ++i;
            continue;
        }
        size_t len = c >= 0xc2 && c <= 0xdf ? 2 : c >= 0xe0 && c <= 0xef ? 3 : c >= 0xf0 && c <= 0xf4 ? 4 : 0;
        bool ok = len > 0 && i + len <= n;
        for (size_t k = 1; ok && k < len; ++k)
            ok = (p[i + k] & 0xc0) == 0x80;
        if (ok) {
            // Overlong forms, surrogates, code points past U+10FFFF and the
            // two non-characters are not allowed either.
            unsigned cp = len == 2 ? (c & 0x1fu) : len == 3 ? (c & 0x0fu) : (c & 0x07u);
            for (size_t k = 1; k < len; ++k)
                cp = (cp << 6) | (p[i + k] & 0x3fu);
            ok = !(len == 3 && cp < 0x800) && !(len == 4 && (cp < 0x10000 || cp > 0x10ffff)) &&
                 !(cp >= 0xd800 && cp <= 0xdfff) && cp != 0xfffe && cp != 0xffff &&
                 !(cp >= 0x80 && cp < 0xa0);
        }
        if (ok) {
            out.append(s, i, len);
            i += len;
        } else {
            out += kReplacement;
            i += len > 0 && i + len <= n ? len : 1;
        }
    }
    return out;
}

bool finite(const AcGePoint3d& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// False for a shape whose numbers are not all finite: it cannot be drawn.
bool drawable(const Primitive& p) {
    switch (p.kind) {
        case Primitive::kGroupBegin:
        case Primitive::kGroupEnd:
            return true;
        case Primitive::kPolyline:
        case Primitive::kDot:
            if (p.pts.empty())
                return false;
            for (const AcGePoint3d& pt : p.pts)
                if (!finite(pt))
                    return false;
            return true;
        case Primitive::kCircle:
            return finite(p.centre) && std::isfinite(p.radius);
        case Primitive::kArc:
            return p.pts.size() >= 2 && finite(p.pts[0]) && finite(p.pts[1]) && finite(p.centre) &&
                   std::isfinite(p.radius) && std::isfinite(p.sweep);
        case Primitive::kText:
            return finite(p.centre) && std::isfinite(p.dir.x) && std::isfinite(p.dir.y) &&
                   std::isfinite(p.height) && std::isfinite(p.length) && std::isfinite(p.oblique);
    }
    return false;
}

std::string num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", std::fabs(v) < 0.005 ? 0.0 : v);
    return buf;
}

// The extents of what was drawn.
AcDbExtents extentsOf(const std::vector<Primitive>& prims) {
    AcDbExtents ext;
    for (const Primitive& p : prims) {
        switch (p.kind) {
            case Primitive::kPolyline:
            case Primitive::kDot:
                for (const AcGePoint3d& pt : p.pts)
                    ext.addPoint(pt);
                break;
            case Primitive::kCircle:
            case Primitive::kArc:
                ext.addPoint(p.centre + AcGeVector3d(p.radius, p.radius, 0));
                ext.addPoint(p.centre - AcGeVector3d(p.radius, p.radius, 0));
                break;
            case Primitive::kText: {
                AcGeVector3d up(-p.dir.y, p.dir.x, 0.0);
                ext.addPoint(p.centre);
                ext.addPoint(p.centre + p.dir * p.length);
                ext.addPoint(p.centre + up * p.height);
                ext.addPoint(p.centre + p.dir * p.length + up * p.height);
                break;
            }
            default:
                break;
        }
    }
    return ext;
}

}  // namespace

std::string svgFromPrimitives(const std::vector<Primitive>& allPrims, std::string* note) {
    // Shapes with numbers that are not finite are left out (and counted with
    // the handles of their entities for the note).
    std::vector<Primitive> prims;
    prims.reserve(allPrims.size());
    int leftOut = 0;
    std::string handles, topHandle;
    int groupDepth = 0;
    for (const Primitive& p : allPrims) {
        if (p.kind == Primitive::kGroupBegin && groupDepth++ == 0)
            topHandle = p.handle;
        if (p.kind == Primitive::kGroupEnd)
            --groupDepth;
        if (drawable(p)) {
            prims.push_back(p);
            continue;
        }
        if (leftOut++ < 10 && handles.find(topHandle) == std::string::npos)
            handles += (handles.empty() ? "" : ", ") + topHandle;
    }
    if (note != nullptr) {
        note->clear();
        if (leftOut > 0)
            *note = "the picture leaves out " + std::to_string(leftOut) + " shape" +
                    (leftOut == 1 ? "" : "s") + " whose coordinates are not finite numbers (entity " +
                    handles + ")";
    }
    // The arithmetic is done on half the coordinates: the span of a drawing
    // from -1e308 to 1e308 does not fit a double, half of it does (halving
    // is exact, so pictures of ordinary drawings are the same).
    AcDbExtents ext = extentsOf(prims);
    double minX = 0, minY = 0, w = 1, h = 1;
    if (!ext.hsIsEmpty()) {
        minX = ext.minPoint().x * 0.5;
        minY = ext.minPoint().y * 0.5;
        w = ext.maxPoint().x * 0.5 - minX;
        h = ext.maxPoint().y * 0.5 - minY;
    }
    if (!std::isfinite(w) || !std::isfinite(h) || !std::isfinite(minX) || !std::isfinite(minY)) {
        minX = minY = 0.0;
        w = h = 1.0;
    }
    double longer = std::max(w, h);
    double scale = longer > 0.0 ? kSize / longer : 1.0;  // pixels per half unit
    if (!std::isfinite(scale))
        scale = 1.0;
    double width = w * scale + 2 * kMargin, height = h * scale + 2 * kMargin;
    const double halfScale = scale;
    auto sx = [&](double x) { return num((x * 0.5 - minX) * halfScale + kMargin); };
    auto sy = [&](double y) { return num(height - ((y * 0.5 - minY) * halfScale + kMargin)); };
    scale *= 0.5;  // pixels per unit, for lengths

    std::string out;
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(width) + "\" height=\"" + num(height) +
           "\" viewBox=\"0 0 " + num(width) + " " + num(height) + "\">\n";
    out += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    out += "<g fill=\"none\" stroke-width=\"1\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
    int depth = 0;
    for (const Primitive& p : prims) {
        std::string indent(static_cast<size_t>(depth) * 2, ' ');
        std::string colour = paletteColour(p.colour);
        switch (p.kind) {
            case Primitive::kGroupBegin:
                out +=
                    indent + "<g data-entity=\"" + escape(p.text) + "\" data-handle=\"" + p.handle + "\">\n";
                ++depth;
                break;
            case Primitive::kGroupEnd:
                depth = std::max(0, depth - 1);
                out += std::string(static_cast<size_t>(depth) * 2, ' ') + "</g>\n";
                break;
            case Primitive::kPolyline: {
                out += indent + "<polyline stroke=\"" + colour + "\" points=\"";
                for (size_t i = 0; i < p.pts.size(); ++i)
                    out += (i ? " " : "") + sx(p.pts[i].x) + "," + sy(p.pts[i].y);
                out += "\"/>\n";
                break;
            }
            case Primitive::kDot:
                out += indent + "<circle fill=\"" + colour + "\" cx=\"" + sx(p.pts[0].x) + "\" cy=\"" +
                       sy(p.pts[0].y) + "\" r=\"1.5\"/>\n";
                break;
            case Primitive::kCircle:
                out += indent + "<circle stroke=\"" + colour + "\" cx=\"" + sx(p.centre.x) + "\" cy=\"" +
                       sy(p.centre.y) + "\" r=\"" + num(p.radius * scale) + "\"/>\n";
                break;
            case Primitive::kArc: {
                // Counter-clockwise in the drawing is counter-clockwise on screen:
                // SVG's sweep flag 0, as its y axis points down.
                std::string r = num(p.radius * scale);
                out += indent + "<path stroke=\"" + colour + "\" d=\"M " + sx(p.pts[0].x) + " " +
                       sy(p.pts[0].y) + " A " + r + " " + r + " 0 " + (std::fabs(p.sweep) > kPi ? "1" : "0") +
                       " " + (p.sweep > 0 ? "0" : "1") + " " + sx(p.pts[1].x) + " " + sy(p.pts[1].y) +
                       "\"/>\n";
                break;
            }
            case Primitive::kText: {
                double angle = std::atan2(p.dir.y, p.dir.x) * 180.0 / kPi;
                std::string x = sx(p.centre.x), y = sy(p.centre.y);
                out += indent + "<text fill=\"" + colour + "\" stroke=\"none\" x=\"" + x + "\" y=\"" + y +
                       "\" font-family=\"sans-serif\" font-size=\"" + num(p.height * scale) + "\"";
                if (p.length > 0.0)
                    out += " textLength=\"" + num(p.length * scale) + "\" lengthAdjust=\"spacingAndGlyphs\"";
                if (std::fabs(angle) > 1e-9 || p.oblique != 0.0) {
                    out += " transform=\"rotate(" + num(-angle) + " " + x + " " + y + ")";
                    if (p.oblique != 0.0)
                        out += " translate(" + x + " " + y + ") skewX(" + num(-p.oblique * 180.0 / kPi) +
                               ") translate(-" + x + " -" + y + ")";
                    out += "\"";
                }
                out += ">" + escape(p.text) + "</text>\n";
                break;
            }
        }
    }
    out += "</g>\n</svg>\n";
    return out;
}

std::string svgOfDrawables(const std::vector<AcGiDrawable*>& drawables) {
    RecordingDraw wd;
    for (AcGiDrawable* pDrawable : drawables)
        wd.drawDrawable(pDrawable);
    return svgFromPrimitives(wd.primitives());
}

std::string svgOf(AcDbDatabase* pDb) {
    return svgOfNoted(pDb, nullptr);
}

std::string svgOfNoted(AcDbDatabase* pDb, std::string* note) {
    RecordingDraw wd;
    if (pDb != nullptr) {
        for (AcDbObjectId id : drawOrder(modelSpaceId(pDb))) {
            AcDbEntity* pEnt = nullptr;
            if (acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead) != Acad::eOk)
                continue;
            wd.drawDrawable(pEnt);
            pEnt->close();
        }
    }
    return svgFromPrimitives(wd.primitives(), note);
}

bool writeSvg(AcDbDatabase* pDb, const std::string& path, std::string* error) {
    if (pDb == nullptr) {
        if (error)
            *error = path + ": no drawing";
        return false;
    }
    std::string note;
    std::string svg = svgOfNoted(pDb, &note);
    if (!note.empty())
        std::fprintf(stderr, "hostsim: %s: %s\n", path.c_str(), note.c_str());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        if (error)
            *error = path + ": cannot be written";
        return false;
    }
    file << svg;
    file.close();
    if (!file) {
        if (error)
            *error = path + ": cannot be written";
        return false;
    }
    return true;
}

}  // namespace hs

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

std::string escape(const std::string& s) {
    std::string out;
    for (char c : s) {
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
            default:
                out += c;
        }
    }
    return out;
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

std::string svgFromPrimitives(const std::vector<Primitive>& prims) {
    AcDbExtents ext = extentsOf(prims);
    double minX = 0, minY = 0, w = 1, h = 1;
    if (!ext.hsIsEmpty()) {
        minX = ext.minPoint().x;
        minY = ext.minPoint().y;
        w = ext.maxPoint().x - minX;
        h = ext.maxPoint().y - minY;
    }
    double longer = std::max(w, h);
    double scale = longer > 0.0 ? kSize / longer : 1.0;
    double width = w * scale + 2 * kMargin, height = h * scale + 2 * kMargin;
    auto sx = [&](double x) { return num((x - minX) * scale + kMargin); };
    auto sy = [&](double y) { return num(height - ((y - minY) * scale + kMargin)); };

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
    return svgFromPrimitives(wd.primitives());
}

bool writeSvg(AcDbDatabase* pDb, const std::string& path, std::string* error) {
    if (pDb == nullptr) {
        if (error)
            *error = path + ": no drawing";
        return false;
    }
    std::string svg = svgOf(pDb);
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

// Object selection: filters with wildcard patterns, the interactive
// "Select objects: " prompt with its modes, the whole-drawing selection and
// acedSSGet.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <sstream>
#include <unordered_set>

#include "acedads.h"
#include "dbsymtb.h"
#include "dxf/kept_entity.h"
#include "edcmds.h"
#include "edstate.h"
#include "hostsim/dbapi.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace hs {

// ---- wildcards ------------------------------------------------------------------------------

namespace {

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Matches text[ti..] against one pattern p[pi..] (no commas, no leading ~).
bool matchOne(const std::string& t, size_t ti, const std::string& p, size_t pi) {
    while (pi < p.size()) {
        char c = p[pi];
        if (c == '*') {
            for (size_t k = ti; k <= t.size(); ++k)
                if (matchOne(t, k, p, pi + 1))
                    return true;
            return false;
        }
        if (ti >= t.size())
            return false;
        unsigned char tc = static_cast<unsigned char>(t[ti]);
        if (c == '?') {
        } else if (c == '#') {
            if (!std::isdigit(tc))
                return false;
        } else if (c == '@') {
            if (!std::isalpha(tc))
                return false;
        } else if (c == '.') {
            if (std::isalnum(tc))
                return false;
        } else if (c == '[') {
            size_t close = p.find(']', pi + 2);
            if (close == std::string::npos)
                return false;
            bool negate = p[pi + 1] == '~';
            bool found = false;
            for (size_t k = pi + 1 + (negate ? 1 : 0); k < close; ++k) {
                if (k + 2 < close && p[k + 1] == '-') {
                    if (lower(t[ti]) >= lower(p[k]) && lower(t[ti]) <= lower(p[k + 2]))
                        found = true;
                    k += 2;
                } else if (lower(p[k]) == lower(t[ti])) {
                    found = true;
                }
            }
            if (found == negate)
                return false;
            pi = close;
        } else {
            if (c == '`' && pi + 1 < p.size())
                c = p[++pi];
            if (lower(c) != lower(t[ti]))
                return false;
        }
        ++pi;
        ++ti;
    }
    return ti == t.size();
}

std::vector<std::string> splitPatterns(const std::string& patterns) {
    std::vector<std::string> out;
    std::string cur;
    for (size_t i = 0; i < patterns.size(); ++i) {
        char c = patterns[i];
        if (c == '`' && i + 1 < patterns.size()) {
            cur += c;
            cur += patterns[++i];
        } else if (c == ',') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.push_back(cur);
    return out;
}

}  // namespace

bool wcMatch(const std::string& text, const std::string& patterns) {
    for (const std::string& p : splitPatterns(patterns)) {
        if (!p.empty() && p[0] == '~') {
            if (!matchOne(text, 0, p, 1))
                return true;
        } else if (matchOne(text, 0, p, 0)) {
            return true;
        }
    }
    return false;
}

// ---- filters ---------------------------------------------------------------------------------

namespace {

// The DXF name of a class, looked up in the class dictionary.
std::string dxfNameOf(const std::string& cls) {
    AcRxObject* p = acrxClassDictionary->at(fromUtf8(cls).c_str());
    auto* pClass = static_cast<AcRxClass*>(p);
    if (pClass == nullptr || pClass->dxfName() == nullptr)
        return std::string();
    return toUtf8(pClass->dxfName());
}

}  // namespace

bool SelectionFilter::parse(const resbuf* filter, std::string& why) {
    for (const resbuf* rb = filter; rb != nullptr; rb = rb->rbnext) {
        switch (rb->restype) {
            case 0:
            case RTDXF0:
                m_types.push_back(rb->resval.rstring != nullptr ? toUtf8(rb->resval.rstring) : std::string());
                break;
            case 8:
                m_layers.push_back(rb->resval.rstring != nullptr ? toUtf8(rb->resval.rstring)
                                                                 : std::string());
                break;
            case 62:
                m_colors.push_back(rb->resval.rint);
                break;
            default:
                why = "group " + std::to_string(rb->restype) + " is not supported in selection filters";
                return false;
        }
    }
    return true;
}

bool SelectionFilter::accepts(AcDbObjectId id) const {
    if (!m_types.empty()) {
        std::string cls = className(id);
        if (cls == "HsDxfKeptEntity") {
            // An entity kept as its DXF tags has the type its file gave it.
            std::string name;
            HsDxfKeptEntity* pKept = nullptr;
            if (acdbOpenObject(pKept, id, AcDb::kForRead) == Acad::eOk) {
                name = pKept->typeName();
                pKept->close();
            }
            for (const std::string& p : m_types)
                if (!wcMatch(name, p))
                    return false;
        } else {
            auto known = m_typeOk.find(cls);
            if (known == m_typeOk.end()) {
                std::string name = dxfNameOf(cls);
                bool ok = true;
                for (const std::string& p : m_types)
                    ok = ok && wcMatch(name, p);
                known = m_typeOk.emplace(cls, ok).first;
            }
            if (!known->second)
                return false;
        }
    }
    if (m_layers.empty() && m_colors.empty())
        return true;
    AcDbEntity* pEnt = nullptr;
    if (acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead) != Acad::eOk)
        return false;
    bool ok = true;
    std::string layer = toUtf8(pEnt->hsLayerName());
    for (const std::string& p : m_layers)
        ok = ok && wcMatch(layer, p);
    for (int c : m_colors)
        ok = ok && pEnt->colorIndex() == c;
    pEnt->close();
    return ok;
}

// ---- geometry of a selection ---------------------------------------------------------------

namespace {

bool extentsOf(AcDbObjectId id, AcDbExtents& ext) {
    AcDbEntity* pEnt = nullptr;
    if (acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead) != Acad::eOk)
        return false;
    Acad::ErrorStatus es = pEnt->getGeomExtents(ext);
    pEnt->close();
    return es == Acad::eOk && !ext.hsIsEmpty();
}

const double kPickTolerance = 1e-6;

AcDbObjectId currentSpace() {
    return Session::get().database()->currentSpaceId();
}

// The topmost entity of the current space whose extents hold the point.
AcDbObjectId pick(const AcGePoint3d& wcs) {
    std::vector<AcDbObjectId> order = drawOrder(currentSpace());
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (it->isErased())
            continue;
        AcDbExtents ext;
        if (!extentsOf(*it, ext))
            continue;
        AcGePoint3d lo = ext.minPoint(), hi = ext.maxPoint();
        if (wcs.x >= lo.x - kPickTolerance && wcs.x <= hi.x + kPickTolerance &&
            wcs.y >= lo.y - kPickTolerance && wcs.y <= hi.y + kPickTolerance)
            return *it;
    }
    return AcDbObjectId::kNull;
}

// Entities of the current space inside (window) or touching (crossing) the
// box of two UCS corners.
std::vector<AcDbObjectId> box(const AcGePoint3d& c1, const AcGePoint3d& c2, bool crossing) {
    AcGePoint3d w1 = ucsToWcs(c1), w2 = ucsToWcs(c2);
    double x0 = std::min(w1.x, w2.x), x1 = std::max(w1.x, w2.x);
    double y0 = std::min(w1.y, w2.y), y1 = std::max(w1.y, w2.y);
    std::vector<AcDbObjectId> out;
    for (AcDbObjectId id : entitiesOf(currentSpace())) {
        AcDbExtents ext;
        if (!extentsOf(id, ext))
            continue;
        AcGePoint3d lo = ext.minPoint(), hi = ext.maxPoint();
        bool inside = lo.x >= x0 && hi.x <= x1 && lo.y >= y0 && hi.y <= y1;
        bool touching = lo.x <= x1 && hi.x >= x0 && lo.y <= y1 && hi.y >= y0;
        if (crossing ? touching : inside)
            out.push_back(id);
    }
    return out;
}

AcDbObjectId lastEntity() {
    std::vector<AcDbObjectId> ids = entitiesOf(currentSpace());
    return ids.empty() ? AcDbObjectId::kNull : ids.back();
}

// The layouts of the drawing: model space first, then the paper spaces in
// block-table order.
std::vector<AcDbObjectId> layouts(AcDbDatabase* pDb) {
    std::vector<AcDbObjectId> out{modelSpaceId(pDb)};
    AcDbBlockTable* pTable = nullptr;
    if (pDb->getSymbolTable(pTable, AcDb::kForRead) != Acad::eOk)
        return out;
    AcDbBlockTableIterator* pIt = nullptr;
    if (pTable->newIterator(pIt) == Acad::eOk) {
        for (; !pIt->done(); pIt->step()) {
            AcDbObjectId recId;
            if (pIt->getRecordId(recId) != Acad::eOk || recId == out[0])
                continue;
            AcDbBlockTableRecord* pRec = nullptr;
            if (pIt->getRecord(pRec, AcDb::kForRead) != Acad::eOk)
                continue;
            if (pRec->isLayout())
                out.push_back(recId);
            pRec->close();
        }
        delete pIt;
    }
    pTable->close();
    return out;
}

bool splitCorners(const std::string& rest, AcGePoint3d& c1, AcGePoint3d& c2) {
    std::istringstream in(rest);
    std::string a, b, extra;
    if (!(in >> a >> b) || (in >> extra))
        return false;
    AcGePoint3d last = wcsToUcs(lastPoint());
    return parsePoint(a, last, c1) && parsePoint(b, last, c2);
}

// Asks for the two corners of a window or crossing box.
int askCorners(AcGePoint3d& c1, AcGePoint3d& c2) {
    Request rq;
    rq.prompt = "Specify first corner: ";
    rq.flags = RSG_NONULL;
    std::string kw;
    int st = requestPoint(rq, c1, kw);
    if (st != RTNORM)
        return RTCAN;
    Request rq2;
    rq2.prompt = "Specify opposite corner: ";
    rq2.flags = RSG_NONULL;
    rq2.base = &c1;
    st = requestCorner(rq2, c2, kw);
    return st == RTNORM ? RTNORM : RTCAN;
}

bool parseToken(const std::string& text, const std::string& head, long& n) {
    if (text.size() <= head.size() + 1 || text.compare(0, head.size(), head) != 0 || text.back() != '>')
        return false;
    std::string num = text.substr(head.size(), text.size() - head.size() - 1);
    char* end = nullptr;
    n = std::strtol(num.c_str(), &end, 10);
    return end != nullptr && *end == '\0' && !num.empty();
}

// The selection being built at "Select objects: ": the entities in the
// order they were chosen, and a set of the same for a constant-time check
// whether one is already in it. Removing marks entries and compacts once.
struct Selection {
    std::vector<AcDbObjectId> ids;
    std::unordered_set<const void*> members;

    bool has(AcDbObjectId id) const { return members.count(id.stub()) != 0; }
    void add(AcDbObjectId id) {
        if (members.insert(id.stub()).second)
            ids.push_back(id);
    }
    size_t size() const { return members.size(); }
};

// Adds (or removes) found entities and reports the counts as the host does.
void apply(Selection& sel, const std::vector<AcDbObjectId>& found, const SelectionFilter* filter,
           bool removing) {
    int filtered = 0, duplicates = 0, changed = 0;
    std::unordered_set<const void*> removed;
    for (AcDbObjectId id : found) {
        if (id.isNull() || id.isErased())
            continue;
        if (filter != nullptr && !filter->accepts(id)) {
            ++filtered;
            continue;
        }
        if (removing) {
            if (sel.members.erase(id.stub()) != 0) {
                removed.insert(id.stub());
                ++changed;
            }
        } else if (sel.has(id)) {
            ++duplicates;
        } else {
            sel.add(id);
            ++changed;
        }
    }
    if (!removed.empty()) {
        std::vector<AcDbObjectId> kept;
        kept.reserve(sel.members.size());
        for (AcDbObjectId id : sel.ids)
            if (removed.count(id.stub()) == 0)
                kept.push_back(id);
        sel.ids.swap(kept);
    }
    int n = static_cast<int>(found.size());
    if (n == 0) {
        edPrint("0 found\n");
        return;
    }
    std::string msg = std::to_string(n) + " found";
    if (removing)
        msg += ", " + std::to_string(changed) + " removed";
    if (duplicates > 0)
        msg += " (" + std::to_string(duplicates) + " duplicate)";
    msg += ", " + std::to_string(sel.size()) + " total\n";
    if (filtered > 0)
        msg += std::to_string(filtered) + (filtered == 1 ? " was" : " were") + " filtered out.\n";
    edPrint(msg);
}

}  // namespace

std::vector<AcDbObjectId> drawingEntities(const SelectionFilter* filter) {
    std::vector<AcDbObjectId> out;
    for (AcDbObjectId space : layouts(Session::get().database()))
        for (AcDbObjectId id : entitiesOf(space))
            if (filter == nullptr || filter->accepts(id))
                out.push_back(id);
    return out;
}

std::vector<AcDbObjectId> previousSelection() {
    std::vector<AcDbObjectId> out;
    for (AcDbObjectId id : editorState().previous)
        if (!id.isErased())
            out.push_back(id);
    return out;
}

void setPreviousSelection(const std::vector<AcDbObjectId>& ids) {
    editorState().previous = ids;
}

int selectObjects(std::vector<AcDbObjectId>& ids, const SelectionFilter* filter, const std::string& prompt) {
    Selection sel;
    bool removing = false;
    for (;;) {
        Input in = Session::get().readInput(removing ? "Remove objects: " : prompt);
        if (in.kind == Input::kCancel || in.kind == Input::kEnd)
            return RTCAN;
        std::string text = in.kind == Input::kText ? in.text : std::string();
        size_t b = text.find_first_not_of(" \t");
        text = b == std::string::npos ? std::string() : text.substr(b);
        if (text.empty())
            break;
        std::string word = upper(text.substr(0, text.find(' ')));
        std::string rest =
            text.find(' ') == std::string::npos ? std::string() : text.substr(text.find(' ') + 1);
        if (!word.empty() && word[0] == '_')
            word = word.substr(1);
        long n = 0;
        std::vector<AcDbObjectId> found;
        AcGePoint3d p;
        if (parseToken(text, "<Selection set: ", n)) {
            ads_name ss = {n, kSelectionSetTag};
            if (!selectionSetIds(ss, found)) {
                edPrint("*Invalid selection*\n");
                continue;
            }
        } else if (parseToken(text, "<Entity name: ", n)) {
            ads_name en = {n, kEntityNameTag};
            AcDbObjectId id;
            if (acdbGetObjectId(id, en) != Acad::eOk) {
                edPrint("*Invalid selection*\n");
                continue;
            }
            found.push_back(id);
        } else if (word == "W" || word == "WINDOW" || word == "C" || word == "CROSSING") {
            AcGePoint3d c1, c2;
            if (rest.empty()) {
                if (askCorners(c1, c2) != RTNORM)
                    return RTCAN;
            } else if (!splitCorners(rest, c1, c2)) {
                edPrint("*Invalid selection*\n");
                continue;
            }
            found = box(c1, c2, word[0] == 'C');
        } else if (word == "L" || word == "LAST") {
            AcDbObjectId id = lastEntity();
            if (!id.isNull())
                found.push_back(id);
        } else if (word == "ALL") {
            found = entitiesOf(currentSpace());
        } else if (word == "P" || word == "PREVIOUS") {
            found = previousSelection();
        } else if (word == "R" || word == "REMOVE") {
            removing = true;
            continue;
        } else if (word == "A" || word == "ADD") {
            removing = false;
            continue;
        } else if (parsePoint(text, wcsToUcs(lastPoint()), p)) {
            AcGePoint3d wcs = ucsToWcs(p);
            setLastPoint(wcs);
            AcDbObjectId id = pick(wcs);
            if (!id.isNull())
                found.push_back(id);
        } else {
            if (echoOn())
                Session::get().refuseAnswer(
                    "*Invalid selection*\nExpects a point or Window/Last/Crossing/ALL/Previous/Add/Remove");
            else
                Session::get().noteProblem("the answer \"" + text + "\" was refused (*Invalid selection*)");
            continue;
        }
        apply(sel, found, filter, removing);
    }
    ids = sel.ids;
    setPreviousSelection(sel.ids);
    return RTNORM;
}

bool selectForCommand(std::vector<AcDbObjectId>& ids) {
    if (selectObjects(ids) != RTNORM)
        return false;
    return !ids.empty();
}

}  // namespace hs

// ---- acedSSGet ---------------------------------------------------------------------------------

// Modes: none (interactive), "X" (whole drawing), "L", "P", "W" and "C"
// with two points, "A" (all of the current space). An empty result gives
// RTERROR and no set, as in the host.
extern "C" int acedSSGet(const ACHAR* str, const void* pt1, const void* pt2, const struct resbuf* filter,
                         ads_name ss) {
    if (ss == nullptr)
        return RTERROR;
    hs::SelectionFilter f;
    std::string why;
    if (!f.parse(filter, why)) {
        hs::Session::get().print("acedSSGet: " + why + "\n");
        return RTERROR;
    }
    const hs::SelectionFilter* pf = f.empty() ? nullptr : &f;
    std::string mode = str != nullptr ? hs::upper(hs::toUtf8(str)) : std::string();
    if (!mode.empty() && mode[0] == '_')
        mode = mode.substr(1);
    std::vector<AcDbObjectId> ids;
    auto pointOf = [](const void* pt) {
        const double* d = static_cast<const double*>(pt);
        return AcGePoint3d(d[0], d[1], d[2]);
    };
    auto keep = [&](const std::vector<AcDbObjectId>& found) {
        for (AcDbObjectId id : found)
            if (!id.isNull() && !id.isErased() && (pf == nullptr || pf->accepts(id)))
                ids.push_back(id);
    };
    if (mode.empty()) {
        int st = hs::selectObjects(ids, pf);
        if (st != RTNORM)
            return st;
    } else if (mode == "X") {
        ids = hs::drawingEntities(pf);
    } else if (mode == "L") {
        keep({hs::lastEntity()});
    } else if (mode == "P") {
        keep(hs::previousSelection());
    } else if (mode == "A") {
        keep(hs::entitiesOf(hs::currentSpace()));
    } else if ((mode == "W" || mode == "C") && pt1 != nullptr && pt2 != nullptr) {
        keep(hs::box(pointOf(pt1), pointOf(pt2), mode == "C"));
    } else {
        return RTERROR;
    }
    if (ids.empty())
        return RTERROR;
    if (!hs::newSelectionSet(ids, ss))
        return RTERROR;
    hs::setPreviousSelection(ids);
    return RTNORM;
}

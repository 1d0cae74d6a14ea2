// LIST and CHPROP: listing selected entities through their own list(), and
// changing their common properties through the entity setters.
#include <cmath>
#include <cstdlib>

#include "adscodes.h"
#include "dbsymtb.h"
#include "edcmds.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace hs {
namespace {

void listCommand() {
    std::vector<AcDbObjectId> ids;
    if (!selectForCommand(ids))
        return;
    for (AcDbObjectId id : ids) {
        AcDbEntity* pEnt = nullptr;
        if (acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead) != Acad::eOk)
            continue;
        pEnt->list();
        pEnt->close();
    }
}

// A colour answer: a number 0..256, a standard colour name, BYLAYER or
// BYBLOCK. Returns -1 for anything else.
int parseColor(const std::string& text) {
    static const char* const kNames[] = {"", "RED", "YELLOW", "GREEN", "CYAN", "BLUE", "MAGENTA", "WHITE"};
    std::string t = upper(text);
    if (t == "BYLAYER")
        return 256;
    if (t == "BYBLOCK")
        return 0;
    for (int i = 1; i <= 7; ++i)
        if (t == kNames[i])
            return i;
    char* end = nullptr;
    long v = std::strtol(t.c_str(), &end, 10);
    if (t.empty() || *end != '\0' || v < 0 || v > 256)
        return -1;
    return static_cast<int>(v);
}

// The standard lineweight nearest to a width in millimetres.
AcDb::LineWeight nearestLineWeight(double mm) {
    static const int kWeights[] = {0,  5,  9,  13, 15, 18,  20,  25,  30,  35,  40,  50,
                                   53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};
    int want = static_cast<int>(std::lround(mm * 100));
    int best = 0;
    for (int w : kWeights)
        if (std::abs(w - want) < std::abs(best - want))
            best = w;
    return static_cast<AcDb::LineWeight>(best);
}

template <class Table>
bool tableHas(AcDbDatabase* pDb, const std::string& name) {
    Table* pTable = nullptr;
    if (pDb->getSymbolTable(pTable, AcDb::kForRead) != Acad::eOk)
        return false;
    bool has = pTable->has(fromUtf8(name).c_str());
    pTable->close();
    return has;
}

using Setter = std::function<Acad::ErrorStatus(AcDbEntity*)>;

// Asks the new value of one property; fills `set` and returns RTNORM, or
// RTNONE/RTCAN when nothing is to change.
int askProperty(const std::string& prop, Setter& set) {
    AcDbDatabase* pDb = Session::get().database();
    std::string text;
    for (;;) {
        if (prop == "Color") {
            if (requestString("New color [ByLayer/ByBlock] <BYLAYER>: ", false, text) != RTNORM)
                return RTCAN;
            int c = text.empty() ? 256 : parseColor(text);
            if (c < 0) {
                edPrint("Invalid color.\n");
                continue;
            }
            set = [c](AcDbEntity* e) { return e->setColorIndex(static_cast<Adesk::UInt16>(c)); };
            return RTNORM;
        }
        if (prop == "LAyer") {
            if (requestString("Enter new layer name <0>: ", false, text) != RTNORM)
                return RTCAN;
            if (text.empty())
                text = "0";
            if (!tableHas<AcDbLayerTable>(pDb, text)) {
                edPrint("Cannot find layer \"" + text + "\".\n");
                continue;
            }
            tstring name = fromUtf8(text);
            set = [name](AcDbEntity* e) { return e->setLayer(name.c_str()); };
            return RTNORM;
        }
        if (prop == "LType") {
            if (requestString("Enter new linetype name <ByLayer>: ", false, text) != RTNORM)
                return RTCAN;
            if (text.empty())
                text = "ByLayer";
            if (!tableHas<AcDbLinetypeTable>(pDb, text)) {
                edPrint("Linetype " + text + " not found.\n");
                continue;
            }
            tstring name = fromUtf8(text);
            set = [name](AcDbEntity* e) { return e->setLinetype(name.c_str()); };
            return RTNORM;
        }
        if (prop == "ltScale") {
            Request rq;
            rq.prompt = "Specify new linetype scale <1.0000>: ";
            rq.flags = RSG_NOZERO | RSG_NONEG;
            double s = 1.0;
            std::string kw;
            int st = requestReal(rq, s, kw);
            if (st == RTCAN)
                return RTCAN;
            set = [s](AcDbEntity* e) { return e->setLinetypeScale(s); };
            return RTNORM;
        }
        // LWeight
        if (requestString("Enter new lineweight [ByLayer/ByBlock/Default] <ByLayer>: ", false, text) !=
            RTNORM)
            return RTCAN;
        std::string t = upper(text);
        AcDb::LineWeight w = AcDb::kLnWtByLayer;
        if (t.empty() || t == "BYLAYER" || t == "L") {
        } else if (t == "BYBLOCK" || t == "B") {
            w = AcDb::kLnWtByBlock;
        } else if (t == "DEFAULT" || t == "D") {
            w = AcDb::kLnWtByLwDefault;
        } else {
            char* end = nullptr;
            double mm = std::strtod(text.c_str(), &end);
            if (*end != '\0' || !(mm >= 0 && mm <= 2.11)) {
                edPrint("Invalid lineweight.\n");
                continue;
            }
            w = nearestLineWeight(mm);
        }
        set = [w](AcDbEntity* e) { return e->setLineWeight(w); };
        return RTNORM;
    }
}

void chpropCommand() {
    std::vector<AcDbObjectId> ids;
    if (!selectForCommand(ids))
        return;
    for (;;) {
        Request rq;
        rq.prompt = "Enter property to change [Color/LAyer/LType/ltScale/LWeight]: ";
        rq.keywords = "Color LAyer LType ltScale LWeight";
        std::string prop;
        if (requestKeyword(rq, prop) != RTNORM)
            return;
        Setter set;
        if (askProperty(prop, set) != RTNORM)
            return;
        forEachForWrite(ids, set, "changed");
    }
}

}  // namespace

void registerPropertyCommands() {
    addBuiltinCommand("LIST", listCommand);
    addBuiltinCommand("CHPROP", chpropCommand);
    registerLayerCommand();
}

}  // namespace hs

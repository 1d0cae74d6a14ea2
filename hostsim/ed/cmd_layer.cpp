// -LAYER: make, set, new, on, off, color, lock and unlock layers, with
// comma-separated name lists and wildcards.
#include <cstdlib>

#include "adscodes.h"
#include "dbsymtb.h"
#include "edcmds.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace hs {
namespace {

bool validLayerName(const std::string& name) {
    return !name.empty() && name.size() <= 255 && name.find_first_of("<>/\\\":;?*|,=`") == std::string::npos;
}

// Every layer whose name matches the wildcard list.
std::vector<AcDbObjectId> matchingLayers(const std::string& patterns) {
    std::vector<AcDbObjectId> out;
    AcDbLayerTable* pTable = nullptr;
    if (Session::get().database()->getSymbolTable(pTable, AcDb::kForRead) != Acad::eOk)
        return out;
    AcDbSymbolTableIterator* pIt = nullptr;
    if (pTable->newIterator(pIt) == Acad::eOk) {
        for (; !pIt->done(); pIt->step()) {
            AcDbSymbolTableRecord* pRec = nullptr;
            if (pIt->getRecord(pRec, AcDb::kForRead) != Acad::eOk)
                continue;
            const ACHAR* name = nullptr;
            pRec->getName(name);
            if (name != nullptr && wcMatch(toUtf8(name), patterns))
                out.push_back(pRec->objectId());
            pRec->close();
        }
        delete pIt;
    }
    pTable->close();
    return out;
}

AcDbObjectId findLayer(const std::string& name) {
    AcDbLayerTable* pTable = nullptr;
    AcDbObjectId id;
    if (Session::get().database()->getSymbolTable(pTable, AcDb::kForRead) != Acad::eOk)
        return id;
    pTable->getAt(fromUtf8(name).c_str(), id);
    pTable->close();
    return id;
}

// Finds or creates a layer; null (with a message) when the name is not valid.
AcDbObjectId makeLayer(const std::string& name) {
    if (!validLayerName(name)) {
        edPrint("Invalid layer name.\n");
        return AcDbObjectId::kNull;
    }
    AcDbObjectId id = findLayer(name);
    if (!id.isNull())
        return id;
    AcDbLayerTable* pTable = nullptr;
    if (Session::get().database()->getSymbolTable(pTable, AcDb::kForWrite) != Acad::eOk)
        return id;
    AcDbLayerTableRecord* pRec = new AcDbLayerTableRecord();
    pRec->setName(fromUtf8(name).c_str());
    AcCmColor white;
    white.setColorIndex(7);
    pRec->setColor(white);
    if (pTable->add(id, pRec) == Acad::eOk)
        pRec->close();
    else
        delete pRec;
    pTable->close();
    return id;
}

std::string layerName(AcDbObjectId id) {
    AcDbLayerTableRecord* pRec = nullptr;
    std::string out;
    if (acdbOpenObject(pRec, id, AcDb::kForRead) != Acad::eOk)
        return out;
    const ACHAR* name = nullptr;
    pRec->getName(name);
    out = name != nullptr ? toUtf8(name) : std::string();
    pRec->close();
    return out;
}

// Applies fn to every layer of the list; reports names that match nothing.
void changeLayers(const std::string& list, const std::function<void(AcDbLayerTableRecord*)>& fn) {
    std::vector<AcDbObjectId> ids = matchingLayers(list);
    if (ids.empty()) {
        edPrint("No matching layer names found.\n");
        return;
    }
    for (AcDbObjectId id : ids) {
        AcDbLayerTableRecord* pRec = nullptr;
        if (acdbOpenObject(pRec, id, AcDb::kForWrite) != Acad::eOk)
            continue;
        fn(pRec);
        pRec->close();
    }
}

void listLayers() {
    edPrint("Layer name                State   Color  Locked\n");
    for (AcDbObjectId id : matchingLayers("*")) {
        AcDbLayerTableRecord* pRec = nullptr;
        if (acdbOpenObject(pRec, id, AcDb::kForRead) != Acad::eOk)
            continue;
        std::string name = layerName(id);
        name.resize(std::max<size_t>(name.size(), 25), ' ');
        std::string color = std::to_string(pRec->color().colorIndex());
        color.resize(std::max<size_t>(color.size(), 6), ' ');
        edPrint(name + " " + (pRec->isOff() ? "Off" : "On ") + "     " + color + " " +
                (pRec->isLocked() ? "Yes" : "No") + "\n");
        pRec->close();
    }
}

void layerCommand() {
    AcDbDatabase* pDb = Session::get().database();
    for (;;) {
        edPrint("Current layer:  \"" + layerName(pDb->clayer()) + "\"\n");
        Request rq;
        rq.prompt = "Enter an option [?/Make/Set/New/ON/OFF/Color/LOck/Unlock]: ";
        rq.keywords = "? Make Set New ON OFF Color LOck Unlock";
        std::string opt;
        if (requestKeyword(rq, opt) != RTNORM)
            return;
        std::string text;
        if (opt == "?") {
            listLayers();
        } else if (opt == "Make") {
            if (requestString("Enter name for new layer (becomes the current layer) <0>: ", false, text) !=
                RTNORM)
                return;
            AcDbObjectId id = makeLayer(text.empty() ? "0" : text);
            if (!id.isNull())
                pDb->setClayer(id);
        } else if (opt == "Set") {
            if (requestString("Enter layer name to make current: ", false, text) != RTNORM)
                return;
            AcDbObjectId id = findLayer(text);
            if (id.isNull())
                edPrint("Cannot find layer \"" + text + "\".\n");
            else
                pDb->setClayer(id);
        } else if (opt == "New") {
            if (requestString("Enter name list for new layer(s): ", false, text) != RTNORM)
                return;
            size_t start = 0;
            for (;;) {
                size_t comma = text.find(',', start);
                std::string name = text.substr(start, comma == std::string::npos ? comma : comma - start);
                if (!name.empty())
                    makeLayer(name);
                if (comma == std::string::npos)
                    break;
                start = comma + 1;
            }
        } else if (opt == "Color") {
            if (requestString("Enter color number (1-255): ", false, text) != RTNORM)
                return;
            char* end = nullptr;
            long c = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || c < 1 || c > 255) {
                edPrint("Invalid color.\n");
                continue;
            }
            if (requestString("Enter name list of layer(s) for color " + text + ": ", false, text) != RTNORM)
                return;
            AcCmColor color;
            color.setColorIndex(static_cast<Adesk::UInt16>(c));
            changeLayers(text, [&](AcDbLayerTableRecord* r) { r->setColor(color); });
        } else {
            std::string what = opt == "ON"     ? "turn on"
                               : opt == "OFF"  ? "turn off"
                               : opt == "LOck" ? "lock"
                                               : "unlock";
            if (requestString("Enter name list of layer(s) to " + what + ": ", false, text) != RTNORM)
                return;
            changeLayers(text, [&](AcDbLayerTableRecord* r) {
                if (opt == "ON" || opt == "OFF")
                    r->setIsOff(opt == "OFF");
                else
                    r->setIsLocked(opt == "LOck");
            });
        }
    }
}

}  // namespace

void registerLayerCommand() {
    addBuiltinCommand("-LAYER", layerCommand);
}

}  // namespace hs

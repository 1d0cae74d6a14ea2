// -WBLOCK: writes the whole drawing, a block or selected objects to a new
// DXF drawing. The new database is made by the database's wblock (which
// sends the editor notifications), then it is written and deleted. The drawing itself is not changed.
#include <sys/stat.h>

#include "aced.h"
#include "adscodes.h"
#include "dbsymtb.h"
#include "edcmds.h"
#include "hostsim/dbapi.h"
#include "hostsim/dxffile.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace hs {
namespace {

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// The file name with ".dxf" added when it has no extension.
std::string withExtension(const std::string& name) {
    size_t slash = name.find_last_of("/\\");
    size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return name + ".dxf";
    return name;
}

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// A block definition of the drawing (not a layout) by name.
AcDbObjectId findBlock(AcDbDatabase* pDb, const std::string& name) {
    AcDbObjectId id;
    AcDbBlockTable* pTable = nullptr;
    if (pDb->getSymbolTable(pTable, AcDb::kForRead) != Acad::eOk)
        return id;
    AcDbBlockTableRecord* pRec = nullptr;
    if (pTable->getAt(fromUtf8(name).c_str(), pRec, AcDb::kForRead) == Acad::eOk) {
        if (!pRec->isLayout())
            id = pRec->objectId();
        pRec->close();
    }
    pTable->close();
    return id;
}

void wblockCommand() {
    std::string file;
    if (requestString("Enter name of output file: ", true, file) != RTNORM || file.empty())
        return;
    std::string path = withExtension(file);
    if (fileExists(path)) {
        Request rq;
        rq.prompt = "A drawing with this name already exists.\nDo you want to replace it? <N>: ";
        rq.keywords = "Yes No";
        std::string answer;
        if (requestKeyword(rq, answer) != RTNORM || answer != "Yes")
            return;
    }
    std::string what;
    if (requestString("Enter name of existing block or\n[= (block=output file)/* (whole drawing)] <define "
                      "new drawing>: ",
                      true, what) != RTNORM)
        return;
    // The database's wblock sends the notifications in the host's order.
    AcDbDatabase* pFrom = Session::get().database();
    AcDbDatabase* pTo = nullptr;
    Acad::ErrorStatus es;
    if (what == "*") {
        es = pFrom->wblock(pTo);
    } else if (!what.empty()) {
        std::string block = what == "=" ? baseName(path) : what;
        AcDbObjectId blockId = findBlock(pFrom, block);
        if (blockId.isNull()) {
            edPrint("Block " + block + " not found.\n");
            return;
        }
        es = pFrom->wblock(pTo, blockId);
    } else {
        Request rq;
        rq.prompt = "Specify insertion base point: ";
        std::string kw;
        AcGePoint3d p;
        int st = requestPoint(rq, p, kw);
        if (st == RTCAN)
            return;
        AcGePoint3d base = ucsToWcs(st == RTNORM ? p : AcGePoint3d(0, 0, 0));
        std::vector<AcDbObjectId> ids;
        if (!selectForCommand(ids))
            return;
        AcDbObjectIdArray outIds;
        for (const AcDbObjectId& id : ids)
            outIds.append(id);
        es = pFrom->wblock(pTo, outIds, base);
    }
    Session& session = Session::get();
    if (es != Acad::eOk || pTo == nullptr) {
        session.print("The drawing could not be written: " + toUtf8(acadErrorStatusText(es)) + "\n");
        return;
    }
    DxfResult res = writeDxfFile(path, pTo);
    if (!res.ok)
        session.print("Could not write " + path + ": " + res.message + "\n");
    forgetNames(pTo);
    delete pTo;
}

}  // namespace

void registerWblockCommand() {
    addBuiltinCommand("-WBLOCK", wblockCommand);
}

}  // namespace hs

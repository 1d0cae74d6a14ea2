// -INSERT: places a block reference. The name is a block of the drawing, or
// a DXF drawing on disk (NAME or NAME.dxf, or "name=file"), which is first
// brought in as a block of that name through the database's insert (deep
// clone into the drawing, with its notifications). Then insertion point,
// scale and rotation are asked for, as the host asks them.
#include <sys/stat.h>

#include "adscodes.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "edcmds.h"
#include "hostsim/dbapi.h"
#include "hostsim/dxffile.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace hs {
namespace {

bool isFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFREG;
}

std::string stem(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

AcDbObjectId findBlock(AcDbDatabase* pDb, const std::string& name) {
    AcDbObjectId id;
    AcDbBlockTable* pTable = nullptr;
    if (pDb->getSymbolTable(pTable, AcDb::kForRead) != Acad::eOk)
        return id;
    if (pTable->getAt(fromUtf8(name).c_str(), id) != Acad::eOk)
        id = AcDbObjectId::kNull;
    pTable->close();
    return id;
}

// Brings a drawing file in as a block; null when it cannot.
AcDbObjectId insertFile(AcDbDatabase* pDb, const std::string& blockName, const std::string& path) {
    AcDbDatabase* pSrc = nullptr;
    DxfResult res = readDxfFile(path, pSrc);
    if (!res.ok || pSrc == nullptr) {
        edPrint("Cannot read " + path + ": " + res.message + "\n");
        delete pSrc;
        return AcDbObjectId::kNull;
    }
    AcDbObjectId blockId;
    Acad::ErrorStatus es = pDb->insert(blockId, fromUtf8(blockName).c_str(), pSrc);
    forgetNames(pSrc);
    delete pSrc;
    if (es != Acad::eOk) {
        edPrint("Cannot insert " + path + ": " + toUtf8(acadErrorStatusText(es)) + "\n");
        return AcDbObjectId::kNull;
    }
    return blockId;
}

void insertCommand() {
    std::string answer;
    if (requestString("Enter block name or [?]: ", true, answer) != RTNORM || answer.empty())
        return;
    AcDbDatabase* pDb = Session::get().database();
    std::string name = answer, file;
    size_t eq = answer.find('=');
    if (eq != std::string::npos) {
        name = answer.substr(0, eq);
        file = answer.substr(eq + 1);
    }
    AcDbObjectId blockId;
    if (file.empty())
        blockId = findBlock(pDb, name);
    if (blockId.isNull()) {
        if (file.empty())
            file = isFile(name) ? name : name + ".dxf";
        if (!isFile(file)) {
            edPrint("\"" + name + "\" not found.\n");
            return;
        }
        if (eq == std::string::npos)
            name = stem(file);
        if (!findBlock(pDb, name).isNull()) {
            edPrint("Block " + name + " already exists.\n");
            return;
        }
        blockId = insertFile(pDb, name, file);
        if (blockId.isNull())
            return;
    }

    Request rq;
    rq.prompt = "Specify insertion point: ";
    rq.flags = RSG_NONULL;
    AcGePoint3d at;
    std::string kw;
    if (requestPoint(rq, at, kw) != RTNORM)
        return;
    Request sx;
    sx.prompt = "Enter X scale factor <1>: ";
    sx.flags = RSG_NOZERO;
    double x = 1;
    int st = requestReal(sx, x, kw);
    if (st == RTCAN)
        return;
    if (st != RTNORM)
        x = 1;
    Request sy;
    sy.prompt = "Enter Y scale factor <use X scale factor>: ";
    sy.flags = RSG_NOZERO;
    double y = x;
    st = requestReal(sy, y, kw);
    if (st == RTCAN)
        return;
    if (st != RTNORM)
        y = x;
    Request ra;
    ra.prompt = "Specify rotation angle <0>: ";
    ra.base = &at;
    double angle = 0;
    st = requestAngle(ra, angle, kw);
    if (st == RTCAN)
        return;
    if (st != RTNORM)
        angle = 0;

    AcDbBlockReference* pRef = new AcDbBlockReference(ucsToWcs(at), blockId);
    pRef->setScaleFactors(AcGeScale3d(x, y, x));
    pRef->setRotation(angle);
    appendToCurrentSpace(pRef);
}

}  // namespace

void registerInsertCommand() {
    addBuiltinCommand("-INSERT", insertCommand);
}

}  // namespace hs

// SAVE and SAVEAS: write the drawing as a DXF file. Editor reactors hear
// beginSave first, then saveComplete or abortSave.
#include <string>

#include "aced.h"
#include "dxf/drawing_data.h"
#include "dxf/kept_entity.h"
#include "hostsim/builtins.h"
#include "hostsim/dxffile.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace hs {

namespace {

// Asks for a file name; an empty answer takes the default. False on cancel
// or when there is no name at all.
bool askFileName(const std::string& current, std::string& name) {
    std::string prompt = "Save drawing as";
    if (!current.empty())
        prompt += " <" + current + ">";
    Input in = Session::get().readInput(prompt + ": ");
    if (in.kind == Input::kText && !in.text.empty()) {
        name = in.text;
        if (name.size() < 4 || !equalsNoCase(name.substr(name.size() - 4), ".dxf"))
            name += ".dxf";
        return true;
    }
    if (in.kind == Input::kEnter && !current.empty()) {
        name = current;
        return true;
    }
    Session::get().print("*Cancel*\n");
    return false;
}

void saveTo(const std::string& path) {
    Session& s = Session::get();
    AcDbDatabase* pDb = s.database();
    tstring wide = fromUtf8(path);
    s.notifyEditorReactors([&](AcEditorReactor* r) { r->beginSave(pDb, wide.c_str()); });
    DxfResult result = writeDxfFile(path, pDb);
    if (!result.ok) {
        s.notifyEditorReactors([&](AcEditorReactor* r) { r->abortSave(pDb); });
        s.print("Error: " + result.message + "\n");
        s.failCurrentCommand();
        return;
    }
    if (dxf::DrawingData* pData = dxf::drawingData(pDb, true))
        pData->fileName = path;
    s.notifyEditorReactors([&](AcEditorReactor* r) { r->saveComplete(pDb, wide.c_str()); });
    s.print("Drawing saved as " + path + ".\n");
}

std::string currentFileName() {
    dxf::DrawingData* pData = dxf::drawingData(Session::get().database(), false);
    return pData != nullptr ? pData->fileName : std::string();
}

void cmdSave() {
    std::string path = currentFileName();
    if (path.empty() && !askFileName(path, path))
        return;
    saveTo(path);
}

void cmdSaveAs() {
    std::string path;
    if (!askFileName(currentFileName(), path))
        return;
    saveTo(path);
}

}  // namespace

void registerFileCommands() {
    dxf::registerKeptEntityClass();
    addBuiltinCommand("SAVE", cmdSave);
    addBuiltinCommand("SAVEAS", cmdSaveAs);
}

}  // namespace hs

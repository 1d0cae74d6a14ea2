// The run-time class registry and the dynamic linker of the stand-in host.
#pragma once
#include <string>
#include <vector>

#include "core/session_imp.h"
#include "rxdlinkr.h"

namespace hs {

void startRx(Session::Imp& imp);
void startLinker(Session::Imp& imp);
void linkerNotifyAll(Session::Imp& imp, int message);
void linkerUnloadAll(Session::Imp& imp);

// One loaded module.
struct LoadedModule {
    std::string path;  // as found on disk
    std::string name;  // file name
    void* handle = nullptr;
    const void* base = nullptr;  // load address (to find what the module left behind)
    bool locked = true;
    bool mdiAware = false;
    AcRx::AppRetCode (*entry)(AcRx::AppMsgCode, void*) = nullptr;
};

// The modules, in load order (for the ARX listing and tests).
std::vector<const LoadedModule*> loadedModules();
// Loads or unloads a module as the ARX command does; prints what happens.
bool loadModuleFile(const std::string& file);
bool unloadModuleFile(const std::string& file);
// The folder of the hostsim executable (modules named without a folder are
// also looked for there).
std::string executableDir();
// Which loaded module holds this address (function or vtable), or null.
const LoadedModule* moduleOfAddress(const void* address);

}  // namespace hs

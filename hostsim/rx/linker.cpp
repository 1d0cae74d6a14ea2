// The dynamic linker ("DynamicLinker"): loads a module file, checks the
// interface release it was built for, sends it its messages, keeps it locked
// unless it unlocks itself, and on unload checks that it took back what it
// registered.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "aced.h"
#include "core/os.h"
#include "core/session_imp.h"
#include "db/proxy.h"
#include "ed/edimp.h"
#include "hostsim/session.h"
#include "hostsim/text.h"
#include "rx/rximp.h"
#include "win/shell.h"

namespace hs {

std::vector<AcRxClass*> registeredClasses();

namespace {

// The release this host implements, in the form acrxGetApiVersion returns.
constexpr unsigned long kHostApiVersion = static_cast<unsigned long>(IRONVEIL_RELEASE) << 16;

}  // namespace

class Linker : public AcRxDynamicLinker {
public:
    bool unlockApplication(void* appId) const override {
        LoadedModule* m = byAppId(appId);
        if (m == nullptr)
            return false;
        m->locked = false;
        return true;
    }
    bool lockApplication(void* appId) const override {
        LoadedModule* m = byAppId(appId);
        if (m == nullptr)
            return false;
        m->locked = true;
        return true;
    }
    bool isApplicationLocked(const ACHAR* modulename) const override {
        LoadedModule* m = byName(toUtf8(modulename));
        return m != nullptr && m->locked;
    }
    bool registerAppMDIAware(void* appId) const override {
        LoadedModule* m = byAppId(appId);
        if (m == nullptr)
            return false;
        m->mdiAware = true;
        return true;
    }
    bool registerAppNotMDIAware(void* appId) const override {
        LoadedModule* m = byAppId(appId);
        if (m == nullptr)
            return false;
        m->mdiAware = false;
        return true;
    }
    bool loadModule(const ACHAR* fileName, bool printit, bool = false) override {
        return load(toUtf8(fileName), printit);
    }
    bool unloadModule(const ACHAR* fileName, bool = false) override { return unload(toUtf8(fileName), true); }

    bool load(const std::string& file, bool printit);
    bool unload(const std::string& file, bool honourLock);
    void send(LoadedModule& m, AcRx::AppMsgCode msg);
    void notifyAll(int message) {
        for (auto& m : std::vector<LoadedModule*>(raw()))
            send(*m, static_cast<AcRx::AppMsgCode>(message));
    }
    void unloadAll() {
        while (!m_modules.empty())
            unload(m_modules.back()->path, false);
    }
    std::vector<LoadedModule*> raw() const {
        std::vector<LoadedModule*> out;
        for (const auto& m : m_modules)
            out.push_back(m.get());
        return out;
    }
    LoadedModule* byAppId(void* appId) const {
        for (const auto& m : m_modules)
            if (m.get() == appId)
                return m.get();
        return nullptr;
    }
    LoadedModule* byName(const std::string& file) const {
        for (const auto& m : m_modules)
            if (m->path == file || equalsNoCase(m->name, os::baseName(file)))
                return m.get();
        return nullptr;
    }

private:
    std::string resolve(const std::string& file) const;
    void reportLeftovers(LoadedModule& m);
    std::vector<std::unique_ptr<LoadedModule>> m_modules;
};

namespace {
Linker* g_linker(Session::Imp& imp) {
    return static_cast<Linker*>(imp.linker);
}

}  // namespace

std::string Linker::resolve(const std::string& file) const {
    if (os::hasFolder(file))
        return file;
    // A bare name is looked for by the system's loader on its own search
    // path, never in the current folder: name the file found there as such.
    if (os::fileExists(file))
        return "./" + file;
    std::string beside = executableDir() + "/" + file;
    return os::fileExists(beside) ? beside : file;
}

void Linker::send(LoadedModule& m, AcRx::AppMsgCode msg) {
    Session::Imp& imp = Session::get().imp();
    tstring previous = imp.currentApp;
    imp.currentApp = fromUtf8(m.path);
    m.entry(msg, &m);
    imp.currentApp = previous;
}

bool Linker::load(const std::string& file, bool printit) {
    Session& session = Session::get();
    std::string path = resolve(file);
    if (byName(path) != nullptr) {
        session.print(os::baseName(path) + " is already loaded.\n");
        return false;
    }
    std::string error;
    void* handle = os::openLibrary(path, error);
    if (handle == nullptr) {
        session.print("Cannot load " + file + ": " + error + "\n");
        return false;
    }
    auto version = reinterpret_cast<unsigned long (*)()>(os::findSymbol(handle, "acrxGetApiVersion"));
    auto entry = reinterpret_cast<AcRx::AppRetCode (*)(AcRx::AppMsgCode, void*)>(
        os::findSymbol(handle, "acrxEntryPoint"));
    if (version == nullptr || entry == nullptr) {
        session.print("Cannot load " + os::baseName(path) + ": it does not export " +
                      (version == nullptr ? "acrxGetApiVersion" : "acrxEntryPoint") + ".\n");
        os::closeLibrary(handle);
        return false;
    }
    // Only the low 32 bits carry the release; the module may return a 32-bit type.
    unsigned long got = version() & 0xFFFFFFFFul;
    if (got != kHostApiVersion) {
        session.print("Cannot load " + os::baseName(path) + ": it was built for host release " +
                      std::to_string(got >> 16) + ", this host is release " +
                      std::to_string(IRONVEIL_RELEASE) + ".\n");
        os::closeLibrary(handle);
        return false;
    }
    // Its shell and registry calls go through hostsim (transcript, faults).
    interceptShell(handle);
    interceptRegistry(handle);
    auto m = std::make_unique<LoadedModule>();
    m->path = path;
    m->name = os::baseName(path);
    m->handle = handle;
    m->entry = entry;
    m->base = os::imageOf(reinterpret_cast<const void*>(entry));
    LoadedModule& ref = *m;
    m_modules.push_back(std::move(m));

    Session::Imp& imp = session.imp();
    tstring previous = imp.currentApp;
    imp.currentApp = fromUtf8(path);
    AcRx::AppRetCode rc = entry(AcRx::kInitAppMsg, &ref);
    imp.currentApp = previous;
    if (rc == AcRx::kRetError) {
        session.print(ref.name + " refused to load.\n");
        reportLeftovers(ref);
        m_modules.pop_back();
        os::closeLibrary(handle);
        return false;
    }
    // Proxies of the classes the module registered become its objects again.
    resurrectProxies();
    if (imp.database != nullptr)
        send(ref, AcRx::kLoadDwgMsg);
    if (printit)
        session.print(ref.name + " loaded.\n");
    return true;
}

bool Linker::unload(const std::string& file, bool honourLock) {
    Session& session = Session::get();
    LoadedModule* m = byName(file);
    if (m == nullptr) {
        session.print(file + " is not loaded.\n");
        return false;
    }
    if (honourLock && m->locked) {
        session.print(m->name + " is locked and cannot be unloaded.\n");
        return false;
    }
    AcRx::AppRetCode rc = AcRx::kRetOK;
    int proxiesBefore = proxyCount(session.imp().database) + proxyObjectCount(session.imp().database);
    {
        Session::Imp& imp = session.imp();
        tstring previous = imp.currentApp;
        imp.currentApp = fromUtf8(m->path);
        rc = m->entry(AcRx::kUnloadAppMsg, m);
        imp.currentApp = previous;
    }
    if (rc == AcRx::kRetError && honourLock) {
        session.print(m->name + " refused to unload.\n");
        return false;
    }
    reportLeftovers(*m);
    std::string name = m->name;
    void* handle = m->handle;
    m_modules.erase(std::find_if(m_modules.begin(), m_modules.end(),
                                 [m](const std::unique_ptr<LoadedModule>& p) { return p.get() == m; }));
    os::closeLibrary(handle);
    if (honourLock)
        session.print(name + " unloaded.\n");
    // Unloading from a command tells of the proxies it made.
    if (honourLock &&
        proxyCount(session.imp().database) + proxyObjectCount(session.imp().database) > proxiesBefore)
        printProxyNotice(session.imp().database);
    return true;
}

// Whatever a module leaves registered when it goes would point into freed
// code: it is reported as a host fault and taken away.
void Linker::reportLeftovers(LoadedModule& m) {
    Session& session = Session::get();
    if (m.base == nullptr)
        return;
    for (const std::string& name : commandStack().removeCommandsOfImage(m.base))
        session.fault(m.name + " left the command " + name + " registered when it was unloaded");
    for (AcRxClass* cls : registeredClasses()) {
        const void* ctor = reinterpret_cast<const void*>(cls->hsConstructor());
        if (ctor != nullptr && os::imageOf(ctor) == m.base) {
            session.fault(m.name + " left the class " + toUtf8(cls->name()) +
                          " registered when it was unloaded");
            deleteAcRxClass(cls);
        }
    }
    Editor& ed = editor();
    for (AcRxEventReactor* r : std::vector<AcRxEventReactor*>(ed.reactors())) {
        const void* vtable = *reinterpret_cast<void**>(r);
        if (os::imageOf(vtable) == m.base) {
            session.fault(m.name + " left an editor reactor attached when it was unloaded");
            ed.removeReactor(r);
        }
    }
}

void startLinker(Session::Imp& imp) {
    imp.linker = new Linker();
    imp.sysRegistry->atPut(ACRX_DYNAMIC_LINKER, imp.linker);
}

void linkerNotifyAll(Session::Imp& imp, int message) {
    g_linker(imp)->notifyAll(message);
}
void linkerUnloadAll(Session::Imp& imp) {
    g_linker(imp)->unloadAll();
}

std::vector<const LoadedModule*> loadedModules() {
    std::vector<const LoadedModule*> out;
    for (LoadedModule* m : g_linker(Session::get().imp())->raw())
        out.push_back(m);
    return out;
}

bool loadModuleFile(const std::string& file) {
    return g_linker(Session::get().imp())->load(file, true);
}
bool unloadModuleFile(const std::string& file) {
    return g_linker(Session::get().imp())->unload(file, true);
}

std::string executableDir() {
    return os::executableDir();
}

const LoadedModule* moduleOfAddress(const void* address) {
    const void* image = os::imageOf(address);
    if (image == nullptr)
        return nullptr;
    for (LoadedModule* m : g_linker(Session::get().imp())->raw())
        if (m->base == image)
            return m;
    return nullptr;
}

}  // namespace hs

// ---- application services ------------------------------------------------------------------------------

bool acrxUnlockApplication(void* appId) {
    return acrxDynamicLinker->unlockApplication(appId);
}
bool acrxLockApplication(void* appId) {
    return acrxDynamicLinker->lockApplication(appId);
}
bool acrxApplicationIsLocked(const ACHAR* modulename) {
    return acrxDynamicLinker->isApplicationLocked(modulename);
}
bool acrxRegisterAppMDIAware(void* appId) {
    return acrxDynamicLinker->registerAppMDIAware(appId);
}
bool acrxRegisterAppNotMDIAware(void* appId) {
    return acrxDynamicLinker->registerAppNotMDIAware(appId);
}

extern "C" ACHAR* acedGetAppName() {
    // The module whose message is being sent; the buffer stays valid until
    // the next message.
    return const_cast<ACHAR*>(hs::Session::get().imp().currentApp.c_str());
}

// hostsim: the stand-in host as a program.
//
//   hostsim [--load MODULE]... [--no-load] [--script FILE|-] [--registry FILE]
//           [--save OUT.dxf] [--svg OUT.svg] [--open-urls] [--keep-going] [DRAWING.dxf]
//   hostsim --batch OUTDIR --script FILE [-j N] DRAWING.dxf...
//
// Without --load (and without --no-load) it loads the module built beside it.
// Exit statuses are listed in app/options.h and by --help. Prompts, answers
// and messages are the transcript on standard output; hostsim's own errors
// go to standard error.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/options.h"
#include "core/os.h"
#include "core/session_imp.h"
#include "core/terminal.h"
#include "dbmain.h"
#include "hostsim/dbapi.h"
#include "hostsim/dxffile.h"
#include "hostsim/picture.h"
#include "hostsim/registry.h"
#include "hostsim/release.h"
#include "hostsim/session.h"
#include "rx/rximp.h"

namespace {

using hsapp::printable;

void error(const std::string& text) {
    std::fflush(stdout);
    std::string line = "hostsim: " + printable(text) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

#if !defined(_WIN32)
std::string defaultRegistryPath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg != nullptr && *xdg != 0) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home ? home : ".") + "/.config";
    }
    return base + "/hostsim/registry.reg";
}
#endif

// The module built beside hostsim, named as the system names files.
std::string defaultModule() {
#if defined(_WIN32)
    const char* separator = "\\";
#else
    const char* separator = "/";
#endif
#if IRONVEIL_RELEASE == 16
    return hs::executableDir() + separator + "Ironveil.arx";
#else
    return hs::executableDir() + separator + "Ironveil.dll";
#endif
}

bool readScript(const std::string& name, std::string& text, std::string& why) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::u8path(name);
    if (std::filesystem::is_directory(p, ec)) {
        why = "is a folder";
        return false;
    }
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        why = std::filesystem::exists(p, ec) ? "cannot be read" : "does not exist";
        return false;
    }
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return true;
}

// Writes an output file beside its place and renames it there, so neither a
// failure nor a termination signal leaves half a file under the asked name.
template <class Write>
bool writeWhole(const std::string& path, Write write, std::string& why) {
    std::string tmp = path + ".hostsim-part";
    hs::os::setPartialFile(tmp);
    bool ok = write(tmp, why);
    std::error_code ec;
    if (ok) {
        std::filesystem::rename(std::filesystem::u8path(tmp), std::filesystem::u8path(path), ec);
        if (ec) {
            why = "cannot replace the file: " + ec.message();
            ok = false;
        }
    }
    if (!ok)
        std::filesystem::remove(std::filesystem::u8path(tmp), ec);
    hs::os::setPartialFile(std::string());
    return ok;
}

// Entities of classes that no host part defines (the module's): the count
// --batch reports as watermarks made.
long customEntities(AcDbDatabase* pDb) {
    long n = 0;
    for (AcDbObjectId space : {hs::modelSpaceId(pDb), hs::paperSpaceId(pDb)})
        for (AcDbObjectId id : hs::entitiesOf(space))
            if (hs::className(id).compare(0, 4, "AcDb") != 0)
                ++n;
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    hsapp::Options o;
    std::string why;
    bool done = false;
    if (!hsapp::parseOptions(argc, argv, o, why, done)) {
        error(why + "\nTry 'hostsim --help' for the options.");
        return hsapp::kExitBadInput;
    }
    if (done)
        return hsapp::kExitOk;
    if (o.haveBatch)
        return hsapp::runBatch(argv[0], o);

    // The transcript is the same bytes on every system (no CR added on Windows).
    hs::os::binaryStdout();
    hs::os::installSignalHandlers();
    hs::Session& session = hs::Session::get();
    session.imp().openUrls = o.openUrls;

    // Windows has a registry of its own: without --registry hostsim uses the
    // user's. Elsewhere the registry is a file, by default in the user's
    // configuration folder.
    std::string message;
    std::string registryPath = o.registry;
#if !defined(_WIN32)
    if (registryPath.empty())
        registryPath = defaultRegistryPath();
#endif
    if (!registryPath.empty() && !session.registry().open(registryPath, message))
        error(message);

    if (o.script == "-") {
        std::ostringstream text;
        text << std::cin.rdbuf();
        session.setScriptText(text.str());
    } else if (o.haveScript) {
        std::string text;
        if (!readScript(o.script, text, why)) {
            error("the script " + o.script + " " + why);
            return hsapp::kExitBadInput;
        }
        session.setScriptText(text);
    } else {
        session.setInteractive(hs::os::stdinIsTerminal());
    }

    // Modules load before the drawing is read, so that its custom entities
    // (watermarks) find their classes.
    if (o.modules.empty() && !o.noLoad)
        o.modules.push_back(defaultModule());
    // A module that cannot be loaded is reported by the host's message in
    // the transcript; the run goes on (as the host's does) but fails.
    std::vector<std::string> notLoaded;
    for (const std::string& m : o.modules)
        if (!hs::loadModuleFile(m))
            notLoaded.push_back(m);

    std::string drawing = o.drawings.empty() ? std::string() : o.drawings[0];
    if (!drawing.empty()) {
        AcDbDatabase* pDb = nullptr;
        hs::DxfResult r = hs::readDxfFile(drawing, pDb);
        if (!r.ok || pDb == nullptr) {
            error("cannot open " + drawing + ": " + r.message);
            return hsapp::kExitBadInput;
        }
        for (const std::string& w : r.warnings)
            error(drawing + ": " + w);
        session.setDatabase(pDb);
    }
    long customBefore = customEntities(session.database());

    session.commandLoop();
    std::fflush(stdout);

    bool notWritten = false;
    if (!o.save.empty()) {
        // Written whole: see writeDxfFile.
        hs::DxfResult r = hs::writeDxfFile(o.save, session.database());
        if (!r.ok) {
            error("cannot save " + r.message);
            notWritten = true;
        }
    }
    if (!o.svg.empty()) {
        bool ok = writeWhole(
            o.svg,
            [&](const std::string& tmp, std::string& w) { return hs::writeSvg(session.database(), tmp, &w); },
            why);
        if (!ok) {
            error("cannot draw " + o.svg + ": " + why);
            notWritten = true;
        }
    }
    if (!o.reportFile.empty()) {
        std::ofstream report(std::filesystem::u8path(o.reportFile), std::ios::binary);
        report << (customEntities(session.database()) - customBefore) << "\n";
    }
    session.shutdown();
    session.registry().flush();
    if (!session.registry().writeError().empty()) {
        error("the registry file was not written: " + session.registry().writeError());
        notWritten = true;
    }
    std::fflush(stdout);
    const std::vector<std::string>& problems = session.scriptProblems();
    std::string scriptName = o.script == "-" ? std::string("standard input") : o.script;
    for (const std::string& p : problems)
        error(scriptName + ": " + p);
    if (session.faultCount() > 0) {
        error(std::to_string(session.faultCount()) + " host fault(s).");
        return hsapp::kExitHostFault;
    }
    if (notWritten)
        return hsapp::kExitNotWritten;
    for (const std::string& m : notLoaded)
        error("the module " + m + " was not loaded");
    if (!notLoaded.empty())
        return hsapp::kExitBadInput;
    if (!problems.empty() && !o.keepGoing)
        return hsapp::kExitScript;
    return hsapp::kExitOk;
}

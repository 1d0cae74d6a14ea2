// hostsim: the stand-in host as a program.
//
//   hostsim [--load MODULE]... [--no-load] [--script FILE|-] [--registry FILE]
//           [--save OUT.dxf] [--svg OUT.svg] [--open-urls] [DRAWING.dxf]
//
// Without --load (and without --no-load) it loads the module built beside it.
// The exit status is 0 when the input ran to its end without host faults,
// 1 after host faults, 2 for bad arguments or files, 3 after a fatal error.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/os.h"
#include "core/session_imp.h"
#include "dbmain.h"
#include "hostsim/dxffile.h"
#include "hostsim/picture.h"
#include "hostsim/registry.h"
#include "hostsim/release.h"
#include "hostsim/session.h"
#include "rx/rximp.h"

namespace {

const char* const kUsage =
    "usage: hostsim [--load MODULE]... [--no-load] [--script FILE|-] [--registry FILE]\n"
    "               [--save OUT.dxf] [--svg OUT.svg] [--open-urls] [DRAWING.dxf]\n";

struct Options {
    std::vector<std::string> modules;
    bool noLoad = false;
    std::string script;
    std::string registry;
    std::string save;
    std::string svg;
    bool openUrls = false;
    std::string drawing;
};

bool parseArgs(int argc, char** argv, Options& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = a + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--load") {
            if (!value(v))
                return false;
            o.modules.push_back(v);
        } else if (a == "--no-load") {
            o.noLoad = true;
        } else if (a == "--script") {
            if (!value(o.script))
                return false;
        } else if (a == "--registry") {
            if (!value(o.registry))
                return false;
        } else if (a == "--save") {
            if (!value(o.save))
                return false;
        } else if (a == "--svg") {
            if (!value(o.svg))
                return false;
        } else if (a == "--open-urls") {
            o.openUrls = true;
        } else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            error = "unknown option " + a;
            return false;
        } else if (o.drawing.empty()) {
            o.drawing = a;
        } else {
            error = "only one drawing can be opened";
            return false;
        }
    }
    return true;
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

}  // namespace

int main(int argc, char** argv) {
    Options o;
    std::string error;
    if (!parseArgs(argc, argv, o, error)) {
        std::fprintf(stderr, "hostsim: %s\n%s", error.c_str(), kUsage);
        return 2;
    }

    // The transcript is the same bytes on every system (no CR added on Windows).
    hs::os::binaryStdout();
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
        session.print("hostsim: " + message + "\n");

    if (o.script == "-") {
        std::ostringstream text;
        text << std::cin.rdbuf();
        session.setScriptText(text.str());
    } else if (!o.script.empty()) {
        std::ifstream in(o.script, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "hostsim: cannot read the script %s\n", o.script.c_str());
            return 2;
        }
        std::ostringstream text;
        text << in.rdbuf();
        session.setScriptText(text.str());
    } else {
        session.setInteractive(hs::os::stdinIsTerminal());
    }

    // Modules load before the drawing is read, so that its custom entities
    // (watermarks) find their classes.
    if (o.modules.empty() && !o.noLoad)
        o.modules.push_back(defaultModule());
    for (const std::string& m : o.modules)
        hs::loadModuleFile(m);

    if (!o.drawing.empty()) {
        AcDbDatabase* pDb = nullptr;
        hs::DxfResult r = hs::readDxfFile(o.drawing, pDb);
        if (!r.ok || pDb == nullptr) {
            session.print("hostsim: cannot open " + o.drawing + ": " + r.message + "\n");
            return 2;
        }
        for (const std::string& w : r.warnings)
            session.print("hostsim: " + o.drawing + ": " + w + "\n");
        session.setDatabase(pDb);
    }

    session.commandLoop();

    int status = 0;
    if (!o.save.empty()) {
        hs::DxfResult r = hs::writeDxfFile(o.save, session.database());
        if (!r.ok) {
            session.print("hostsim: cannot save " + o.save + ": " + r.message + "\n");
            status = 2;
        }
    }
    if (!o.svg.empty()) {
        std::string svgError;
        if (!hs::writeSvg(session.database(), o.svg, &svgError)) {
            session.print("hostsim: cannot draw " + o.svg + ": " + svgError + "\n");
            status = 2;
        }
    }
    session.shutdown();
    session.registry().flush();
    if (session.faultCount() > 0) {
        session.print("hostsim: " + std::to_string(session.faultCount()) + " host fault(s).\n");
        std::fflush(stdout);
        return 1;
    }
    std::fflush(stdout);
    return status;
}

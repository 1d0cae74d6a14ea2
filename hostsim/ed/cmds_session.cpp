// Session commands: ARX (load, unload, list modules and their commands),
// SETVAR, HSFAULT (arm a fault from a script) and QUIT.
#include <cstdlib>
#include <string>

#include "aced.h"
#include "acedads.h"
#include "acutads.h"
#include "adscodes.h"
#include "dbmain.h"
#include "ed/edimp.h"
#include "hostsim/builtins.h"
#include "hostsim/faults.h"
#include "hostsim/selection.h"
#include "hostsim/session.h"
#include "hostsim/text.h"
#include "rx/rximp.h"

namespace hs {

namespace {

Session& S() {
    return Session::get();
}

// Asks for a text answer; false when there is none (Enter, ^C, end).
bool askText(const std::string& prompt, std::string& answer, bool wholeLine = false) {
    Input in = S().readInput(prompt, wholeLine);
    if (in.kind != Input::kText)
        return false;
    answer = in.text;
    return true;
}

void listModules() {
    std::vector<const LoadedModule*> modules = loadedModules();
    if (modules.empty()) {
        S().print("No modules loaded.\n");
        return;
    }
    for (const LoadedModule* m : modules) {
        S().print("Module " + m->name + (m->locked ? " (locked)" : "") + "\n");
        CommandStack& stack = commandStack();
        for (const std::string& group : stack.groups()) {
            std::vector<const CommandRecord*> commands = stack.commandsOf(group);
            if (commands.empty() ||
                moduleOfAddress(reinterpret_cast<const void*>(commands[0]->functionAddr())) != m)
                continue;
            S().print("  Group " + group + ":\n");
            for (const CommandRecord* c : commands)
                S().print("    " + toUtf8(c->globalName()) + " (" + toUtf8(c->localName()) + ")" +
                          ((c->commandFlags() & ACRX_CMD_TRANSPARENT) ? " transparent" : "") + "\n");
        }
    }
}

void cmdArx() {
    std::string option;
    if (!askText("Enter an option [?/Load/Unload]: ", option))
        return;
    // "L file" on one line gives the option and its file together.
    std::string file;
    size_t space = option.find(' ');
    if (space != std::string::npos) {
        file = option.substr(option.find_first_not_of(' ', space));
        option = option.substr(0, space);
    }
    std::string o = upper(option);
    if (o == "?") {
        listModules();
    } else if (o == "L" || o == "LOAD") {
        if (!file.empty() || askText("Module file to load: ", file))
            loadModuleFile(file);
    } else if (o == "U" || o == "UNLOAD") {
        if (!file.empty() || askText("Module to unload: ", file))
            unloadModuleFile(file);
    } else {
        S().refuseAnswer("Invalid option keyword.");
    }
}

void cmdSetvar() {
    std::string name;
    if (!askText("Enter variable name: ", name))
        return;
    std::string n = upper(name);
    // A drawing variable lives in the drawing, not in the session.
    bool drawingVar = n == "PROXYGRAPHICS";
    int current = S().getVar(n, 0);
    if (drawingVar) {
        resbuf rb;
        if (acedGetVar(fromUtf8(n).c_str(), &rb) == RTNORM && rb.restype == RTSHORT)
            current = rb.resval.rint;
    }
    std::string value;
    // The current properties of new entities and the current layer are
    // texts and numbers the editor checks (acedSetVar).
    if (n == "CLAYER" || n == "CECOLOR" || n == "CELTYPE" || n == "CELTSCALE" || n == "CELWEIGHT") {
        tstring tname = fromUtf8(n);
        resbuf cur;
        std::string shown;
        if (acedGetVar(tname.c_str(), &cur) == RTNORM) {
            if (cur.restype == RTSTR) {
                shown = toUtf8(cur.resval.rstring);
                acdbFree(cur.resval.rstring);
            } else if (cur.restype == RTREAL) {
                shown = formatReal(cur.resval.rreal);
            } else {
                shown = std::to_string(cur.resval.rint);
            }
        }
        if (!askText("Enter new value for " + n + " <" + shown + ">: ", value))
            return;
        resbuf rb;
        tstring text = fromUtf8(value);
        char* end = nullptr;
        if (n == "CELTSCALE") {
            rb.restype = RTREAL;
            rb.resval.rreal = std::strtod(value.c_str(), &end);
        } else if (n == "CELWEIGHT") {
            rb.restype = RTSHORT;
            rb.resval.rint = static_cast<short>(std::strtol(value.c_str(), &end, 10));
        } else {
            rb.restype = RTSTR;
            rb.resval.rstring = &text[0];
        }
        if ((end != nullptr && (end == value.c_str() || *end != 0)) ||
            acedSetVar(tname.c_str(), &rb) != RTNORM)
            S().print("Invalid value for " + n + ".\n");
        return;
    }
    if (!askText("Enter new value for " + n + " <" + std::to_string(current) + ">: ", value))
        return;
    char* end = nullptr;
    long v = std::strtol(value.c_str(), &end, 10);
    if (end == value.c_str() || *end != 0) {
        S().refuseAnswer("Requires an integer value.");
        return;
    }
    if (drawingVar) {
        resbuf rb;
        rb.restype = RTSHORT;
        rb.resval.rint = static_cast<short>(v);
        if (acedSetVar(fromUtf8(n).c_str(), &rb) != RTNORM)
            S().print("Value must be 0 or 1.\n");
        return;
    }
    S().setVar(n, static_cast<int>(v));
}

// HSFAULT <site> <status> [skip [times]] on one line, or asked for piece by
// piece. The status is a name (eInvalidInput) or a number.
void cmdHsfault() {
    std::string line;
    if (!askText("Fault site and status [site status [skip [times]]], or CLEAR: ", line, /*wholeLine=*/true))
        return;
    if (upper(line) == "CLEAR") {
        clearFaults();
        return;
    }
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos < line.size()) {
        size_t b = line.find_first_not_of(" \t", pos);
        if (b == std::string::npos)
            break;
        size_t e = line.find_first_of(" \t", b);
        parts.push_back(line.substr(b, e == std::string::npos ? std::string::npos : e - b));
        pos = e == std::string::npos ? line.size() : e;
    }
    if (parts.size() < 2) {
        S().print("HSFAULT needs a site and a status.\n");
        return;
    }
    int status = -1;
    char* end = nullptr;
    long n = std::strtol(parts[1].c_str(), &end, 10);
    if (end != parts[1].c_str() && *end == 0) {
        status = static_cast<int>(n);
    } else {
        for (int s = 1; s < 1000 && status < 0; ++s)
            if (toUtf8(acadErrorStatusText(static_cast<Acad::ErrorStatus>(s))) == parts[1])
                status = s;
    }
    if (status < 0) {
        S().print("Unknown status " + parts[1] + ".\n");
        return;
    }
    int skip = parts.size() > 2 ? std::atoi(parts[2].c_str()) : 0;
    int times = parts.size() > 3 ? std::atoi(parts[3].c_str()) : 1;
    armFault(parts[0], static_cast<Acad::ErrorStatus>(status), skip, times);
}

// HSNOTIFY <message>: sends every loaded module a message, as the host does
// on its events (3 when a drawing is opened, 4 when it is closed, ...).
void cmdHsnotify() {
    std::string answer;
    if (!askText("Message number to send to every module: ", answer))
        return;
    char* end = nullptr;
    long n = std::strtol(answer.c_str(), &end, 10);
    if (end == answer.c_str() || *end != 0 || n == 1 || n == 2 || n < 0) {
        S().print("Give a message number other than 1 and 2.\n");
        return;
    }
    S().notifyModules(static_cast<int>(n));
}

void cmdQuit() {
    S().requestQuit();
}

}  // namespace

void addBuiltinCommand(const char* globalName, void (*fn)(), int flags) {
    tstring name = fromUtf8(globalName);
    acedRegCmds->addCommand(ACRX_T("ACAD"), name.c_str(), name.c_str(), flags, fn);
}

void registerHelpCommands();  // cmd_help.cpp

void registerSessionCommands() {
    registerHelpCommands();
    addBuiltinCommand("ARX", cmdArx);
    addBuiltinCommand("SETVAR", cmdSetvar, ACRX_CMD_TRANSPARENT);
    addBuiltinCommand("HSFAULT", cmdHsfault);
    addBuiltinCommand("HSNOTIFY", cmdHsnotify);
    addBuiltinCommand("QUIT", cmdQuit);
}

}  // namespace hs

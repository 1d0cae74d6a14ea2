// HELP and ?: the commands hostsim knows, one line each: the host's own
// commands with what they do, then those that loaded modules registered,
// by group.
#include <map>
#include <string>

#include "aced.h"
#include "ed/edimp.h"
#include "hostsim/builtins.h"
#include "hostsim/session.h"
#include "hostsim/text.h"
#include "rx/rximp.h"

namespace hs {

namespace {

const std::map<std::string, const char*>& builtinDescriptions() {
    static const std::map<std::string, const char*> s_text = {
        {"-ARRAY", "copies objects in rows and columns"},
        {"-LAYER", "makes, sets, colours, locks and unlocks layers"},
        {"-WBLOCK", "writes a block or the whole drawing to a DXF file"},
        {"ARC", "draws an arc through three points"},
        {"ARX", "loads, unloads and lists modules (? / Load / Unload)"},
        {"CHPROP", "changes colour, layer, linetype, linetype scale or lineweight"},
        {"CIRCLE", "draws a circle from its centre and radius"},
        {"COPY", "copies objects by a displacement"},
        {"DRAWORDER", "moves objects above or under others"},
        {"ERASE", "erases objects"},
        {"HELP", "lists the commands (also ?)"},
        {"?", "the same as HELP"},
        {"HSFAULT", "hostsim: makes a chosen host call fail (site status [skip [times]], or CLEAR)"},
        {"HSNOTIFY", "hostsim: sends every module a message number"},
        {"LINE", "draws lines from point to point"},
        {"LIST", "lists the properties of objects"},
        {"MOVE", "moves objects by a displacement"},
        {"MREDO", "redoes several undone commands"},
        {"OOPS", "restores what the last ERASE erased"},
        {"PLINE", "draws a lightweight polyline"},
        {"QUIT", "ends hostsim (the --save and --svg files are then written)"},
        {"REDO", "redoes the last undone command"},
        {"ROTATE", "rotates objects about a base point"},
        {"SAVE", "saves the drawing as DXF"},
        {"SAVEAS", "saves the drawing as DXF under a new name"},
        {"SCALE", "scales objects about a base point"},
        {"SETVAR", "sets a system variable (transparent)"},
        {"TEXT", "writes a line of text"},
        {"U", "undoes the last command"},
        {"UCS", "sets the user coordinate system (World, Origin, Z rotation)"},
        {"UNDO", "undoes a number of commands"},
    };
    return s_text;
}

void helpCommand() {
    Session& s = Session::get();
    CommandStack& stack = commandStack();
    const auto& texts = builtinDescriptions();
    for (const std::string& group : stack.groups()) {
        std::vector<const CommandRecord*> commands = stack.commandsOf(group);
        if (commands.empty())
            continue;
        bool host = group == "ACAD";
        if (host) {
            s.print("Host commands:\n");
        } else {
            const LoadedModule* m =
                moduleOfAddress(reinterpret_cast<const void*>(commands[0]->functionAddr()));
            s.print("Group " + group + (m != nullptr ? " (module " + m->name + ")" : std::string()) + ":\n");
        }
        for (const CommandRecord* c : commands) {
            std::string global = toUtf8(c->globalName());
            std::string local = toUtf8(c->localName());
            std::string line = "  " + global;
            if (!equalsNoCase(local, global))
                line += " (" + local + ")";
            while (line.size() < 22)
                line += ' ';
            auto it = texts.find(global);
            if (host && it != texts.end())
                line += std::string(" ") + it->second;
            else if (!host)
                line += (c->commandFlags() & ACRX_CMD_TRANSPARENT) ? " module command (transparent)"
                                                                   : " module command";
            s.print(line + "\n");
        }
    }
    s.print(
        "A space or Enter ends an answer; ^C cancels the command; Enter at \"Command: \" repeats "
        "the last command.\n");
}

}  // namespace

void registerHelpCommands() {
    addBuiltinCommand("HELP", helpCommand, ACRX_CMD_TRANSPARENT);
    addBuiltinCommand("?", helpCommand, ACRX_CMD_TRANSPARENT);
}

}  // namespace hs

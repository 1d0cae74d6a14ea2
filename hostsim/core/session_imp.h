// The session's private state, shared by the parts of hostsim that make up
// the session (core, rx, ed, win). Nothing outside hostsim includes this.
#pragma once
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "acadstrc.h"
#include "core/terminal.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

class AcRxDictionary;

namespace hs {

class Linker;
class Editor;
class CommandStack;

struct FaultSite {
    Acad::ErrorStatus status = Acad::eOk;
    int skip = 0;
    int remaining = 0;  // calls still to fail; < 0: every call
    int calls = 0;
};

// One command running from the command line (or from acedCmd).
struct CommandFrame {
    std::string globalName;
    bool nested = false;
    bool cancelled = false;
    bool failed = false;
};

struct Session::Imp {
    // transcript
    bool toStdout = true;
    bool capturing = false;
    std::string capture;
    bool atLineStart = true;
    int faultCount = 0;
    std::map<std::string, FaultSite, std::less<>> faults;  // transparent: no string per lookup

    // input
    bool haveScript = false;
    std::vector<std::string> scriptLines;
    size_t scriptPos = 0;
    bool interactive = false;
    // The line answers are being taken from (a script's or a typed line):
    // what is left of it, and whether its first answer was typed.
    bool inLine = false;
    std::string lineRest;
    bool restTyped = false;
    int lineNo = 0;          // script line of lineRest (1-based)
    int answerLine = 0;      // script line of the last answer, 0 when not from the script
    std::string lastAnswer;  // the last answer's text
    // What went wrong in the script: "line N: why", in order.
    std::vector<std::string> problems;
    bool endedInside = false;  // the input ended while a command was asking
    std::string lastCommand;   // Enter at "Command: " runs it again
    TerminalReader terminal;   // line editing and history on a terminal
    std::vector<std::deque<Input>> queues;
    bool quit = false;
    bool openUrls = false;  // ShellExecute also starts the desktop's opener

    // commands
    std::vector<CommandFrame> frames;
    CommandEvents events;
    std::map<std::string, int> vars;  // upper-case name

    // drawing
    AcDbDatabase* database = nullptr;

    // run-time objects
    AcRxDictionary* sysRegistry = nullptr;
    Linker* linker = nullptr;
    Editor* editor = nullptr;
    CommandStack* commands = nullptr;
    std::unique_ptr<Registry> registry;

    // the module whose message is being sent (acedGetAppName)
    tstring currentApp;
};

}  // namespace hs

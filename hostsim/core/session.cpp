// The host session: transcript, command line input, the running commands and
// their notifications, system variables and the current drawing.
#include "hostsim/session.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <sstream>

#include "aced.h"
#include "core/os.h"
#include "core/session_imp.h"
#include "core/terminal.h"
#include "db/proxy.h"
#include "dbmain.h"
#include "ed/edimp.h"
#include "hostsim/builtins.h"
#include "hostsim/dbapi.h"
#include "hostsim/registry.h"
#include "hostsim/text.h"
#include "rx/rximp.h"
#include "win/shell.h"

namespace hs {

namespace {
std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return std::string();
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}
}  // namespace

Session::Session() : m_imp(new Imp) {}
Session::~Session() = default;

Session& Session::get() {
    // The session lives until the process ends; it is never destroyed, so
    // nothing runs after the modules and the drawing are gone.
    static Session* s_session = nullptr;
    if (s_session == nullptr) {
        s_session = new Session();
        Imp& imp = s_session->imp();
        imp.registry.reset(new Registry());
        imp.vars["CMDECHO"] = 1;
        startRx(imp);
        startEditor(imp);
        startLinker(imp);
        registerDbClasses();
        registerEntityClasses();
        registerProxyClasses();
        registerBuiltinCommands();
        // Code linked into the program itself (tests) reaches the shell and
        // the registry through hostsim as a loaded module does.
        interceptShell(os::mainImage());
        interceptRegistry(os::mainImage());
    }
    return *s_session;
}

Session::Imp& Session::imp() {
    return *m_imp;
}

// ---- transcript ------------------------------------------------------------------------

void Session::print(const std::string& text) {
    if (text.empty())
        return;
    Imp& imp = *m_imp;
    if (imp.toStdout) {
        std::string shown = os::terminalText(text);
        std::fwrite(shown.data(), 1, shown.size(), stdout);
        if (text.find('\n') != std::string::npos || imp.interactive)
            std::fflush(stdout);
    }
    if (imp.capturing)
        imp.capture += text;
    imp.atLineStart = text.back() == '\n';
}

void Session::fault(const std::string& message) {
    if (!m_imp->atLineStart)
        print("\n");
    print("** Host fault: " + message + "\n");
    ++m_imp->faultCount;
}

int Session::faultCount() const {
    return m_imp->faultCount;
}

void Session::fatal(const std::string& message) {
    if (!m_imp->atLineStart)
        print("\n");
    print("** Host fatal error: " + message + "\n");
    std::fflush(stdout);
    std::fflush(stderr);
    os::quickExit(3);
}

void Session::startCapture(bool alsoToStdout) {
    m_imp->capturing = true;
    m_imp->toStdout = alsoToStdout;
    m_imp->capture.clear();
}

void Session::stopCapture() {
    m_imp->capturing = false;
    m_imp->toStdout = true;
}

std::string Session::takeCapture() {
    std::string out;
    out.swap(m_imp->capture);
    return out;
}

// ---- input ---------------------------------------------------------------------------------

void Session::setScriptText(const std::string& text) {
    Imp& imp = *m_imp;
    imp.scriptLines.clear();
    imp.scriptPos = 0;
    imp.inLine = false;
    imp.lineRest.clear();
    imp.lineNo = 0;
    imp.answerLine = 0;
    imp.endedInside = false;
    imp.problems.clear();  // a new script: its own problems
    imp.haveScript = true;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        imp.scriptLines.push_back(line);
    }
    // A byte-order mark (UTF-8) at the start of the file is not input.
    if (!imp.scriptLines.empty() && imp.scriptLines[0].compare(0, 3, "\xEF\xBB\xBF") == 0)
        imp.scriptLines[0].erase(0, 3);
}

void Session::setInteractive(bool interactive) {
    m_imp->interactive = interactive;
    if (interactive)
        os::installSignalHandlers();
}

namespace {

Input parseAnswer(const std::string& raw) {
    Input in;
    std::string t = trim(raw);
    if (t.empty()) {
        in.kind = Input::kEnter;
    } else if (t == "^C") {
        in.kind = Input::kCancel;
    } else {
        in.kind = Input::kText;
        in.text = t;
    }
    return in;
}

// Takes the next answer from the line: up to a space or tab (each one ends an
// answer as Enter does), or the rest of the line for a text answer. A token
// that starts with a double quote runs to the closing quote (file names with
// spaces); the quotes are not part of the answer.
std::string takeFromLine(Session::Imp& imp, bool wholeLine) {
    std::string& rest = imp.lineRest;
    std::string answer;
    if (wholeLine) {
        answer.swap(rest);
        imp.inLine = false;
        return answer;
    }
    size_t end = 0;
    if (!rest.empty() && rest[0] == '"') {
        size_t close = rest.find('"', 1);
        if (close != std::string::npos) {
            answer = rest.substr(1, close - 1);
            end = close + 1;
            if (end < rest.size() && rest[end] != ' ' && rest[end] != '\t')
                end = std::string::npos;  // "a"b: not a quoted answer
        } else {
            end = std::string::npos;
        }
        if (end == std::string::npos) {
            answer.clear();
            end = 0;
        }
    }
    if (end == 0) {
        end = rest.find_first_of(" \t");
        answer = rest.substr(0, end);
    }
    if (end == std::string::npos || end >= rest.size()) {
        rest.clear();
        imp.inLine = false;
    } else {
        rest.erase(0, end + 1);  // the separator is spent
    }
    return answer;
}

}  // namespace

// The next answer: the innermost acedCmd queue first, then the script or
// the terminal. `typed` tells that the user typed it (no echo needed).
static Input nextAnswer(Session::Imp& imp, const std::string& prompt, bool wholeLine, bool& typed) {
    typed = false;
    imp.answerLine = 0;
    if (!imp.queues.empty() && !imp.queues.back().empty()) {
        Input in = imp.queues.back().front();
        imp.queues.back().pop_front();
        return in;
    }
    if (!imp.inLine) {
        if (imp.haveScript) {
            bool found = false;
            while (imp.scriptPos < imp.scriptLines.size()) {
                const std::string& line = imp.scriptLines[imp.scriptPos++];
                std::string t = trim(line);
                if (!t.empty() && t[0] == ';')
                    continue;  // comment line
                imp.lineRest = line;
                imp.lineNo = static_cast<int>(imp.scriptPos);
                found = true;
                break;
            }
            if (!found)
                return Input{};
            imp.restTyped = false;
        } else if (imp.interactive) {
            std::string line;
            TerminalReader::Result r = imp.terminal.readLine(prompt, line);
            if (r == TerminalReader::kEnd)
                return Input{};
            if (r == TerminalReader::kCancelled) {
                typed = true;
                Input in;
                in.kind = Input::kCancel;
                return in;
            }
            imp.lineRest = line;
            imp.restTyped = true;
        } else {
            return Input{};
        }
        imp.inLine = true;
    }
    typed = imp.restTyped;
    imp.restTyped = false;
    if (!typed && imp.haveScript)
        imp.answerLine = imp.lineNo;
    Input in = parseAnswer(takeFromLine(imp, wholeLine));
    imp.lastAnswer = in.text;
    return in;
}

Input Session::readInput(const std::string& prompt, bool wholeLine) {
    Imp& imp = *m_imp;
    for (;;) {
        // Commands run by acedCmd show their prompts only while CMDECHO is on.
        bool echo = imp.frames.empty() || !imp.frames.back().nested || getVar("CMDECHO", 1) != 0;
        // A Ctrl-C that came while a command worked cancels it at its prompt.
        bool fromQueue = !imp.queues.empty() && !imp.queues.back().empty();
        if (!fromQueue && os::takeInterrupt() && !imp.frames.empty()) {
            if (echo) {
                if (!imp.atLineStart && !prompt.empty() && prompt[0] != '\n')
                    print("\n");
                print(prompt + "*Cancel*\n");
            }
            imp.frames.back().cancelled = true;
            Input in;
            in.kind = Input::kCancel;
            return in;
        }
        // The terminal shows the prompt itself (line editing redraws it);
        // the transcript still gets it.
        bool fromTerminal = !fromQueue && !imp.inLine && !imp.haveScript && imp.interactive;
        std::string shown = prompt;
        if (echo) {
            if (!imp.atLineStart && !prompt.empty() && prompt[0] != '\n')
                print("\n");
            if (fromTerminal) {
                size_t nl = prompt.rfind('\n');
                if (nl != std::string::npos) {
                    print(prompt.substr(0, nl + 1));
                    shown = prompt.substr(nl + 1);
                }
                bool wasOut = imp.toStdout;
                imp.toStdout = false;
                print(shown);
                imp.toStdout = wasOut;
            } else {
                print(prompt);
            }
        } else {
            shown.clear();
        }
        bool typed = false;
        Input in = nextAnswer(imp, shown, wholeLine, typed);
        if (echo && !typed) {
            switch (in.kind) {
                case Input::kText:
                    print(in.text + "\n");
                    break;
                case Input::kEnter:
                    print("\n");
                    break;
                case Input::kCancel:
                    print("*Cancel*\n");
                    break;
                case Input::kEnd:
                    print("\n");
                    break;
            }
        } else if (typed) {
            if (imp.capturing) {
                // The transcript copy gets what was typed, as the screen shows it.
                bool wasOut = imp.toStdout;
                imp.toStdout = false;
                print(in.kind == Input::kText ? in.text + "\n"
                                              : (in.kind == Input::kCancel ? "*Cancel*\n" : "\n"));
                imp.toStdout = wasOut;
            }
            imp.atLineStart = true;
        }
        // A transparent command typed at a prompt inside a command runs now,
        // then the prompt is asked again.
        if (in.kind == Input::kText && in.text.size() > 1 && in.text[0] == '\'' && !imp.frames.empty()) {
            std::string name = in.text.substr(1);
            AcEdCommand* cmd = findCommand(imp, name);
            if (cmd == nullptr) {
                noteProblem("unknown command \"" + name + "\"");
                runCommand(name, false);  // reports the unknown command
            } else if ((cmd->commandFlags() & ACRX_CMD_TRANSPARENT) == 0) {
                print("** That command may not be invoked transparently **\n");
                noteProblem("\"" + name + "\" cannot be run inside a command");
            } else {
                runCommand(name, false);
            }
            continue;
        }
        if (!imp.frames.empty()) {
            if (in.kind == Input::kCancel) {
                imp.frames.back().cancelled = true;
            } else if (in.kind == Input::kEnd) {
                imp.frames.back().failed = true;
                if (!imp.endedInside && imp.haveScript) {
                    imp.endedInside = true;
                    imp.answerLine = imp.lineNo;
                    noteProblem("the script ended inside the command " + imp.frames.front().globalName);
                }
            }
        }
        return in;
    }
}

void Session::noteProblem(const std::string& what) {
    Imp& imp = *m_imp;
    if (imp.answerLine <= 0)
        return;  // only the script's own answers count
    imp.problems.push_back("line " + std::to_string(imp.answerLine) + ": " + what);
}

void Session::refuseAnswer(const std::string& message) {
    print(message + "\n");
    noteProblem("the answer \"" + m_imp->lastAnswer + "\" was refused (" + message + ")");
}

const std::vector<std::string>& Session::scriptProblems() const {
    return m_imp->problems;
}

void Session::pushInputQueue(std::vector<Input> answers) {
    m_imp->queues.emplace_back(answers.begin(), answers.end());
}

void Session::popInputQueue() {
    if (!m_imp->queues.empty())
        m_imp->queues.pop_back();
}

// ---- commands ---------------------------------------------------------------------------------

bool Session::runCommand(const std::string& typedName, bool nested) {
    Imp& imp = *m_imp;
    std::string name = trim(typedName);
    AcEdCommand* cmd = findCommand(imp, name);
    if (cmd == nullptr) {
        tstring t = fromUtf8(name);
        notifyEditorReactors([&](AcEditorReactor* r) { r->unknownCommand(t.c_str(), nullptr); });
        print("Unknown command \"" + upper(name) + "\".  Type HELP or ? for the list of commands.\n");
        return false;
    }
    tstring global = cmd->globalName();
    std::string globalUtf8 = toUtf8(global);
    AcRxFunctionPtr fn = cmd->functionAddr();

    imp.frames.push_back(CommandFrame{globalUtf8, nested, false, false});
    for (auto& f : std::vector<std::function<void(const std::string&, bool)>>(imp.events.willStart))
        f(globalUtf8, nested);
    notifyEditorReactors([&](AcEditorReactor* r) { r->commandWillStart(global.c_str()); });

    try {
        if (fn != nullptr)
            fn();
    } catch (const std::exception& e) {
        fault("command " + globalUtf8 + " ended by an exception: " + e.what());
        imp.frames.back().failed = true;
    } catch (...) {
        fault("command " + globalUtf8 + " ended by an exception");
        imp.frames.back().failed = true;
    }

    CommandFrame frame = imp.frames.back();
    imp.frames.pop_back();
    int outcome = frame.failed ? 2 : (frame.cancelled ? 1 : 0);
    // A nested command's cancel or failure is the outer command's too.
    if (nested && !imp.frames.empty()) {
        imp.frames.back().cancelled = imp.frames.back().cancelled || frame.cancelled;
        imp.frames.back().failed = imp.frames.back().failed || frame.failed;
    }
    notifyEditorReactors([&](AcEditorReactor* r) {
        if (outcome == 0)
            r->commandEnded(global.c_str());
        else if (outcome == 1)
            r->commandCancelled(global.c_str());
        else
            r->commandFailed(global.c_str());
    });
    for (auto& f : std::vector<std::function<void(const std::string&, bool, int)>>(imp.events.ended))
        f(globalUtf8, nested, outcome);
    // Where the module writes the system's registry directly (Windows), its
    // changes reach the registry file once the command is over.
    registry().flush();
    return true;
}

bool Session::inCommand() const {
    return !m_imp->frames.empty();
}

std::string Session::currentCommand() const {
    return m_imp->frames.empty() ? std::string() : m_imp->frames.back().globalName;
}

void Session::failCurrentCommand() {
    if (!m_imp->frames.empty())
        m_imp->frames.back().failed = true;
}

CommandEvents& Session::commandEvents() {
    return m_imp->events;
}

void Session::commandLoop() {
    Imp& imp = *m_imp;
    imp.quit = false;
    while (!imp.quit) {
        Input in = readInput("Command: ");
        if (in.kind == Input::kEnd)
            break;
        if (in.kind == Input::kCancel)
            continue;  // ^C at the command prompt does nothing
        std::string name;
        if (in.kind == Input::kEnter) {
            // Enter repeats the last command, as in the host.
            if (imp.lastCommand.empty())
                continue;
            name = imp.lastCommand;
        } else {
            name = in.text;
        }
        if (name[0] == '\'')
            name = name.substr(1);
        if (runCommand(name, false)) {
            imp.lastCommand = name;
        } else {
            noteProblem("unknown command \"" + name + "\"");
        }
    }
}

void Session::requestQuit() {
    m_imp->quit = true;
}
bool Session::quitRequested() const {
    return m_imp->quit;
}

// ---- drawing ------------------------------------------------------------------------------------

AcDbDatabase* Session::database() const {
    if (m_imp->database == nullptr) {
        m_imp->database = new AcDbDatabase();
        acdbHostApplicationServices()->setWorkingDatabase(m_imp->database);
    }
    return m_imp->database;
}

void Session::setDatabase(AcDbDatabase* pDb) {
    if (pDb == m_imp->database)
        return;
    AcDbDatabase* old = m_imp->database;
    m_imp->database = pDb;
    acdbHostApplicationServices()->setWorkingDatabase(pDb);
    delete old;
    printProxyNotice(pDb);
}

// ---- variables ----------------------------------------------------------------------------------

int Session::getVar(const std::string& name, int defaultValue) const {
    auto it = m_imp->vars.find(upper(name));
    return it == m_imp->vars.end() ? defaultValue : it->second;
}

void Session::setVar(const std::string& name, int value) {
    m_imp->vars[upper(name)] = value;
}

// ---- reactors and modules -------------------------------------------------------------------------

void Session::notifyEditorReactors(const std::function<void(AcEditorReactor*)>& fn) {
    Editor* editor = m_imp->editor;
    if (editor == nullptr)
        return;
    std::vector<AcRxEventReactor*> snapshot = editor->reactors();
    for (AcRxEventReactor* r : snapshot) {
        if (!editor->isAttached(r))
            continue;  // removed by an earlier reactor in this round
        if (auto* er = dynamic_cast<AcEditorReactor*>(r))
            fn(er);
    }
}

Registry& Session::registry() {
    return *m_imp->registry;
}

void Session::notifyModules(int message) {
    linkerNotifyAll(*m_imp, message);
}

void Session::shutdown() {
    linkerUnloadAll(*m_imp);
    std::fflush(stdout);
}

}  // namespace hs

// The one host session: it owns the registries, the command line, the open
// drawing and the loaded modules. Every subsystem reaches shared state
// through it; nothing else in hostsim is process-wide.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AdAChar.h"

class AcDbDatabase;
class AcEditorReactor;

namespace hs {

class Transcript;
class CommandLine;
class Registry;

// What a prompt got back from the command line.
struct Input {
    enum Kind { kText, kEnter, kCancel, kEnd } kind = kEnd;
    std::string text;  // UTF-8 (release 16: bytes as typed)
};

// Internal listeners for the life of a command run from the command line.
struct CommandEvents {
    // name is the global name; nested is true for commands run by acedCmd.
    std::vector<std::function<void(const std::string& name, bool nested)>> willStart;
    // outcome: 0 ended, 1 cancelled, 2 failed.
    std::vector<std::function<void(const std::string& name, bool nested, int outcome)>> ended;
};

class Session {
public:
    static Session& get();

    // ---- transcript ----
    // Text the host or a module prints on the command line (UTF-8).
    void print(const std::string& text);
    // A host fault that must fail the run (broken host rule); printed and counted.
    void fault(const std::string& message);
    int faultCount() const;
    // Tests: keep a copy of everything printed; optionally silence stdout.
    void startCapture(bool alsoToStdout = false);
    std::string takeCapture();
    void stopCapture();
    // A broken host rule that the real host would crash on: printed, then the
    // process ends with a non-zero exit status.
    [[noreturn]] void fatal(const std::string& message);

    // ---- command line ----
    // Shows the prompt and reads one answer (from the input queue of acedCmd,
    // the script or the terminal). Echoes the answer into the transcript.
    // wholeLine: a text answer, the rest of the line with its spaces;
    // otherwise a space ends the answer as Enter does (the host's scripts).
    Input readInput(const std::string& prompt, bool wholeLine = false);
    // A script problem at the line of the last answer: a run with problems
    // ends with a non-zero status (hostsim --keep-going ignores them).
    // Answers typed on a terminal or given by acedCmd are not counted.
    void noteProblem(const std::string& what);
    // Prints why the last answer was refused and notes it as a problem.
    void refuseAnswer(const std::string& message);
    // "line N: why" for each problem of the script, in order.
    const std::vector<std::string>& scriptProblems() const;
    // Pushes answers that the next prompts take before the script's lines
    // (acedCmd); the queue is popped when the command it belongs to ends.
    void pushInputQueue(std::vector<Input> answers);
    void popInputQueue();
    // Runs a command by name as if typed (nested = from acedCmd).
    // Returns false when no such command exists.
    bool runCommand(const std::string& name, bool nested);
    bool inCommand() const;
    std::string currentCommand() const;
    // Marks the innermost running command as failed (commandFailed is sent
    // when it ends instead of commandEnded).
    void failCurrentCommand();

    // Where answers come from. Script text: lines of answers, each ended by
    // a space or the line break (a text answer takes the rest of its line). Without a
    // script the terminal is used when standard input is one.
    void setScriptText(const std::string& text);
    void setInteractive(bool interactive);
    // The command loop: reads command names at the "Command: " prompt and runs
    // them until the input ends or QUIT. Returns when done.
    void commandLoop();
    void requestQuit();
    bool quitRequested() const;

    CommandEvents& commandEvents();

    // ---- drawing ----
    // The current drawing; a new empty one is made (and set as the working
    // database) the first time it is asked for.
    AcDbDatabase* database() const;
    void setDatabase(AcDbDatabase* pDb);  // session takes ownership

    // ---- system variables (integers only) ----
    int getVar(const std::string& name, int defaultValue = 0) const;
    void setVar(const std::string& name, int value);

    // ---- editor reactors ----
    // Calls fn for every reactor attached to the editor, in attach order.
    void notifyEditorReactors(const std::function<void(AcEditorReactor*)>& fn);

    // ---- subsystems ----
    Registry& registry();
    // Sends every loaded module the given message (e.g. kLoadDwgMsg when a
    // drawing has been opened).
    void notifyModules(int message);
    // Ends the session: unloads every module (message 2, ignoring locks),
    // writes nothing else. Called by the hostsim executable before it exits.
    void shutdown();

    struct Imp;
    Imp& imp();

private:
    Session();
    ~Session();
    std::unique_ptr<Imp> m_imp;
};

}  // namespace hs

// U, UNDO, REDO and MREDO on top of the database's undo log. Each command
// from the command line is one group; the log reports what it undoes.
#include "adscodes.h"
#include "edcmds.h"
#include "hostsim/dbapi.h"
#include "hostsim/session.h"

namespace hs {
namespace {

void undoCount(int n) {
    if (undoableGroups() == 0) {
        edPrint("Everything has been undone\n");
        return;
    }
    undoGroups(n);
}

void uCommand() {
    undoCount(1);
}

void undoCommand() {
    Request rq;
    rq.prompt = "Enter the number of operations to undo or [Back] <1>: ";
    rq.keywords = "Back";
    rq.flags = RSG_NOZERO | RSG_NONEG;
    int n = 1;
    std::string kw;
    int st = requestInt(rq, n, kw);
    if (st == RTCAN)
        return;
    if (st == RTKWORD) {
        Request ok;
        ok.prompt = "This will undo everything. OK? <Y>: ";
        ok.keywords = "Yes No";
        std::string answer;
        int st2 = requestKeyword(ok, answer);
        if (st2 == RTCAN || answer == "No")
            return;
        n = undoableGroups();
    } else if (st != RTNORM) {
        n = 1;
    }
    undoCount(n);
}

void redoCount(int n) {
    if (redoableGroups() == 0) {
        edPrint("Nothing to redo\n");
        return;
    }
    redoGroups(n);
}

void redoCommand() {
    redoCount(1);
}

void mredoCommand() {
    Request rq;
    rq.prompt = "Enter number of actions or [All/Last]: ";
    rq.keywords = "All Last";
    rq.flags = RSG_NONULL | RSG_NOZERO | RSG_NONEG;
    int n = 1;
    std::string kw;
    int st = requestInt(rq, n, kw);
    if (st == RTCAN)
        return;
    if (st == RTKWORD)
        n = kw == "All" ? redoableGroups() : 1;
    redoCount(n);
}

}  // namespace

void registerUndoCommands() {
    addBuiltinCommand("U", uCommand);
    addBuiltinCommand("UNDO", undoCommand);
    addBuiltinCommand("REDO", redoCommand);
    addBuiltinCommand("MREDO", mredoCommand);
}

}  // namespace hs

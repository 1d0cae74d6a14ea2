// The undo log. Each command from the command line is one group; commands
// run inside a command join it. Before an object's first change in a group
// its state is written with the undo filer; appends, erasures and draw-order
// changes are recorded too. Undo and redo go through the objects' own
// erase() and dwgInFields(), so an object can refuse (its erase hook), and
// the refusal is reported while the rest of the group is still undone.
#include <algorithm>
#include <cstdio>

#include "db/dbimp.h"
#include "filing/dwgfiler.h"
#include "hostsim/dbapi.h"
#include "hostsim/session.h"

namespace hs {

struct UndoRecord {
    enum Kind { kAppend, kErase, kChange, kDrawOrder } kind = kChange;
    AcDbObjectId id;
    bool erasing = true;
    std::vector<unsigned char> state;  // kChange: the state to go back to
    std::vector<AcDbObjectId> order;   // kDrawOrder: the order to go back to
};

namespace {

UndoLog* activeLog(AcDbDatabase* pDb) {
    if (pDb == nullptr)
        return nullptr;
    UndoLog& log = pDb->hsImp()->undo;
    return log.open && !log.suspended ? &log : nullptr;
}

void add(UndoLog& log, UndoRecord::Kind kind, AcDbObjectId id, std::shared_ptr<UndoRecord> rec = nullptr) {
    if (!rec)
        rec = std::make_shared<UndoRecord>();
    rec->kind = kind;
    rec->id = id;
    log.current.records.push_back(rec);
}

std::string describe(AcDbObjectId id) {
    char buf[64];
    std::snprintf(buf, sizeof buf, " (handle %llX)", static_cast<unsigned long long>(id.handle().value()));
    return className(id) + buf;
}

void report(const std::string& what, AcDbObjectId id, Acad::ErrorStatus es) {
    Session::get().print("Cannot " + what + " " + describe(id) + ": " + toUtf8(acadErrorStatusText(es)) +
                         "\n");
}

// Swaps the object's state with the recorded one.
void swapState(UndoRecord& rec, AcDbObject* pObj, const char* what) {
    DwgFiler now(AcDb::kUndoFiler, pObj->database());
    Acad::ErrorStatus es = pObj->dwgOutFields(&now);
    if (es != Acad::eOk) {
        report(what, rec.id, es);
        return;
    }
    DwgFiler old(AcDb::kUndoFiler, pObj->database());
    old.setSubject(pObj);
    old.setBytes(rec.state);
    es = pObj->dwgInFields(&old);
    if (es != Acad::eOk) {
        report(what, rec.id, es);
        return;
    }
    rec.state = now.bytes();
}

// Applies one record backwards (undo) or forwards (redo).
void apply(UndoRecord& rec, bool undo) {
    const char* what = undo ? "undo the change of" : "redo the change of";
    if (rec.kind == UndoRecord::kDrawOrder) {
        std::swap(rec.order, rec.id.stub()->drawOrder());
        return;
    }
    AcDbObject* pObj = nullptr;
    Acad::ErrorStatus es = openInternal(rec.id, AcDb::kForWrite, pObj);
    if (es != Acad::eOk) {
        report(what, rec.id, es);
        return;
    }
    switch (rec.kind) {
        case UndoRecord::kAppend: {
            bool erase = undo;
            if (pObj->isErased() != erase) {
                es = pObj->erase(erase);
                if (es != Acad::eOk)
                    report(erase ? "undo the creation of" : "redo the creation of", rec.id, es);
            }
            break;
        }
        case UndoRecord::kErase: {
            bool erase = undo ? !rec.erasing : rec.erasing;
            if (pObj->isErased() != erase) {
                es = pObj->erase(erase);
                if (es != Acad::eOk)
                    report(undo ? (rec.erasing ? "undo the erasure of" : "undo the restoring of")
                                : (rec.erasing ? "redo the erasure of" : "redo the restoring of"),
                           rec.id, es);
            }
            break;
        }
        case UndoRecord::kChange:
            swapState(rec, pObj, what);
            break;
        case UndoRecord::kDrawOrder:
            break;
    }
    closeInternal(pObj);
}

AcDbDatabase* sessionDb() {
    return Session::get().database();
}

}  // namespace

void undoRewriteStates(AcDbStub* stub, const std::function<void(std::vector<unsigned char>&)>& rewrite) {
    if (stub == nullptr || stub->pDb == nullptr)
        return;
    UndoLog& log = stub->pDb->hsImp()->undo;
    auto each = [&](UndoGroup& group) {
        for (const std::shared_ptr<UndoRecord>& rec : group.records)
            if (rec->kind == UndoRecord::kChange && rec->id.stub() == stub)
                rewrite(rec->state);
    };
    for (UndoGroup& g : log.done)
        each(g);
    for (UndoGroup& g : log.undone)
        each(g);
    each(log.current);
}

void undoRecordAppend(AcDbObject* pObj) {
    UndoLog* log = activeLog(pObj->database());
    if (log == nullptr)
        return;
    log->recorded.insert(pObj->hsStub());
    add(*log, UndoRecord::kAppend, pObj->objectId());
}

void undoRecordErase(AcDbObject* pObj, bool erasing) {
    UndoLog* log = activeLog(pObj->database());
    if (log == nullptr)
        return;
    auto rec = std::make_shared<UndoRecord>();
    rec->erasing = erasing;
    add(*log, UndoRecord::kErase, pObj->objectId(), rec);
}

void undoRecordChange(AcDbObject* pObj) {
    UndoLog* log = activeLog(pObj->database());
    if (log == nullptr)
        return;
    AcDbStub* stub = pObj->hsStub();
    if (!log->recorded.insert(stub).second)
        return;
    // Writing the state may itself ask for write access: keep it out of the log.
    log->suspended = true;
    DwgFiler filer(AcDb::kUndoFiler, pObj->database());
    Acad::ErrorStatus es = pObj->dwgOutFields(&filer);
    log->suspended = false;
    if (es != Acad::eOk)
        return;
    auto rec = std::make_shared<UndoRecord>();
    rec->state = filer.bytes();
    add(*log, UndoRecord::kChange, pObj->objectId(), rec);
}

void undoRecordDrawOrder(AcDbStub* pRecord) {
    UndoLog* log = activeLog(pRecord->pDb);
    if (log == nullptr)
        return;
    auto rec = std::make_shared<UndoRecord>();
    rec->order = pRecord->drawOrder();
    add(*log, UndoRecord::kDrawOrder, AcDbObjectId(pRecord), rec);
}

void beginUndoGroup(AcDbDatabase* pDb, const std::string& name) {
    if (pDb == nullptr)
        return;
    UndoLog& log = pDb->hsImp()->undo;
    log.open = true;
    log.current = UndoGroup();
    log.current.name = name;
    log.recorded.clear();
}

void endUndoGroup(AcDbDatabase* pDb) {
    if (pDb == nullptr)
        return;
    UndoLog& log = pDb->hsImp()->undo;
    if (!log.open)
        return;
    log.open = false;
    log.recorded.clear();
    // Redo must follow the undo directly: any other command ends what could
    // be redone, and so does every command that changed something.
    std::string name = upper(log.current.name);
    bool undoFamily = name == "U" || name == "UNDO" || name == "REDO" || name == "MREDO";
    if (!log.current.records.empty()) {
        log.done.push_back(std::move(log.current));
        log.undone.clear();
    } else if (!undoFamily) {
        log.undone.clear();
    }
    log.current = UndoGroup();
}

int undoGroups(int count) {
    AcDbDatabase* pDb = sessionDb();
    if (pDb == nullptr)
        return 0;
    UndoLog& log = pDb->hsImp()->undo;
    int n = 0;
    while (n < count && !log.done.empty()) {
        UndoGroup group = std::move(log.done.back());
        log.done.pop_back();
        Session::get().print(group.name + "\n");
        bool wasSuspended = log.suspended;
        log.suspended = true;
        for (auto it = group.records.rbegin(); it != group.records.rend(); ++it)
            apply(**it, /*undo=*/true);
        log.suspended = wasSuspended;
        log.undone.push_back(std::move(group));
        ++n;
    }
    return n;
}

int redoGroups(int count) {
    AcDbDatabase* pDb = sessionDb();
    if (pDb == nullptr)
        return 0;
    UndoLog& log = pDb->hsImp()->undo;
    int n = 0;
    while (n < count && !log.undone.empty()) {
        UndoGroup group = std::move(log.undone.back());
        log.undone.pop_back();
        bool wasSuspended = log.suspended;
        log.suspended = true;
        for (auto& rec : group.records)
            apply(*rec, /*undo=*/false);
        log.suspended = wasSuspended;
        log.done.push_back(std::move(group));
        ++n;
    }
    return n;
}

int undoableGroups() {
    AcDbDatabase* pDb = sessionDb();
    return pDb != nullptr ? static_cast<int>(pDb->hsImp()->undo.done.size()) : 0;
}

int redoableGroups() {
    AcDbDatabase* pDb = sessionDb();
    return pDb != nullptr ? static_cast<int>(pDb->hsImp()->undo.undone.size()) : 0;
}

void registerUndoListeners() {
    CommandEvents& events = Session::get().commandEvents();
    events.willStart.push_back([](const std::string& name, bool nested) {
        if (!nested)
            beginUndoGroup(sessionDb(), name);
    });
    events.ended.push_back([](const std::string&, bool nested, int) {
        if (!nested)
            endUndoGroup(sessionDb());
    });
}

// An object still open when a command ends is a broken host rule: each is
// reported, then closed so the session can go on.
void registerOpenCheck() {
    CommandEvents& events = Session::get().commandEvents();
    events.ended.push_back([](const std::string& name, bool nested, int) {
        if (nested)
            return;
        for (const AcDbObjectId& id : openObjects()) {
            AcDbStub* stub = id.stub();
            std::string mode = stub->writer ? "write" : "read";
            Session::get().fault(describe(id) + " is still open for " + mode + " at the end of the command " +
                                 name);
            stub->writer = false;
            stub->readers = 0;
            stub->isNew = false;
            stub->pDb->hsImp()->open.erase(stub);
        }
    });
}

}  // namespace hs

// The editor object and the command stack of the stand-in host.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "aced.h"
#include "core/session_imp.h"
#include "hostsim/text.h"

namespace hs {

class Editor : public AcEditor {
public:
    void addReactor(AcRxEventReactor* newObj) override;
    void removeReactor(AcRxEventReactor* delObj) override;
    const std::vector<AcRxEventReactor*>& reactors() const { return m_reactors; }
    bool isAttached(const AcRxEventReactor* r) const;

private:
    std::vector<AcRxEventReactor*> m_reactors;
};

class CommandRecord : public AcEdCommand {
public:
    CommandRecord(const tstring& group, const tstring& global, const tstring& local, Adesk::Int32 flags,
                  AcRxFunctionPtr fn)
        : m_group(group), m_global(global), m_local(local), m_flags(flags), m_fn(fn) {}
    AcRxFunctionPtr functionAddr() const override { return m_fn; }
    Adesk::Int32 commandFlags() const override { return m_flags; }
    const ACHAR* globalName() const override { return m_global.c_str(); }
    const ACHAR* localName() const override { return m_local.c_str(); }
    const tstring& group() const { return m_group; }

private:
    tstring m_group;
    tstring m_global;
    tstring m_local;
    Adesk::Int32 m_flags;
    AcRxFunctionPtr m_fn;
};

// Groups form a stack: the group made last is searched first. Names compare
// ignoring case.
class CommandStack : public AcEdCommandStack {
public:
    Acad::ErrorStatus addCommand(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName,
                                 const ACHAR* cmdLocalName, Adesk::Int32 commandFlags,
                                 AcRxFunctionPtr FunctionAddr, AcEdUIContext* UIContext = nullptr,
                                 int fcode = -1, HINSTANCE hResourceHandle = nullptr,
                                 AcEdCommand** cmdPtrRet = nullptr) override;
    Acad::ErrorStatus removeCmd(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName) override;
    Acad::ErrorStatus removeGroup(const ACHAR* groupName) override;
    AcEdCommand* lookupGlobalCmd(const ACHAR* cmdName) override;
    AcEdCommand* lookupLocalCmd(const ACHAR* cmdName) override;
    AcEdCommand* lookupCmd(const ACHAR* cmdName, bool globalFlag) override;

    // hostsim: groups in stack order (oldest first) and their commands.
    std::vector<std::string> groups() const;
    std::vector<const CommandRecord*> commandsOf(const std::string& group) const;
    // Removes every command whose function lies in [begin, end) (a module's
    // image); returns their global names.
    std::vector<std::string> removeCommandsOfImage(const void* base);

private:
    struct Group {
        tstring name;
        std::vector<std::unique_ptr<CommandRecord>> commands;
    };
    Group* findGroup(const tstring& name);
    AcEdCommand* lookup(const tstring& name, bool global, bool local);
    std::vector<Group> m_groups;
};

void startEditor(Session::Imp& imp);
// Looks a typed command name up: "_NAME" takes global names only, "." is
// ignored; otherwise global names, then local names.
AcEdCommand* findCommand(Session::Imp& imp, const std::string& typedName);
CommandStack& commandStack();
Editor& editor();

}  // namespace hs

// The command stack ("ACAD_REGISTERED_COMMANDS"): groups of commands with
// global and local names, looked up ignoring case.

#include "core/os.h"
#include "ed/edimp.h"
#include "hostsim/text.h"

namespace hs {

namespace {
bool sameName(const tstring& a, const tstring& b) {
    return equalsNoCase(toUtf8(a), toUtf8(b));
}
bool validName(const ACHAR* name) {
    if (name == nullptr || *name == 0)
        return false;
    tstring n(name);
    if (n.size() > ACRX_MAX_CMDNAME_LEN)
        return false;
    for (ACHAR c : n)
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            return false;
    return true;
}
}  // namespace

CommandStack::Group* CommandStack::findGroup(const tstring& name) {
    for (Group& g : m_groups)
        if (sameName(g.name, name))
            return &g;
    return nullptr;
}

Acad::ErrorStatus CommandStack::addCommand(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName,
                                           const ACHAR* cmdLocalName, Adesk::Int32 commandFlags,
                                           AcRxFunctionPtr FunctionAddr, AcEdUIContext*, int, HINSTANCE,
                                           AcEdCommand** cmdPtrRet) {
    if (cmdPtrRet != nullptr)
        *cmdPtrRet = nullptr;
    if (cmdGroupName == nullptr || *cmdGroupName == 0 || !validName(cmdGlobalName) ||
        !validName(cmdLocalName) || FunctionAddr == nullptr)
        return Acad::eInvalidInput;
    Group* group = findGroup(cmdGroupName);
    if (group != nullptr) {
        for (const auto& c : group->commands)
            if (sameName(c->globalName(), cmdGlobalName) || sameName(c->localName(), cmdLocalName))
                return Acad::eDuplicateKey;
    } else {
        m_groups.push_back(Group{cmdGroupName, {}});
        group = &m_groups.back();
    }
    group->commands.emplace_back(
        new CommandRecord(group->name, cmdGlobalName, cmdLocalName, commandFlags, FunctionAddr));
    if (cmdPtrRet != nullptr)
        *cmdPtrRet = group->commands.back().get();
    return Acad::eOk;
}

Acad::ErrorStatus CommandStack::removeCmd(const ACHAR* cmdGroupName, const ACHAR* cmdGlobalName) {
    if (cmdGroupName == nullptr || cmdGlobalName == nullptr)
        return Acad::eInvalidInput;
    Group* group = findGroup(cmdGroupName);
    if (group == nullptr)
        return Acad::eKeyNotFound;
    for (auto it = group->commands.begin(); it != group->commands.end(); ++it) {
        if (sameName((*it)->globalName(), cmdGlobalName)) {
            group->commands.erase(it);
            return Acad::eOk;
        }
    }
    return Acad::eKeyNotFound;
}

Acad::ErrorStatus CommandStack::removeGroup(const ACHAR* groupName) {
    if (groupName == nullptr)
        return Acad::eInvalidInput;
    for (auto it = m_groups.begin(); it != m_groups.end(); ++it) {
        if (sameName(it->name, groupName)) {
            m_groups.erase(it);
            return Acad::eOk;
        }
    }
    return Acad::eKeyNotFound;
}

AcEdCommand* CommandStack::lookup(const tstring& name, bool global, bool local) {
    // The group made last is searched first.
    for (auto g = m_groups.rbegin(); g != m_groups.rend(); ++g)
        for (const auto& c : g->commands)
            if ((global && sameName(c->globalName(), name)) || (local && sameName(c->localName(), name)))
                return c.get();
    return nullptr;
}

AcEdCommand* CommandStack::lookupGlobalCmd(const ACHAR* cmdName) {
    return cmdName ? lookup(cmdName, true, false) : nullptr;
}

AcEdCommand* CommandStack::lookupLocalCmd(const ACHAR* cmdName) {
    return cmdName ? lookup(cmdName, false, true) : nullptr;
}

AcEdCommand* CommandStack::lookupCmd(const ACHAR* cmdName, bool globalFlag) {
    return globalFlag ? lookupGlobalCmd(cmdName) : lookupLocalCmd(cmdName);
}

std::vector<std::string> CommandStack::groups() const {
    std::vector<std::string> out;
    for (const Group& g : m_groups)
        out.push_back(toUtf8(g.name));
    return out;
}

std::vector<const CommandRecord*> CommandStack::commandsOf(const std::string& group) const {
    std::vector<const CommandRecord*> out;
    for (const Group& g : m_groups)
        if (equalsNoCase(toUtf8(g.name), group))
            for (const auto& c : g.commands)
                out.push_back(c.get());
    return out;
}

std::vector<std::string> CommandStack::removeCommandsOfImage(const void* base) {
    std::vector<std::string> removed;
    for (Group& g : m_groups) {
        for (auto it = g.commands.begin(); it != g.commands.end();) {
            if (os::imageOf(reinterpret_cast<const void*>((*it)->functionAddr())) == base) {
                removed.push_back(toUtf8((*it)->globalName()));
                it = g.commands.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto it = m_groups.begin(); it != m_groups.end();)
        it = it->commands.empty() ? m_groups.erase(it) : it + 1;
    return removed;
}

AcEdCommand* findCommand(Session::Imp& imp, const std::string& typedName) {
    std::string name = typedName;
    bool globalOnly = false;
    while (!name.empty() && (name[0] == '_' || name[0] == '.')) {
        if (name[0] == '_')
            globalOnly = true;
        name.erase(0, 1);
    }
    if (name.empty() || imp.commands == nullptr)
        return nullptr;
    tstring t = fromUtf8(name);
    AcEdCommand* cmd = imp.commands->lookupGlobalCmd(t.c_str());
    if (cmd == nullptr && !globalOnly)
        cmd = imp.commands->lookupLocalCmd(t.c_str());
    return cmd;
}

}  // namespace hs

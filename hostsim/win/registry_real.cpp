// The registry store on Windows: the real registry. open() makes a private
// sandbox key and points the process's HKEY_CURRENT_USER at it, so that the
// module's own registry calls and hostsim's records land in the same place;
// the in-memory tree is a cache refreshed from the real registry on each read.
#if defined(_WIN32)
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "hostsim/registry.h"
#include "hostsim/text.h"
#include "win/intercept.h"
#include "win/registry_detail.h"

namespace hs {

using namespace regdetail;

namespace {

const wchar_t* const kSandboxes = L"Software\\Hostsim\\Sandbox";
const char* const kCurrentUser = "HKEY_CURRENT_USER";

HKEY hkey(void* k) {
    return static_cast<HKEY>(k);
}

// hostsim's own calls go to advapi32 directly, never through imports that
// interceptRegistry may have redirected to the fault checks.
template <class F>
F advapi(const char* name) {
    return functionAt<F>(realFunction(L"advapi32.dll", name));
}

LONG createKey(HKEY base, const wchar_t* sub, HKEY* result, DWORD* disposition = nullptr) {
    static auto f = advapi<decltype(&RegCreateKeyExW)>("RegCreateKeyExW");
    return f(base, sub, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, result, disposition);
}

LONG openKey(HKEY base, const wchar_t* sub, HKEY* result) {
    static auto f = advapi<decltype(&RegOpenKeyExW)>("RegOpenKeyExW");
    return f(base, sub, 0, KEY_READ, result);
}

LONG setValue(HKEY key, const wchar_t* name, DWORD type, const BYTE* data, DWORD size) {
    static auto f = advapi<decltype(&RegSetValueExW)>("RegSetValueExW");
    return f(key, name, 0, type, data, size);
}

// HKEY_CURRENT_USER\Software\Hostsim\Sandbox of the real user, opened before
// any sandbox redirects HKEY_CURRENT_USER, and kept for the whole process.
HKEY sandboxes() {
    static HKEY s_key = [] {
        HKEY k = nullptr;
        if (createKey(HKEY_CURRENT_USER, kSandboxes, &k) != ERROR_SUCCESS)
            k = nullptr;
        return k;
    }();
    return s_key;
}

// Sandboxes in use, newest last: HKEY_CURRENT_USER points at the newest, so
// that closing a registry opened later gives the earlier one its place back.
struct Redirection {
    const Registry* owner;
    HKEY key;
    std::wstring name;
};

std::vector<Redirection>& redirections() {
    static auto* s_list = new std::vector<Redirection>();
    return *s_list;
}

void redirect() {
    const std::vector<Redirection>& r = redirections();
    RegOverridePredefKey(HKEY_CURRENT_USER, r.empty() ? nullptr : r.back().key);
}

void dropSandbox(const Redirection& r) {
    RegDeleteTreeW(r.key, nullptr);
    RegCloseKey(r.key);
    if (HKEY parent = sandboxes())
        RegDeleteTreeW(parent, r.name.c_str());
}

// The session's registry lives until the process ends: at exit its file gets
// the last changes (in case the host did not flush) and its sandbox goes.
void dropAllAtExit() {
    std::vector<Redirection>& r = redirections();
    for (const Redirection& each : r)
        const_cast<Registry*>(each.owner)->flush();
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    for (const Redirection& each : r)
        dropSandbox(each);
    r.clear();
}

bool processAlive(DWORD pid) {
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (h == nullptr)
        return false;
    DWORD code = 0;
    bool alive = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
    CloseHandle(h);
    return alive;
}

// Removes sandboxes left by processes that ended without closing them.
void sweepStale(HKEY parent) {
    std::vector<std::wstring> stale;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = 256;
        if (RegEnumKeyExW(parent, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        DWORD pid = static_cast<DWORD>(std::wcstoul(name, nullptr, 10));
        if (pid != GetCurrentProcessId() && !processAlive(pid))
            stale.emplace_back(name, len);
    }
    for (const std::wstring& s : stale)
        RegDeleteTreeW(parent, s.c_str());
}

Value fromReal(const wchar_t* name, DWORD nameLength, DWORD type, const BYTE* data, DWORD size) {
    Value v;
    v.name = wideToUtf8(name, nameLength);
    v.type = type;
    if (isStringType(type)) {
        std::wstring w(size / sizeof(wchar_t), L'\0');
        if (!w.empty())
            std::memcpy(&w[0], data, w.size() * sizeof(wchar_t));
        while (!w.empty() && w.back() == L'\0')
            w.pop_back();
        v.text = wideToUtf8(w.data(), w.size());
    } else {
        v.bytes.assign(data, data + size);
    }
    return v;
}

LONG writeValue(HKEY h, const Value& v) {
    std::wstring name = utf8ToWide(v.name);
    if (!isStringType(v.type))
        return setValue(h, name.c_str(), v.type, v.bytes.empty() ? nullptr : v.bytes.data(),
                        static_cast<DWORD>(v.bytes.size()));
    std::wstring w = utf8ToWide(v.text);
    w.push_back(L'\0');
    if (v.type == REG_MULTI_SZ)
        w.push_back(L'\0');
    return setValue(h, name.c_str(), v.type, reinterpret_cast<const BYTE*>(w.data()),
                    static_cast<DWORD>(w.size() * sizeof(wchar_t)));
}

// Brings the key's values up to date in place: values that stay keep their
// place, so pointers handed out earlier stay good.
void readValues(HKEY h, Key& k) {
    std::map<std::string, Value> now;
    std::vector<wchar_t> name(256);
    std::vector<BYTE> data(1024);
    for (DWORD i = 0;;) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        LONG rc = RegEnumValueW(h, i, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            name.resize(name.size() * 2 + 16384);
            data.resize(std::max<size_t>(data.size() * 2, size));
            continue;
        }
        if (rc != ERROR_SUCCESS)
            break;
        Value v = fromReal(name.data(), nameLength, type, data.data(), size);
        now[upper(v.name)] = v;
        ++i;
    }
    for (auto it = k.values.begin(); it != k.values.end();)
        it = now.count(it->first) ? std::next(it) : k.values.erase(it);
    for (auto& v : now)
        k.values[v.first] = std::move(v.second);
}

void readTree(HKEY h, Key& k) {
    readValues(h, k);
    std::set<std::string> seen;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = 256;
        if (RegEnumKeyExW(h, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY child = nullptr;
        if (openKey(h, name, &child) != ERROR_SUCCESS)
            continue;
        std::string childName = wideToUtf8(name, len);
        std::unique_ptr<Key>& sub = k.keys[upper(childName)];
        if (!sub)
            sub.reset(new Key);
        sub->name = childName;
        readTree(child, *sub);
        RegCloseKey(child);
        seen.insert(upper(childName));
    }
    for (auto it = k.keys.begin(); it != k.keys.end();)
        it = seen.count(it->first) ? std::next(it) : k.keys.erase(it);
}

void importTree(HKEY base, const Key& k, const std::wstring& sub) {
    HKEY h = nullptr;
    if (createKey(base, sub.c_str(), &h) != ERROR_SUCCESS)
        return;
    for (const auto& v : k.values)
        writeValue(h, v.second);
    for (const auto& child : k.keys)
        importTree(h, *child.second, utf8ToWide(child.second->name));
    RegCloseKey(h);
}

}  // namespace

Registry::Registry() = default;

Registry::~Registry() {
    closeSandbox();
}

bool Registry::realPath(const std::string& fullPath, void*& base, std::wstring& sub) const {
    std::vector<std::string> parts = split(fullPath);
    if (parts.empty() || !equalsNoCase(parts[0], kCurrentUser))
        return false;
    base = m_sandbox != nullptr ? m_sandbox : static_cast<void*>(HKEY_CURRENT_USER);
    sub.clear();
    for (size_t i = 1; i < parts.size(); ++i)
        sub += (i > 1 ? L"\\" : L"") + utf8ToWide(parts[i]);
    return true;
}

void Registry::openSandbox() {
    HKEY parent = sandboxes();
    if (parent == nullptr)
        return;
    sweepStale(parent);
    static int s_count = 0;
    std::wstring name = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++s_count);
    RegDeleteTreeW(parent, name.c_str());  // a leftover of an earlier process with the same id
    HKEY key = nullptr;
    // Not volatile: wine refuses lasting keys under a volatile one, and the
    // file's keys are imported as lasting keys.
    if (createKey(parent, name.c_str(), &key) != ERROR_SUCCESS)
        return;
    m_sandbox = key;
    if (const Key* cu = findIn(m_root, kCurrentUser))
        importTree(key, *cu, std::wstring());
    static bool s_atExit = false;
    if (!s_atExit) {
        s_atExit = true;
        std::atexit(dropAllAtExit);
    }
    redirections().push_back(Redirection{this, key, name});
    redirect();
}

void Registry::closeSandbox() {
    if (m_sandbox == nullptr)
        return;
    std::vector<Redirection>& r = redirections();
    auto it = std::find_if(r.begin(), r.end(), [this](const Redirection& x) { return x.owner == this; });
    if (it != r.end()) {  // else already removed at exit
        Redirection mine = *it;
        r.erase(it);
        redirect();
        dropSandbox(mine);
    }
    m_sandbox = nullptr;
}

void Registry::replaced() {
    if (m_sandbox == nullptr)
        return;
    RegDeleteTreeW(hkey(m_sandbox), nullptr);
    if (const Key* cu = findIn(m_root, kCurrentUser))
        importTree(hkey(m_sandbox), *cu, std::wstring());
}

void Registry::refresh(const std::string& fullPath, bool deep) {
    void* base = nullptr;
    std::wstring sub;
    if (!realPath(fullPath, base, sub))
        return;  // other root keys live in memory only
    HKEY h = nullptr;
    if (openKey(hkey(base), sub.c_str(), &h) != ERROR_SUCCESS) {
        removeIn(m_root, fullPath);
        return;
    }
    bool created = false;
    Key* k = createIn(m_root, fullPath, created);
    // The whole of the real user's key is too much to read; its own values do.
    if (sub.empty() && m_sandbox == nullptr)
        readValues(h, *k);
    else if (deep)
        readTree(h, *k);
    else
        readValues(h, *k);
    RegCloseKey(h);
    // An empty sandbox has no root key, as an empty file has none.
    if (sub.empty() && deep && k->keys.empty() && k->values.empty())
        removeIn(m_root, fullPath);
}

Registry::Key* Registry::find(const std::string& fullPath) {
    refresh(fullPath, true);
    return findIn(m_root, fullPath);
}

Registry::Key* Registry::create(const std::string& fullPath, bool& created) {
    created = false;
    void* base = nullptr;
    std::wstring sub;
    if (!realPath(fullPath, base, sub))
        return createIn(m_root, fullPath, created);
    HKEY h = nullptr;
    DWORD disposition = 0;
    if (createKey(hkey(base), sub.c_str(), &h, &disposition) != ERROR_SUCCESS)
        return nullptr;
    RegCloseKey(h);
    created = disposition == REG_CREATED_NEW_KEY;
    refresh(fullPath, false);
    return findIn(m_root, fullPath);
}

bool Registry::removeKey(const std::string& fullPath) {
    void* base = nullptr;
    std::wstring sub;
    bool removed = false;
    if (!realPath(fullPath, base, sub)) {
        removed = removeIn(m_root, fullPath);
    } else if (!sub.empty() || m_sandbox != nullptr) {  // never the real user's whole key
        HKEY h = nullptr;
        removed = openKey(hkey(base), sub.c_str(), &h) == ERROR_SUCCESS;
        if (removed) {
            RegCloseKey(h);
            removed = RegDeleteTreeW(hkey(base), sub.empty() ? nullptr : sub.c_str()) == ERROR_SUCCESS;
        }
        removeIn(m_root, fullPath);
    }
    if (removed)
        save();
    return removed;
}

void Registry::setReal(const std::string& fullPath, const Value& v) {
    void* base = nullptr;
    std::wstring sub;
    if (realPath(fullPath, base, sub)) {
        HKEY h = nullptr;
        if (createKey(hkey(base), sub.c_str(), &h) == ERROR_SUCCESS) {
            writeValue(h, v);
            RegCloseKey(h);
        }
        refresh(fullPath, false);
    } else {
        bool created = false;
        if (Key* k = createIn(m_root, fullPath, created)) {
            Value& slot = slotIn(*k, v.name);
            std::string name = slot.name;
            slot = v;
            slot.name = name;
        }
    }
    save();
}

void Registry::setString(const std::string& fullPath, const std::string& name, const std::string& text) {
    Value v;
    v.name = name;
    v.type = REG_SZ;
    v.text = text;
    setReal(fullPath, v);
}

void Registry::setDword(const std::string& fullPath, const std::string& name, std::uint32_t value) {
    Value v;
    v.name = name;
    v.type = REG_DWORD;
    v.bytes = dwordBytes(value);
    setReal(fullPath, v);
}

const Registry::Value* Registry::value(const std::string& fullPath, const std::string& name) {
    refresh(fullPath, false);
    Key* k = findIn(m_root, fullPath);
    if (k == nullptr)
        return nullptr;
    auto it = k->values.find(upper(name));
    return it == k->values.end() ? nullptr : &it->second;
}

std::string Registry::text() const {
    // The tree is a cache of the real registry: bring the sandbox's part up to date.
    if (m_sandbox != nullptr)
        const_cast<Registry*>(this)->refresh(kCurrentUser, true);
    return textOf(m_root);
}

bool Registry::open(const std::string& path, std::string& message) {
    closeSandbox();
    m_root = Key();
    m_path = path;
    m_writable = true;
    message.clear();
    std::string text;
    std::vector<std::string> problems;
    if (!path.empty() && readFileText(path, text))
        parse(text, problems);  // into memory: there is no sandbox yet
    openSandbox();
    m_written = this->text();
    if (problems.empty() && m_sandbox != nullptr)
        return true;
    if (!problems.empty()) {
        m_writable = false;
        message = describeProblems(path, problems);
    }
    if (m_sandbox == nullptr)  // the file's keys are not in the registry either
        message += std::string(message.empty() ? "" : "\n") +
                   "cannot make a private registry key; the user's own registry is used";
    return false;
}

bool Registry::save(std::string* error) {
    if (m_path.empty() || !m_writable)
        return true;
    return writeFile(text(), error);
}

bool Registry::flush(std::string* error) {
    if (m_path.empty() || !m_writable)
        return true;
    std::string now = text();
    return now == m_written || writeFile(now, error);
}

}  // namespace hs

#endif

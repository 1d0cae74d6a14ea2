// The registry store and its REGEDIT4 text file. The store's operations are
// kept in memory here (non-Windows); registry_real.cpp keeps them in the real
// registry on Windows.
#include "hostsim/registry.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/terminal.h"
#include "hostsim/text.h"
#include "win/registry_detail.h"

namespace hs {

namespace {

const char* const kHeader = "REGEDIT4";

std::string quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// Reads a quoted string starting at s[pos] == '"'; pos ends after the
// closing quote. False when it is not closed.
bool readQuoted(const std::string& s, size_t& pos, std::string& out) {
    out.clear();
    ++pos;
    while (pos < s.size()) {
        char c = s[pos++];
        if (c == '"')
            return true;
        if (c == '\\' && pos < s.size())
            c = s[pos++];
        out += c;
    }
    return false;
}

bool parseHexBytes(const std::string& s, std::vector<unsigned char>& out) {
    out.clear();
    std::string item;
    std::istringstream in(s);
    while (std::getline(in, item, ',')) {
        size_t b = item.find_first_not_of(" \t");
        size_t e = item.find_last_not_of(" \t");
        if (b == std::string::npos)
            continue;
        item = item.substr(b, e - b + 1);
        if (item.size() > 2 || item.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return false;
        out.push_back(static_cast<unsigned char>(std::stoul(item, nullptr, 16)));
    }
    return true;
}

std::string hexBytes(const std::vector<unsigned char>& bytes) {
    std::string out;
    char buf[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", bytes[i]);
        if (i)
            out += ',';
        out += buf;
    }
    return out;
}

}  // namespace

namespace regdetail {

bool isStringType(std::uint32_t type) {
    return type == 1 || type == 2 || type == 7;
}

std::vector<unsigned char> dwordBytes(std::uint32_t value) {
    return {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
            static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
}

Key* findIn(Key& root, const std::string& fullPath) {
    Key* k = &root;
    for (const std::string& part : Registry::split(fullPath)) {
        auto it = k->keys.find(upper(part));
        if (it == k->keys.end())
            return nullptr;
        k = it->second.get();
    }
    return k == &root ? nullptr : k;
}

Key* createIn(Key& root, const std::string& fullPath, bool& created) {
    created = false;
    Key* k = &root;
    std::vector<std::string> parts = Registry::split(fullPath);
    if (parts.empty())
        return nullptr;
    for (const std::string& part : parts) {
        auto& slot = k->keys[upper(part)];
        created = false;
        if (!slot) {
            slot.reset(new Key);
            slot->name = part;
            created = true;
        }
        k = slot.get();
    }
    return k;
}

bool removeIn(Key& root, const std::string& fullPath) {
    std::vector<std::string> parts = Registry::split(fullPath);
    if (parts.empty())
        return false;
    std::string last = parts.back();
    parts.pop_back();
    Key* parent = &root;
    for (const std::string& part : parts) {
        auto it = parent->keys.find(upper(part));
        if (it == parent->keys.end())
            return false;
        parent = it->second.get();
    }
    return parent->keys.erase(upper(last)) != 0;
}

Value& slotIn(Key& key, const std::string& name) {
    Value& v = key.values[upper(name)];
    if (v.name.empty())
        v.name = name;
    return v;
}

bool readFileText(const std::string& path, std::string& text) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in)
        return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return true;
}

}  // namespace regdetail

using namespace regdetail;

std::vector<std::string> Registry::split(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

void Registry::clear() {
    m_root = Key();
    replaced();
}

// ---- the file ------------------------------------------------------------------------------------

void Registry::parse(const std::string& text, std::vector<std::string>& problems) {
    clear();
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    int startLine = 0;
    Key* current = nullptr;
    std::string pending;
    bool sawHeader = false;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (pending.empty())
            startLine = lineNo;
        if (!pending.empty()) {
            size_t b = line.find_first_not_of(" \t");
            line = pending + (b == std::string::npos ? std::string() : line.substr(b));
            pending.clear();
        }
        // A hex value may go on over several lines ending in a backslash.
        if (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos) {
            line.pop_back();
            pending = line;
            continue;
        }
        std::string where = "line " + std::to_string(startLine) + ": ";
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == ';')
            continue;
        line = line.substr(first);
        if (!sawHeader) {
            sawHeader = true;
            if (line == kHeader || line == "Windows Registry Editor Version 5.00")
                continue;
            problems.push_back(where + "the file does not start with " + std::string(kHeader));
        }
        if (line[0] == '[') {
            size_t end = line.rfind(']');
            if (end == std::string::npos || end == 1) {
                problems.push_back(where + "a key line must be [KEY\\PATH]");
                current = nullptr;
                continue;
            }
            bool created = false;
            current = createIn(m_root, line.substr(1, end - 1), created);
            continue;
        }
        std::string name;
        size_t pos = 0;
        if (line[0] == '@') {
            pos = 1;
        } else if (line[0] == '"') {
            if (!readQuoted(line, pos, name)) {
                problems.push_back(where + "the value name has no closing quote");
                continue;
            }
        } else {
            problems.push_back(where + "expected [KEY], \"name\"=value or @=value");
            continue;
        }
        if (current == nullptr) {
            problems.push_back(where + "a value outside any key");
            continue;
        }
        if (pos >= line.size() || line[pos] != '=') {
            problems.push_back(where + "expected '=' after the value name");
            continue;
        }
        std::string rhs = line.substr(pos + 1);
        Value v;
        v.name = name;
        if (!rhs.empty() && rhs[0] == '"') {
            size_t p = 0;
            if (!readQuoted(rhs, p, v.text) || rhs.find_first_not_of(" \t", p) != std::string::npos) {
                problems.push_back(where + "a string value must be one quoted text");
                continue;
            }
            v.type = 1;
        } else if (rhs.rfind("dword:", 0) == 0) {
            std::string hex = rhs.substr(6);
            if (hex.empty() || hex.size() > 8 ||
                hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
                problems.push_back(where + "a dword value needs 1 to 8 hexadecimal digits");
                continue;
            }
            std::uint32_t d = static_cast<std::uint32_t>(std::stoul(hex, nullptr, 16));
            v.type = 4;
            v.bytes = dwordBytes(d);
        } else if (rhs.rfind("hex", 0) == 0) {
            size_t colon = rhs.find(':');
            std::string kind = rhs.substr(3, colon == std::string::npos ? std::string::npos : colon - 3);
            std::uint32_t type = 3;
            bool ok = colon != std::string::npos;
            if (ok && !kind.empty()) {
                ok = kind.size() > 2 && kind.front() == '(' && kind.back() == ')' &&
                     kind.find_first_not_of("0123456789abcdefABCDEF", 1) == kind.size() - 1;
                if (ok)
                    type =
                        static_cast<std::uint32_t>(std::stoul(kind.substr(1, kind.size() - 2), nullptr, 16));
            }
            if (!ok || !parseHexBytes(rhs.substr(colon + 1), v.bytes)) {
                problems.push_back(where + "a hex value must be hex:xx,xx or hex(N):xx,xx");
                continue;
            }
            v.type = type;
            if (isStringType(type)) {
                // hex(2)/hex(7) in a REGEDIT4 file hold 8-bit text with zero terminators.
                std::string t(v.bytes.begin(), v.bytes.end());
                while (!t.empty() && t.back() == '\0')
                    t.pop_back();
                v.text = t;
                v.bytes.clear();
            }
        } else {
            problems.push_back(where + "unknown value form (use \"text\", dword:, hex: or hex(N):)");
            continue;
        }
        if (line[0] == '@')
            v.name.clear();
        current->values[upper(v.name)] = v;
    }
    if (!pending.empty())
        problems.push_back("line " + std::to_string(startLine) + ": a hex value ends with a continuation");
    replaced();
}

static void writeKey(std::ostringstream& out, const Registry::Key& k, const std::string& path) {
    out << "\n[" << path << "]\n";
    for (const auto& entry : k.values) {
        const Registry::Value& v = entry.second;
        out << (v.name.empty() ? std::string("@") : quote(v.name)) << "=";
        bool plain = v.text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
        if (v.type == 1 && plain) {
            out << quote(v.text);
        } else if (v.type == 4 && v.bytes.size() == 4) {
            char buf[16];
            unsigned d = v.bytes[0] | (v.bytes[1] << 8) | (v.bytes[2] << 16) |
                         (static_cast<unsigned>(v.bytes[3]) << 24);
            std::snprintf(buf, sizeof buf, "dword:%08x", d);
            out << buf;
        } else if (isStringType(v.type)) {
            std::vector<unsigned char> bytes(v.text.begin(), v.text.end());
            bytes.push_back(0);
            if (v.type == 7)
                bytes.push_back(0);
            char buf[16];
            std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
            out << buf << hexBytes(bytes);
        } else if (v.type == 3) {
            out << "hex:" << hexBytes(v.bytes);
        } else {
            char buf[16];
            std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
            out << buf << hexBytes(v.bytes);
        }
        out << "\n";
    }
    for (const auto& child : k.keys)
        writeKey(out, *child.second, path + "\\" + child.second->name);
}

namespace regdetail {

std::string textOf(const Key& root) {
    std::ostringstream out;
    out << kHeader << "\n";
    for (const auto& child : root.keys)
        writeKey(out, *child.second, child.second->name);
    return out.str();
}

}  // namespace regdetail

bool Registry::writeFile(const std::string& text, std::string* error) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::u8path(m_path);
    if (p.has_parent_path())
        std::filesystem::create_directories(p.parent_path(), ec);
    // Written beside and renamed, so a failed write never leaves half a file.
    std::filesystem::path tmp = std::filesystem::u8path(m_path + ".tmp");
    os::setPartialFile(m_path + ".tmp");
    struct Clear {
        ~Clear() { os::setPartialFile(std::string()); }
    } clearAtEnd;
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::string why = "cannot write " + m_path + ".tmp";
            if (m_writeError.empty())
                m_writeError = why;
            if (error)
                *error = why;
            out.close();
            std::filesystem::remove(tmp, ec);
            return false;
        }
    }
    std::filesystem::rename(tmp, p, ec);
    if (ec) {
        std::string why = "cannot replace " + m_path + ": " + ec.message();
        if (m_writeError.empty())
            m_writeError = why;
        if (error)
            *error = why;
        std::filesystem::remove(tmp, ec);
        return false;
    }
    m_written = text;
    return true;
}

std::string regdetail::describeProblems(const std::string& path, const std::vector<std::string>& problems) {
    std::string message = "registry file " + path + ":";
    for (const std::string& p : problems)
        message += "\n  " + p;
    return message + "\n  The rest was read; the file will not be changed in this session.";
}

#if !defined(_WIN32)

Registry::Registry() = default;
Registry::~Registry() = default;

void Registry::replaced() {}

Registry::Key* Registry::find(const std::string& fullPath) {
    return findIn(m_root, fullPath);
}

Registry::Key* Registry::create(const std::string& fullPath, bool& created) {
    return createIn(m_root, fullPath, created);
}

bool Registry::removeKey(const std::string& fullPath) {
    bool removed = removeIn(m_root, fullPath);
    if (removed)
        save();
    return removed;
}

void Registry::setString(const std::string& fullPath, const std::string& name, const std::string& text) {
    bool created = false;
    Key* k = create(fullPath, created);
    if (k == nullptr)
        return;
    Value& v = slotIn(*k, name);
    v.type = 1;
    v.text = text;
    v.bytes.clear();
    save();
}

void Registry::setDword(const std::string& fullPath, const std::string& name, std::uint32_t value) {
    bool created = false;
    Key* k = create(fullPath, created);
    if (k == nullptr)
        return;
    Value& v = slotIn(*k, name);
    v.type = 4;
    v.text.clear();
    v.bytes = dwordBytes(value);
    save();
}

const Registry::Value* Registry::value(const std::string& fullPath, const std::string& name) {
    Key* k = find(fullPath);
    if (k == nullptr)
        return nullptr;
    auto it = k->values.find(upper(name));
    return it == k->values.end() ? nullptr : &it->second;
}

std::string Registry::text() const {
    return textOf(m_root);
}

bool Registry::open(const std::string& path, std::string& message) {
    clear();
    m_path = path;
    m_writable = true;
    m_written.clear();
    message.clear();
    std::string text;
    if (!readFileText(path, text))
        return true;  // made on the first change
    m_written = text;
    std::vector<std::string> problems;
    parse(text, problems);
    if (problems.empty())
        return true;
    m_writable = false;
    message = describeProblems(path, problems);
    return false;
}

bool Registry::save(std::string* error) {
    if (m_path.empty() || !m_writable)
        return true;
    return writeFile(text(), error);
}

bool Registry::flush(std::string*) {
    return true;  // every change is written when it is made
}

#endif

}  // namespace hs

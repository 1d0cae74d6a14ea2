// The per-user registry of the stand-in host, kept in a text file of the
// REGEDIT4 form:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Halvorn\Quillwerk]
//   "wmColor"=dword:000000fa
//   "Name"="text"                       REG_SZ (UTF-8 in the file)
//   "Big"=hex(b):01,00,00,00,00,00,00,00  REG_QWORD
//   "Raw"=hex:01,02                     REG_BINARY
//   "BE"=hex(5):00,00,00,01             REG_DWORD_BIG_ENDIAN (any hex(N) is type N)
//   @="default value"
//
// The file is read when opened and written back after every change. A line
// that cannot be read is reported with its number; the rest is kept, and the
// file is then never rewritten in that session, so nothing of the user's file
// is lost. Key and value names compare ignoring case.
//
// On Windows the store is the real registry. open() makes a private sandbox
// key HKEY_CURRENT_USER\Software\Hostsim\Sandbox\<pid>-<n>, copies the
// file's HKEY_CURRENT_USER keys into it and points the process's
// HKEY_CURRENT_USER at it, so the module's own registry calls land there too;
// closing removes it. Without open() the real HKEY_CURRENT_USER is used and no
// file is written. Other root keys are kept in memory and in the file only.
// Reads refresh the asked part from the real registry; writes go to it; the
// file is written from the real registry (see flush()).
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace hs {

class Registry {
public:
    struct Value {
        std::string name;  // as first written
        std::uint32_t type = 0;
        // String types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) keep UTF-8 text in
        // `text` (REG_MULTI_SZ: parts separated by '\0'); others keep bytes.
        std::string text;
        std::vector<unsigned char> bytes;
    };
    struct Key {
        std::string name;                                  // this level's name as first written
        std::map<std::string, Value> values;               // upper-case name
        std::map<std::string, std::unique_ptr<Key>> keys;  // upper-case name
    };

    Registry();
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // Opens the file (made when missing, on the first change). Returns false
    // with a message when a line cannot be read; what could be read is kept.
    bool open(const std::string& path, std::string& message);
    const std::string& path() const { return m_path; }
    // False when the file had unreadable lines: changes stay in memory.
    bool writable() const { return m_writable; }
    // Writes the whole registry to the file (if any and writable).
    bool save(std::string* error = nullptr);
    // Writes the file when the registry changed since it was read or last
    // written. On Windows the module changes the real registry directly, so
    // the host calls this after each command and at exit; elsewhere every
    // change is already written and this does nothing.
    bool flush(std::string* error = nullptr);
    // The first failure to write the file in this session ("" when none):
    // a change that could not be written is an error of the run.
    const std::string& writeError() const { return m_writeError; }
    // True when the store is a private sandbox of the real registry (Windows,
    // after open()).
    bool sandboxed() const { return m_sandbox != nullptr; }

    // Keys by full path ("HKEY_CURRENT_USER\\Software\\X"); null when missing.
    Key* find(const std::string& fullPath);
    // Creates missing keys level by level; created is true when the last
    // level was new.
    Key* create(const std::string& fullPath, bool& created);
    bool removeKey(const std::string& fullPath);

    // Convenience for hostsim's own records and tests.
    void setString(const std::string& fullPath, const std::string& name, const std::string& text);
    void setDword(const std::string& fullPath, const std::string& name, std::uint32_t value);
    const Value* value(const std::string& fullPath, const std::string& name);

    // The file text of the current contents.
    std::string text() const;
    // Parses file text into this registry (replacing it); unreadable lines are
    // listed as "line N: why".
    void parse(const std::string& text, std::vector<std::string>& problems);
    void clear();

    // Splits "A\\B\\C" into its levels (empty levels skipped).
    static std::vector<std::string> split(const std::string& path);

private:
    bool writeFile(const std::string& text, std::string* error);
    void replaced();  // after parse(): the store takes the parsed contents
#if defined(_WIN32)
    void openSandbox();
    void closeSandbox();
    void refresh(const std::string& fullPath, bool deep);
    bool realPath(const std::string& fullPath, void*& base, std::wstring& sub) const;
    void setReal(const std::string& fullPath, const Value& v);
#endif

    Key m_root;  // children are the root keys (HKEY_CURRENT_USER ...)
    std::string m_path;
    bool m_writable = true;
    void* m_sandbox = nullptr;  // HKEY of the sandbox (Windows)
    std::string m_written;      // file text as read or last written
    std::string m_writeError;   // the first failed write
};

}  // namespace hs

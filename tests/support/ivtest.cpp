// Test helpers: temporary folders, files, registry files and hostsim runs.
#include "ivtest.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

#if !defined(_WIN32)
extern char** environ;
#endif

namespace ivtest {

namespace fs = std::filesystem;

const char* const kSettingsKey = "HKEY_CURRENT_USER\\Software\\Halvorn\\Quillwerk";

// ---- folders and files ------------------------------------------------------------

TempDir::TempDir() {
    // A new folder with a random name; create_directory fails when the name
    // is taken, so two processes never share one.
    fs::path base = fs::temp_directory_path();
    std::random_device seed;
    std::mt19937_64 random(seed() ^ static_cast<unsigned long long>(
                                        std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "ivtest-%012llx",
                      static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
        std::error_code ec;
        if (fs::create_directory(base / name, ec)) {
            m_path = (base / name).generic_string();
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder under " + base.string());
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

std::string TempDir::file(const std::string& name) const {
    return m_path + "/" + name;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("cannot write " + path);
    out << text;
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::path(path), ec);
}

std::string binDir() {
    return IV_BIN_DIR;
}
std::string hostsimPath() {
#if defined(_WIN32)
    return binDir() + "/hostsim.exe";
#else
    return binDir() + "/hostsim";
#endif
}
std::string modulePath() {
    return binDir() + "/" + IV_MODULE_FILE;
}
std::string nativePath(const std::string& path) {
#if defined(_WIN32)
    std::string out = path;
    for (char& c : out)
        if (c == '/')
            c = '\\';
    return out;
#else
    return path;
#endif
}

std::string sourcePath(const std::string& relative) {
    return std::string(IV_SOURCE_DIR) + "/" + relative;
}
std::string testModuleDir() {
    return IV_TEST_MODULE_DIR;
}
std::string watermarkSourceFile() {
    return IRONVEIL_WATERMARK_SOURCE;
}

int Run::count(const std::string& text) const {
    if (text.empty())
        return 0;
    int n = 0;
    for (size_t pos = transcript.find(text); pos != std::string::npos;
         pos = transcript.find(text, pos + text.size()))
        ++n;
    return n;
}

// ---- running hostsim -----------------------------------------------------------------

namespace {

std::string absoluteIn(const TempDir& dir, const std::string& path) {
    if (path.empty() || fs::path(path).is_absolute() || path[0] == '/')
        return path;
    return dir.file(path);
}

// Starts the program with stdin/stdout/stderr redirected to files and waits
// for it, killing it after the timeout.
#if defined(_WIN32)
std::wstring wide(const std::string& utf8) {
    if (utf8.empty())
        return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

// One argument as the C run-time's command-line parser reads it back.
std::wstring quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos)
        return arg;
    std::wstring out = L"\"";
    size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out.push_back(c);
    }
    out.append(slashes * 2, L'\\');
    out.push_back(L'"');
    return out;
}

HANDLE openForChild(const std::string& path, bool write) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return CreateFileW(wide(path).c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, write ? CREATE_ALWAYS : OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

int spawnAndWait(const std::vector<std::string>& args, const std::vector<std::string>& envAdd,
                 const std::string& inPath, const std::string& outPath, const std::string& errPath,
                 const std::string& dir, int timeoutSeconds) {
    // The environment block: this process's, HOME and XDG_CONFIG_HOME pointed
    // at the run folder, then the additions.
    std::vector<std::wstring> vars;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* p = block; *p != 0; p += std::wcslen(p) + 1) {
            std::wstring v(p);
            if (v.rfind(L"XDG_CONFIG_HOME=", 0) == 0 || v.rfind(L"HOME=", 0) == 0)
                continue;
            vars.push_back(v);
        }
        FreeEnvironmentStringsW(block);
    }
    vars.push_back(wide("XDG_CONFIG_HOME=" + dir + "/config"));
    vars.push_back(wide("HOME=" + dir));
    for (const std::string& e : envAdd)
        vars.push_back(wide(e));
    std::wstring env;
    for (const std::wstring& v : vars)
        env += v + L'\0';
    env += L'\0';

    std::wstring commandLine;
    for (const std::string& a : args)
        commandLine += (commandLine.empty() ? L"" : L" ") + quoted(wide(a));

    HANDLE in = openForChild(inPath, false);
    HANDLE out = openForChild(outPath, true);
    HANDLE err = openForChild(errPath, true);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    BOOL started =
        CreateProcessW(wide(args[0]).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, env.data(), nullptr, &si, &pi);
    CloseHandle(in);
    CloseHandle(out);
    CloseHandle(err);
    if (!started)
        return -1;
    CloseHandle(pi.hThread);
    DWORD waited = WaitForSingleObject(pi.hProcess, static_cast<DWORD>(timeoutSeconds) * 1000);
    DWORD code = static_cast<DWORD>(-1);
    if (waited == WAIT_OBJECT_0) {
        GetExitCodeProcess(pi.hProcess, &code);
    } else {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, INFINITE);
    }
    CloseHandle(pi.hProcess);
    return waited == WAIT_OBJECT_0 ? static_cast<int>(code) : -1;
}
#else
int spawnAndWait(const std::vector<std::string>& args, const std::vector<std::string>& envAdd,
                 const std::string& inPath, const std::string& outPath, const std::string& errPath,
                 const std::string& dir, int timeoutSeconds) {
    std::vector<std::string> envStrings;
    for (char** e = environ; e && *e; ++e) {
        std::string s(*e);
        if (s.rfind("XDG_CONFIG_HOME=", 0) == 0 || s.rfind("HOME=", 0) == 0)
            continue;
        envStrings.push_back(s);
    }
    envStrings.push_back("XDG_CONFIG_HOME=" + dir + "/config");
    envStrings.push_back("HOME=" + dir);
    for (const std::string& e : envAdd)
        envStrings.push_back(e);

    // IV_RUN_PREFIX names a program that must start the built ones, as
    // "qemu-i386 -L /" for 32-bit builds where the kernel cannot run them.
    std::vector<std::string> words;
    if (const char* prefix = std::getenv("IV_RUN_PREFIX")) {
        std::istringstream in(prefix);
        for (std::string w; in >> w;)
            words.push_back(w);
    }
    bool prefixed = !words.empty();
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (const std::string& a : words)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : envStrings)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    int rc = prefixed ? posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data())
                      : posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return -1;

    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0)
            return -1;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return -1;
}

#endif

Run runIn(std::shared_ptr<TempDir> dir, const std::vector<std::string>& args,
          const std::vector<std::string>& env, const std::string& stdinText, int timeoutSeconds) {
    Run run;
    run.dir = dir;
    std::string inPath = dir->file(".stdin");
    writeFile(inPath, stdinText);
    std::string outPath = dir->file(".stdout");
    std::string errPath = dir->file(".stderr");
    run.exitCode = spawnAndWait(args, env, inPath, outPath, errPath, dir->path(), timeoutSeconds);
    run.transcript = readFile(outPath);
    run.errors = readFile(errPath);
    return run;
}

}  // namespace

Run runHostsim(const std::string& script, const HostsimOptions& options) {
    auto dir = std::make_shared<TempDir>();
    std::string scriptPath = dir->file("script.scr");
    writeFile(scriptPath, script);
    std::string registryPath = dir->file("registry.reg");
    if (!options.registryText.empty())
        writeFile(registryPath, options.registryText);

    std::vector<std::string> args{hostsimPath()};
    if (!options.loadModule)
        args.push_back("--no-load");
    for (const std::string& m : options.modules) {
        args.push_back("--load");
        args.push_back(m);
    }
    if (options.loadModule && !options.modules.empty()) {
        args.push_back("--load");
        args.push_back(modulePath());
    }
    args.push_back("--script");
    args.push_back(scriptPath);
    args.push_back("--registry");
    args.push_back(registryPath);
    std::string savePath = absoluteIn(*dir, options.saveDxf);
    if (!savePath.empty()) {
        args.push_back("--save");
        args.push_back(savePath);
    }
    std::string svgPath = absoluteIn(*dir, options.saveSvg);
    if (!svgPath.empty()) {
        args.push_back("--svg");
        args.push_back(svgPath);
    }
    for (const std::string& a : options.extraArgs)
        args.push_back(a);
    if (!options.drawing.empty())
        args.push_back(options.drawing);

    Run run = runIn(dir, args, options.env, std::string(), options.timeoutSeconds);
    run.registryPath = registryPath;
    run.savePath = savePath;
    run.svgPath = svgPath;
    return run;
}

Run runHostsimArgs(const std::vector<std::string>& args, const std::string& stdinText, int timeoutSeconds) {
    auto dir = std::make_shared<TempDir>();
    std::vector<std::string> full{hostsimPath()};
    full.insert(full.end(), args.begin(), args.end());
    return runIn(dir, full, {}, stdinText, timeoutSeconds);
}

// ---- registry files -------------------------------------------------------------------

std::string regDword(unsigned int value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "dword:%08x", value);
    return buf;
}

std::string regString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string regFileText(const RegKeys& keys) {
    std::string out = "REGEDIT4\n";
    for (const auto& key : keys) {
        out += "\n[" + key.first + "]\n";
        for (const auto& v : key.second)
            out += (v.first == "@" ? std::string("@") : regString(v.first)) + "=" + v.second + "\n";
    }
    return out;
}

namespace {
std::string upperAscii(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
}  // namespace

RegFile RegFile::load(const std::string& path) {
    return parse(readFile(path));
}

RegFile RegFile::parse(const std::string& text) {
    RegFile f;
    std::istringstream in(text);
    std::string line;
    std::string current;
    std::string pending;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!pending.empty()) {
            size_t start = line.find_first_not_of(" \t");
            line = pending + (start == std::string::npos ? "" : line.substr(start));
            pending.clear();
        }
        if (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos) {
            line.pop_back();
            pending = line;
            continue;
        }
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            size_t end = line.rfind(']');
            current = line.substr(1, end == std::string::npos ? std::string::npos : end - 1);
            f.m_keys[upperAscii(current)];
            continue;
        }
        if (current.empty())
            continue;
        std::string name;
        size_t pos = 0;
        if (line[0] == '@') {
            name = "@";
            pos = 1;
        } else if (line[0] == '"') {
            pos = 1;
            while (pos < line.size() && line[pos] != '"') {
                if (line[pos] == '\\' && pos + 1 < line.size())
                    ++pos;
                name += line[pos++];
            }
            ++pos;
        } else {
            continue;
        }
        if (pos >= line.size() || line[pos] != '=')
            continue;
        f.m_keys[upperAscii(current)][upperAscii(name)] = line.substr(pos + 1);
    }
    return f;
}

bool RegFile::hasKey(const std::string& key) const {
    return m_keys.count(upperAscii(key)) != 0;
}

bool RegFile::hasValue(const std::string& key, const std::string& name) const {
    auto it = m_keys.find(upperAscii(key));
    return it != m_keys.end() && it->second.count(upperAscii(name)) != 0;
}

std::string RegFile::value(const std::string& key, const std::string& name) const {
    auto it = m_keys.find(upperAscii(key));
    if (it == m_keys.end())
        return std::string();
    auto v = it->second.find(upperAscii(name));
    return v == it->second.end() ? std::string() : v->second;
}

std::vector<std::string> RegFile::keys() const {
    std::vector<std::string> out;
    for (const auto& k : m_keys)
        out.push_back(k.first);
    return out;
}

}  // namespace ivtest

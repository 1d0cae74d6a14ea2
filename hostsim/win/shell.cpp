// ShellExecute: records each request in the transcript as "<verb> <file>";
// with --open-urls the address is also opened (the desktop's opener, or on
// Windows the real ShellExecute). On Windows the module calls shell32 itself;
// interceptShell points its imports at the recorder here.
#if defined(_WIN32)
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#endif

#include <cstdint>
#include <cwchar>
#include <string>

#include "core/session_imp.h"
#include "hostsim/session.h"
#include "hostsim/text.h"
#include "win/shell.h"
#include "winsubset.h"

#if !defined(_WIN32)
extern char** environ;
#endif

namespace hs {

namespace {

// Writes the request to the transcript; true when it is to be opened too.
bool record(const std::string& verb, const std::string& file) {
    Session& session = Session::get();
    if (!session.imp().atLineStart)
        session.print("\n");
    session.print((verb.empty() ? std::string("open") : verb) + " " + file + "\n");
    return session.imp().openUrls && !file.empty();
}

// Values above 32 mean success.
HINSTANCE success() {
    return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(42));
}

std::string w(LPCWSTR s) {
    return s ? wideToUtf8(s, std::wcslen(s)) : std::string();
}
std::string a(LPCSTR s) {
    return s ? std::string(s) : std::string();
}

#if !defined(_WIN32)

HINSTANCE shellExecute(const std::string& verb, const std::string& file) {
    if (record(verb, file)) {
        pid_t pid = 0;
        const char* argv[] = {"xdg-open", file.c_str(), nullptr};
        if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, const_cast<char**>(argv), environ) == 0)
            waitpid(pid, nullptr, 0);
    }
    return success();
}

#endif

}  // namespace

}  // namespace hs

#if defined(_WIN32)

#include "win/intercept.h"

namespace hs {

namespace {

HINSTANCE WINAPI recordShellExecuteA(HWND hwnd, LPCSTR op, LPCSTR file, LPCSTR params, LPCSTR dir, INT show) {
    if (!record(a(op), a(file)))
        return success();
    auto real = functionAt<decltype(&ShellExecuteA)>(realFunction(L"shell32.dll", "ShellExecuteA"));
    return real ? real(hwnd, op, file, params, dir, show) : nullptr;
}

HINSTANCE WINAPI recordShellExecuteW(HWND hwnd, LPCWSTR op, LPCWSTR file, LPCWSTR params, LPCWSTR dir,
                                     INT show) {
    if (!record(w(op), w(file)))
        return success();
    auto real = functionAt<decltype(&ShellExecuteW)>(realFunction(L"shell32.dll", "ShellExecuteW"));
    return real ? real(hwnd, op, file, params, dir, show) : nullptr;
}

}  // namespace

int interceptShell(void* moduleHandle) {
    static const char* const libraries[] = {"shell32.dll"};
    const ImportHook hooks[] = {{"ShellExecuteA", addressOf(&recordShellExecuteA)},
                                {"ShellExecuteW", addressOf(&recordShellExecuteW)}};
    return hookImports(moduleHandle, libraries, 1, hooks, 2);
}

}  // namespace hs

#else

namespace hs {

int interceptShell(void*) {
    return 0;
}

}  // namespace hs

extern "C" HINSTANCE ShellExecuteA(HWND, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR, LPCSTR, INT) {
    return hs::shellExecute(hs::a(lpOperation), hs::a(lpFile));
}

extern "C" HINSTANCE ShellExecuteW(HWND, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR, LPCWSTR, INT) {
    return hs::shellExecute(hs::w(lpOperation), hs::w(lpFile));
}

#endif

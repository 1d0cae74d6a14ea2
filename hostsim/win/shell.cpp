// ShellExecute: records each request in the transcript as "<verb> <file>";
// with --open-urls the address is also handed to the desktop's opener.
#include <spawn.h>
#include <sys/wait.h>

#include <cwchar>
#include <string>

#include "core/session_imp.h"
#include "hostsim/session.h"
#include "hostsim/text.h"
#include "winsubset.h"

extern char** environ;

namespace hs {

namespace {

HINSTANCE shellExecute(const std::string& verb, const std::string& file) {
    Session& session = Session::get();
    if (!session.imp().atLineStart)
        session.print("\n");
    session.print((verb.empty() ? std::string("open") : verb) + " " + file + "\n");
    if (session.imp().openUrls && !file.empty()) {
        pid_t pid = 0;
        const char* argv[] = {"xdg-open", file.c_str(), nullptr};
        if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, const_cast<char**>(argv), environ) == 0)
            waitpid(pid, nullptr, 0);
    }
    // Values above 32 mean success.
    return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(42));
}

std::string w(LPCWSTR s) {
    return s ? wideToUtf8(s, std::wcslen(s)) : std::string();
}
std::string a(LPCSTR s) {
    return s ? std::string(s) : std::string();
}

}  // namespace

}  // namespace hs

extern "C" HINSTANCE ShellExecuteA(HWND, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR, LPCSTR, INT) {
    return hs::shellExecute(hs::a(lpOperation), hs::a(lpFile));
}

extern "C" HINSTANCE ShellExecuteW(HWND, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR, LPCWSTR, INT) {
    return hs::shellExecute(hs::w(lpOperation), hs::w(lpFile));
}

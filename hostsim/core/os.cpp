// Operating-system services, POSIX and Windows.
#include "core/os.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "hostsim/text.h"

namespace hs::os {

#if defined(_WIN32)

namespace {
std::wstring widePath(const std::string& utf8) {
    std::wstring out;
    for (wchar_t c : utf8ToWide(utf8))
        out.push_back(c == L'/' ? L'\\' : c);
    return out;
}
}  // namespace

void* openLibrary(const std::string& path, std::string& error) {
    // LOAD_WITH_ALTERED_SEARCH_PATH: the library's own folder is searched for
    // what it imports, as the host does for modules outside its folder.
    HMODULE h = LoadLibraryExW(widePath(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (h == nullptr) {
        DWORD code = GetLastError();
        wchar_t* text = nullptr;
        FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
        error = text != nullptr ? wideToUtf8(text, wcslen(text)) : std::string();
        if (text != nullptr)
            LocalFree(text);
        while (!error.empty() && (error.back() == '\n' || error.back() == '\r' || error.back() == ' '))
            error.pop_back();
        error = "error " + std::to_string(code) + (error.empty() ? "" : " (" + error + ")");
    }
    return reinterpret_cast<void*>(h);
}

void* findSymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void closeLibrary(void* library) {
    FreeLibrary(static_cast<HMODULE>(library));
}

const void* imageOf(const void* address) {
    HMODULE h = nullptr;
    if (address == nullptr || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                                      GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                                  static_cast<LPCWSTR>(address), &h))
        return nullptr;
    return reinterpret_cast<const void*>(h);
}

void* mainImage() {
    return reinterpret_cast<void*>(GetModuleHandleW(nullptr));
}

std::string executableDir() {
    std::wstring buf(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    std::string path = wideToUtf8(buf.data(), n);
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool stdinIsTerminal() {
    return _isatty(0) != 0;
}

void binaryStdout() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

void quickExit(int status) {
    ExitProcess(static_cast<UINT>(status));
}

bool hasFolder(const std::string& path) {
    return path.find_first_of("\\/") != std::string::npos || (path.size() >= 2 && path[1] == ':');
}

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos && path.size() >= 2 && path[1] == ':')
        return path.substr(2);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::path(widePath(path)), ec);
}

#else

void* openLibrary(const std::string& path, std::string& error) {
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (h == nullptr) {
        const char* e = dlerror();
        error = e ? e : "unknown error";
    }
    return h;
}

void* findSymbol(void* library, const char* name) {
    return dlsym(library, name);
}

void closeLibrary(void* library) {
    dlclose(library);
}

const void* imageOf(const void* address) {
    Dl_info info;
    if (address == nullptr || dladdr(const_cast<void*>(address), &info) == 0)
        return nullptr;
    return info.dli_fbase;
}

void* mainImage() {
    return dlopen(nullptr, RTLD_LAZY | RTLD_NOLOAD);
}

std::string executableDir() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return ".";
    std::string path(buf, static_cast<size_t>(n));
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool stdinIsTerminal() {
    return isatty(0) != 0;
}

void binaryStdout() {}

void quickExit(int status) {
    _exit(status);
}

bool hasFolder(const std::string& path) {
    return path.find('/') != std::string::npos;
}

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool fileExists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

#endif

}  // namespace hs::os

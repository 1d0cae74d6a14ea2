// Operating-system services, POSIX and Windows.
#include "core/os.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

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

// ---- huge pages ----

#if defined(__linux__)
void* mapHugeAligned(std::size_t bytes) {
    // Map a huge page more than asked, then give back the unaligned ends.
    std::size_t span = bytes + kHugePageBytes;
    void* map = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED)
        return nullptr;
    std::uintptr_t start = reinterpret_cast<std::uintptr_t>(map);
    std::uintptr_t aligned = (start + kHugePageBytes - 1) & ~(std::uintptr_t(kHugePageBytes) - 1);
    if (aligned > start)
        munmap(map, aligned - start);
    if (std::uintptr_t tail = start + span - (aligned + bytes))
        munmap(reinterpret_cast<void*>(aligned + bytes), tail);
    void* p = reinterpret_cast<void*>(aligned);
#if defined(MADV_HUGEPAGE)
    madvise(p, bytes, MADV_HUGEPAGE);  // a hint: the memory works without it
#endif
    return p;
}

void unmapHugeAligned(void* p, std::size_t bytes) {
    if (p != nullptr)
        munmap(p, bytes);
}
#else
void* mapHugeAligned(std::size_t) {
    return nullptr;
}

void unmapHugeAligned(void*, std::size_t) {}
#endif

// ---- FileText ----

FileText::~FileText() {
    release();
}

void FileText::release() {
    unmapHugeAligned(m_pMapped, m_mapBytes);
    m_pMapped = nullptr;
    m_size = 0;
    m_mapBytes = 0;
    m_copy.clear();
}

namespace {

// Reads the file through the C++ library into `out`.
bool readThroughStream(const std::string& path, std::string& out, std::string& error) {
    // A folder opens as a stream on some systems and then has no sensible size.
    std::error_code ec;
    if (std::filesystem::is_directory(std::filesystem::u8path(path), ec)) {
        error = "cannot open the file: it is a folder";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::string("cannot open the file: ") + std::strerror(errno);
        return false;
    }
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || static_cast<std::uint64_t>(size) > out.max_size()) {
        error = "cannot read the file";
        return false;
    }
    try {
        out.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        error = "cannot read the file: not enough memory";
        return false;
    }
    if (size > 0)
        in.read(&out[0], size);
    if (!in) {
        error = "cannot read the file";
        return false;
    }
    return true;
}

}  // namespace

bool FileText::load(const std::string& path, std::string& error) {
    release();
#if defined(__linux__)
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::string("cannot open the file: ") + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) < 2 * kHugePageBytes) {
        // Small files, and anything that is not a plain file, the usual way.
        ::close(fd);
        return readThroughStream(path, m_copy, error);
    }
    std::size_t size = static_cast<std::size_t>(st.st_size);
    std::size_t rounded = (size + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
    char* start = static_cast<char*>(mapHugeAligned(rounded));
    if (start == nullptr) {
        ::close(fd);
        return readThroughStream(path, m_copy, error);
    }
    m_pMapped = start;
    m_mapBytes = rounded;
    std::size_t got = 0;
    while (got < size) {
        ssize_t n = ::read(fd, start + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = std::string("cannot read the file: ") + std::strerror(errno);
            ::close(fd);
            release();
            return false;
        }
        if (n == 0)
            break;  // the file became shorter while it was read: what is there is read
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    m_size = got;
    return true;
#else
    return readThroughStream(path, m_copy, error);
#endif
}

}  // namespace hs::os

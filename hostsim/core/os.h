// The few operating-system services hostsim needs beyond the C++ library:
// loading shared libraries, finding which loaded image holds an address,
// where the executable lives, and whether standard input is a terminal.
// POSIX builds use dlopen and /proc; Windows builds use LoadLibrary and the
// module functions of the Win32 API.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace hs::os {

// Loads a shared library; null with a readable reason when it cannot.
void* openLibrary(const std::string& path, std::string& error);
void* findSymbol(void* library, const char* name);
void closeLibrary(void* library);
// The base of the loaded image (executable or library) that holds this
// address; null when none does.
const void* imageOf(const void* address);
// The loaded image of the program itself.
void* mainImage();
// The folder of the running executable, without a trailing separator.
std::string executableDir();
bool fileExists(const std::string& path);
bool stdinIsTerminal();
// Standard output writes bytes as given (Windows would turn \n into \r\n).
void binaryStdout();
// Ends the process at once with this status, without running destructors.
[[noreturn]] void quickExit(int status);
// True when the path names a folder part ('/', or '\\' and drive letters on Windows).
bool hasFolder(const std::string& path);
// The file name without its folders.
std::string baseName(const std::string& path);

// The size of a huge page where the system has them (2 MB on x86 Linux).
constexpr std::size_t kHugePageBytes = std::size_t(2) << 20;
// Memory of `bytes` (a multiple of kHugePageBytes) aligned to a huge page,
// taken straight from the system and marked for huge pages. Null when it
// cannot be had, and always off Linux; give it back with unmapHugeAligned.
void* mapHugeAligned(std::size_t bytes);
void unmapHugeAligned(void* p, std::size_t bytes);

// The whole contents of a file, read into memory. A large file goes into
// memory taken straight from the system in huge pages where it has them: a
// buffer of ordinary pages takes a page fault every 4 KB as the file is
// copied in, which for a large drawing costs as much as reading it.
class FileText {
public:
    FileText() = default;
    ~FileText();
    FileText(const FileText&) = delete;
    FileText& operator=(const FileText&) = delete;

    // False with the reason ("cannot open the file: ...") when it cannot.
    bool load(const std::string& path, std::string& error);
    std::string_view text() const {
        return m_pMapped != nullptr ? std::string_view(m_pMapped, m_size) : m_copy;
    }

private:
    void release();
    char* m_pMapped = nullptr;  // large files (Linux), from mapHugeAligned
    std::size_t m_size = 0;
    std::size_t m_mapBytes = 0;
    std::string m_copy;  // everything else
};

}  // namespace hs::os

// Reading typed lines and handling interrupts; see terminal.h.
#include "core/terminal.h"

#include <atomic>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>

#if defined(_WIN32)
#include <windows.h>
#else
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#endif
#if IRONVEIL_RELEASE == 16 && !defined(_WIN32)
#include <iconv.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#endif
#if defined(HOSTSIM_HAVE_LIBEDIT)
#include <histedit.h>
#endif

namespace hs {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
// The temporary output file to remove on a termination signal. A fixed
// buffer: the handler may only read memory that nothing frees.
char g_partial[4096] = {0};
std::atomic<bool> g_partialSet{false};

#if defined(_WIN32)
BOOL WINAPI consoleHandler(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        g_interrupted = 1;
        return TRUE;  // handled: the process goes on
    }
    if (g_partialSet.load())
        DeleteFileA(g_partial);
    return FALSE;
}
#else
void onInterrupt(int) {
    g_interrupted = 1;
}

void onTerminate(int sig) {
    if (g_partialSet.load())
        unlink(g_partial);
    // Ends as the signal would have ended it.
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}
#endif

#if !defined(_WIN32)
// Reads one byte of standard input: 1, 0 at the end of input, -1 on an
// error, -2 when an interrupt came first. A signal that came just before a
// blocking read would not end it, so the read waits in short steps and the
// flag is looked at between them.
int readByte(unsigned char& b) {
    for (;;) {
        if (g_interrupted != 0)
            return -2;
        struct pollfd ready = {0, POLLIN, 0};
        int polled = poll(&ready, 1, 100);
        if (polled == 0 || (polled < 0 && errno == EINTR))
            continue;  // nothing yet, or the wait was ended by a signal
        if (polled < 0)
            return -1;
        ssize_t n = ::read(0, &b, 1);
        if (n == 1)
            return 1;
        if (n == 0)
            return 0;
        if (errno != EINTR)
            return -1;
    }
}
#endif

#if defined(HOSTSIM_HAVE_LIBEDIT)
std::string g_prompt;
bool g_cancelKey = false;

const char* promptOf(EditLine*) {
    return g_prompt.c_str();
}

// Ctrl-C and Esc typed at a prompt: the line ends as cancelled.
unsigned char cancelKey(EditLine*, int) {
    g_cancelKey = true;
    return CC_NEWLINE;
}

// What the reader hands the editor for an Esc pressed alone (Ctrl-]).
const wchar_t kLoneEscape = 0x1d;

// Reads one typed character (UTF-8) for the editor. An Esc that no other
// byte follows within 50 ms is a key of its own, not the start of an arrow
// key's sequence: it comes back as kLoneEscape, which cancels the prompt.
// A signal that ends the wait (kill -INT) cancels too.
int readChar(EditLine*, wchar_t* out) {
    unsigned char b = 0;
    int r = 0;
    // A NUL is dropped: it is what a Ctrl-D typed ahead, while a command ran
    // and the terminal was in its line mode, turns into once the editor takes
    // the terminal, and the editor would take it for "quote the next key"
    // and put the next Ctrl-D into the line instead of ending the input.
    do
        r = readByte(b);
    while (r == 1 && b == 0);
    if (r == -2) {
        *out = kLoneEscape;
        return 1;
    }
    if (r <= 0)
        return r;
    if (b == 0x1b) {
        struct pollfd p = {0, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) {
            *out = kLoneEscape;
            return 1;
        }
        *out = 0x1b;
        return 1;
    }
    int more = b >= 0xf0 ? 3 : b >= 0xe0 ? 2 : b >= 0xc0 ? 1 : 0;
    unsigned cp = more == 3 ? (b & 0x07u) : more == 2 ? (b & 0x0fu) : more == 1 ? (b & 0x1fu) : b;
    for (int i = 0; i < more; ++i) {
        unsigned char c = 0;
        if (readByte(c) != 1 || (c & 0xc0) != 0x80)
            return 1;  // a broken sequence: what was read stands
        cp = (cp << 6) | (c & 0x3fu);
    }
    *out = static_cast<wchar_t>(cp);
    return 1;
}
#endif

}  // namespace

namespace os {

void installSignalHandlers() {
    static bool s_installed = false;
    if (s_installed)
        return;
    s_installed = true;
#if defined(_WIN32)
    SetConsoleCtrlHandler(consoleHandler, TRUE);
#else
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: a read waiting for a typed line returns
    sigaction(SIGINT, &sa, nullptr);
    sa.sa_handler = onTerminate;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
#endif
}

bool takeInterrupt() {
    if (g_interrupted == 0)
        return false;
    g_interrupted = 0;
    return true;
}

#if IRONVEIL_RELEASE == 16 && !defined(_WIN32)
namespace {
bool utf8Terminal() {
    if (isatty(1) == 0)
        return false;
    const char* vars[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    for (const char* v : vars) {
        const char* value = std::getenv(v);
        if (value == nullptr || *value == 0)
            continue;
        std::string l = value;
        for (char& c : l)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return l.find("utf-8") != std::string::npos || l.find("utf8") != std::string::npos;
    }
    return false;
}
}  // namespace

std::string terminalText(const std::string& text) {
    static const bool s_convert = utf8Terminal();
    if (!s_convert)
        return text;
    bool ascii = true;
    for (char c : text)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        return text;
    static iconv_t s_cd = iconv_open("UTF-8", "GBK");
    if (s_cd == reinterpret_cast<iconv_t>(-1))
        return text;
    std::string out;
    std::string in = text;
    char* src = &in[0];
    size_t left = in.size();
    char buf[1024];
    while (left > 0) {
        char* dst = buf;
        size_t room = sizeof buf;
        size_t r = iconv(s_cd, &src, &left, &dst, &room);
        out.append(buf, static_cast<size_t>(dst - buf));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // A byte that is not GBK goes out as it is.
            out += *src++;
            --left;
            iconv(s_cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}
#else
std::string terminalText(const std::string& text) {
    return text;
}
#endif

void setPartialFile(const std::string& path) {
    g_partialSet.store(false);
    if (path.empty() || path.size() >= sizeof g_partial)
        return;
    std::memcpy(g_partial, path.c_str(), path.size() + 1);
    g_partialSet.store(true);
}

}  // namespace os

TerminalReader::~TerminalReader() {
#if defined(HOSTSIM_HAVE_LIBEDIT)
    if (m_edit != nullptr)
        el_end(static_cast<EditLine*>(m_edit));
    if (m_history != nullptr)
        history_end(static_cast<History*>(m_history));
#endif
}

bool TerminalReader::editsLines() {
#if defined(HOSTSIM_HAVE_LIBEDIT)
    return true;
#else
    return false;
#endif
}

TerminalReader::Result TerminalReader::readLine(const std::string& prompt, std::string& line) {
    line.clear();
    os::takeInterrupt();  // a Ctrl-C before the prompt was shown is spent
#if defined(HOSTSIM_HAVE_LIBEDIT)
    if (!m_started) {
        m_started = true;
        // The editor turns typed characters into text by the user's locale.
        std::setlocale(LC_CTYPE, "");
        EditLine* el = el_init("hostsim", stdin, stdout, stderr);
        if (el != nullptr) {
            History* h = history_init();
            HistEvent ev;
            history(h, &ev, H_SETSIZE, 500);
            history(h, &ev, H_SETUNIQUE, 1);
            el_set(el, EL_HIST, history, h);
            el_set(el, EL_EDITOR, "emacs");
            el_set(el, EL_PROMPT, promptOf);
            // Ctrl-C reaches the editor as a key (not a signal) while a line
            // is typed, so that it ends the line as a cancel.
            el_set(el, EL_SETTY, "-d", "-isig", nullptr);
            el_set(el, EL_ADDFN, "hs-cancel", "Cancel the prompt", cancelKey);
            el_set(el, EL_BIND, "^C", "hs-cancel", nullptr);
            el_set(el, EL_BIND, "^]", "hs-cancel", nullptr);
            el_set(el, EL_GETCFN, readChar);
            m_edit = el;
            m_history = h;
        }
    }
    if (m_edit != nullptr) {
        EditLine* el = static_cast<EditLine*>(m_edit);
        g_prompt = os::terminalText(prompt);
        g_cancelKey = false;
        int count = 0;
        const char* text = el_gets(el, &count);
        if (g_cancelKey || os::takeInterrupt()) {
            std::fputs("*Cancel*\n", stdout);
            return kCancelled;
        }
        if (text == nullptr || count <= 0)
            return kEnd;
        line.assign(text, static_cast<size_t>(count));
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (!line.empty()) {
            HistEvent ev;
            history(static_cast<History*>(m_history), &ev, H_ENTER, line.c_str());
        }
        return kLine;
    }
#endif
    std::fputs(os::terminalText(prompt).c_str(), stdout);
    std::fflush(stdout);
#if defined(_WIN32)
    if (!std::getline(std::cin, line)) {
        if (os::takeInterrupt()) {
            std::cin.clear();
            return kCancelled;
        }
        return kEnd;
    }
    if (os::takeInterrupt())
        return kCancelled;
#else
    // Read byte by byte so that Ctrl-C (a signal) is seen while waiting.
    for (;;) {
        unsigned char c = 0;
        int r = readByte(c);
        if (r == -2) {
            os::takeInterrupt();
            std::fputs("*Cancel*\n", stdout);
            return kCancelled;
        }
        if (r <= 0) {
            if (line.empty())
                return kEnd;
            break;
        }
        if (c == '\n')
            break;
        line += static_cast<char>(c);
    }
#endif
    while (!line.empty() && line.back() == '\r')
        line.pop_back();
    // Esc typed in a line cancels it.
    if (line.find('\033') != std::string::npos)
        return kCancelled;
    return kLine;
}

}  // namespace hs

// The terminal side of the command line: reading a typed line with line
// editing and history (libedit where the build has it), and interrupts.
// Ctrl-C (SIGINT; the console's Ctrl-C event on Windows) and Esc at a
// prompt cancel the prompt; Ctrl-C while a command works is remembered and
// cancels the command at its next prompt. SIGTERM and SIGHUP end the
// process after removing the output file being written (see setPartialFile).
#pragma once
#include <string>

namespace hs {

class TerminalReader {
public:
    TerminalReader() = default;
    ~TerminalReader();
    TerminalReader(const TerminalReader&) = delete;
    TerminalReader& operator=(const TerminalReader&) = delete;

    enum Result { kLine, kCancelled, kEnd };
    // Shows the prompt and reads one line (without its line break).
    Result readLine(const std::string& prompt, std::string& line);
    // Whether this build edits typed lines (libedit) or reads plain lines.
    static bool editsLines();

private:
    void* m_edit = nullptr;     // EditLine* (libedit)
    void* m_history = nullptr;  // History*
    bool m_started = false;
};

namespace os {
// Installs the interrupt and termination handlers (once).
void installSignalHandlers();
// True once when Ctrl-C came since the last call.
bool takeInterrupt();
// Text on its way to standard output. Release 16 texts are 8-bit (the
// module's Chinese texts are GBK bytes): on a terminal whose locale is UTF-8
// they are shown as UTF-8; written to a file or a pipe they stay as they are.
std::string terminalText(const std::string& text);
// The file now being written (its temporary name), removed if a termination
// signal ends the process before it is renamed; empty to clear.
void setPartialFile(const std::string& path);
}  // namespace os

}  // namespace hs

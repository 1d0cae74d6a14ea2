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
// The file now being written (its temporary name), removed if a termination
// signal ends the process before it is renamed; empty to clear.
void setPartialFile(const std::string& path);
}  // namespace os

}  // namespace hs

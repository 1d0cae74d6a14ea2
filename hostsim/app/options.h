// hostsim's command-line options, parsed with getopt_long (glibc; the
// mingw-w64 run-time library has it too), and the batch runner.
#pragma once
#include <string>
#include <vector>

namespace hsapp {

struct Options {
    std::vector<std::string> modules;
    bool noLoad = false;
    std::string script;
    bool haveScript = false;
    std::string registry;
    std::string save;
    std::string svg;
    bool openUrls = false;
    bool keepGoing = false;
    std::vector<std::string> drawings;  // one, or many with --batch
    std::string batchDir;
    bool haveBatch = false;
    int jobs = 0;            // 0: the number of cores
    std::string reportFile;  // batch children: where to write the watermark count
};

// Exit statuses.
enum Exit {
    kExitOk = 0,
    kExitHostFault = 1,    // host faults (broken host rules) during the run
    kExitBadInput = 2,     // bad arguments; a script or drawing that cannot be read
    kExitFatal = 3,        // a fatal host error ended the run at once
    kExitScript = 4,       // the script used an unknown command, had an answer refused,
                           // or ended inside a command (not with --keep-going)
    kExitNotWritten = 5,   // the drawing, the picture or the registry file could not be written
    kExitBatchFailed = 6,  // --batch: at least one drawing failed
};

// Parses argv; false with a message (and no output) on a bad command line.
// --help and --version print and set `done`.
bool parseOptions(int argc, char** argv, Options& o, std::string& error, bool& done);

// Text of a message with bytes that are not printable UTF-8 shown as \xNN.
std::string printable(const std::string& text);

// Runs the script over each drawing in its own hostsim process; returns the
// exit status.
int runBatch(const char* self, const Options& o);

}  // namespace hsapp

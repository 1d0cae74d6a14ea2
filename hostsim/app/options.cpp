// hostsim's options: see options.h and the README's "Using hostsim".
#include "app/options.h"

#include <getopt.h>

#include <cstdio>
#include <cstdlib>

#include "core/terminal.h"
#include "hostsim/release.h"

namespace hsapp {

namespace {

const char* const kHelp =
    "usage: hostsim [OPTION]... [DRAWING.dxf]\n"
    "       hostsim --batch OUTDIR --script FILE [-j N] [OPTION]... DRAWING.dxf...\n"
    "\n"
    "The stand-in host: loads the module, opens the drawing, runs the script (or\n"
    "reads a terminal), then writes what --save and --svg name.\n"
    "\n"
    "  -l, --load=MODULE     load this module (repeatable); without it the module\n"
    "                        built beside hostsim is loaded\n"
    "      --no-load         load no module by default\n"
    "  -s, --script=FILE     read the command line from FILE ('-': standard input);\n"
    "                        a space or a line break ends an answer, except in text\n"
    "                        answers, which take the rest of the line\n"
    "  -r, --registry=FILE   the registry file (.reg text; default\n"
    "                        $XDG_CONFIG_HOME/hostsim/registry.reg)\n"
    "  -o, --save=OUT.dxf    write the drawing when the run ends\n"
    "      --svg=OUT.svg     write a picture of model space when the run ends\n"
    "      --open-urls       let ShellExecute start the desktop's opener\n"
    "  -k, --keep-going      exit 0 even when the script used an unknown command,\n"
    "                        had an answer refused or ended inside a command\n"
    "  -b, --batch=OUTDIR    run the script on each drawing, one process each,\n"
    "                        writing each result to OUTDIR under the same name\n"
    "  -j, --jobs=N          --batch: drawings run at once (default: the cores)\n"
    "  -h, --help            this text\n"
    "  -V, --version         hostsim's version, host release and line input\n"
    "\n"
    "Exit status: 0 all went well; 1 host faults; 2 bad arguments, an unreadable\n"
    "script or drawing, or a module that could not be loaded; 3 a fatal host\n"
    "error; 4 a script problem (unknown command, refused answer, unfinished\n"
    "command; the line is named on standard error); 5 the drawing, the picture or\n"
    "the registry file could not be written; 6 --batch: a drawing failed;\n"
    "128+N ended by signal N (--batch stopped by Ctrl-C: 130).\n";

enum LongOnly { kNoLoad = 256, kSvg, kOpenUrls, kReport };

bool parseJobs(const char* text, int& jobs) {
    char* end = nullptr;
    long n = std::strtol(text, &end, 10);
    if (end == text || *end != 0 || n < 1 || n > 256)
        return false;
    jobs = static_cast<int>(n);
    return true;
}

}  // namespace

bool parseOptions(int argc, char** argv, Options& o, std::string& error, bool& done) {
    static const struct option longOptions[] = {{"load", required_argument, nullptr, 'l'},
                                                {"no-load", no_argument, nullptr, kNoLoad},
                                                {"script", required_argument, nullptr, 's'},
                                                {"registry", required_argument, nullptr, 'r'},
                                                {"save", required_argument, nullptr, 'o'},
                                                {"svg", required_argument, nullptr, kSvg},
                                                {"open-urls", no_argument, nullptr, kOpenUrls},
                                                {"keep-going", no_argument, nullptr, 'k'},
                                                {"batch", required_argument, nullptr, 'b'},
                                                {"jobs", required_argument, nullptr, 'j'},
                                                {"help", no_argument, nullptr, 'h'},
                                                {"version", no_argument, nullptr, 'V'},
                                                {"batch-report", required_argument, nullptr, kReport},
                                                {nullptr, 0, nullptr, 0}};
    done = false;
    opterr = 0;
    optind = 1;
    for (;;) {
        int index = 0;
        int c = getopt_long(argc, argv, ":l:s:r:o:kb:j:hV", longOptions, &index);
        if (c == -1)
            break;
        switch (c) {
            case 'l':
                o.modules.push_back(optarg);
                break;
            case kNoLoad:
                o.noLoad = true;
                break;
            case 's':
                o.script = optarg;
                o.haveScript = true;
                break;
            case 'r':
                o.registry = optarg;
                break;
            case 'o':
                o.save = optarg;
                break;
            case kSvg:
                o.svg = optarg;
                break;
            case kOpenUrls:
                o.openUrls = true;
                break;
            case 'k':
                o.keepGoing = true;
                break;
            case 'b':
                o.batchDir = optarg;
                o.haveBatch = true;
                break;
            case 'j':
                if (!parseJobs(optarg, o.jobs)) {
                    error = "--jobs needs a number from 1 to 256, not \"" + std::string(optarg) + "\"";
                    return false;
                }
                break;
            case kReport:
                o.reportFile = optarg;
                break;
            case 'h':
                std::fputs(kHelp, stdout);
                done = true;
                return true;
            case 'V':
                std::printf("hostsim 1.0 (host release %d, %s text, %s)\n", IRONVEIL_RELEASE,
                            IRONVEIL_RELEASE == 16 ? "8-bit" : "wide",
                            hs::TerminalReader::editsLines() ? "line editing" : "plain line input");
                done = true;
                return true;
            case ':':
                error = std::string(argv[optind - 1]) + " needs a value";
                return false;
            default:
                error =
                    "unknown option " + std::string(optopt != 0 ? std::string("-") + static_cast<char>(optopt)
                                                                : std::string(argv[optind - 1]));
                return false;
        }
    }
    for (int i = optind; i < argc; ++i)
        o.drawings.push_back(argv[i]);
    if (o.haveScript && o.script.empty()) {
        error = "--script needs a file name (or - for standard input)";
        return false;
    }
    if (o.haveBatch) {
        if (o.batchDir.empty()) {
            error = "--batch needs a folder";
            return false;
        }
        if (!o.haveScript || o.script == "-") {
            error = "--batch needs --script FILE";
            return false;
        }
        if (o.drawings.empty()) {
            error = "--batch needs at least one drawing";
            return false;
        }
        if (!o.save.empty() || !o.svg.empty()) {
            error = "--batch writes each drawing to its folder; --save and --svg do not apply";
            return false;
        }
    } else if (o.drawings.size() > 1) {
        error = "only one drawing can be opened (use --batch OUTDIR for many)";
        return false;
    }
    return true;
}

std::string printable(const std::string& text) {
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    for (size_t i = 0; i < n;) {
        unsigned char c = p[i];
        size_t len = 0;
        if (c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7f))
            len = 1;
        else if (c >= 0xc2 && c <= 0xdf)
            len = 2;
        else if (c >= 0xe0 && c <= 0xef)
            len = 3;
        else if (c >= 0xf0 && c <= 0xf4)
            len = 4;
        bool ok = len > 0 && i + len <= n;
        for (size_t k = 1; ok && k < len; ++k)
            ok = (p[i + k] & 0xc0) == 0x80;
        if (ok) {
            out.append(text, i, len);
            i += len;
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
            ++i;
        }
    }
    return out;
}

}  // namespace hsapp

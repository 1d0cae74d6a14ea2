// hostsim --batch OUTDIR --script FILE [-j N] DRAWING.dxf...: the script is
// run on each drawing by a hostsim process of its own, several at a time;
// each result is written to OUTDIR under the drawing's name. A drawing that
// fails never stops the others. On a terminal a progress bar is shown; the
// run ends with a table and exits non-zero when any drawing failed. Each
// process gets a private copy of the registry file, so that runs at the same
// time never write one file together. Ctrl-C or a termination signal stops
// the batch: no further drawing is started, the running ones are ended
// (their results are not written), and the table says which were stopped.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/options.h"
#include "core/os.h"
#include "core/terminal.h"

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace hsapp {

namespace fs = std::filesystem;

namespace {

struct Job {
    std::string drawing;
    std::string output;
    std::string log;     // the process's transcript and errors
    std::string report;  // the watermark count it writes
    std::string registry;
    bool started = false;
    bool finished = false;
    bool ok = false;
    bool stopped = false;  // ended, or never started, because the batch was stopped
    std::string error;
    long watermarks = -1;
    double seconds = 0;
    std::chrono::steady_clock::time_point start;
#if defined(_WIN32)
    intptr_t handle = -1;
#else
    pid_t pid = -1;
#endif
};

std::string readAll(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The last line hostsim wrote to standard error, or the exit status.
std::string failureOf(const std::string& log, int status) {
    std::string last;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, 9, "hostsim: ") == 0)
            last = line.substr(9);
    if (last.empty())
        last = "exit status " + std::to_string(status);
    return printable(last);
}

#if defined(_WIN32)
int defaultJobs() {
    unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n);
}
#else
int defaultJobs() {
    long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n < 1 ? 1 : static_cast<int>(n);
}
#endif

std::vector<std::string> childArgs(const char* self, const Options& o, const Job& job) {
    std::vector<std::string> args{self};
    for (const std::string& m : o.modules)
        args.push_back("--load=" + m);
    if (o.noLoad)
        args.push_back("--no-load");
    if (o.keepGoing)
        args.push_back("--keep-going");
    args.push_back("--script=" + o.script);
    args.push_back("--registry=" + job.registry);
    args.push_back("--save=" + job.output);
    args.push_back("--batch-report=" + job.report);
    args.push_back("--");
    args.push_back(job.drawing);
    return args;
}

void finish(Job& job, int status) {
    job.finished = true;
    job.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - job.start).count();
    std::string log = readAll(job.log);
    job.ok = status == 0;
    if (!job.ok)
        job.error = failureOf(log, status);
    std::string count = readAll(job.report);
    if (!count.empty())
        job.watermarks = std::atol(count.c_str());
}

#if !defined(_WIN32)
volatile std::sig_atomic_t g_stopSignal = 0;

void onStop(int sig) {
    g_stopSignal = sig;
}

// The batch's own handlers: a signal only asks the loop to stop.
void installStopHandlers() {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = onStop;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &sa, nullptr);
}

int stopSignal() {
    return g_stopSignal;
}

bool start(const char* self, const Options& o, Job& job) {
    std::vector<std::string> args = childArgs(self, o, job);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, job.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    // A process group of its own: Ctrl-C on the terminal reaches only this
    // process, which decides what becomes of the drawings being worked on.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    job.start = std::chrono::steady_clock::now();
    int rc = posix_spawn(&job.pid, self, &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    job.started = true;
    if (rc != 0) {
        job.finished = true;
        job.error = "cannot start hostsim";
        return false;
    }
    return true;
}

// Waits for any running job; returns it. Returns null, without waiting
// further, when a stop signal came.
Job* waitAny(std::vector<Job>& jobs) {
    int status = 0;
    pid_t pid = 0;
    while ((pid = waitpid(-1, &status, WNOHANG)) == 0) {
        if (g_stopSignal != 0)
            return nullptr;
        usleep(20000);
    }
    if (pid < 0)
        return nullptr;
    for (Job& job : jobs) {
        if (job.pid == pid && !job.finished) {
            int code =
                WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
            finish(job, code);
            return &job;
        }
    }
    return nullptr;
}
// Ends the running jobs (a termination signal: each removes the file it was
// writing) and waits for them.
void stopRunning(std::vector<Job>& jobs) {
    for (Job& job : jobs)
        if (job.started && !job.finished && job.pid > 0)
            kill(job.pid, SIGTERM);
    for (Job& job : jobs) {
        if (!job.started || job.finished || job.pid <= 0)
            continue;
        int status = 0;
        while (waitpid(job.pid, &status, 0) < 0 && errno == EINTR) {
        }
        finish(job, 128 + SIGTERM);
        job.ok = false;
        job.stopped = true;
        job.error = "stopped while running";
    }
}
#else
// Windows: one drawing at a time, its output written beside as on Linux.
// Ctrl-C reaches the drawing's process as well (it cancels the command it is
// in); the batch stops after it.
void installStopHandlers() {
    hs::os::installSignalHandlers();
}

int stopSignal() {
    return hs::os::takeInterrupt() ? SIGINT : 0;
}

void stopRunning(std::vector<Job>&) {}

bool start(const char* self, const Options& o, Job& job) {
    std::vector<std::string> args = childArgs(self, o, job);
    std::vector<std::string> quoted;
    for (const std::string& a : args)
        quoted.push_back("\"" + a + "\"");
    std::vector<const char*> argv;
    for (const std::string& a : quoted)
        argv.push_back(a.c_str());
    argv.push_back(nullptr);
    job.start = std::chrono::steady_clock::now();
    job.started = true;
    std::FILE* log = std::fopen(job.log.c_str(), "wb");
    int savedOut = _dup(1), savedErr = _dup(2);
    if (log != nullptr) {
        _dup2(_fileno(log), 1);
        _dup2(_fileno(log), 2);
    }
    intptr_t rc = _spawnv(_P_WAIT, self, argv.data());
    _dup2(savedOut, 1);
    _dup2(savedErr, 2);
    _close(savedOut);
    _close(savedErr);
    if (log != nullptr)
        std::fclose(log);
    finish(job, rc < 0 ? 127 : static_cast<int>(rc));
    return true;
}

Job* waitAny(std::vector<Job>&) {
    return nullptr;
}
#endif

void progress(bool show, int done, int total) {
    if (!show)
        return;
    const int width = 30;
    int filled = total == 0 ? width : done * width / total;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.resize(width, ' ');
    std::fprintf(stdout, "\r[%s] %d/%d drawings", bar.c_str(), done, total);
    if (done == total)
        std::fputs("\n", stdout);
    std::fflush(stdout);
}

}  // namespace

int runBatch(const char* self, const Options& o) {
    hs::os::binaryStdout();  // the table is the same bytes on every system
    std::error_code ec;
    fs::path outDir = fs::u8path(o.batchDir);
    fs::create_directories(outDir, ec);
    if (!fs::is_directory(outDir, ec)) {
        std::fprintf(stderr, "hostsim: cannot make the folder %s\n", printable(o.batchDir).c_str());
        return kExitBadInput;
    }
    if (!fs::is_regular_file(fs::u8path(o.script), ec)) {
        std::fprintf(stderr, "hostsim: the script %s cannot be read\n", printable(o.script).c_str());
        return kExitBadInput;
    }
    std::string selfPath = self;
#if !defined(_WIN32)
    // posix_spawn does not search PATH: run the executable that runs now.
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0)
        selfPath.assign(exe, static_cast<size_t>(n));
#endif
    fs::path work = outDir / (".hostsim-batch-" + std::to_string(static_cast<long>(
#if defined(_WIN32)
                                                      _getpid()
#else
                                                      getpid()
#endif
                                                          )));
    fs::create_directories(work, ec);

    // The registry each process starts from: a copy of the user's.
    std::string registry = o.registry;
#if !defined(_WIN32)
    if (registry.empty()) {
        const char* xdg = std::getenv("XDG_CONFIG_HOME");
        const char* home = std::getenv("HOME");
        registry =
            (xdg != nullptr && *xdg != 0 ? std::string(xdg) : std::string(home ? home : ".") + "/.config") +
            "/hostsim/registry.reg";
    }
#endif

    std::vector<Job> jobs(o.drawings.size());
    std::map<std::string, size_t> names;
    for (size_t i = 0; i < jobs.size(); ++i) {
        Job& job = jobs[i];
        job.drawing = o.drawings[i];
        std::string name = fs::u8path(job.drawing).filename().u8string();
        job.output = (outDir / fs::u8path(name)).u8string();
        std::string tag = std::to_string(i);
        job.log = (work / (tag + ".log")).u8string();
        job.report = (work / (tag + ".count")).u8string();
        job.registry = (work / (tag + ".reg")).u8string();
        if (!registry.empty() && fs::exists(fs::u8path(registry), ec))
            fs::copy_file(fs::u8path(registry), fs::u8path(job.registry), ec);
        if (!fs::is_regular_file(fs::u8path(job.drawing), ec)) {
            job.started = job.finished = true;
            job.error = fs::exists(fs::u8path(job.drawing), ec) ? "not a file" : "does not exist";
        } else if (names.count(name) != 0) {
            job.started = job.finished = true;
            job.error = "same name as " + jobs[names[name]].drawing + " (both would be written to " +
                        job.output + ")";
        } else if (fs::equivalent(fs::u8path(job.drawing), fs::u8path(job.output), ec)) {
            job.started = job.finished = true;
            job.error = "the result would replace the drawing itself";
        }
        names.emplace(name, i);
    }

#if defined(_WIN32)
    bool showBar = _isatty(1) != 0;
#else
    bool showBar = isatty(1) != 0;
#endif
    int total = static_cast<int>(jobs.size());
    int done = 0;
    for (const Job& job : jobs)
        done += job.finished ? 1 : 0;
    int limit = o.jobs > 0 ? o.jobs : defaultJobs();
    int running = 0;
    size_t next = 0;
    progress(showBar, done, total);
    installStopHandlers();
    int stoppedBy = 0;
    while (done < total) {
        if ((stoppedBy = stopSignal()) != 0)
            break;
        while (running < limit && next < jobs.size()) {
            Job& job = jobs[next++];
            if (job.started)
                continue;
            if (start(selfPath.c_str(), o, job)) {
#if !defined(_WIN32)
                ++running;
#else
                ++done;
                progress(showBar, done, total);
#endif
            } else {
                ++done;
                progress(showBar, done, total);
            }
        }
        if (running == 0) {
            if (next >= jobs.size())
                break;
            continue;
        }
        if (waitAny(jobs) != nullptr) {
            --running;
            ++done;
            progress(showBar, done, total);
        }
    }
    if (stoppedBy != 0) {
        stopRunning(jobs);
        for (Job& job : jobs) {
            if (!job.started) {
                job.started = job.finished = job.stopped = true;
                job.error = "not started";
            }
        }
        if (showBar)
            std::fputs("\n", stdout);
        std::fprintf(stderr, "hostsim: the batch was stopped (%s)\n",
                     stoppedBy == SIGINT ? "interrupt" : "termination signal");
    }

    // The table.
    size_t width = 8;
    for (const Job& job : jobs)
        width = std::max(width, printable(job.drawing).size());
    std::printf("%-*s %10s %8s  %s\n", static_cast<int>(width), "drawing", "watermarks", "seconds", "result");
    int failed = 0;
    for (Job& job : jobs) {
        std::string count = job.watermarks >= 0 ? std::to_string(job.watermarks) : std::string("-");
        std::string result = job.ok ? std::string("ok") : (job.stopped ? job.error : "failed: " + job.error);
        if (!job.ok) {
            ++failed;
            // The transcript of a failed drawing is kept beside the results.
            if (fs::exists(fs::u8path(job.log), ec)) {
                std::string kept = job.output + ".log";
                fs::copy_file(fs::u8path(job.log), fs::u8path(kept), fs::copy_options::overwrite_existing,
                              ec);
                result += " (transcript: " + kept + ")";
            }
        }
        std::printf("%-*s %10s %8.2f  %s\n", static_cast<int>(width), printable(job.drawing).c_str(),
                    count.c_str(), job.seconds, printable(result).c_str());
    }
    std::printf("%d of %d drawings ok, %d failed\n", total - failed, total, failed);
    std::fflush(stdout);
    fs::remove_all(work, ec);
    if (stoppedBy != 0)
        return 128 + stoppedBy;
    return failed == 0 ? kExitOk : kExitBatchFailed;
}

}  // namespace hsapp

// hostsim on a terminal (a pseudo-terminal here): Ctrl-C and Esc cancel the
// prompt and hostsim goes on; Ctrl-C at "Command: " does nothing; the run
// ends only by QUIT or the end of input and then writes --save; history
// recalls typed lines; a termination signal leaves no half-written file.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "ivtest.h"

namespace {

// Whether this build's hostsim edits typed lines (its --version says).
bool editsLines() {
    ivtest::Run run = ivtest::runHostsimArgs({"--version"});
    return run.transcript.find("line editing") != std::string::npos;
}

// Starts a program on a terminal of its own (TERM=dumb; `inChild` runs in
// the child first). Its process id; its terminal in `master`.
pid_t startOnTerminal(std::vector<std::string> args, int& master, const std::function<void()>& inChild = {}) {
    pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        setenv("TERM", "dumb", 1);
        if (inChild)
            inChild();
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Keeps what the terminal shows in `screen` (so that the program never
// blocks writing) until the program ends, calling `eachRound` after each
// read. Its exit status, or 128 + signal; -1 when it did not end within
// `tries` rounds of at least 20 ms.
int readUntilExit(int master, pid_t pid, std::string& screen, int tries,
                  const std::function<void()>& eachRound = {}) {
    for (int i = 0; i < tries; ++i) {
        struct pollfd p = {master, POLLIN, 0};
        bool got = false;
        if (poll(&p, 1, 20) > 0) {
            char buf[4096];
            ssize_t n = read(master, buf, sizeof buf);
            if (n > 0) {
                screen.append(buf, static_cast<size_t>(n));
                got = true;
            }
        }
        if (!got)
            usleep(20000);  // the terminal is closed: the program is ending
        if (eachRound)
            eachRound();
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            // What it wrote last may still wait in the terminal.
            for (struct pollfd p = {master, POLLIN, 0}; poll(&p, 1, 50) > 0;) {
                char buf[4096];
                ssize_t n = read(master, buf, sizeof buf);
                if (n <= 0)
                    break;
                screen.append(buf, static_cast<size_t>(n));
            }
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
    }
    return -1;
}

class Terminal : public ::testing::Test {
protected:
    void SetUp() override { start({"--no-load"}); }
    // Starts hostsim on the terminal with these arguments (besides the
    // registry and --save).
    void start(const std::vector<std::string>& extra, const std::string& registryText = std::string(),
               const char* lang = nullptr) {
        savePath = dir.file("out.dxf");
        std::string registry = dir.file("r.reg");
        if (!registryText.empty())
            ivtest::writeFile(registry, registryText);
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            close(master);
        }
        std::vector<std::string> args{ivtest::hostsimPath(), "--registry=" + registry, "--save=" + savePath};
        args.insert(args.end(), extra.begin(), extra.end());
        pid = startOnTerminal(args, master, [&] {
            setenv("HOME", dir.path().c_str(), 1);
            if (lang != nullptr) {
                unsetenv("LC_ALL");
                unsetenv("LC_CTYPE");
                setenv("LANG", lang, 1);
            }
        });
        ASSERT_GE(pid, 0);
    }
    void TearDown() override {
        if (pid > 0 && !ended) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (master >= 0)
            close(master);
    }
    // Reads until the screen has shown `text` `times` times in all; false
    // after 10 seconds.
    bool waitFor(const std::string& text, int times = 1) {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
            int seen = 0;
            for (size_t at = screen.find(text); at != std::string::npos; at = screen.find(text, at + 1))
                ++seen;
            if (seen >= times)
                return true;
            if (std::chrono::steady_clock::now() > until)
                return false;
            struct pollfd p = {master, POLLIN, 0};
            if (poll(&p, 1, 100) > 0) {
                char buf[4096];
                ssize_t n = read(master, buf, sizeof buf);
                if (n <= 0)
                    return false;
                screen.append(buf, static_cast<size_t>(n));
            }
        }
    }
    void type(const std::string& keys) {
        ASSERT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    // Waits for hostsim to end; its exit status, or 128 + signal.
    // (tries: 500 rounds of at least 20 ms.)
    int exitStatus(int tries = 500) {
        int status = readUntilExit(master, pid, screen, tries);
        ended = status != -1;
        return status;
    }
    // Types an end of input and waits for hostsim to end. The line editor
    // may still be switching the terminal's mode when the prompt shows, and
    // a Ctrl-D that arrives then is lost, as it would be for a person, who
    // would press it again: so does this, once a second.
    int endInput() {
        for (int i = 0; i < 10; ++i) {
            type("\x04");
            int status = exitStatus(50);
            if (status != -1)
                return status;
        }
        return -1;
    }
    int count(const std::string& text, const std::string& in) const {
        int n = 0;
        for (size_t at = in.find(text); at != std::string::npos; at = in.find(text, at + 1))
            ++n;
        return n;
    }

    ivtest::TempDir dir;
    std::string savePath;
    std::string screen;
    int master = -1;
    pid_t pid = -1;
    bool ended = false;
};

TEST_F(Terminal, CtrlCAtAPromptCancelsTheCommandAndTheSessionGoesOn) {
    ASSERT_TRUE(waitFor("Command: ")) << screen;
    type("CIRCLE\r");
    ASSERT_TRUE(waitFor("Specify center point")) << screen;
    type("\x03");
    ASSERT_TRUE(waitFor("*Cancel*")) << screen;
    ASSERT_TRUE(waitFor("Command: ", 2)) << screen;
    type("CIRCLE 1,1 2\r");
    ASSERT_TRUE(waitFor("Command: ", 3)) << screen;
    type("QUIT\r");
    EXPECT_EQ(exitStatus(), 0) << screen;
    EXPECT_EQ(count("\nCIRCLE\n", ivtest::readFile(savePath)), 1) << "only the second circle was drawn";
}

TEST_F(Terminal, EscAtAPromptCancelsTheCommand) {
    if (!editsLines())
        GTEST_SKIP() << "this build reads plain lines (no line editor)";
    ASSERT_TRUE(waitFor("Command: ")) << screen;
    type("CIRCLE\r");
    ASSERT_TRUE(waitFor("Specify center point")) << screen;
    type("\x1b");
    ASSERT_TRUE(waitFor("*Cancel*")) << screen;
    ASSERT_TRUE(waitFor("Command: ", 2)) << screen;
    type("QUIT\r");
    EXPECT_EQ(exitStatus(), 0) << screen;
    EXPECT_EQ(count("\nCIRCLE\n", ivtest::readFile(savePath)), 0);
}

TEST_F(Terminal, AnInterruptSignalCancelsThePromptAndAtTheCommandPromptDoesNothing) {
    ASSERT_TRUE(waitFor("Command: ")) << screen;
    kill(pid, SIGINT);  // at "Command: ": the line is cancelled, nothing else
    ASSERT_TRUE(waitFor("Command: ", 2)) << screen;
    type("CIRCLE\r");
    ASSERT_TRUE(waitFor("Specify center point")) << screen;
    kill(pid, SIGINT);
    ASSERT_TRUE(waitFor("*Cancel*", 2)) << screen;
    ASSERT_TRUE(waitFor("Command: ", 3)) << screen;
    type("LINE 0,0 1,1\r\r");
    ASSERT_TRUE(waitFor("Specify next point", 2)) << screen;
    type("QUIT\r");
    EXPECT_EQ(exitStatus(), 0) << "hostsim ends only by QUIT\n" << screen;
    std::string saved = ivtest::readFile(savePath);
    EXPECT_EQ(count("\nLINE\n", saved), 1) << "--save was written";
    EXPECT_EQ(count("\nCIRCLE\n", saved), 0);
}

TEST_F(Terminal, EveryOneOfManyInterruptsIsSeenWhereverTheWaitForInputIs) {
    // A signal that comes between the prompt and the wait for input must
    // still cancel: with a plain blocking read it was lost and the session
    // hung. Many signals in a row make that moment likely to be hit.
    ASSERT_TRUE(waitFor("Command: ")) << screen;
    for (int i = 0; i < 30; ++i) {
        type("CIRCLE\r");
        ASSERT_TRUE(waitFor("Specify center point", i + 1)) << screen;
        kill(pid, SIGINT);
        ASSERT_TRUE(waitFor("*Cancel*", i + 1)) << "interrupt " << i + 1 << " was lost\n" << screen;
        ASSERT_TRUE(waitFor("Command: ", i + 2)) << screen;
    }
    type("QUIT\r");
    EXPECT_EQ(exitStatus(), 0) << screen;
    EXPECT_EQ(count("\nCIRCLE\n", ivtest::readFile(savePath)), 0);
}

TEST_F(Terminal, HistoryRecallsATypedLine) {
    if (!editsLines())
        GTEST_SKIP() << "this build reads plain lines (no line editor)";
    ASSERT_TRUE(waitFor("Command: ")) << screen;
    type("CIRCLE 0,0 5\r");
    ASSERT_TRUE(waitFor("Command: ", 2)) << screen;
    type("\x10\r");  // Ctrl-P: the previous line
    ASSERT_TRUE(waitFor("Command: ", 3)) << screen;
    type("QUIT\r");
    EXPECT_EQ(exitStatus(), 0) << screen;
    EXPECT_EQ(count("\nCIRCLE\n", ivtest::readFile(savePath)), 2) << screen;
}

TEST_F(Terminal, TheEndOfInputEndsTheSessionAndWritesTheDrawing) {
    ASSERT_TRUE(waitFor("Command: ")) << screen;
    type("CIRCLE 0,0 5\r");
    ASSERT_TRUE(waitFor("Command: ", 2)) << screen;
    EXPECT_EQ(endInput(), 0) << screen;  // Ctrl-D on an empty line
    EXPECT_EQ(count("\nCIRCLE\n", ivtest::readFile(savePath)), 1) << screen;
}

TEST_F(Terminal, AnEndOfInputTypedAheadDoesNotKeepTheNextOnesFromEndingIt) {
    // Typed before the first prompt, while the terminal is still in its line
    // mode: the editor must not take what it becomes for a key that puts the
    // next Ctrl-D into the line.
    type("\x04");
    ASSERT_TRUE(waitFor("Command: ")) << screen;
    EXPECT_EQ(endInput(), 0) << screen;
}

TEST_F(Terminal, ATerminationSignalEndsTheRunWithoutAnyOutputFile) {
    ASSERT_TRUE(waitFor("Command: ")) << screen;
    type("CIRCLE 0,0 5\r");
    ASSERT_TRUE(waitFor("Command: ", 2)) << screen;
    kill(pid, SIGTERM);
    EXPECT_EQ(exitStatus(), 128 + SIGTERM) << screen;
    EXPECT_FALSE(ivtest::fileExists(savePath));
    EXPECT_FALSE(ivtest::fileExists(savePath + ".hostsim-part"));
}

TEST_F(Terminal, ATerminationSignalDuringASaveCommandLeavesNoHalfFile) {
    // A drawing big enough that its save takes a while; the signal comes
    // as soon as the file being written appears.
    std::string big = "0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < 60000; ++i)
        big += "0\nLINE\n8\n0\n10\n" + std::to_string(i) + "\n20\n0\n30\n0\n11\n" + std::to_string(i) +
               "\n21\n1\n31\n0\n";
    big += "0\nENDSEC\n0\nEOF\n";
    ivtest::writeFile(dir.file("big.dxf"), big);
    std::string target = dir.file("copy.dxf");
    start({"--no-load", dir.file("big.dxf")});
    ASSERT_TRUE(waitFor("Command: ")) << screen;
    type("SAVEAS " + target + "\r");
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!ivtest::fileExists(target + ".hostsim-part") && !ivtest::fileExists(target + ".tmp") &&
           !ivtest::fileExists(target) && std::chrono::steady_clock::now() < until)
        usleep(200);
    kill(pid, SIGTERM);
    EXPECT_EQ(exitStatus(), 128 + SIGTERM) << screen;
    EXPECT_FALSE(ivtest::fileExists(target + ".hostsim-part")) << "a half-written file was left behind";
    EXPECT_FALSE(ivtest::fileExists(target + ".tmp")) << "a half-written file was left behind";
    if (ivtest::fileExists(target)) {
        EXPECT_NE(ivtest::readFile(target).find("\nEOF\n"), std::string::npos) << "the saved file is whole";
    }
}

TEST_F(Terminal, ReleaseSixteenShowsItsChineseTextsAsUtf8OnAUtf8Terminal) {
#if IRONVEIL_RELEASE != 16
    GTEST_SKIP() << "only release 16 has 8-bit (GBK) texts";
#endif
    std::string reg =
        ivtest::regFileText({{ivtest::kSettingsKey, {{"ChineseVersion", ivtest::regDword(1)}}}});
    start({"--load=" + ivtest::modulePath()}, reg, "C.UTF-8");
    ASSERT_TRUE(waitFor("Command: ")) << screen;
    type("WM\r");
    // The first corner's prompt, in UTF-8.
    ASSERT_TRUE(waitFor("\xE8\xAF\xB7\xE6\x8C\x87\xE5\xAE\x9A")) << screen;
    type("\x03");
    ASSERT_TRUE(waitFor("Command: ", 2)) << screen;
    type("QUIT\r");
    EXPECT_EQ(exitStatus(), 0) << screen;
}

TEST(BatchOnATerminal, ShowsAProgressBar) {
    ivtest::TempDir dir;
    ivtest::writeFile(dir.file("s.scr"), "CIRCLE 0,0 1\n");
    ivtest::writeFile(dir.file("a.dxf"), "0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n");
    int master = -1;
    pid_t pid = startOnTerminal(
        {ivtest::hostsimPath(), "--no-load", "--batch=" + dir.file("out"), "--script=" + dir.file("s.scr"),
         "--registry=" + dir.file("r.reg"), dir.file("a.dxf")},
        master);
    ASSERT_GE(pid, 0);
    std::string screen;
    int status = readUntilExit(master, pid, screen, 500);
    close(master);
    EXPECT_EQ(status, 0) << screen;
    EXPECT_NE(screen.find("\r[" + std::string(30, '#') + "] 1/1 drawings"), std::string::npos) << screen;
    EXPECT_NE(screen.find("1 of 1 drawings ok"), std::string::npos) << screen;
}

TEST(BatchOnATerminal, CtrlCStopsTheBatchAndNoDrawingIsWrittenAfterIt) {
    ivtest::TempDir dir;
    ivtest::writeFile(dir.file("s.scr"), "CIRCLE 0,0 1\n");
    std::string big = "0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < 40000; ++i)
        big += "0\nLINE\n8\n0\n10\n" + std::to_string(i) + "\n20\n0\n30\n0\n11\n0\n21\n1\n31\n0\n";
    big += "0\nENDSEC\n0\nEOF\n";
    std::vector<std::string> args{ivtest::hostsimPath(),
                                  "--no-load",
                                  "--batch=" + dir.file("out"),
                                  "-j",
                                  "1",
                                  "--script=" + dir.file("s.scr"),
                                  "--registry=" + dir.file("r.reg")};
    const int drawings = 8;
    for (int i = 0; i < drawings; ++i) {
        std::string name = dir.file("d" + std::to_string(i) + ".dxf");
        ivtest::writeFile(name, big);
        args.push_back(name);
    }
    int master = -1;
    pid_t pid = startOnTerminal(args, master);
    ASSERT_GE(pid, 0);
    std::string screen;
    bool typed = false;
    int status = readUntilExit(master, pid, screen, 1500, [&] {
        if (!typed && screen.find("] 1/8 drawings") != std::string::npos)
            typed = write(master, "\x03", 1) == 1;
    });
    close(master);
    ASSERT_TRUE(typed) << screen;
    EXPECT_EQ(status, 128 + SIGINT) << screen;
    EXPECT_NE(screen.find("not started"), std::string::npos) << "the table shows what was left\n" << screen;
    // Nothing is written once the batch has ended, and nothing half.
    int written = 0;
    for (int i = 0; i < drawings; ++i)
        written += ivtest::fileExists(dir.file("out/d" + std::to_string(i) + ".dxf")) ? 1 : 0;
    usleep(1500000);
    int later = 0;
    for (int i = 0; i < drawings; ++i) {
        std::string out = dir.file("out/d" + std::to_string(i) + ".dxf");
        later += ivtest::fileExists(out) ? 1 : 0;
        EXPECT_FALSE(ivtest::fileExists(out + ".hostsim-part")) << out;
    }
    EXPECT_EQ(later, written) << "a drawing was written after the batch had stopped";
    EXPECT_LT(written, drawings);
}

TEST(Transcript, ReleaseSixteenKeepsGbkBytesInAFileOrPipe) {
#if IRONVEIL_RELEASE != 16
    GTEST_SKIP() << "only release 16 has 8-bit (GBK) texts";
#endif
    ivtest::HostsimOptions o;
    o.registryText = ivtest::regFileText({{ivtest::kSettingsKey, {{"ChineseVersion", ivtest::regDword(1)}}}});
    o.env = {"LANG=C.UTF-8"};
    ivtest::Run run = ivtest::runHostsim("WM\n^C\n", o);
    EXPECT_TRUE(run.contains("\xC7\xEB\xD6\xB8\xB6\xA8")) << "GBK bytes of the first corner's prompt";
}

}  // namespace
#endif

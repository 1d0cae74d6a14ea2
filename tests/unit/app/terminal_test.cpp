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
#include <string>
#include <vector>

#include "ivtest.h"

namespace {

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
        pid = forkpty(&master, nullptr, nullptr, nullptr);
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            setenv("TERM", "dumb", 1);
            setenv("HOME", dir.path().c_str(), 1);
            if (lang != nullptr) {
                unsetenv("LC_ALL");
                unsetenv("LC_CTYPE");
                setenv("LANG", lang, 1);
            }
            std::vector<std::string> args{ivtest::hostsimPath(), "--registry=" + registry,
                                          "--save=" + savePath};
            args.insert(args.end(), extra.begin(), extra.end());
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(&a[0]);
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
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
        for (int i = 0; i < tries; ++i) {
            // Keep the terminal drained so that hostsim never blocks writing.
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
                usleep(20000);  // the terminal is closed: hostsim is ending
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                ended = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
        }
        return -1;
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
#if defined(__i386__)
    // The 32-bit Linux builds have no line editor and read plain lines; there
    // Esc and history do not exist and Ctrl-C does not yet cancel a prompt.
    GTEST_SKIP() << "no line editor in the 32-bit Linux builds";
#endif
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
#if defined(__i386__)
    // The 32-bit Linux builds have no line editor and read plain lines; there
    // Esc and history do not exist and Ctrl-C does not yet cancel a prompt.
    GTEST_SKIP() << "no line editor in the 32-bit Linux builds";
#endif
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

TEST_F(Terminal, HistoryRecallsATypedLine) {
#if defined(__i386__)
    // The 32-bit Linux builds have no line editor and read plain lines; there
    // Esc and history do not exist and Ctrl-C does not yet cancel a prompt.
    GTEST_SKIP() << "no line editor in the 32-bit Linux builds";
#endif
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

TEST_F(Terminal, ATerminationSignalEndsTheRunWithoutAnyOutputFile) {
    ASSERT_TRUE(waitFor("Command: ")) << screen;
    type("CIRCLE 0,0 5\r");
    ASSERT_TRUE(waitFor("Command: ", 2)) << screen;
    kill(pid, SIGTERM);
    EXPECT_EQ(exitStatus(), 128 + SIGTERM) << screen;
    EXPECT_FALSE(ivtest::fileExists(savePath));
    EXPECT_FALSE(ivtest::fileExists(savePath + ".hostsim-part"));
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
    pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::string hostsim = ivtest::hostsimPath();
        std::string out = "--batch=" + dir.file("out"), script = "--script=" + dir.file("s.scr"),
                    reg = "--registry=" + dir.file("r.reg"), drawing = dir.file("a.dxf");
        execl(hostsim.c_str(), hostsim.c_str(), "--no-load", out.c_str(), script.c_str(), reg.c_str(),
              drawing.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string screen;
    int status = -1;
    for (int i = 0; i < 500; ++i) {
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
        if (!got) {
            if (waitpid(pid, &status, WNOHANG) == pid)
                break;
            usleep(20000);  // the terminal is closed: hostsim is ending
        }
    }
    close(master);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << screen;
    EXPECT_NE(screen.find("\r[" + std::string(30, '#') + "] 1/1 drawings"), std::string::npos) << screen;
    EXPECT_NE(screen.find("1 of 1 drawings ok"), std::string::npos) << screen;
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

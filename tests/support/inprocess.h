// Helpers for tests that drive the host session inside the test process.
//
//   ivtest::Transcript t;                       // captures what is printed
//   std::string out = ivtest::runScript("SETVAR\nCMDECHO\n0\n");
//   EXPECT_NE(out.find("Command: SETVAR"), std::string::npos);
//
// The session is one per process and keeps its state between tests: register
// commands and reactors under names of your test and remove them at its end.
#pragma once
#include <string>

namespace ivtest {

// Captures the session's output from construction on (not shown on stdout).
class Transcript {
public:
    Transcript();
    ~Transcript();
    // Everything printed since the last take (or construction).
    std::string take();

private:
    std::string m_text;
};

// Runs the command loop on this script text and returns what was printed.
std::string runScript(const std::string& script);

// Gives the session a fresh in-memory registry (no file), or one kept in
// the given file.
void useMemoryRegistry();
void useRegistryFile(const std::string& path);

}  // namespace ivtest

// Helpers shared by every test: run the hostsim executable on a script with a
// private registry file, temporary folders, files and registry files.
//
// Usage:
//
//   #include "ivtest.h"
//
//   TEST(HelpCommand, OpensTheEnglishHelpPageByDefault)
//   {
//       ivtest::Run run = ivtest::runHostsim("qwkHelp\n");          // loads the module
//       EXPECT_EQ(run.exitCode, 0) << run.transcript;
//       EXPECT_TRUE(run.contains("open https://www.halvorn.example/eng/apps/quillwerk_help.asp"));
//   }
//
//   TEST(Settings, ChineseSwitchIsReadAtLoad)
//   {
//       ivtest::HostsimOptions opts;
//       opts.registryText = ivtest::regFileText({{"HKEY_CURRENT_USER\\Software\\Halvorn\\Quillwerk",
//                                                 {{"ChineseVersion", "dword:00000001"}}}});
//       ivtest::Run run = ivtest::runHostsim("qwkHelp\n", opts);
//       ...
//       ivtest::RegFile reg = ivtest::RegFile::load(run.registryPath);   // the registry after the run
//       EXPECT_FALSE(reg.hasKey("HKEY_CURRENT_USER\\Software\\Halvorn\\Quillwerk\\Other"));
//   }
//
// The script is the host's command-line input, one answer per line (blank
// line = Enter, ^C = cancel, ';' starts a comment line). Each run gets its own
// temporary folder (kept in Run::dir until the Run is destroyed) holding the
// script, the registry file and any output files; XDG_CONFIG_HOME and HOME
// point into it so a run never touches the user's own files.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ivtest {

// A temporary folder, removed with everything in it when destroyed.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    // path()/name
    std::string file(const std::string& name) const;

private:
    std::string m_path;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);
bool fileExists(const std::string& path);

// Where the build put things.
std::string binDir();                                 // build/<preset>/bin
std::string hostsimPath();                            // the hostsim executable
std::string modulePath();                             // the Ironveil module of this build
std::string sourcePath(const std::string& relative);  // a file of the source tree
std::string testModuleDir();                          // build/<preset>/bin/testmods
// The entity's source file as the build names it to the module (the path the
// release 16 error line gives).
std::string watermarkSourceFile();
// The path with the system's own separators ('\\' on Windows).
std::string nativePath(const std::string& path);

struct HostsimOptions {
    // Text of the registry file before the run (empty: no file at all).
    std::string registryText;
    // Load the module built beside hostsim (the default of hostsim itself).
    bool loadModule = true;
    // Extra modules to --load (the default module is not loaded when this is
    // not empty and loadModule is false).
    std::vector<std::string> modules;
    // A drawing to open (DRAWING.dxf argument), or empty.
    std::string drawing;
    // Output files, relative to the run folder when not absolute (empty: none).
    std::string saveDxf;
    std::string saveSvg;
    // More arguments, passed before the drawing.
    std::vector<std::string> extraArgs;
    // Environment additions (NAME=value).
    std::vector<std::string> env;
    // The run is killed after this many seconds and reported with exit code -1.
    int timeoutSeconds = 60;
};

// The outcome of one hostsim run.
struct Run {
    int exitCode = -1;             // the process's exit status; -1 when killed or not started
    std::string transcript;        // standard output
    std::string errors;            // standard error
    std::shared_ptr<TempDir> dir;  // the run's folder, kept as long as the Run lives
    std::string registryPath;      // the registry file used by the run
    std::string savePath;          // absolute path of --save (if asked)
    std::string svgPath;           // absolute path of --svg (if asked)

    bool contains(const std::string& text) const { return transcript.find(text) != std::string::npos; }
    // Number of (non-overlapping) occurrences of text in the transcript.
    int count(const std::string& text) const;
    // The registry file after the run.
    std::string registryText() const { return readFile(registryPath); }
};

// Runs hostsim on the script text with a private registry file.
Run runHostsim(const std::string& script, const HostsimOptions& options = HostsimOptions());
// Runs hostsim with exactly the given arguments (no script, registry or module
// options added) in a fresh temporary folder; the script, if not empty, is
// written to <dir>/script.scr but not passed.
Run runHostsimArgs(const std::vector<std::string>& args, const std::string& stdinText = std::string(),
                   int timeoutSeconds = 60);

// ---- registry files -------------------------------------------------------------
// A value as written in the file: "dword:00000001", "\"text\"", "hex(b):01,00,..."
using RegValues = std::vector<std::pair<std::string, std::string>>;
using RegKeys = std::vector<std::pair<std::string, RegValues>>;

// The text of a registry file holding these keys and values (REGEDIT4 form).
std::string regFileText(const RegKeys& keys);
// Helpers for value texts.
std::string regDword(unsigned int value);        // dword:xxxxxxxx
std::string regString(const std::string& text);  // "text", quotes and backslashes escaped

// A parsed registry file: keys (full path, as written) and their values, the
// value texts as written in the file. Names compare ignoring case.
class RegFile {
public:
    static RegFile load(const std::string& path);
    static RegFile parse(const std::string& text);
    bool hasKey(const std::string& key) const;
    bool hasValue(const std::string& key, const std::string& name) const;
    // The value's text as written, or "" when missing.
    std::string value(const std::string& key, const std::string& name) const;
    std::vector<std::string> keys() const;

private:
    std::map<std::string, std::map<std::string, std::string>> m_keys;  // upper-case key -> name -> text
};

// The settings key of the module, as written in registry files.
extern const char* const kSettingsKey;  // HKEY_CURRENT_USER\Software\Halvorn\Quillwerk

}  // namespace ivtest

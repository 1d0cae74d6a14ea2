// Windows: hostsim's hold on the module's shell and registry calls.
//
// The module calls shell32's ShellExecuteA/W and advapi32's registry
// functions directly. These functions point a loaded image's imports of them
// at hostsim: ShellExecute is recorded in the transcript (and really run only
// with --open-urls); the registry functions first ask the fault table (sites
// "RegOpenKeyEx", "RegQueryValueEx", "RegCreateKeyEx", "RegSetValueEx", as on
// other systems), then run the real function, and after a change write the
// session's registry file. Call both on every module loaded and on the main
// executable, before the module's code runs. Patching twice is harmless.
// Elsewhere they do nothing: hostsim provides these functions itself.
#pragma once

namespace hs {

// moduleHandle: the HMODULE of an image loaded in this process (x64 or x86,
// the process's own kind). Returns the number of import slots redirected.
int interceptShell(void* moduleHandle);
int interceptRegistry(void* moduleHandle);

}  // namespace hs

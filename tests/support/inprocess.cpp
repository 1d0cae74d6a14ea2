// In-process session helpers.
#include "inprocess.h"

#include "hostsim/registry.h"
#include "hostsim/session.h"

namespace ivtest {

Transcript::Transcript() {
    hs::Session::get().startCapture(false);
}

Transcript::~Transcript() {
    hs::Session::get().stopCapture();
}

std::string Transcript::take() {
    return hs::Session::get().takeCapture();
}

std::string runScript(const std::string& script) {
    hs::Session& s = hs::Session::get();
    Transcript t;
    s.setScriptText(script);
    s.commandLoop();
    return t.take();
}

void useMemoryRegistry() {
    std::string message;
    hs::Session::get().registry().open(std::string(), message);
}

void useRegistryFile(const std::string& path) {
    std::string message;
    hs::Session::get().registry().open(path, message);
}

}  // namespace ivtest

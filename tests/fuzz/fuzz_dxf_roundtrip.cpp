// libFuzzer target: open, save and open again any bytes the reader accepts;
// the drawing must come back the same (or the save fail with a message).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_checks.h"
#include "hostsim/session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool started = false;
    if (!started) {
        started = true;
        hs::Session::get().startCapture(/*alsoToStdout=*/false);
        QWK_WaterMark::rxInit();
        acrxBuildClassHierarchy();
    }
    std::string why;
    if (!ivfuzz::checkSaveReopen(std::string_view(reinterpret_cast<const char*>(data), size), why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        std::abort();
    }
    hs::Session::get().takeCapture();
    return 0;
}

// libFuzzer target: the DXF reader on any bytes. Whatever it reads it must
// write, and what it writes it must read again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "entity/QWK_WaterMark.h"
#include "hostsim/dxffile.h"
#include "hostsim/session.h"

namespace {
void startOnce() {
    static bool started = false;
    if (started)
        return;
    started = true;
    hs::Session& s = hs::Session::get();
    s.startCapture(/*alsoToStdout=*/false);
    QWK_WaterMark::rxInit();
    acrxBuildClassHierarchy();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    startOnce();
    AcDbDatabase* pDb = nullptr;
    hs::DxfResult result = hs::readDxfText(std::string_view(reinterpret_cast<const char*>(data), size), pDb);
    if (result.ok) {
        std::string out;
        hs::DxfResult written = hs::writeDxfText(pDb, out);
        if (written.ok) {
            AcDbDatabase* pAgain = nullptr;
            hs::DxfResult again = hs::readDxfText(out, pAgain);
            if (!again.ok) {
                std::fprintf(stderr, "written file does not read back: %s\n", again.message.c_str());
                std::abort();
            }
            delete pAgain;
        }
        delete pDb;
    }
    hs::Session::get().takeCapture();
    return 0;
}

// libFuzzer target: a watermark reading its DXF groups, given as DXF tags,
// through the host's DXF filer. The reader must keep its clone slots sound
// whatever it is fed; a watermark that reads must write and read back.
#include <cstdint>
#include <string>
#include <vector>

#include "dxf/objects_io.h"
#include "dxf/tags.h"
#include "entity/QWK_WaterMark.h"
#include "hostsim/session.h"

namespace {
void startOnce() {
    static bool started = false;
    if (started)
        return;
    started = true;
    hs::Session::get().startCapture(/*alsoToStdout=*/false);
    QWK_WaterMark::rxInit();
    acrxBuildClassHierarchy();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    startOnce();
    hs::dxf::TagReader reader(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<hs::dxf::RawTag> tags;
    hs::dxf::RawTag t;
    while (reader.next(t) && tags.size() < 20000)
        tags.push_back(t);
    // The groups after the entity's group 0, as the file reader passes them.
    size_t start = !tags.empty() && tags[0].code == 0 ? 1 : 0;
    QWK_WaterMark* pWm = new QWK_WaterMark();
    std::string error;
    hs::dxf::TextCodec codec;
    Acad::ErrorStatus es =
        hs::dxf::readObject(pWm, nullptr, tags.data() + start, tags.data() + tags.size(), codec, error);
    for (int i = 0; i < pWm->count(); ++i)
        if (pWm->entityAt(i) == nullptr)
            __builtin_trap();  // a counted slot without its clone
    if (es == Acad::eOk) {
        hs::dxf::Tags out;
        if (hs::dxf::writeObject(pWm, nullptr, "QWK_WaterMark", codec, out) == Acad::eOk) {
            std::vector<hs::dxf::RawTag> back;
            for (size_t i = 1; i < out.size(); ++i)
                back.push_back({out[i].code, out[i].value, 0});
            QWK_WaterMark* pAgain = new QWK_WaterMark();
            if (hs::dxf::readObject(pAgain, nullptr, back.data(), back.data() + back.size(), codec, error) !=
                    Acad::eOk ||
                pAgain->count() != pWm->count())
                __builtin_trap();  // what it wrote does not read back
            delete pAgain;
        }
    }
    delete pWm;
    hs::Session::get().takeCapture();
    return 0;
}

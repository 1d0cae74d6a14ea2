// The properties the fuzz targets check on each input, shared with the unit
// tests that replay the inputs kept in regressions/.
#pragma once
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "dxf/objects_io.h"
#include "dxf/tags.h"
#include "entity/QWK_WaterMark.h"
#include "hostsim/dxffile.h"

namespace ivfuzz {

// The DXF reader on any bytes: whatever it reads it must write, and what it
// writes it must read again. False (with the reason) when that fails.
inline bool checkDxfReader(std::string_view input, std::string& why) {
    AcDbDatabase* pDb = nullptr;
    hs::DxfResult result = hs::readDxfText(input, pDb);
    if (!result.ok)
        return pDb == nullptr || (why = "a failed read returned a drawing", false);
    std::string out;
    hs::DxfResult written = hs::writeDxfText(pDb, out);
    bool ok = true;
    if (written.ok) {
        AcDbDatabase* pAgain = nullptr;
        hs::DxfResult again = hs::readDxfText(out, pAgain);
        if (!again.ok) {
            why = "the written file does not read back: " + again.message;
            ok = false;
        }
        delete pAgain;
    }
    delete pDb;
    return ok;
}

// The records of a DXF text (from each group 0), each as its groups in order
// and sorted, handle values left out.
struct DxfRecordText {
    std::vector<std::pair<int, std::string>> groups, sorted;
};
inline std::vector<DxfRecordText> dxfRecords(std::string_view text) {
    std::vector<DxfRecordText> records;
    hs::dxf::TagReader reader(text);
    hs::dxf::RawTag t;
    while (reader.next(t)) {
        if (t.code == 0 || records.empty())
            records.emplace_back();
        // Handles are compared by presence only: the file's handles of kept
        // records may be numbered again when they meet the database's.
        bool handle =
            t.code == 5 || t.code == 105 || hs::dxf::groupType(t.code) == hs::dxf::GroupType::kHandle;
        records.back().groups.emplace_back(t.code, handle ? std::string("#") : std::string(t.value));
    }
    for (DxfRecordText& r : records) {
        r.sorted = r.groups;
        std::sort(r.sorted.begin(), r.sorted.end());
    }
    return records;
}

// Open, save, open: for every file the reader accepts, a save either fails
// with a message naming what it could not write, or writes a file that opens
// to the same drawing. That is checked by saving it again: the same records
// in the same order, each with the same groups. (Within a record, groups
// hostsim keeps but does not model may move among the modelled ones when a
// damaged record gave them in an order the record's writer does not have.)
inline bool checkSaveReopen(std::string_view input, std::string& why) {
    AcDbDatabase* pDb = nullptr;
    hs::DxfResult result = hs::readDxfText(input, pDb);
    if (!result.ok)
        return pDb == nullptr || (why = "a failed read returned a drawing", false);
    std::string first;
    hs::DxfResult written = hs::writeDxfText(pDb, first);
    delete pDb;
    if (!written.ok) {
        if (written.message.empty())
            return why = "a save failed without a message", false;
        return true;
    }
    AcDbDatabase* pAgain = nullptr;
    hs::DxfResult again = hs::readDxfText(first, pAgain);
    if (!again.ok)
        return why = "the saved file does not open: " + again.message, false;
    std::string second;
    hs::DxfResult rewritten = hs::writeDxfText(pAgain, second);
    delete pAgain;
    if (!rewritten.ok)
        return why = "the reopened drawing cannot be saved: " + rewritten.message, false;
    std::vector<DxfRecordText> a = dxfRecords(first), b = dxfRecords(second);
    auto show = [](const DxfRecordText& r) {
        std::string s;
        for (const auto& [code, value] : r.groups)
            s += std::to_string(code) + " " + value.substr(0, 40) + "\n";
        return s;
    };
    for (size_t i = 0; i < a.size() || i < b.size(); ++i) {
        if (i < a.size() && i < b.size() && a[i].sorted == b[i].sorted)
            continue;
        why = "record " + std::to_string(i) + " of the saved drawing differs when reopened and saved:\n" +
              (i < a.size() ? show(a[i]) : std::string("(none)\n")) + "---- saved again ----\n" +
              (i < b.size() ? show(b[i]) : std::string("(none)\n"));
        return false;
    }
    return true;
}

// A watermark reading its DXF groups (the tags after its group 0) through the
// host's DXF filer: its clone slots stay sound whatever it is fed, and a
// watermark that reads writes groups that read back to as many clones.
inline bool checkWatermarkDxf(std::string_view input, std::string& why) {
    hs::dxf::TagReader reader(input);
    std::vector<hs::dxf::RawTag> tags;
    hs::dxf::RawTag t;
    while (reader.next(t) && tags.size() < 20000)
        tags.push_back(t);
    size_t start = !tags.empty() && tags[0].code == 0 ? 1 : 0;
    hs::dxf::TextCodec codec;
    std::string error;
    QWK_WaterMark* pWm = new QWK_WaterMark();
    Acad::ErrorStatus es =
        hs::dxf::readObject(pWm, nullptr, tags.data() + start, tags.data() + tags.size(), codec, error);
    bool ok = true;
    if (pWm->count() < 0 || pWm->count() > QWK_WaterMark::kMaxClones) {
        why = "clone count out of range";
        ok = false;
    }
    for (int i = 0; ok && i < pWm->count(); ++i) {
        if (pWm->entityAt(i) == nullptr) {
            why = "a counted slot without its clone";
            ok = false;
        }
    }
    if (ok && es == Acad::eOk) {
        hs::dxf::Tags out;
        if (hs::dxf::writeObject(pWm, nullptr, "QWK_WaterMark", codec, out) == Acad::eOk) {
            std::vector<hs::dxf::RawTag> back;
            for (size_t i = 1; i < out.size(); ++i)
                back.push_back({out[i].code, out[i].value, 0});
            QWK_WaterMark* pAgain = new QWK_WaterMark();
            if (hs::dxf::readObject(pAgain, nullptr, back.data(), back.data() + back.size(), codec, error) !=
                    Acad::eOk ||
                pAgain->count() != pWm->count()) {
                why = "what the watermark wrote does not read back: " + error;
                ok = false;
            }
            delete pAgain;
        }
    }
    delete pWm;
    return ok;
}

}  // namespace ivfuzz

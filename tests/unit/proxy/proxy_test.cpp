// Watermarks where their module is absent: saved with their graphics, opened
// without the module, unloaded and loaded again. Each test runs hostsim on
// the example drawing and checks what it prints and what it saves.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "gi/proxygraphics.h"
#include "ivtest.h"

namespace {

using Record = std::vector<std::pair<std::string, std::string>>;

std::string trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// The watermark records of a DXF text (each from its group 0), by handle.
std::map<std::string, Record> watermarkRecords(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string::npos)
            nl = text.size();
        lines.push_back(text.substr(pos, nl - pos));
        pos = nl + 1;
    }
    std::map<std::string, Record> out;
    Record* cur = nullptr;
    for (size_t i = 0; i + 1 < lines.size(); i += 2) {
        std::string code = trimmed(lines[i]);
        if (code == "0") {
            cur = nullptr;
            if (trimmed(lines[i + 1]) == "QWK_WaterMark") {
                Record r{{code, lines[i + 1]}};
                if (i + 3 < lines.size() && trimmed(lines[i + 2]) == "5")
                    cur = &(out[trimmed(lines[i + 3])] = r);
                continue;
            }
        }
        if (cur != nullptr)
            cur->push_back({code, lines[i + 1]});
    }
    return out;
}

// The graphics bytes of a record and the count its size group gives.
std::string graphicsOf(const Record& r, long& declared) {
    std::string bytes;
    declared = -1;
    for (const auto& [code, value] : r) {
        if (code == "92" || code == "160")
            declared = std::stol(trimmed(value));
        else if (code == "310")
            hs::proxyGraphicsAppendHex(trimmed(value), bytes);
    }
    return bytes;
}

// Runs the example: the plan watermarked with the studio's logo and name.
ivtest::Run watermarkedPlan(const std::string& extra = std::string()) {
    ivtest::HostsimOptions opts;
    opts.drawing = ivtest::sourcePath("examples/plan.dxf");
    opts.saveDxf = "watermarked.dxf";
    return ivtest::runHostsim(ivtest::readFile(ivtest::sourcePath("examples/watermark.scr")) + extra, opts);
}

// Runs a script on a saved drawing, with or without the module, saving it again.
ivtest::Run onDrawing(const std::string& drawing, const std::string& script, bool withModule) {
    ivtest::HostsimOptions opts;
    opts.loadModule = withModule;
    opts.drawing = drawing;
    opts.saveDxf = "again.dxf";
    opts.saveSvg = "again.svg";
    return ivtest::runHostsim(script, opts);
}

const char kEditEverything[] =
    "ERASE\nALL\n\n"
    "MOVE\nALL\n\n0,0\n10,10\n"
    "ROTATE\nALL\n\n0,0\n30\n"
    "SCALE\nALL\n\n0,0\n2\n"
    "COPY\nALL\n\n0,0\n5,5\n"
    "-ARRAY\nALL\n\nR\n2\n2\n10\n10\n"
    "CHPROP\nALL\n\nC\n3\n\n"
    "CHPROP\nALL\n\nLA\n0\n\n"
    "CHPROP\nALL\n\nLT\nContinuous\n\n"
    "CHPROP\nALL\n\nS\n2\n\n"
    "CHPROP\nALL\n\nLW\n0.5\n\n";

}  // namespace

TEST(ProxyGraphics, EveryWatermarkIsSavedWithTheGraphicsOfItsClones) {
    ivtest::Run run = watermarkedPlan();
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    auto records = watermarkRecords(ivtest::readFile(run.savePath));
    ASSERT_EQ(records.size(), 15u);
    for (const auto& [handle, record] : records) {
        long declared = 0;
        std::string bytes = graphicsOf(record, declared);
        ASSERT_FALSE(bytes.empty()) << handle;
        EXPECT_EQ(declared, static_cast<long>(bytes.size())) << handle;
        std::vector<unsigned> types;
        ASSERT_TRUE(hs::proxyGraphicsTypes(bytes, types)) << handle;
        // The logo is a circle, an arc and a polyline; the name is a text.
        std::map<unsigned, int> n;
        for (unsigned t : types)
            ++n[t];
        EXPECT_EQ(n[2], 1) << handle;
        EXPECT_EQ(n[4], 1) << handle;
        EXPECT_EQ(n[6], 1) << handle;
        EXPECT_EQ(n[36], 1) << handle;
        EXPECT_GE(n[14], 1) << handle;  // the colour
    }
}

TEST(ProxyGraphics, NoneAreSavedWhenProxyGraphicsIsZero) {
    ivtest::Run run = watermarkedPlan("SETVAR\nPROXYGRAPHICS\n0\n");
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    std::string text = ivtest::readFile(run.savePath);
    auto records = watermarkRecords(text);
    ASSERT_EQ(records.size(), 15u);
    for (const auto& [handle, record] : records) {
        long declared = 0;
        EXPECT_TRUE(graphicsOf(record, declared).empty()) << handle;
        EXPECT_EQ(declared, -1) << handle;
    }
    EXPECT_NE(text.find("$PROXYGRAPHICS\n 70\n0\n"), std::string::npos);
}

TEST(ProxyGraphics, ReadingAndSavingAgainDoesNotDuplicateThem) {
    ivtest::Run first = watermarkedPlan();
    ASSERT_EQ(first.exitCode, 0) << first.transcript;
    ivtest::Run again = onDrawing(first.savePath, "", /*withModule=*/true);
    ASSERT_EQ(again.exitCode, 0) << again.transcript;
    for (const auto& [handle, record] : watermarkRecords(ivtest::readFile(again.savePath))) {
        int sizeGroups = 0;
        for (const auto& [code, value] : record)
            sizeGroups += code == "92" || code == "160";
        EXPECT_EQ(sizeGroups, 1) << handle;
    }
}

TEST(Proxies, WithoutTheModuleNoWatermarkCanBeErasedMovedCopiedOrChanged) {
    ivtest::Run first = watermarkedPlan();
    ASSERT_EQ(first.exitCode, 0) << first.transcript;
    ivtest::Run run = onDrawing(first.savePath, kEditEverything, /*withModule=*/false);
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_EQ(run.count("Proxy QWK_WaterMark (handle 92) cannot be"), 11) << run.transcript;
    EXPECT_TRUE(run.contains("15 objects were not erased."));
    EXPECT_TRUE(run.contains("15 objects were not moved."));
    EXPECT_TRUE(run.contains("15 objects were not rotated."));
    EXPECT_TRUE(run.contains("15 objects were not scaled."));
    EXPECT_TRUE(run.contains("15 objects were not copied."));
    EXPECT_TRUE(run.contains("copies could not be made."));
    EXPECT_EQ(run.count("15 objects were not changed."), 5);
    // Byte for byte the same records.
    auto before = watermarkRecords(ivtest::readFile(first.savePath));
    auto after = watermarkRecords(ivtest::readFile(run.savePath));
    ASSERT_EQ(before.size(), 15u);
    EXPECT_EQ(before, after);
}

TEST(Proxies, OpeningWithoutTheModuleNamesTheMissingApplication) {
    ivtest::Run first = watermarkedPlan();
    ASSERT_EQ(first.exitCode, 0) << first.transcript;
    ivtest::Run run = onDrawing(first.savePath, "LIST\nL\n\n", /*withModule=*/false);
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains("Proxy information: this drawing holds 15 proxy entities")) << run.transcript;
    EXPECT_TRUE(run.contains("Missing application: \"QWK_WaterMark|Product Desc:     Ironveil|"));
    EXPECT_TRUE(run.contains("Proxy entity of class QWK_WaterMark"));
    EXPECT_TRUE(run.contains("Proxy flags: 0x0 (no edits allowed)"));
    // The class keeps its record, marked as not loaded when written.
    std::string text = ivtest::readFile(run.savePath);
    EXPECT_NE(text.find("CLASS\n  1\nQWK_WaterMark\n  2\nQWK_WaterMark\n  3\n\"QWK_WaterMark|Product Desc:"),
              std::string::npos);
    EXPECT_NE(text.find(" 90\n0\n 91\n15\n280\n1\n281\n1\n"), std::string::npos);
}

TEST(Proxies, ThePictureWithoutTheModuleDrawsWhatTheModuleDraws) {
    ivtest::Run first = watermarkedPlan();
    ASSERT_EQ(first.exitCode, 0) << first.transcript;
    ivtest::Run with = onDrawing(first.savePath, "", /*withModule=*/true);
    ivtest::Run without = onDrawing(first.savePath, "", /*withModule=*/false);
    ASSERT_EQ(without.exitCode, 0) << without.transcript;
    auto shapes = [](const std::string& svg) {
        std::vector<std::string> out;
        size_t pos = 0;
        while ((pos = svg.find('<', pos)) != std::string::npos) {
            size_t end = svg.find('>', pos);
            std::string tag = svg.substr(pos, end - pos + 1);
            if (tag.rfind("<g", 0) != 0 && tag.rfind("</g", 0) != 0)
                out.push_back(tag);
            pos = end;
        }
        return out;
    };
    EXPECT_EQ(shapes(ivtest::readFile(with.svgPath)), shapes(ivtest::readFile(without.svgPath)));
    // PROXYSHOW 0 hides the fifteen watermarks' names; the plan's own texts stay.
    auto names = [](const std::string& svg) {
        int n = 0;
        for (size_t pos = 0; (pos = svg.find(">HALVORN STUDIO<", pos)) != std::string::npos; ++pos)
            ++n;
        return n;
    };
    ivtest::Run hidden = onDrawing(first.savePath, "SETVAR\nPROXYSHOW\n0\n", /*withModule=*/false);
    EXPECT_EQ(names(ivtest::readFile(without.svgPath)) - names(ivtest::readFile(hidden.svgPath)), 15);
}

TEST(Proxies, ReopenedWithTheModuleTheWatermarksComeBackGuarded) {
    ivtest::Run first = watermarkedPlan();
    // What the watermarks are once read from a file (a watermark read gives
    // its clones its own common properties).
    ivtest::Run reference = onDrawing(first.savePath, "", /*withModule=*/true);
    ivtest::Run without = onDrawing(first.savePath, kEditEverything, /*withModule=*/false);
    ASSERT_EQ(without.exitCode, 0) << without.transcript;
    ivtest::Run back = onDrawing(without.savePath, "LIST\nL\n\nERASE\nALL\n\n", /*withModule=*/true);
    ASSERT_EQ(back.exitCode, 0) << back.transcript;
    EXPECT_FALSE(back.contains("Proxy information")) << back.transcript;
    EXPECT_TRUE(back.contains("QUILLWERK WATERMARK, By https://www.halvorn.example"));
    EXPECT_TRUE(back.contains("15 objects were not erased."));
    EXPECT_EQ(watermarkRecords(ivtest::readFile(reference.savePath)),
              watermarkRecords(ivtest::readFile(back.savePath)));
}

TEST(Proxies, UnloadingTheModuleKeepsTheWatermarksAsProxies) {
    ivtest::Run first = watermarkedPlan();
    ASSERT_EQ(first.exitCode, 0) << first.transcript;
    ivtest::Run run = onDrawing(
        first.savePath, "ARX\nU\n" IV_MODULE_FILE "\nLIST\nL\n\nERASE\nALL\n\nCOPY\nL\n\n0,0\n5,5\nU\n",
        /*withModule=*/true);
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains(IV_MODULE_FILE " unloaded."));
    EXPECT_TRUE(run.contains("Proxy entity of class QWK_WaterMark"));
    EXPECT_TRUE(run.contains("15 objects were not erased."));
    EXPECT_TRUE(run.contains("1 object was not copied."));
    ivtest::Run reference = onDrawing(first.savePath, "", /*withModule=*/true);
    auto before = watermarkRecords(ivtest::readFile(reference.savePath));
    auto after = watermarkRecords(ivtest::readFile(run.savePath));
    ASSERT_EQ(after.size(), 15u);
    EXPECT_EQ(before, after);
    // What each watermark filed before the unload is what the file holds.
    for (const auto& [handle, record] : before) {
        Record a = record, b = after[handle];
        long n = 0;
        EXPECT_FALSE(graphicsOf(b, n).empty()) << handle;
        auto noGraphics = [](Record r) {
            Record out;
            for (auto& t : r)
                if (t.first != "92" && t.first != "310")
                    out.push_back(t);
            return out;
        };
        EXPECT_EQ(noGraphics(a), noGraphics(b)) << handle;
    }
    // Opened again with the module: watermarks, guarded.
    ivtest::Run back = onDrawing(run.savePath, "ERASE\nALL\n\n", /*withModule=*/true);
    EXPECT_TRUE(back.contains("15 objects were not erased.")) << back.transcript;
    EXPECT_FALSE(back.contains("Proxy information"));
}

TEST(Proxies, LoadingTheModuleAgainTurnsItsProxiesBackIntoWatermarks) {
    ivtest::Run first = watermarkedPlan();
    ivtest::Run run =
        onDrawing(first.savePath, "ARX\nU\n" IV_MODULE_FILE "\nARX\nL\n" IV_MODULE_FILE "\nLIST\nL\n\n",
                  /*withModule=*/true);
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains("QUILLWERK WATERMARK, By https://www.halvorn.example")) << run.transcript;
    EXPECT_FALSE(run.contains("Proxy entity of class"));
    ivtest::Run reference = onDrawing(first.savePath, "", /*withModule=*/true);
    EXPECT_EQ(watermarkRecords(ivtest::readFile(reference.savePath)),
              watermarkRecords(ivtest::readFile(run.savePath)));
}

// The handle of the first watermark record of a saved drawing.
static std::string firstWatermarkHandle(const std::string& text) {
    const std::string head = "  0\nQWK_WaterMark\n  5\n";
    size_t at = text.find(head);
    if (at == std::string::npos)
        return std::string();
    at += head.size();
    return text.substr(at, text.find('\n', at) - at);
}

TEST(Proxies, AWatermarkOfANewerVersionOpensAsAProxyThatEraseCannotRemove) {
    ivtest::Run first = watermarkedPlan();
    std::string text = ivtest::readFile(first.savePath);
    const std::string h = firstWatermarkHandle(text);
    ASSERT_FALSE(h.empty());
    const std::string v1 = "100\nQWK_WaterMark\n 70\n1\n";
    size_t at = text.find(v1);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, v1.size(), "100\nQWK_WaterMark\n 70\n2\n");
    ivtest::TempDir dir;
    std::string newer = dir.file("newer.dxf");
    ivtest::writeFile(newer, text);
    ivtest::Run run = onDrawing(newer, "ERASE\nALL\n\n", /*withModule=*/true);
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains("Please install a newer plug-in."));
    EXPECT_TRUE(run.contains("this drawing holds 1 proxy entity"));
    EXPECT_TRUE(run.contains("Proxy QWK_WaterMark (handle " + h + ") cannot be erased"));
    EXPECT_EQ(watermarkRecords(text), watermarkRecords(ivtest::readFile(run.savePath)));
}

TEST(Proxies, WriteBlockLeavesOutProxiesThatMayNotBeCloned) {
    ivtest::Run first = watermarkedPlan();
    ivtest::TempDir dir;
    std::string out = dir.file("block.dxf");
    ivtest::Run run = onDrawing(first.savePath, "ARX\nU\n" IV_MODULE_FILE "\n-WBLOCK\n" + out + "\n*\n",
                                /*withModule=*/true);
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_EQ(run.count("cannot be written out"), 15) << run.transcript;
    ASSERT_TRUE(ivtest::fileExists(out));
    EXPECT_TRUE(watermarkRecords(ivtest::readFile(out)).empty());
    // The drawing itself keeps them.
    EXPECT_EQ(watermarkRecords(ivtest::readFile(run.savePath)).size(), 15u);
}

TEST(Proxies, UndoAfterAnUnloadPutsBackWhatTheWatermarkWasBefore) {
    ivtest::Run first = watermarkedPlan();
    // Red before the unload; undone after it, the proxy is colour 8 again.
    ivtest::Run run = onDrawing(first.savePath, "CHPROP\nALL\n\nC\n1\n\nARX\nU\n" IV_MODULE_FILE "\nU\n",
                                /*withModule=*/true);
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_FALSE(run.contains("Cannot undo")) << run.transcript;
    ivtest::Run reference = onDrawing(first.savePath, "", /*withModule=*/true);
    EXPECT_EQ(watermarkRecords(ivtest::readFile(reference.savePath)),
              watermarkRecords(ivtest::readFile(run.savePath)));
}

TEST(Proxies, AFileProxyRecordStaysAProxyOfItsClassAndIsWrittenBackAsItWas) {
    ivtest::Run first = watermarkedPlan();
    std::string text = ivtest::readFile(first.savePath);
    const std::string h = firstWatermarkHandle(text);
    ASSERT_FALSE(h.empty());
    // The place of the watermark's class in the CLASSES section.
    size_t classes = text.find("CLASSES\n");
    size_t endClasses = text.find("ENDSEC\n", classes);
    int index = -1, n = 0;
    const std::string ours = "  0\nCLASS\n  1\nQWK_WaterMark\n  2\nQWK";
    for (size_t pos = classes; (pos = text.find("  0\nCLASS\n", pos)) < endClasses; pos += 4, ++n)
        if (text.compare(pos, ours.size(), ours) == 0)
            index = n;
    ASSERT_GE(index, 0);
    // The watermark's owner (model space), as the file names it.
    const std::string ownerHead = "  0\nQWK_WaterMark\n  5\n" + h + "\n330\n";
    size_t ownerAt = text.find(ownerHead);
    ASSERT_NE(ownerAt, std::string::npos);
    ownerAt += ownerHead.size();
    const std::string owner = text.substr(ownerAt, text.find('\n', ownerAt) - ownerAt);
    long declared = 0;
    std::string graphics = graphicsOf(watermarkRecords(text)[h], declared);
    ASSERT_FALSE(graphics.empty());
    std::string record = "  0\nACAD_PROXY_ENTITY\n  5\n" + h + "\n330\n" + owner +
                         "\n100\nAcDbEntity\n  8\n0\n 62\n8\n100\nAcDbProxyEntity\n"
                         " 90\n498\n 91\n" +
                         std::to_string(500 + index) + "\n 92\n" + std::to_string(graphics.size()) + "\n";
    for (const std::string& chunk : hs::proxyGraphicsToHex(graphics))
        record += "310\n" + chunk + "\n";
    record += " 93\n64\n310\n0011223344556677\n 94\n0\n 95\n1\n 70\n0\n";
    size_t start = text.find("  0\nQWK_WaterMark\n  5\n" + h + "\n");
    size_t end = text.find("  0\n", start + 4);
    text.replace(start, end - start, record);
    ivtest::TempDir dir;
    std::string path = dir.file("proxyrecord.dxf");
    ivtest::writeFile(path, text);

    for (bool withModule : {false, true}) {
        ivtest::Run run = onDrawing(path, "ERASE\nALL\n\nLIST\nALL\n\n", withModule);
        ASSERT_EQ(run.exitCode, 0) << run.transcript;
        EXPECT_TRUE(run.contains("Proxy QWK_WaterMark (handle " + h + ") cannot be erased"))
            << run.transcript;
        EXPECT_TRUE(run.contains("Proxy entity of class QWK_WaterMark"));
        std::string saved = ivtest::readFile(run.savePath);
        size_t written = saved.find("  0\nACAD_PROXY_ENTITY\n");
        EXPECT_NE(saved.find(record), std::string::npos)
            << (written == std::string::npos ? std::string("no proxy record") : saved.substr(written, 300));
        EXPECT_NE(ivtest::readFile(run.svgPath)
                      .find("data-entity=\"ACAD_PROXY_ENTITY\" data-handle=\"" + h + "\">\n  <circle"),
                  std::string::npos);
    }
}

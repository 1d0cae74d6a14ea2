// A proxy whose class allows transforms (the pins of a test module): moved
// where the module is missing, its graphics move with it, the matrix is kept
// in its extension dictionary across saves, and the entity takes it when
// its class returns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dbmain.h"
#include "gi/proxygraphics.h"
#include "ivtest.h"

namespace {

std::string testModule(const std::string& name) {
    return ivtest::testModuleDir() + "/" + name + IV_TEST_MODULE_SUFFIX;
}

ivtest::Run withModules(const std::string& drawing, const std::string& script,
                        const std::vector<std::string>& modules) {
    ivtest::HostsimOptions opts;
    opts.loadModule = false;
    for (const std::string& m : modules)
        opts.modules.push_back(testModule(m));
    opts.drawing = drawing;
    opts.saveDxf = "again.dxf";
    return ivtest::runHostsim(script, opts);
}

// The record of the first entity of this type, from its group 0 to the next.
std::string recordOf(const std::string& text, const std::string& type) {
    size_t at = text.find("  0\n" + type + "\n");
    if (at == std::string::npos)
        return std::string();
    size_t end = text.find("\n  0\n", at + 1);
    return text.substr(at, end == std::string::npos ? std::string::npos : end + 1 - at);
}

// The extents the graphics groups of a record draw.
bool graphicsExtents(const std::string& record, AcDbExtents& ext) {
    std::string bytes;
    size_t at = 0;
    while ((at = record.find("\n310\n", at)) != std::string::npos) {
        at += 5;
        size_t end = record.find('\n', at);
        hs::proxyGraphicsAppendHex(record.substr(at, end - at), bytes);
    }
    return hs::proxyGraphicsExtents(bytes, ext);
}

// The 16 values of the matrix record a drawing keeps for a proxy.
std::vector<std::string> filedMatrix(const std::string& text) {
    std::vector<std::string> values;
    std::string record = recordOf(text, "XRECORD");
    size_t at = 0;
    while ((at = record.find("\n 40\n", at)) != std::string::npos) {
        at += 5;
        values.push_back(record.substr(at, record.find('\n', at) - at));
    }
    return values;
}

std::vector<std::string> translation(const std::string& x, const std::string& y) {
    return {"1.0", "0.0", "0.0", x,     "0.0", "1.0", "0.0", y,
            "0.0", "0.0", "1.0", "0.0", "0.0", "0.0", "0.0", "1.0"};
}

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

}  // namespace

TEST(ProxyTransforms, AMovedPinKeepsItsMatrixAcrossSavesAndTakesItWhenItsClassReturns) {
    ivtest::Run made = withModules("", "PINADD\n2,3\n", {"mod_notes"});
    ASSERT_EQ(made.exitCode, 0) << made.transcript << made.errors;

    // Without the module the pin is a proxy whose flags allow moving it.
    ivtest::Run moved = withModules(made.savePath, "MOVE\nALL\n\n0,0\n10,5\n", {"mod_objtools"});
    ASSERT_EQ(moved.exitCode, 0) << moved.transcript << moved.errors;
    EXPECT_FALSE(moved.contains("cannot be")) << moved.transcript;
    std::string text = ivtest::readFile(moved.savePath);
    std::string pin = recordOf(text, "IVPIN");
    EXPECT_NE(pin.find("102\n{ACAD_XDICTIONARY\n360\n"), std::string::npos) << pin;
    EXPECT_EQ(count(text, "ACAD_PROXY_TRANSFORM"), 1);
    EXPECT_EQ(filedMatrix(text), translation("10.0", "5.0"));
    // Its graphics moved: the circle of radius 1 is at (12,8).
    AcDbExtents ext;
    ASSERT_TRUE(graphicsExtents(pin, ext)) << pin;
    EXPECT_NEAR(ext.minPoint().x, 11.0, 1e-9);
    EXPECT_NEAR(ext.minPoint().y, 7.0, 1e-9);
    EXPECT_NEAR(ext.maxPoint().x, 13.0, 1e-9);
    EXPECT_NEAR(ext.maxPoint().y, 9.0, 1e-9);

    // Moved again in another session: the matrix accumulates in its record.
    ivtest::Run again = withModules(moved.savePath, "MOVE\nALL\n\n0,0\n1,1\n", {"mod_objtools"});
    ASSERT_EQ(again.exitCode, 0) << again.transcript << again.errors;
    std::string text2 = ivtest::readFile(again.savePath);
    EXPECT_EQ(count(text2, "ACAD_PROXY_TRANSFORM"), 1);
    EXPECT_EQ(filedMatrix(text2), translation("11.0", "6.0"));

    // With the module the pin takes the matrix and the record goes.
    ivtest::Run back = withModules(again.savePath, "PINSHOW\n", {"mod_notes"});
    ASSERT_EQ(back.exitCode, 0) << back.transcript << back.errors;
    EXPECT_TRUE(back.contains("Pin at 13,9")) << back.transcript;
    std::string text3 = ivtest::readFile(back.savePath);
    EXPECT_EQ(count(text3, "ACAD_PROXY_TRANSFORM"), 0);
    EXPECT_EQ(count(text3, "\nXRECORD\n"), 0);
}

TEST(ProxyTransforms, APinMovedAfterAnUnloadIsMovedWhenItsModuleIsLoadedAgain) {
    ivtest::Run made = withModules("", "PINADD\n2,3\n", {"mod_notes"});
    ASSERT_EQ(made.exitCode, 0) << made.transcript << made.errors;
    ivtest::Run run =
        withModules(made.savePath,
                    "ARX\nU\nmod_notes" IV_TEST_MODULE_SUFFIX "\nMOVE\nALL\n\n0,0\n10,5\nARX\nL\n" +
                        testModule("mod_notes") + "\nPINSHOW\n",
                    {"mod_notes"});
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_TRUE(run.contains("Pin at 12,8")) << run.transcript;
    std::string text = ivtest::readFile(run.savePath);
    EXPECT_EQ(count(text, "ACAD_PROXY_TRANSFORM"), 0);
    EXPECT_EQ(count(text, "{ACAD_XDICTIONARY"), 0) << recordOf(text, "IVPIN");
}

TEST(ProxyTransforms, ACopiedPinProxyIsMovedWithItsOwnMatrixRecordAndCannotBeErased) {
    ivtest::Run made = withModules("", "PINADD\n2,3\n", {"mod_notes"});
    ASSERT_EQ(made.exitCode, 0) << made.transcript << made.errors;
    // Moved, then copied and both moved again: the copy carries the matrix
    // of the original and gets a dictionary of its own.
    ivtest::Run run = withModules(made.savePath,
                                  "ERASE\nALL\n\nMOVE\nALL\n\n0,0\n10,5\nCOPY\nALL\n\n0,0\n0,20\n"
                                  "MOVE\nALL\n\n0,0\n1,1\n",
                                  {"mod_objtools"});
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_TRUE(run.contains("cannot be erased")) << run.transcript;
    EXPECT_FALSE(run.contains("cannot be copied")) << run.transcript;
    EXPECT_FALSE(run.contains("cannot be moved")) << run.transcript;
    std::string text = ivtest::readFile(run.savePath);
    EXPECT_EQ(count(text, "  0\nIVPIN\n"), 2);
    EXPECT_EQ(count(text, "\nACAD_PROXY_TRANSFORM\n"), 2);
    EXPECT_EQ(count(text, "  0\nXRECORD\n"), 2);
    ivtest::Run back = withModules(run.savePath, "PINSHOW\n", {"mod_notes"});
    ASSERT_EQ(back.exitCode, 0) << back.transcript << back.errors;
    EXPECT_TRUE(back.contains("Pin at 13,9")) << back.transcript;
    EXPECT_TRUE(back.contains("Pin at 13,29")) << back.transcript;
    EXPECT_EQ(count(ivtest::readFile(back.savePath), "ACAD_PROXY_TRANSFORM"), 0);
}

TEST(ProxyTransforms, AFileProxyRecordMovedKeepsItsMovedGraphicsInItsOwnSubclass) {
    ivtest::Run made = withModules("", "PINADD\n2,3\n", {"mod_notes"});
    ASSERT_EQ(made.exitCode, 0) << made.transcript << made.errors;
    std::string text = ivtest::readFile(made.savePath);
    // The pin's class is the first of the CLASSES section.
    size_t classes = text.find("CLASSES\n");
    ASSERT_EQ(text.find("  0\nCLASS\n", classes), text.find("  0\nCLASS\n  1\nIVPIN\n", classes));
    std::string pin = recordOf(text, "IVPIN");
    ASSERT_FALSE(pin.empty());
    std::string head = pin.substr(0, pin.find("100\nAcDbEntity\n"));
    head.replace(0, std::string("  0\nIVPIN\n").size(), "  0\nACAD_PROXY_ENTITY\n");
    std::string graphics;
    size_t at = 0;
    while ((at = pin.find("\n310\n", at)) != std::string::npos) {
        at += 5;
        hs::proxyGraphicsAppendHex(pin.substr(at, pin.find('\n', at) - at), graphics);
    }
    ASSERT_FALSE(graphics.empty());
    std::string record = head + "100\nAcDbEntity\n  8\n0\n100\nAcDbProxyEntity\n 90\n498\n 91\n500\n 92\n" +
                         std::to_string(graphics.size()) + "\n";
    for (const std::string& chunk : hs::proxyGraphicsToHex(graphics))
        record += "310\n" + chunk + "\n";
    record += " 93\n64\n310\n0011223344556677\n 94\n0\n 95\n1\n 70\n0\n";
    text.replace(text.find(pin), pin.size(), record);
    ivtest::TempDir dir;
    std::string path = dir.file("proxyrecord.dxf");
    ivtest::writeFile(path, text);

    ivtest::Run moved = withModules(path, "MOVE\nALL\n\n0,0\n10,5\n", {"mod_notes"});
    ASSERT_EQ(moved.exitCode, 0) << moved.transcript << moved.errors;
    std::string saved = ivtest::readFile(moved.savePath);
    std::string after = recordOf(saved, "ACAD_PROXY_ENTITY");
    AcDbExtents ext;
    ASSERT_TRUE(graphicsExtents(after.substr(0, after.find(" 93\n")), ext)) << after;
    EXPECT_NEAR(ext.minPoint().x, 11.0, 1e-9);
    EXPECT_NEAR(ext.maxPoint().y, 9.0, 1e-9);
    EXPECT_NE(after.find(" 93\n64\n310\n0011223344556677\n"), std::string::npos) << after;
    EXPECT_EQ(filedMatrix(saved), translation("10.0", "5.0"));
}

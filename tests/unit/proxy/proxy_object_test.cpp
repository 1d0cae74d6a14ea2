// Custom objects of the OBJECTS section where their class is missing: a
// drawing with notes (a test module's non-entity class) opened without the
// module, with it, through an unload and a load, and with a note of a newer
// version or a file's own proxy object record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ivtest.h"

namespace {

std::string testModule(const std::string& name) {
    return ivtest::testModuleDir() + "/" + name + IV_TEST_MODULE_SUFFIX;
}

const char kHead[] =
    "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1015\n  9\n$HANDSEED\n  5\n400\n  0\nENDSEC\n"
    "  0\nSECTION\n  2\nCLASSES\n"
    "  0\nCLASS\n  1\nIVNOTE\n  2\nIvNote\n  3\nIvNotes\n 90\n0\n280\n0\n281\n0\n"
    "  0\nCLASS\n  1\nSCALE\n  2\nAcDbScale\n  3\nObjectDBX Classes\n 90\n1153\n280\n0\n281\n0\n"
    "  0\nENDSEC\n";

// The OBJECTS section: the root dictionary, two notes (the first with
// reactors, a pointer to the second and extended data), a note filed by a
// newer module (version 2), a scale of the host's own classes and a
// dictionary after them.
const char kObjects[] =
    "  0\nSECTION\n  2\nOBJECTS\n"
    "  0\nDICTIONARY\n  5\nC\n330\n0\n100\nAcDbDictionary\n  3\nIV_NOTES\n350\n301\n"
    "  0\nIVNOTE\n  5\n300\n102\n{ACAD_REACTORS\n330\n301\n102\n}\n330\n301\n100\nIvNote\n 90\n1\n"
    "  1\nFirst note\n 40\n2.5\n340\n302\n1001\nACAD\n1000\nextra\n"
    "  0\nIVNOTE\n  5\n302\n330\n301\n100\nIvNote\n 90\n1\n  1\nSecond\n 40\n-1.0\n"
    "  0\nIVNOTE\n  5\n303\n330\n301\n100\nIvNote\n 90\n2\n  1\nFrom the future\n 40\n0.0\n 41\n7.0\n"
    "  0\nSCALE\n  5\n304\n330\n301\n100\nAcDbScale\n 70\n0\n300\n1:1\n140\n1.0\n141\n1.0\n290\n1\n"
    "  0\nDICTIONARY\n  5\n301\n330\nC\n100\nAcDbDictionary\n  3\nA\n350\n300\n  3\nB\n350\n302\n"
    "  3\nC\n350\n303\n"
    "  0\nENDSEC\n";

std::string notesDrawing(const std::string& objects = kObjects) {
    return std::string(kHead) + objects + "  0\nEOF\n";
}

// The text of a DXF file's OBJECTS section, from its name to its ENDSEC.
std::string objectsSection(const std::string& text) {
    size_t at = text.find("OBJECTS\n");
    if (at == std::string::npos)
        return std::string();
    size_t end = text.find("  0\nENDSEC\n", at);
    return text.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

struct Drawing {
    ivtest::TempDir dir;
    std::string path;
    explicit Drawing(const std::string& text) : path(dir.file("notes.dxf")) { ivtest::writeFile(path, text); }
};

// Runs hostsim on a drawing with the given test modules (and not the
// product's module), saving it again.
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

}  // namespace

TEST(ProxyObjects, WithoutItsClassANoteIsAProxyThatCannotBeErasedAndIsSavedAsItWas) {
    Drawing d(notesDrawing());
    ivtest::Run run =
        withModules(d.path, "OBJSHOW\n300\nOBJERASE\n300\nOBJERASE\n302\nOBJSHOW\n300\nOBJCLONE\n300\n",
                    {"mod_objtools"});
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_TRUE(
        run.contains("Proxy information: this drawing holds 3 proxy objects whose application is missing."))
        << run.transcript;
    EXPECT_TRUE(run.contains("  Missing application: IvNotes\n")) << run.transcript;
    EXPECT_EQ(run.count("Class AcDbProxyObject (a proxy)"), 2) << run.transcript;
    EXPECT_TRUE(run.contains("Proxy of IvNote (IVNOTE) from IvNotes, flags 0, merge style 1"))
        << run.transcript;
    // The note's pointer to the other note is one of its references.
    EXPECT_TRUE(run.contains("References: 1")) << run.transcript;
    EXPECT_EQ(run.count("Erase: eNotAllowedForThisProxy"), 2) << run.transcript;
    // Its flags do not allow cloning either: the host tells so and clones nothing.
    EXPECT_TRUE(run.contains("Proxy IvNote (handle 300) cannot be copied: its application is not loaded."))
        << run.transcript;
    EXPECT_TRUE(run.contains("Clone: eNotAllowedForThisProxy")) << run.transcript;
    // The host's own scale class is not missing.
    EXPECT_FALSE(run.contains("ObjectDBX")) << run.transcript;
    EXPECT_EQ(objectsSection(ivtest::readFile(run.savePath)), objectsSection(notesDrawing()));
    // The class of the proxies is written as not loaded.
    EXPECT_NE(ivtest::readFile(run.savePath)
                  .find("  1\nIVNOTE\n  2\nIvNote\n  3\nIvNotes\n 90\n0\n 91\n3\n280\n1\n281\n0\n"),
              std::string::npos);
}

TEST(ProxyObjects, ReopenedWithItsClassTheNoteComesBackAsItWas) {
    Drawing d(notesDrawing());
    ivtest::Run without = withModules(d.path, "", {"mod_objtools"});
    ASSERT_EQ(without.exitCode, 0) << without.transcript << without.errors;
    ivtest::Run back = withModules(
        without.savePath, "NOTESHOW\n300\nNOTESHOW\n302\nOBJSHOW\n300\nOBJSHOW\n303\nOBJERASE\n302\n",
        {"mod_notes", "mod_objtools"});
    ASSERT_EQ(back.exitCode, 0) << back.transcript << back.errors;
    EXPECT_TRUE(back.contains("Note \"First note\" 2.5")) << back.transcript;
    EXPECT_TRUE(back.contains("Note \"Second\" -1")) << back.transcript;
    EXPECT_TRUE(back.contains("Class IvNote\n")) << back.transcript;
    // The note of the newer version stays a proxy; the others are notes.
    EXPECT_TRUE(back.contains("Proxy information: this drawing holds 1 proxy object")) << back.transcript;
    EXPECT_TRUE(back.contains("Erase: eOk")) << back.transcript;
    // Written from the notes themselves, the records are what they were
    // (the one erased is gone, and so is its dictionary entry).
    std::string expected = objectsSection(notesDrawing());
    const std::string second =
        "  0\nIVNOTE\n  5\n302\n330\n301\n100\nIvNote\n 90\n1\n  1\nSecond\n 40\n-1.0\n";
    expected.erase(expected.find(second), second.size());
    const std::string entry = "  3\nB\n350\n302\n";
    expected.erase(expected.find(entry), entry.size());
    std::string saved = objectsSection(ivtest::readFile(back.savePath));
    EXPECT_EQ(saved, expected);
}

TEST(ProxyObjects, ANoteOfANewerVersionIsAProxyWhereItsModuleIsLoaded) {
    Drawing d(notesDrawing());
    ivtest::Run run = withModules(d.path, "OBJSHOW\n303\nOBJERASE\n303\n", {"mod_notes", "mod_objtools"});
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_TRUE(run.contains("Class AcDbProxyObject (a proxy)")) << run.transcript;
    EXPECT_TRUE(run.contains("Erase: eNotAllowedForThisProxy")) << run.transcript;
    EXPECT_EQ(objectsSection(ivtest::readFile(run.savePath)), objectsSection(notesDrawing()));
}

TEST(ProxyObjects, UnloadingTheClassKeepsTheNotesAsProxiesAndLoadingItAgainBringsThemBack) {
    Drawing d(notesDrawing());
    std::string saved = d.dir.file("unloaded.dxf");
    ivtest::Run run = withModules(d.path,
                                  "NOTESET\n300\nChanged text\n"
                                  "ARX\nU\nmod_notes" IV_TEST_MODULE_SUFFIX
                                  "\n"
                                  "OBJSHOW\n300\nOBJERASE\n300\nSAVEAS\n" +
                                      saved +
                                      "\n"
                                      "ARX\nL\n" +
                                      testModule("mod_notes") +
                                      "\n"
                                      "NOTESHOW\n300\nOBJSHOW\n300\n",
                                  {"mod_notes", "mod_objtools"});
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_TRUE(run.contains("Proxy information: this drawing holds 3 proxy objects")) << run.transcript;
    EXPECT_TRUE(run.contains("Class AcDbProxyObject (a proxy)")) << run.transcript;
    EXPECT_TRUE(run.contains("Erase: eNotAllowedForThisProxy")) << run.transcript;
    EXPECT_TRUE(run.contains("Note \"Changed text\" 2.5")) << run.transcript;
    EXPECT_TRUE(run.contains("Class IvNote\n")) << run.transcript;
    // Saved while a proxy, the note is what it filed before the unload,
    // with what the drawing kept of its record.
    std::string changed = objectsSection(notesDrawing());
    changed.replace(changed.find("First note"), 10, "Changed text");
    EXPECT_EQ(objectsSection(ivtest::readFile(saved)), changed);
    EXPECT_EQ(objectsSection(ivtest::readFile(run.savePath)), changed);
    // Opened again with the module: the note as it was changed.
    ivtest::Run back = withModules(saved, "NOTESHOW\n300\n", {"mod_notes"});
    EXPECT_TRUE(back.contains("Note \"Changed text\" 2.5")) << back.transcript;
}

TEST(ProxyObjects, AFileProxyObjectRecordStaysAProxyOfItsClass) {
    std::string objects = kObjects;
    const std::string record =
        "  0\nACAD_PROXY_OBJECT\n  5\n305\n330\n301\n100\nAcDbProxyObject\n 90\n499\n 91\n500\n 93\n64\n"
        "310\n0102030405060708\n330\n301\n 94\n0\n 95\n0\n 70\n0\n";
    objects.insert(objects.find("  0\nDICTIONARY\n  5\n301\n"), record);
    Drawing d(notesDrawing(objects));
    ivtest::Run run = withModules(d.path, "OBJSHOW\n305\nOBJERASE\n305\n", {"mod_notes", "mod_objtools"});
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_TRUE(run.contains("Proxy of IvNote (IVNOTE) from IvNotes, flags 0")) << run.transcript;
    EXPECT_TRUE(run.contains("Erase: eNotAllowedForThisProxy")) << run.transcript;
    EXPECT_EQ(objectsSection(ivtest::readFile(run.savePath)), objectsSection(notesDrawing(objects)));
}

TEST(ProxyObjects, TheNoticeNamesEachMissingApplicationOnceWithItsProxyEntitiesAndObjects) {
    Drawing d(notesDrawing());
    ivtest::Run made = withModules(d.path, "PINADD\n2,3\n", {"mod_notes"});
    ASSERT_EQ(made.exitCode, 0) << made.transcript << made.errors;
    ivtest::Run run = withModules(made.savePath, "", {"mod_objtools"});
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_TRUE(
        run.contains("this drawing holds 1 proxy entity and 3 proxy objects whose application is missing."))
        << run.transcript;
    EXPECT_EQ(run.count("Missing application: IvNotes"), 1) << run.transcript;
    EXPECT_TRUE(
        run.contains("    class IvNote: 3 proxy objects, kept as they were filed\n"
                     "    class IvPin: 1 proxy entity, shown from their saved graphics\n"))
        << run.transcript;
}

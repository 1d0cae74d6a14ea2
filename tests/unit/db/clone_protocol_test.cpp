// The host's cloning protocol and open rules seen from inside a module: the
// clone-spy test module prints its filing calls, its clone hooks and every
// clone, wblock and insert notification with what the target holds, and
// breaks host rules on demand. Each test runs hostsim as a process.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ivtest.h"

namespace {

std::string spyModule() {
    return ivtest::testModuleDir() + "/mod_clonespy" + IV_TEST_MODULE_SUFFIX;
}

ivtest::Run runSpy(const std::string& script) {
    ivtest::HostsimOptions opts;
    opts.loadModule = false;
    opts.modules = {spyModule()};
    return ivtest::runHostsim(script, opts);
}

// The bracketed notification lines of the transcript, in order, without the
// spy's own filing lines.
std::vector<std::string> notifications(const std::string& transcript) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < transcript.size()) {
        size_t eol = transcript.find('\n', pos);
        std::string line = transcript.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
        pos = eol == std::string::npos ? transcript.size() : eol + 1;
        if (line.size() < 2 || line.front() != '[' || line.back() != ']')
            continue;
        std::string item = line.substr(1, line.size() - 2);
        if (item.rfind("spy ", 0) != 0 && item != "made two spies")
            out.push_back(item);
    }
    return out;
}

// Everything after the first line that starts with `from`.
std::string after(const std::string& text, const std::string& from) {
    size_t pos = text.find(from);
    return pos == std::string::npos ? std::string() : text.substr(pos);
}

const char kCopyBoth[] = "COPY\nALL\n\n0,0\n10,0\n";

}  // namespace

TEST(CloneProtocol, CopySendsBeginDeepCloneXlationAndEndInTheHostsOrder) {
    ivtest::Run run = runSpy(std::string("SPYMAKE\n") + kCopyBoth);
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_EQ(notifications(run.transcript),
              (std::vector<std::string>{"beginDeepClone context 0 pairs 0 target 2",
                                        "beginDeepCloneXlation pairs 2", "endDeepClone pairs 2"}))
        << run.transcript;
}

TEST(CloneProtocol, ACustomDeepCloneIsCalledAndFilesThroughTheDeepCloneAndTranslationFilers) {
    ivtest::Run run = runSpy(std::string("SPYMAKE\n") + kCopyBoth);
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_EQ(run.count("[spy deepClone primary 1]"), 2) << run.transcript;
    // Deep clone filer (6) for the clone pass, id translation filer (4) for the second.
    EXPECT_EQ(run.count("[spy dwgOut 6]"), 2) << run.transcript;
    EXPECT_EQ(run.count("[spy dwgIn 6]"), 2) << run.transcript;
    EXPECT_EQ(run.count("[spy dwgIn 4]"), 2) << run.transcript;
}

TEST(CloneProtocol, ReferencesBetweenClonesPointAtTheClonesAfterTranslation) {
    ivtest::Run run = runSpy(std::string("SPYMAKE\n") + kCopyBoth + "SPYCHECK\n");
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    std::string check = after(run.transcript, "Command: SPYCHECK");
    EXPECT_EQ(check.find("one-way"), std::string::npos) << check;
    EXPECT_EQ(std::count(check.begin(), check.end(), '\n') >= 4, true) << check;
    EXPECT_NE(check.find("[spy C partner D mutual]"), std::string::npos) << check;
    EXPECT_NE(check.find("[spy D partner C mutual]"), std::string::npos) << check;
}

TEST(CloneProtocol, AVetoAtTranslationAbortsWithoutTranslating) {
    ivtest::Run run = runSpy(std::string("SPYMAKE\nSPYVETO\n") + kCopyBoth + "SPYCHECK\n");
    std::vector<std::string> n = notifications(run.transcript);
    ASSERT_GE(n.size(), 3u) << run.transcript;
    EXPECT_EQ(n[1], "beginDeepCloneXlation pairs 2");
    EXPECT_EQ(n[2], "abortDeepClone");
    EXPECT_FALSE(run.contains("endDeepClone")) << run.transcript;
    EXPECT_TRUE(run.contains("The copy was stopped: eInvalidInput")) << run.transcript;
}

TEST(CloneProtocol, ArrayMakesOneDeepCloneOperationPerElement) {
    ivtest::Run run = runSpy("SPYMAKE\n-ARRAY\nALL\n\nR\n1\n3\n20\n");
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_EQ(run.count("[beginDeepClone context 0"), 2) << run.transcript;
    EXPECT_EQ(run.count("[endDeepClone pairs 2]"), 2) << run.transcript;
    EXPECT_EQ(run.count("[spy deepClone primary 1]"), 4) << run.transcript;
}

TEST(CloneProtocol, WblockOfASelectionSendsBeginWblockWhileTheTargetIsEmpty) {
    ivtest::TempDir dir;
    ivtest::Run run = runSpy("SPYMAKE\n-WBLOCK\n" + dir.file("sel") + "\n\n0,0\nALL\n\n");
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    EXPECT_EQ(notifications(run.transcript),
              (std::vector<std::string>{"wblockNotice", "beginDeepClone context 7 pairs 0 target 0",
                                        "beginWblock selection target 0", "otherWblock target 2",
                                        "beginDeepCloneXlation pairs 10", "endDeepClone pairs 10",
                                        "endWblock target 2"}))
        << run.transcript;
    EXPECT_EQ(run.count("[spy wblockClone primary 1]"), 2) << run.transcript;
    EXPECT_EQ(run.count("[spy dwgOut 9]"), 2) << "wblock clone filer";
}

TEST(CloneProtocol, WblockOfABlockSendsBeginWblockWhileTheTargetIsEmpty) {
    // The block is made from a written drawing brought back in with -INSERT.
    ivtest::TempDir dir;
    const std::string part = dir.file("part");
    ivtest::Run run = runSpy("SPYMAKE\n-WBLOCK\n" + part + "\n\n0,0\nALL\n\n-INSERT\n" + part +
                             ".dxf\n0,0\n\n\n\n" + "-WBLOCK\n" + dir.file("out") + "\npart\n");
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    std::vector<std::string> n = notifications(
        after(run.transcript, "Command: -WBLOCK\nEnter name of output file: " + dir.file("out")));
    EXPECT_EQ(n, (std::vector<std::string>{"wblockNotice", "beginDeepClone context 7 pairs 0 target 0",
                                           "beginWblock block target 0", "otherWblock target 2",
                                           "beginDeepCloneXlation pairs 10", "endDeepClone pairs 10",
                                           "endWblock target 2"}))
        << run.transcript;
}

TEST(CloneProtocol, WblockOfTheWholeDrawingSendsBeginWblockOnceModelSpaceIsCopied) {
    ivtest::TempDir dir;
    ivtest::Run run = runSpy("SPYMAKE\n-WBLOCK\n" + dir.file("all") + "\n*\n");
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    std::vector<std::string> n = notifications(run.transcript);
    ASSERT_EQ(n.size(), 7u) << run.transcript;
    EXPECT_EQ(n[0], "wblockNotice");
    EXPECT_EQ(n[1], "beginDeepClone context 7 pairs 0 target 0");
    EXPECT_EQ(n[2], "beginWblock whole target 2");
    EXPECT_EQ(n[3], "otherWblock target 2");
    EXPECT_EQ(n[4].rfind("beginDeepCloneXlation", 0), 0u);
    EXPECT_EQ(n[5].rfind("endDeepClone", 0), 0u);
    EXPECT_EQ(n[6], "endWblock target 2");
}

TEST(CloneProtocol, InsertOfADrawingSendsItsNotificationsAroundTheDeepClone) {
    ivtest::TempDir dir;
    const std::string part = dir.file("part");
    ivtest::Run run =
        runSpy("SPYMAKE\n-WBLOCK\n" + part + "\n\n0,0\nALL\n\n-INSERT\n" + part + ".dxf\n5,5\n2\n\n0\n");
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    std::vector<std::string> n = notifications(after(run.transcript, "Command: -INSERT"));
    ASSERT_EQ(n.size(), 6u) << run.transcript;
    EXPECT_EQ(n[0], "beginInsert part");
    EXPECT_EQ(n[1].rfind("beginDeepClone context 6 pairs 0", 0), 0u) << n[1];
    EXPECT_EQ(n[2].rfind("otherInsert", 0), 0u);
    EXPECT_EQ(n[3].rfind("beginDeepCloneXlation", 0), 0u);
    EXPECT_EQ(n[4].rfind("endDeepClone", 0), 0u);
    EXPECT_EQ(n[5], "endInsert");
    EXPECT_EQ(run.count("[spy wblockClone primary 1]"), 4) << "two written, two inserted";
}

// ---- the host's refusals ----

TEST(HostRefusals, DeletingAnObjectThatIsInTheDatabaseIsFatal) {
    ivtest::Run run = runSpy("SPYMAKE\nSPYDELETE\nSPYCHECK\n");
    EXPECT_NE(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains("[deleting a resident spy]")) << run.transcript;
    EXPECT_FALSE(run.contains("[deleted]")) << run.transcript;
    EXPECT_TRUE(run.contains("delete of CloneSpy (handle")) << run.transcript << run.errors;
}

TEST(HostRefusals, The257thReaderGetsAtMaxReaders) {
    ivtest::Run run = runSpy("SPYMAKE\nSPYREADERS\n");
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains("[reader 256: eOk]")) << run.transcript;
    EXPECT_TRUE(run.contains("[reader 257: eAtMaxReaders]")) << run.transcript;
}

TEST(HostRefusals, UpgradeOpenWithTwoReadersGetsHadMultipleReaders) {
    ivtest::Run run = runSpy("SPYMAKE\nSPYUPGRADE\n");
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains("[upgradeOpen with two readers: eHadMultipleReaders]")) << run.transcript;
}

TEST(HostRefusals, AShortDwgOutFieldsFailsCopyWithAHostFault) {
    ivtest::Run run = runSpy(std::string("SPYMAKE\nSPYSHORT\n") + kCopyBoth);
    EXPECT_NE(run.exitCode, 0) << run.transcript;
    EXPECT_TRUE(run.contains("** Host fault: deep clone filer: CloneSpy (handle")) << run.transcript;
    EXPECT_TRUE(run.contains("read SoftPointerId past the end of its data")) << run.transcript;
    EXPECT_TRUE(run.contains("2 objects were not copied.")) << run.transcript;
}

TEST(HostRefusals, AShortDwgOutFieldsFailsUndoAndRedoWithAHostFault) {
    ivtest::Run run = runSpy("SPYMAKE\nSPYSHORT\nMOVE\nALL\n\n0,0\n5,0\nU\nREDO\n");
    EXPECT_NE(run.exitCode, 0) << run.transcript;
    std::string undo = after(run.transcript, "Command: U");
    EXPECT_NE(undo.find("** Host fault: undo filer: CloneSpy (handle"), std::string::npos) << run.transcript;
    std::string redo = after(run.transcript, "Command: REDO");
    EXPECT_NE(redo.find("** Host fault: undo filer: CloneSpy (handle"), std::string::npos) << run.transcript;
}

TEST(HostRefusals, AWellBehavedSpyRunsWithoutFaults) {
    ivtest::Run run = runSpy(std::string("SPYMAKE\n") + kCopyBoth + "MOVE\nALL\n\n0,0\n5,0\nU\nREDO\n");
    EXPECT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_FALSE(run.contains("Host fault")) << run.transcript;
}

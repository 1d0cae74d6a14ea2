// Inputs kept from fuzzing (tests/fuzz/regressions) are replayed: each must
// keep the property its fuzz target checks.
#include <dirent.h>

#include <algorithm>

#include "../../fuzz/fuzz_checks.h"
#include "dxftest.h"
#include "hostsim/session.h"
#include "ivtest.h"

using namespace dxftest;

namespace {

std::vector<std::string> inputsOf(const std::string& target) {
    std::string dir = ivtest::sourcePath("tests/fuzz/regressions/" + target);
    std::vector<std::string> files;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                files.push_back(dir + "/" + e->d_name);
        closedir(d);
    }
    std::sort(files.begin(), files.end());
    return files;
}

class FuzzRegressions : public DxfTest {
protected:
    void SetUp() override {
        DxfTest::SetUp();
        hs::Session::get().startCapture(/*alsoToStdout=*/false);
    }
    void TearDown() override {
        hs::Session::get().takeCapture();
        DxfTest::TearDown();
    }
};

}  // namespace

TEST_F(FuzzRegressions, KeptDxfFilesReadWriteAndReadAgain) {
    std::vector<std::string> files = inputsOf("dxf_reader");
    ASSERT_FALSE(files.empty());
    for (const std::string& f : files) {
        std::string why;
        EXPECT_TRUE(ivfuzz::checkDxfReader(ivtest::readFile(f), why)) << f << ": " << why;
    }
}

TEST_F(FuzzRegressions, KeptDxfFilesSaveAndReopenToTheSameDrawing) {
    std::vector<std::string> files = inputsOf("dxf_roundtrip");
    std::vector<std::string> more = inputsOf("dxf_reader");
    files.insert(files.end(), more.begin(), more.end());
    ASSERT_FALSE(files.empty());
    for (const std::string& f : files) {
        std::string why;
        EXPECT_TRUE(ivfuzz::checkSaveReopen(ivtest::readFile(f), why)) << f << ": " << why;
    }
}

TEST_F(FuzzRegressions, KeptWatermarkGroupsLeaveSoundCloneSlots) {
    std::vector<std::string> files = inputsOf("watermark_dxf");
    ASSERT_FALSE(files.empty());
    for (const std::string& f : files) {
        std::string why;
        EXPECT_TRUE(ivfuzz::checkWatermarkDxf(ivtest::readFile(f), why)) << f << ": " << why;
    }
}

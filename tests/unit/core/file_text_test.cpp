// Reading whole files into memory: small and large files come back byte for
// byte, and a file that cannot be read says why.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/os.h"
#include "ivtest.h"

namespace {

std::string patterned(size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(rng() & 0xFF);
    return bytes;
}

}  // namespace

TEST(FileText, FilesOfEverySizeComeBackByteForByte) {
    ivtest::TempDir dir;
    // Empty, small, and large enough for the huge-page buffer, with sizes
    // that are not a whole number of pages.
    const size_t sizes[] = {0, 1, 4095, 100000, (4u << 20) - 1, (4u << 20) + 12345, (9u << 20) + 7};
    unsigned seed = 1;
    for (size_t size : sizes) {
        std::string path = dir.file("f" + std::to_string(size));
        std::string bytes = patterned(size, seed++);
        ivtest::writeFile(path, bytes);
        hs::os::FileText file;
        std::string error;
        ASSERT_TRUE(file.load(path, error)) << size << ": " << error;
        EXPECT_EQ(file.text().size(), size);
        EXPECT_TRUE(file.text() == bytes) << size;
        // Loading again replaces what was there.
        ASSERT_TRUE(file.load(path, error));
        EXPECT_TRUE(file.text() == bytes) << size;
    }
}

TEST(FileText, AMissingFileOrAFolderSaysWhy) {
    ivtest::TempDir dir;
    hs::os::FileText file;
    std::string error;
    EXPECT_FALSE(file.load(dir.file("none.dxf"), error));
    EXPECT_NE(error.find("cannot open the file"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(file.load(dir.path(), error));
    EXPECT_FALSE(error.empty());
}

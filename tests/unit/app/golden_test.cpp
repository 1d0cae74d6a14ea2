// The demo's results against reference files: the example plan watermarked
// by examples/watermark.scr, saved as DXF and drawn as SVG, compared with
// examples/golden/ after rounding numbers to six significant digits. A
// mismatch writes <reference>.out beside the reference; `make rebaseline`
// (examples/rebaseline.sh) rewrites the references for review in git diff.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>

#include "ivtest.h"

namespace {

// The text with every decimal number rounded to six significant digits.
std::string rounded(const std::string& text) {
    static const std::regex number(R"(-?[0-9]+\.[0-9]+(?:[eE][-+]?[0-9]+)?)");
    std::string out;
    auto begin = std::sregex_iterator(text.begin(), text.end(), number);
    size_t last = 0;
    for (auto it = begin; it != std::sregex_iterator(); ++it) {
        out.append(text, last, static_cast<size_t>(it->position()) - last);
        char buf[40];
        double v = std::strtod(it->str().c_str(), nullptr);
        std::snprintf(buf, sizeof buf, "%.6g", v == 0.0 ? 0.0 : v);
        out += buf;
        last = static_cast<size_t>(it->position() + it->length());
    }
    out.append(text, last, std::string::npos);
    return out;
}

// The first differing line, for the failure message.
std::string firstDifference(const std::string& a, const std::string& b) {
    std::istringstream ia(a), ib(b);
    std::string la, lb;
    for (int line = 1;; ++line) {
        bool moreA = static_cast<bool>(std::getline(ia, la));
        bool moreB = static_cast<bool>(std::getline(ib, lb));
        if (!moreA && !moreB)
            return "no difference";
        if (la != lb || moreA != moreB)
            return "line " + std::to_string(line) + ": expected \"" + la + "\", got \"" + lb + "\"";
    }
}

void compareWithReference(const std::string& produced, const std::string& name) {
    std::string reference = ivtest::sourcePath("examples/golden/" + name);
    ASSERT_TRUE(ivtest::fileExists(reference)) << reference << ": run make rebaseline";
    std::string expected = rounded(ivtest::readFile(reference));
    std::string got = rounded(ivtest::readFile(produced));
    if (expected != got) {
        ivtest::writeFile(reference + ".out", ivtest::readFile(produced));
        ADD_FAILURE() << name << " differs from its reference (" << firstDifference(expected, got)
                      << "); the new file is " << reference
                      << ".out; if the change is right, run make rebaseline";
    }
}

TEST(Golden, TheWatermarkedExamplePlanMatchesItsReferenceDrawingAndPicture) {
#if IRONVEIL_RELEASE != 19 || defined(_WIN32)
    GTEST_SKIP() << "the references are made by release 19 on 64-bit Linux";
#endif
    if (sizeof(void*) != 8)
        GTEST_SKIP() << "the references are made by release 19 on 64-bit Linux";
    ivtest::HostsimOptions o;
    o.drawing = ivtest::sourcePath("examples/plan.dxf");
    o.saveDxf = "watermarked.dxf";
    o.saveSvg = "watermarked.svg";
    ivtest::Run run = ivtest::runHostsim(ivtest::readFile(ivtest::sourcePath("examples/watermark.scr")), o);
    ASSERT_EQ(run.exitCode, 0) << run.transcript << run.errors;
    compareWithReference(run.savePath, "watermarked.dxf");
    compareWithReference(run.svgPath, "watermarked.svg");
}

TEST(Golden, RoundingIgnoresDigitsPastTheSixthButNotRealChanges) {
    EXPECT_EQ(rounded("x=\"1.0000001\" y=2.5"), rounded("x=\"1.0000002\" y=2.5"));
    EXPECT_NE(rounded("10\n1.5\n"), rounded("10\n1.6\n"));
}

}  // namespace

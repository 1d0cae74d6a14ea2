// What a WM run does when the host refuses a step of the creation: the
// failure's message, nothing left open, no watermark; fatal close failures
// end the host.
#include "wmscript.h"

using namespace wmscript;

namespace {

const std::string kSource = line(-5, 2, 25, 12);
const std::string kWm = "WM\n20,10\n100,50\n2\n3\n50\nALL\n\n\n";

ivtest::Run runWithFault(const std::string& fault) {
    return ivtest::runHostsim(kSource + "HSFAULT " + fault + "\n" + kWm, savingRun());
}

}  // namespace

TEST_F(WmScript, CreationFailuresPrintTheirMessageAndLeaveNoWatermark) {
    const std::pair<const char*, const char*> cases[] = {
        {"AcDbDatabase::getSymbolTable 8", "addQWK_WaterMark_ERROR 10"},
        {"AcDbBlockTable::getAt 22", "addQWK_WaterMark_ERROR 20"},
        // The watermark is made first; the clone of the line is the second allocation.
        {"AcHeapOperators::new 6 1 1", "addQWK_WaterMark_ERROR 30"},
        {"AcDbBlockTableRecord::appendAcDbEntity 3", "addQWK_WaterMark_ERROR 40"},
    };
    for (const auto& c : cases) {
        ivtest::Run run = runWithFault(c.first);
        ASSERT_EQ(run.exitCode, 0) << c.first << "\n" << run.transcript;
        EXPECT_EQ(run.count(c.second), 1) << c.first << "\n" << run.transcript;
        EXPECT_FALSE(run.contains("** Host fault")) << c.first << "\n" << run.transcript;
        EXPECT_TRUE(readDrawing(run.savePath)->marks.empty()) << c.first;
        EXPECT_EQ(setting(run, "wmColor"), ivtest::regDword(250))
            << "the colour is stored before the creation";
    }
}

TEST_F(WmScript, AClosingFailureAfterTheAppendIsFatal) {
    // Closes before these: the line after selection and after cloning.
    const std::pair<int, const char*> cases[] = {{2, "\nUnable to close block table record"},
                                                 {3, "\nUnable to close block table"},
                                                 {4, "\nUnable to close new entity"}};
    for (const auto& c : cases) {
        ivtest::Run run = runWithFault("AcDbObject::close 3 " + std::to_string(c.first) + " 1");
        EXPECT_NE(run.exitCode, 0) << run.transcript;
        EXPECT_TRUE(run.contains(std::string(c.second) + "\n")) << run.transcript;
    }
}

TEST_F(WmScript, AWatermarkLeftWithoutClonesStaysWhereItWasCreatedWithOneMessage) {
    // The source opens for the selection, then refuses the creation's open.
    ivtest::Run run = runWithFault("acdbOpenAcDbEntity 87 1 1");
    ASSERT_EQ(run.exitCode, 0) << run.transcript;
    EXPECT_EQ(run.count("The watermark holds no entity; it is left where it was created."), 1)
        << run.transcript;
    std::unique_ptr<Drawing> d = readDrawing(run.savePath);
    ASSERT_EQ(d->marks.size(), 1u);
    EXPECT_EQ(d->marks[0].count, 0);
}

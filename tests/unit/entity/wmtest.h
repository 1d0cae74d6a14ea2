// Helpers for the watermark's in-process tests: a hostsim session with the
// watermark class registered, the command line captured, and a test entity
// class whose instances are counted and whose setters are recorded.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/session_imp.h"
#include "dbents.h"
#include "entity/QWK_WaterMark.h"
#include "hostsim/faults.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace wmtest {

// A line that counts its live instances and records the setters called on it.
// Clones made through filing are made by its class's create(), so they are
// counted and recorded too.
class CountedLine : public AcDbLine {
public:
    ACRX_DECLARE_MEMBERS(CountedLine);
    CountedLine();
    CountedLine(const AcGePoint3d& start, const AcGePoint3d& end);
    ~CountedLine() override;

    Acad::ErrorStatus setColor(const AcCmColor& color, Adesk::Boolean doSubents = true) override;
    Acad::ErrorStatus setLinetype(AcDbObjectId newVal, Adesk::Boolean doSubents = true) override;
    Acad::ErrorStatus setLinetype(const ACHAR* newVal, Adesk::Boolean doSubents = true) override;
    Acad::ErrorStatus setLinetypeScale(double newval, Adesk::Boolean doSubents = true) override;
    Acad::ErrorStatus setLineWeight(AcDb::LineWeight newVal, Adesk::Boolean doSubents = true) override;
#if IRONVEIL_RELEASE == 16
    Acad::ErrorStatus setLayer(AcDbObjectId newVal, Adesk::Boolean doSubents = true) override;
    Acad::ErrorStatus setLayer(const char* newVal, Adesk::Boolean doSubents = true) override;
#endif

    static int s_live;
    // "setColor 3 doSubents=1 ownColour=250", one line per setter call.
    static std::vector<std::string> s_calls;
    // Set: the watermark whose own property the record shows at the time of the call.
    static const AcDbEntity* s_pOwner;
    // Set: every setter refuses with this status.
    static Acad::ErrorStatus s_refuse;

private:
    void record(const std::string& what, Adesk::Boolean doSubents) const;
};

// A session with the watermark and the test classes registered; faults
// cleared and the command line captured before each test.
class SessionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;
    // What reached the command line since the test began (UTF-8; release 16: bytes as printed).
    std::string printed() const;
    void clearPrinted();
};

// The error line the entity prints for a line number and a status.
std::string errorLine(int line, Acad::ErrorStatus es);
// The path the error line names in this build.
std::string errorPath();

// A watermark holding clones of the given entities (deleted afterwards).
void fill(QWK_WaterMark& wm, const std::vector<AcDbEntity*>& sources);
AcDbLine* newLine(double x1, double y1, double x2, double y2);

// The clone at slot i as a line (or null).
const AcDbLine* lineAt(const QWK_WaterMark& wm, int i);

}  // namespace wmtest

#include "wmtest.h"

#include <sstream>

#include "host/platform.h"
#include "ivtest.h"

namespace wmtest {

ACRX_DXF_DEFINE_MEMBERS(CountedLine, AcDbLine, 25, 0, 0, IVTEST_COUNTEDLINE, IvTest);

int CountedLine::s_live = 0;
std::vector<std::string> CountedLine::s_calls;
const AcDbEntity* CountedLine::s_pOwner = nullptr;
Acad::ErrorStatus CountedLine::s_refuse = Acad::eOk;

CountedLine::CountedLine() {
    s_live++;
}

CountedLine::CountedLine(const AcGePoint3d& start, const AcGePoint3d& end) : AcDbLine(start, end) {
    s_live++;
}

CountedLine::~CountedLine() {
    s_live--;
}

void CountedLine::record(const std::string& what, Adesk::Boolean doSubents) const {
    std::ostringstream s;
    s << what << " doSubents=" << doSubents;
    if (s_pOwner != nullptr)
        s << " ownColour=" << s_pOwner->colorIndex() << " ownScale=" << s_pOwner->linetypeScale();
    s_calls.push_back(s.str());
}

Acad::ErrorStatus CountedLine::setColor(const AcCmColor& color, Adesk::Boolean doSubents) {
    record("setColor " + std::to_string(color.colorIndex()), doSubents);
    return s_refuse != Acad::eOk ? s_refuse : AcDbLine::setColor(color, doSubents);
}

Acad::ErrorStatus CountedLine::setLinetype(AcDbObjectId newVal, Adesk::Boolean doSubents) {
    record(std::string("setLinetypeId ") + (newVal.isNull() ? "null" : "id"), doSubents);
    return s_refuse != Acad::eOk ? s_refuse : AcDbLine::setLinetype(newVal, doSubents);
}

Acad::ErrorStatus CountedLine::setLinetype(const ACHAR* newVal, Adesk::Boolean doSubents) {
    record("setLinetypeName " + hs::toUtf8(newVal), doSubents);
    return s_refuse != Acad::eOk ? s_refuse : AcDbLine::setLinetype(newVal, doSubents);
}

Acad::ErrorStatus CountedLine::setLinetypeScale(double newval, Adesk::Boolean doSubents) {
    std::ostringstream s;
    s << "setLinetypeScale " << newval;
    record(s.str(), doSubents);
    return s_refuse != Acad::eOk ? s_refuse : AcDbLine::setLinetypeScale(newval, doSubents);
}

Acad::ErrorStatus CountedLine::setLineWeight(AcDb::LineWeight newVal, Adesk::Boolean doSubents) {
    record("setLineWeight " + std::to_string((int)newVal), doSubents);
    return s_refuse != Acad::eOk ? s_refuse : AcDbLine::setLineWeight(newVal, doSubents);
}

#if IRONVEIL_RELEASE == 16
Acad::ErrorStatus CountedLine::setLayer(AcDbObjectId newVal, Adesk::Boolean doSubents) {
    record(std::string("setLayerId ") + (newVal.isNull() ? "null" : "id"), doSubents);
    return s_refuse != Acad::eOk ? s_refuse : AcDbLine::setLayer(newVal, doSubents);
}

Acad::ErrorStatus CountedLine::setLayer(const char* newVal, Adesk::Boolean doSubents) {
    record(std::string("setLayerName ") + newVal, doSubents);
    return s_refuse != Acad::eOk ? s_refuse : AcDbLine::setLayer(newVal, doSubents);
}
#endif

void SessionTest::SetUpTestSuite() {
    hs::Session::get();
    QWK_WaterMark::rxInit();
    CountedLine::rxInit();
    acrxBuildClassHierarchy();
}

void SessionTest::SetUp() {
    hs::clearFaults();
    hs::Session::Imp& imp = hs::Session::get().imp();
    imp.capturing = true;
    imp.toStdout = false;
    imp.capture.clear();
    CountedLine::s_calls.clear();
    CountedLine::s_pOwner = nullptr;
    CountedLine::s_refuse = Acad::eOk;
}

void SessionTest::TearDown() {
    hs::clearFaults();
    hs::Session::Imp& imp = hs::Session::get().imp();
    imp.capturing = false;
    imp.toStdout = true;
}

std::string SessionTest::printed() const {
    return hs::Session::get().imp().capture;
}

void SessionTest::clearPrinted() {
    hs::Session::get().imp().capture.clear();
}

std::string errorPath() {
#if IRONVEIL_RELEASE == 16
    return ivtest::watermarkSourceFile();
#else
    return "..\\Ironveil_2004_VC7\\Ironveil";
#endif
}

std::string errorLine(int line, Acad::ErrorStatus es) {
    return "!" + errorPath() + "@" + std::to_string(line) + ": " + hs::toUtf8(acadErrorStatusText(es));
}

void fill(QWK_WaterMark& wm, const std::vector<AcDbEntity*>& sources) {
    for (AcDbEntity* pEnt : sources) {
        EXPECT_TRUE(wm.set_pEntity(pEnt));
        delete pEnt;
    }
}

AcDbLine* newLine(double x1, double y1, double x2, double y2) {
    return new AcDbLine(AcGePoint3d(x1, y1, 0), AcGePoint3d(x2, y2, 0));
}

const AcDbLine* lineAt(const QWK_WaterMark& wm, int i) {
    return AcDbLine::cast(wm.entityAt(i));
}

}  // namespace wmtest

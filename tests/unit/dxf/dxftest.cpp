// Helpers of the DXF tests.
#include "dxftest.h"

#include "entity/QWK_WaterMark.h"
#include "hostsim/faults.h"
#include "hostsim/session.h"

using namespace hs::dxf;

namespace dxftest {

void DxfTest::SetUpTestSuite() {
    hs::Session::get();
    AcRxDictionary* pDict = acrxClassDictionary;
    if (pDict->at(ACRX_T("QWK_WaterMark")) == nullptr) {
        QWK_WaterMark::rxInit();
        acrxBuildClassHierarchy();
    }
}

void DxfTest::SetUp() {
    hs::clearFaults();
}

void DxfTest::TearDown() {
    hs::clearFaults();
}

AcDbObjectId append(AcDbDatabase* pDb, AcDbEntity* pEnt, AcDbObjectId blockId) {
    if (blockId.isNull())
        blockId = hs::modelSpaceId(pDb);
    AcDbBlockTableRecord* pRec = nullptr;
    EXPECT_EQ(acdbOpenObject(pRec, blockId, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(pRec->appendAcDbEntity(id, pEnt), Acad::eOk);
    pRec->close();
    pEnt->close();
    return id;
}

AcDbObjectId addLine(AcDbDatabase* pDb, double x1, double y1, double x2, double y2) {
    return append(pDb, new AcDbLine(AcGePoint3d(x1, y1, 0), AcGePoint3d(x2, y2, 0)));
}

AcDbObjectId addCircle(AcDbDatabase* pDb, double x, double y, double r) {
    return append(pDb, new AcDbCircle(AcGePoint3d(x, y, 0), AcGeVector3d::kZAxis, r));
}

std::string dxfText(const std::vector<std::string>& lines) {
    std::string out;
    hs::dxf::TagWriter w(out);
    for (const std::string& s : lines) {
        size_t space = s.find(' ');
        w.write(std::stoi(s.substr(0, space)), space == std::string::npos ? "" : s.substr(space + 1));
    }
    return out;
}

std::string dxfText(std::initializer_list<const char*> lines) {
    return dxfText(std::vector<std::string>(lines.begin(), lines.end()));
}

DbPtr read(const std::string& text, hs::DxfResult* pResult) {
    AcDbDatabase* pDb = nullptr;
    hs::DxfResult result = hs::readDxfText(text, pDb);
    EXPECT_TRUE(result.ok) << result.message;
    if (pResult != nullptr)
        *pResult = result;
    return DbPtr(pDb);
}

std::string write(AcDbDatabase* pDb) {
    std::string text;
    hs::DxfResult result = hs::writeDxfText(pDb, text);
    EXPECT_TRUE(result.ok) << result.message;
    return text;
}

Tags tagsOf(const std::string& text) {
    TagReader r(text);
    Tags tags;
    RawTag t;
    while (r.next(t))
        tags.push_back({t.code, std::string(t.value)});
    EXPECT_FALSE(r.failed()) << r.error();
    return tags;
}

std::vector<Tags> itemsOf(const std::string& text, const std::string& section) {
    Tags tags = tagsOf(text);
    std::vector<Tags> items;
    bool in = false;
    for (size_t i = 0; i < tags.size(); ++i) {
        const Tag& t = tags[i];
        if (t.code == 0 && t.value == "SECTION" && i + 1 < tags.size()) {
            in = tags[i + 1].value == section;
            ++i;
            continue;
        }
        if (!in)
            continue;
        if (t.code == 0 && t.value == "ENDSEC")
            break;
        if (t.code == 0)
            items.emplace_back();
        if (!items.empty())
            items.back().push_back(t);
    }
    return items;
}

Tags findItem(const std::string& text, const std::string& section, const std::string& type) {
    for (Tags& item : itemsOf(text, section))
        if (!item.empty() && item[0].value == type)
            return item;
    return {};
}

std::string value(const Tags& tags, int code, int nth) {
    for (const Tag& t : tags)
        if (t.code == code && nth-- == 0)
            return t.value;
    return "<none>";
}

std::vector<std::string> modelSpaceClasses(AcDbDatabase* pDb) {
    std::vector<std::string> out;
    for (AcDbObjectId id : hs::entitiesOf(hs::modelSpaceId(pDb)))
        out.push_back(hs::className(id));
    return out;
}

}  // namespace dxftest

// Helpers of the DXF tests: a session, drawings made in memory, and the tags
// of a written file.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dbents.h"
#include "dbsymtb.h"
#include "dxf/tags.h"
#include "hostsim/dbapi.h"
#include "hostsim/dxffile.h"
#include "hostsim/text.h"

namespace dxftest {

// Starts the host session once and registers the watermark class.
class DxfTest : public ::testing::Test {
public:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;
};

struct DbDeleter {
    void operator()(AcDbDatabase* p) const { delete p; }
};
using DbPtr = std::unique_ptr<AcDbDatabase, DbDeleter>;

// Appends an entity to model space and closes it; returns its id.
AcDbObjectId append(AcDbDatabase* pDb, AcDbEntity* pEnt, AcDbObjectId blockId = AcDbObjectId::kNull);
AcDbObjectId addLine(AcDbDatabase* pDb, double x1, double y1, double x2, double y2);
AcDbObjectId addCircle(AcDbDatabase* pDb, double x, double y, double r);

// DXF text from "code value" lines: {"0 SECTION", "2 ENTITIES", ...}.
std::string dxfText(std::initializer_list<const char*> lines);
std::string dxfText(const std::vector<std::string>& lines);

// Reads text and expects success.
DbPtr read(const std::string& text, hs::DxfResult* pResult = nullptr);
// Writes the drawing and expects success.
std::string write(AcDbDatabase* pDb);

// The tags of a DXF text (copied).
hs::dxf::Tags tagsOf(const std::string& text);
// The tags of every entity/object of the given section, each from its group 0.
std::vector<hs::dxf::Tags> itemsOf(const std::string& text, const std::string& section);
// The first item of a section with the given type, or empty.
hs::dxf::Tags findItem(const std::string& text, const std::string& section, const std::string& type);
std::string value(const hs::dxf::Tags& tags, int code, int nth = 0);

// The types of model space entities in record order ("AcDbLine", ...).
std::vector<std::string> modelSpaceClasses(AcDbDatabase* pDb);

}  // namespace dxftest

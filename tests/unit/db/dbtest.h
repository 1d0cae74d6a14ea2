// Shared pieces of the database tests: a session with a fresh drawing per
// test, the command line captured, and a small entity class of the tests'
// own whose data, erase hook and transform are easy to observe.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "dbsymtb.h"
#include "hostsim/dbapi.h"
#include "hostsim/faults.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace dbtest {

// An entity holding one number. Its erase hook refuses while s_refuseErase
// is set; transformBy adds the translation's x to the number.
class ProbeEntity : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(ProbeEntity);
    ProbeEntity() = default;
    explicit ProbeEntity(double v) : m_value(v) {}

    double value() const;
    void setValue(double v);

    Acad::ErrorStatus subErase(Adesk::Boolean erasing) override;
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* pFiler) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* pFiler) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* pFiler) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* pFiler) const override;
#if IRONVEIL_RELEASE >= 18
protected:
    Acad::ErrorStatus subTransformBy(const AcGeMatrix3d& xform) override;

public:
#else
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
#endif

    static bool s_refuseErase;
    static int s_eraseCalls;  // calls of the erase hook, refused or not
    static int s_reads;       // calls of dwgInFields

private:
    double m_value = 0.0;
};

// Each test gets a new session drawing (so undo starts empty) and a captured
// command line.
class DbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    std::string printed();
    // Appends a probe entity to model space (or the given record), closed.
    AcDbObjectId addProbe(double value, AcDbObjectId owner = AcDbObjectId::kNull);
    // A new layer, closed.
    AcDbObjectId addLayer(const char* name, bool locked = false);
    // A new block definition holding one probe entity, closed.
    AcDbObjectId addBlock(const char* name, double value);
    double valueOf(AcDbObjectId id);
    // Sends "ended" for a top-level command to the session's listeners.
    void endCommand(const std::string& name);

    AcDbDatabase* db = nullptr;
};

}  // namespace dbtest

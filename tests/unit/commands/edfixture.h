// A fresh drawing in the in-process hostsim session, the command line
// captured, and helpers to feed answers, run commands and look at the
// entities of model space. Shared by the editor's input and command tests.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/session_imp.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "hostsim/dbapi.h"
#include "hostsim/faults.h"
#include "hostsim/selection.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace edtest {

class EdTest : public ::testing::Test {
protected:
    void SetUp() override {
        hs::Session& s = hs::Session::get();
        s.setDatabase(new AcDbDatabase());
        hs::resetEditor();
        hs::clearFaults();
        s.setVar("CMDECHO", 1);
        s.startCapture(std::getenv("EDTEST_ECHO") != nullptr);
        m_faults = s.faultCount();
    }
    void TearDown() override {
        hs::clearFaults();
        hs::Session::get().setScriptText("");
        hs::Session::Imp& imp = hs::Session::get().imp();
        imp.capturing = false;
        imp.toStdout = true;
    }

    static AcDbDatabase* db() { return hs::Session::get().database(); }

    // The answers the next prompts take, one per line.
    static void answers(const std::string& script) { hs::Session::get().setScriptText(script); }
    // Runs the script at the "Command: " prompt to its end.
    void run(const std::string& script) {
        answers(script);
        hs::Session::get().commandLoop();
    }
    // Everything printed since the test began.
    std::string out() {
        m_out += hs::Session::get().takeCapture();
        return m_out;
    }
    int newFaults() const { return hs::Session::get().faultCount() - m_faults; }

    static std::vector<AcDbObjectId> modelSpace() { return hs::entitiesOf(hs::modelSpaceId(db())); }

    static AcDbObjectId append(AcDbEntity* pEnt) {
        AcDbBlockTableRecord* pMs = nullptr;
        AcDbObjectId id;
        EXPECT_EQ(acdbOpenObject(pMs, hs::modelSpaceId(db()), AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(pMs->appendAcDbEntity(id, pEnt), Acad::eOk);
        pEnt->close();
        pMs->close();
        return id;
    }
    static AcDbObjectId addLine(double x1, double y1, double x2, double y2) {
        return append(new AcDbLine(AcGePoint3d(x1, y1, 0), AcGePoint3d(x2, y2, 0)));
    }
    static AcDbObjectId addCircle(double x, double y, double r) {
        return append(new AcDbCircle(AcGePoint3d(x, y, 0), AcGeVector3d::kZAxis, r));
    }

    // The extents of an entity.
    static AcDbExtents extents(AcDbObjectId id) {
        AcDbEntity* pEnt = nullptr;
        AcDbExtents ext;
        if (acdbOpenAcDbEntity(pEnt, id, AcDb::kForRead) == Acad::eOk) {
            pEnt->getGeomExtents(ext);
            pEnt->close();
        }
        return ext;
    }
    static AcGePoint3d startOf(AcDbObjectId id) {
        AcDbLine* pLine = nullptr;
        AcGePoint3d p;
        if (acdbOpenObject(pLine, id, AcDb::kForRead) == Acad::eOk) {
            p = pLine->startPoint();
            pLine->close();
        }
        return p;
    }
    static AcGePoint3d endOf(AcDbObjectId id) {
        AcDbLine* pLine = nullptr;
        AcGePoint3d p;
        if (acdbOpenObject(pLine, id, AcDb::kForRead) == Acad::eOk) {
            p = pLine->endPoint();
            pLine->close();
        }
        return p;
    }
    static std::vector<AcDbObjectId> live(const std::vector<AcDbObjectId>& ids) {
        std::vector<AcDbObjectId> out;
        for (AcDbObjectId id : ids)
            if (!id.isErased())
                out.push_back(id);
        return out;
    }

private:
    int m_faults = 0;
    std::string m_out;
};

inline std::string str(const ACHAR* s) {
    return s != nullptr ? hs::toUtf8(s) : std::string();
}

}  // namespace edtest

#define EXPECT_POINT(p, ex, ey, ez)    \
    do {                               \
        AcGePoint3d p_ = (p);          \
        EXPECT_NEAR(p_.x, (ex), 1e-9); \
        EXPECT_NEAR(p_.y, (ey), 1e-9); \
        EXPECT_NEAR(p_.z, (ez), 1e-9); \
    } while (0)

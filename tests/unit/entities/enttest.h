// Shared pieces of the entity tests: a session with a fresh drawing per
// test and the command line captured, and round trips of an entity through
// the DWG and DXF filers into a new object made by its class.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dbents.h"
#include "dbsymtb.h"
#include "filing/dwgfiler.h"
#include "filing/dxffiler.h"
#include "hostsim/dbapi.h"
#include "hostsim/faults.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace enttest {

class EntityTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string printed();

    // Appends to model space (or the given record) and closes it.
    AcDbObjectId append(AcDbEntity* pEnt, AcDbObjectId owner = AcDbObjectId::kNull);
    AcDbObjectId addLayer(const char* name, int colour, bool off = false);
    // A new empty block definition with this base point.
    AcDbObjectId addBlock(const char* name, const AcGePoint3d& base = AcGePoint3d::kOrigin);

    // Writes the entity with a file filer and reads it into a new object of
    // its class; the stream must be used up exactly.
    template <class T>
    std::unique_ptr<T> dwgRoundTrip(const T& src) {
        hs::DwgFiler out(AcDb::kFileFiler, db);
        EXPECT_EQ(src.dwgOutFields(&out), Acad::eOk);
        out.rewind();
        std::unique_ptr<T> copy(T::cast(src.isA()->create()));
        EXPECT_NE(copy, nullptr);
        EXPECT_EQ(copy->dwgInFields(&out), Acad::eOk);
        EXPECT_TRUE(out.atEnd()) << "items left unread";
        return copy;
    }

    // The groups the entity writes, as "code value" lines.
    std::vector<std::string> dxfGroups(const AcDbEntity& src);

    template <class T>
    std::unique_ptr<T> dxfRoundTrip(const T& src) {
        hs::DxfFiler out(AcDb::kFileFiler, db);
        EXPECT_EQ(src.dxfOutFields(&out), Acad::eOk);
        hs::DxfFiler in(AcDb::kFileFiler, db, out.items());
        std::unique_ptr<T> copy(T::cast(src.isA()->create()));
        EXPECT_NE(copy, nullptr);
        EXPECT_EQ(copy->dxfInFields(&in), Acad::eOk);
        EXPECT_TRUE(in.atEOF()) << "groups left unread";
        return copy;
    }

    // Reads these groups (after the entity's common groups) into a new T.
    template <class T>
    std::unique_ptr<T> fromGroups(std::vector<hs::DxfItem> items, Acad::ErrorStatus expected = Acad::eOk,
                                  size_t* pLeft = nullptr) {
        hs::DxfFiler in(AcDb::kFileFiler, db, std::move(items));
        std::unique_ptr<T> ent(new T());
        EXPECT_EQ(ent->dxfInFields(&in), expected);
        if (pLeft != nullptr)
            *pLeft = in.items().size() - in.position();
        return ent;
    }

    AcDbDatabase* db = nullptr;
};

// Exact comparison of points and vectors, with a readable failure.
::testing::AssertionResult same(const AcGePoint3d& a, const AcGePoint3d& b);
::testing::AssertionResult same(const AcGeVector3d& a, const AcGeVector3d& b);
::testing::AssertionResult near(const AcGePoint3d& a, const AcGePoint3d& b, double tol = 1e-9);
::testing::AssertionResult near(const AcGeVector3d& a, const AcGeVector3d& b, double tol = 1e-9);

}  // namespace enttest

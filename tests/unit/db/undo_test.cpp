// Undo and redo groups: appends, erasures, changes and draw order, through
// the objects' own erase hook and filing.
#include "dbtest.h"

using dbtest::DbTest;
using dbtest::ProbeEntity;

namespace {

class Undo : public DbTest {
protected:
    void begin(const std::string& name) {
        for (auto& fn : hs::Session::get().commandEvents().willStart)
            fn(name, false);
    }
    void end(const std::string& name) { endCommand(name); }
    void setValue(AcDbObjectId id, double v) {
        ProbeEntity* p = nullptr;
        ASSERT_EQ(acdbOpenObject(p, id, AcDb::kForWrite), Acad::eOk);
        p->setValue(v);
        p->close();
    }
    void erase(AcDbObjectId id) {
        AcDbEntity* p = nullptr;
        ASSERT_EQ(acdbOpenAcDbEntity(p, id, AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(p->erase(), Acad::eOk);
        p->close();
    }
};

}  // namespace

TEST_F(Undo, UndoingACommandErasesWhatItAppendedAndRedoBringsItBack) {
    begin("PROBE");
    AcDbObjectId id = addProbe(1.0);
    end("PROBE");
    EXPECT_EQ(hs::undoableGroups(), 1);
    EXPECT_EQ(hs::undoGroups(1), 1);
    EXPECT_TRUE(id.isErased());
    EXPECT_EQ(ProbeEntity::s_eraseCalls, 1);
    EXPECT_EQ(hs::redoableGroups(), 1);
    EXPECT_EQ(hs::redoGroups(1), 1);
    EXPECT_FALSE(id.isErased());
    EXPECT_EQ(ProbeEntity::s_eraseCalls, 2);
    EXPECT_TRUE(hs::openObjects().empty());
}

TEST_F(Undo, UndoingAChangeReadsTheEarlierStateBackIntoTheSameObject) {
    AcDbObjectId id = addProbe(1.0);
    begin("CHANGE");
    setValue(id, 2.0);
    setValue(id, 3.0);
    end("CHANGE");
    ProbeEntity::s_reads = 0;
    hs::undoGroups(1);
    EXPECT_EQ(valueOf(id), 1.0);
    EXPECT_EQ(ProbeEntity::s_reads, 1);
    hs::redoGroups(1);
    EXPECT_EQ(valueOf(id), 3.0);
    EXPECT_EQ(ProbeEntity::s_reads, 2);
}

TEST_F(Undo, UndoingAnEraseUnerasesThroughTheEraseHook) {
    AcDbObjectId id = addProbe(1.0);
    begin("ERASE");
    erase(id);
    end("ERASE");
    int calls = ProbeEntity::s_eraseCalls;
    hs::undoGroups(1);
    EXPECT_FALSE(id.isErased());
    EXPECT_EQ(ProbeEntity::s_eraseCalls, calls + 1);
    hs::redoGroups(1);
    EXPECT_TRUE(id.isErased());
}

TEST_F(Undo, AnObjectThatRefusesIsReportedAndTheRestOfTheGroupIsStillUndone) {
    AcDbObjectId kept = addProbe(5.0);
    begin("WORK");
    AcDbObjectId refusing = addProbe(1.0);
    setValue(kept, 6.0);
    end("WORK");
    ProbeEntity::s_refuseErase = true;
    EXPECT_EQ(hs::undoGroups(1), 1);
    EXPECT_FALSE(refusing.isErased());
    EXPECT_EQ(valueOf(kept), 5.0);
    EXPECT_NE(printed().find("Cannot undo the creation of ProbeEntity"), std::string::npos) << printed();
    EXPECT_TRUE(hs::openObjects().empty());
}

TEST_F(Undo, GroupsAreUndoneLastFirstAndCountsAreHonoured) {
    AcDbObjectId id = addProbe(0.0);
    for (int i = 1; i <= 3; ++i) {
        begin("STEP");
        setValue(id, i);
        end("STEP");
    }
    EXPECT_EQ(hs::undoGroups(2), 2);
    EXPECT_EQ(valueOf(id), 1.0);
    EXPECT_EQ(hs::undoGroups(5), 1);
    EXPECT_EQ(valueOf(id), 0.0);
    EXPECT_EQ(hs::undoGroups(1), 0);
    EXPECT_EQ(hs::redoGroups(2), 2);
    EXPECT_EQ(valueOf(id), 2.0);
}

TEST_F(Undo, RedoMustFollowTheUndoDirectly) {
    AcDbObjectId id = addProbe(0.0);
    for (double v : {1.0, 2.0}) {
        begin("STEP");
        setValue(id, v);
        end("STEP");
    }
    hs::undoGroups(1);
    begin("U");  // another undo keeps what can be redone
    hs::undoGroups(1);
    end("U");
    EXPECT_EQ(hs::redoableGroups(), 2);
    begin("REDO");
    hs::redoGroups(1);
    end("REDO");
    EXPECT_EQ(hs::redoableGroups(), 1);
    begin("LIST");  // any other command ends it, even one that changes nothing
    end("LIST");
    EXPECT_EQ(hs::redoableGroups(), 0);
    EXPECT_EQ(valueOf(id), 1.0);
}

TEST_F(Undo, ANewChangeAfterUndoClearsWhatCouldBeRedone) {
    AcDbObjectId id = addProbe(0.0);
    begin("A");
    setValue(id, 1.0);
    end("A");
    hs::undoGroups(1);
    begin("B");
    setValue(id, 2.0);
    end("B");
    EXPECT_EQ(hs::redoableGroups(), 0);
    EXPECT_EQ(hs::redoGroups(1), 0);
    EXPECT_EQ(valueOf(id), 2.0);
}

TEST_F(Undo, ACommandRunInsideACommandJoinsItsGroup) {
    AcDbObjectId id = addProbe(0.0);
    begin("OUTER");
    setValue(id, 1.0);
    for (auto& fn : hs::Session::get().commandEvents().willStart)
        fn("INNER", true);
    AcDbObjectId added = addProbe(9.0);
    for (auto& fn : hs::Session::get().commandEvents().ended)
        fn("INNER", true, 0);
    end("OUTER");
    EXPECT_EQ(hs::undoableGroups(), 1);
    hs::undoGroups(1);
    EXPECT_EQ(valueOf(id), 0.0);
    EXPECT_TRUE(added.isErased());
}

TEST_F(Undo, DrawOrderChangesAreUndone) {
    AcDbObjectId a = addProbe(1.0), b = addProbe(2.0);
    AcDbObjectId ms = hs::modelSpaceId(db);
    begin("DRAWORDER");
    hs::sendToBack({b});
    end("DRAWORDER");
    EXPECT_EQ(hs::drawOrder(ms), (std::vector<AcDbObjectId>{b, a}));
    hs::undoGroups(1);
    EXPECT_EQ(hs::drawOrder(ms), (std::vector<AcDbObjectId>{a, b}));
    hs::redoGroups(1);
    EXPECT_EQ(hs::drawOrder(ms), (std::vector<AcDbObjectId>{b, a}));
}

TEST_F(Undo, ChangesOutsideACommandAreNotRecorded) {
    AcDbObjectId id = addProbe(0.0);
    setValue(id, 1.0);
    EXPECT_EQ(hs::undoableGroups(), 0);
}

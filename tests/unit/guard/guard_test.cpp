// The erase guard: which notifications open and close it, the watermark's
// refusal to be erased, and the reactor's attach and detach.
#include "guard/guard.h"

#include "../entity/wmtest.h"
#include "hostsim/dbapi.h"

namespace {

class EraseGuard : public wmtest::SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        g_bAllowErase = false;
    }
    void TearDown() override {
        g_bAllowErase = false;
        SessionTest::TearDown();
    }
    KeelCommandReactor reactor;
};

bool isAttached(const AcEditorReactor* pReactor) {
    bool found = false;
    hs::Session::get().notifyEditorReactors([&](AcEditorReactor* p) { found = found || p == pReactor; });
    return found;
}

}  // namespace

TEST_F(EraseGuard, TheUndoAndRedoCommandsOpenItInAnyCase) {
    for (const ACHAR* name : {ACRX_T("U"), ACRX_T("u"), ACRX_T("UNDO"), ACRX_T("Undo"), ACRX_T("undo"),
                              ACRX_T("REDO"), ACRX_T("redo"), ACRX_T("MRedo"), ACRX_T("MREDO")}) {
        g_bAllowErase = false;
        reactor.commandWillStart(name);
        EXPECT_TRUE(g_bAllowErase) << hs::toUtf8(name);
    }
}

TEST_F(EraseGuard, OtherCommandsDoNotOpenItTheWholeNameIsCompared) {
    for (const ACHAR* name : {ACRX_T("UNDO2"), ACRX_T("OOPS"), ACRX_T("ERASE"), ACRX_T("UN"), ACRX_T("REDOX"),
                              ACRX_T("MREDO "), ACRX_T(""), ACRX_T("QWK_WaterMark")}) {
        g_bAllowErase = false;
        reactor.commandWillStart(name);
        EXPECT_FALSE(g_bAllowErase) << "'" << hs::toUtf8(name) << "'";
    }
}

TEST_F(EraseGuard, AnotherCommandStartingDoesNotCloseIt) {
    reactor.commandWillStart(ACRX_T("UNDO"));
    reactor.commandWillStart(ACRX_T("ERASE"));
    EXPECT_TRUE(g_bAllowErase);
}

TEST_F(EraseGuard, AnyCommandEndingClosesIt) {
    for (const ACHAR* name : {ACRX_T("UNDO"), ACRX_T("ERASE"), ACRX_T("LINE")}) {
        reactor.commandWillStart(ACRX_T("U"));
        reactor.commandEnded(name);
        EXPECT_FALSE(g_bAllowErase) << hs::toUtf8(name);
    }
}

TEST_F(EraseGuard, ACommandNestedInAnUndoDoesNotCloseItTheUndoEndingDoes) {
    // A transparent command typed at a prompt of UNDO starts and ends inside it.
    reactor.commandWillStart(ACRX_T("UNDO"));
    reactor.commandWillStart(ACRX_T("SETVAR"));
    reactor.commandEnded(ACRX_T("SETVAR"));
    EXPECT_TRUE(g_bAllowErase);
    reactor.commandWillStart(ACRX_T("qwkHelp"));
    reactor.commandCancelled(ACRX_T("qwkHelp"));
    reactor.commandWillStart(ACRX_T("ZOOM"));
    reactor.commandFailed(ACRX_T("ZOOM"));
    EXPECT_TRUE(g_bAllowErase);
    reactor.commandEnded(ACRX_T("UNDO"));
    EXPECT_FALSE(g_bAllowErase);
    // The count is back at the start: the next command's end closes as before.
    g_bAllowErase = true;
    reactor.commandWillStart(ACRX_T("LINE"));
    reactor.commandEnded(ACRX_T("LINE"));
    EXPECT_FALSE(g_bAllowErase);
}

TEST_F(EraseGuard, AnUndoNestedInAnotherCommandClosesWhenItEnds) {
    reactor.commandWillStart(ACRX_T("SCRIPTED"));
    reactor.commandWillStart(ACRX_T("U"));
    EXPECT_TRUE(g_bAllowErase);
    reactor.commandEnded(ACRX_T("U"));
    EXPECT_FALSE(g_bAllowErase);
    reactor.commandEnded(ACRX_T("SCRIPTED"));
    EXPECT_FALSE(g_bAllowErase);
}

TEST_F(EraseGuard, AnEndHeardWithoutItsStartStillClosesIt) {
    // The reactor is attached inside a command (ARX loading the module).
    reactor.commandEnded(ACRX_T("ARX"));
    reactor.commandEnded(ACRX_T("ARX"));
    reactor.commandWillStart(ACRX_T("UNDO"));
    reactor.commandEnded(ACRX_T("UNDO"));
    EXPECT_FALSE(g_bAllowErase);
}

TEST_F(EraseGuard, ACancelledOrFailedCommandClosesIt) {
    reactor.commandWillStart(ACRX_T("U"));
    reactor.commandCancelled(ACRX_T("U"));
    EXPECT_FALSE(g_bAllowErase);
    reactor.commandWillStart(ACRX_T("REDO"));
    reactor.commandFailed(ACRX_T("REDO"));
    EXPECT_FALSE(g_bAllowErase);
}

TEST_F(EraseGuard, LispAndSaveNotificationsLeaveItAsItIs) {
    for (bool open : {false, true}) {
        g_bAllowErase = open;
        reactor.lispWillStart(ACRX_T("(command \"ERASE\")"));
        reactor.lispEnded();
        reactor.beginSave(nullptr, ACRX_T("x.dwg"));
        reactor.beginWblock(nullptr, nullptr);
        EXPECT_EQ(g_bAllowErase, open);
    }
}

TEST_F(EraseGuard, AWatermarkRefusesEraseAndUneraseWhileItIsClosed) {
    QWK_WaterMark wm;
    EXPECT_EQ((int)wm.subErase(true), 3);
    EXPECT_EQ((int)wm.subErase(false), 3);
    g_bAllowErase = true;
    EXPECT_EQ(wm.subErase(true), Acad::eOk);
    EXPECT_EQ(wm.subErase(false), Acad::eOk);
    EXPECT_TRUE(g_bAllowErase) << "an allowed erase leaves the guard open";
    EXPECT_EQ(printed(), "");
}

TEST_F(EraseGuard, AnEraseOfAResidentWatermarkIsRefusedAndLeavesItInTheDrawing) {
    AcDbDatabase* pDb = hs::Session::get().database();
    ASSERT_NE(pDb, nullptr);
    AcDbBlockTable* pBlockTable = nullptr;
    ASSERT_EQ(pDb->getSymbolTable(pBlockTable, AcDb::kForRead), Acad::eOk);
    AcDbBlockTableRecord* pModel = nullptr;
    ASSERT_EQ(pBlockTable->getAt(ACRX_T("*Model_Space"), pModel, AcDb::kForWrite), Acad::eOk);
    QWK_WaterMark* pWm = new QWK_WaterMark();
    wmtest::fill(*pWm, {wmtest::newLine(0, 0, 1, 1)});
    AcDbObjectId id;
    ASSERT_EQ(pModel->appendAcDbEntity(id, pWm), Acad::eOk);
    pWm->close();
    pModel->close();
    pBlockTable->close();

    AcDbEntity* pEnt = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(pEnt, id, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ((int)pEnt->erase(true), 3);
    EXPECT_FALSE(pEnt->isErased());
    g_bAllowErase = true;
    EXPECT_EQ(pEnt->erase(true), Acad::eOk);
    EXPECT_TRUE(pEnt->isErased());
    pEnt->close();
}

TEST_F(EraseGuard, AttachAddsOneReactorToTheEditorAndDetachRemovesIt) {
    ASSERT_EQ(g_pCommandReactor, nullptr);
    attachCommandReactor();
    ASSERT_NE(g_pCommandReactor, nullptr);
    KeelCommandReactor* pReactor = g_pCommandReactor;
    EXPECT_TRUE(isAttached(pReactor));
    detachCommandReactor();
    EXPECT_EQ(g_pCommandReactor, nullptr);
    EXPECT_FALSE(isAttached(pReactor));
}

TEST_F(EraseGuard, DetachingTwiceIsHarmless) {
    attachCommandReactor();
    detachCommandReactor();
    detachCommandReactor();
    EXPECT_EQ(g_pCommandReactor, nullptr);
}

TEST_F(EraseGuard, TheAttachedReactorHearsTheEditorsCommands) {
    attachCommandReactor();
    hs::Session::get().notifyEditorReactors([](AcEditorReactor* p) { p->commandWillStart(ACRX_T("UNDO")); });
    EXPECT_TRUE(g_bAllowErase);
    hs::Session::get().notifyEditorReactors([](AcEditorReactor* p) { p->commandEnded(ACRX_T("UNDO")); });
    EXPECT_FALSE(g_bAllowErase);
    detachCommandReactor();
}

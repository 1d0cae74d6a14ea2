// The module loaded into this process's host session: what each message
// registers and removes.
#include <gtest/gtest.h>

#include <string>

#include "aced.h"
#include "ed/edimp.h"
#include "hostsim/session.h"
#include "hostsim/text.h"
#include "inprocess.h"
#include "ivtest.h"
#include "rx/rximp.h"

namespace {

struct HostState {
    bool classRegistered = false;
    bool helpCommand = false;
    bool waterMarkCommand = false;
    size_t reactors = 0;
    bool operator==(const HostState& o) const {
        return classRegistered == o.classRegistered && helpCommand == o.helpCommand &&
               waterMarkCommand == o.waterMarkCommand && reactors == o.reactors;
    }
};

HostState hostState() {
    HostState s;
    s.classRegistered = acrxClassDictionary->at(ACRX_T("QWK_WaterMark")) != nullptr;
    s.helpCommand = acedRegCmds->lookupGlobalCmd(ACRX_T("Quillwerk_help")) != nullptr;
    s.waterMarkCommand = acedRegCmds->lookupLocalCmd(ACRX_T("wm")) != nullptr;
    s.reactors = hs::editor().reactors().size();
    return s;
}

class ModuleInProcess : public ::testing::Test {
protected:
    void SetUp() override {
        ivtest::useMemoryRegistry();
        before_ = hostState();
        ivtest::Transcript t;
        ASSERT_TRUE(hs::loadModuleFile(ivtest::modulePath())) << t.take();
    }
    void TearDown() override {
        ivtest::Transcript t;
        hs::unloadModuleFile(ivtest::modulePath());
    }
    HostState before_;
};

}  // namespace

TEST_F(ModuleInProcess, InitialisationRegistersClassCommandsAndReactor) {
    HostState s = hostState();
    EXPECT_TRUE(s.classRegistered);
    EXPECT_TRUE(s.helpCommand);
    EXPECT_TRUE(s.waterMarkCommand);
    EXPECT_EQ(s.reactors, before_.reactors + 1);
}

TEST_F(ModuleInProcess, EveryOtherMessageChangesNothing) {
    HostState loaded = hostState();
    for (int msg : {0, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}) {
        hs::Session::get().notifyModules(msg);
        EXPECT_TRUE(hostState() == loaded) << "message " << msg;
    }
}

TEST_F(ModuleInProcess, UnloadTakesBackClassCommandsAndReactor) {
    int faults = hs::Session::get().faultCount();
    {
        ivtest::Transcript t;
        ASSERT_TRUE(hs::unloadModuleFile(ivtest::modulePath())) << t.take();
    }
    EXPECT_TRUE(hostState() == before_);
    EXPECT_EQ(hs::Session::get().faultCount(), faults) << "the host found something left behind";
}

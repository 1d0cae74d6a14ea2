// The demand-load record of an application.
#pragma once
#include "rxdlinkr.h"

class AcadAppInfo : public AcRxObject {
public:
    static AcRxClass* desc();
    AcadAppInfo();
    ~AcadAppInfo() override;
    const ACHAR* appName() const;
    void setAppName(const ACHAR*);
    const ACHAR* moduleName() const;
    void setModuleName(const ACHAR*);
    const ACHAR* appDesc() const;
    void setAppDesc(const ACHAR*);
    AcadApp::LoadReasons loadReason();
    void setLoadReason(AcadApp::LoadReasons);
    AcadApp::ErrorStatus writeToRegistry(bool bObjDbx = false, bool skipHKLM = false);
    AcadApp::ErrorStatus readFromRegistry();
    AcadApp::ErrorStatus delFromRegistry(bool bObjDbx = false);
    AcadApp::ErrorStatus writeGroupNameToRegistry(const ACHAR* group);
    AcadApp::ErrorStatus writeCommandNameToRegistry(const ACHAR* globalCmdName, const ACHAR* localCmdName);
    AcadApp::ErrorStatus status() const;

private:
    struct Data;
    Data* m_pData;
};

// AcadAppInfo: the demand-load record of an application, kept in the
// stand-in host's registry under
//   HKEY_CURRENT_USER\Software\Hostsim\R<release>.0\Applications\<appName>
// with DESCRIPTION (REG_SZ), LOADCTRLS (REG_DWORD), LOADER (REG_SZ, the module
// file), a Groups subkey (one REG_SZ per group, named and valued by the group)
// and a Commands subkey (global name = local name).
#include "appinfo.h"

#include <string>

#include "hostsim/registry.h"
#include "hostsim/session.h"
#include "hostsim/text.h"

namespace hs {
std::string applicationsKey() {
    return "HKEY_CURRENT_USER\\Software\\Hostsim\\R" + std::to_string(IRONVEIL_RELEASE) + ".0\\Applications";
}
}  // namespace hs

struct AcadAppInfo::Data {
    hs::tstring appName;
    hs::tstring moduleName;
    hs::tstring appDesc;
    AcadApp::LoadReasons reasons = AcadApp::kOnCommandInvocation;
    AcadApp::ErrorStatus status = AcadApp::eOk;

    std::string key() const { return hs::applicationsKey() + "\\" + hs::toUtf8(appName); }
    AcadApp::ErrorStatus done(AcadApp::ErrorStatus es) {
        status = es;
        return es;
    }
};

AcadAppInfo::AcadAppInfo() : m_pData(new Data) {}
AcadAppInfo::~AcadAppInfo() {
    delete m_pData;
}

const ACHAR* AcadAppInfo::appName() const {
    return m_pData->appName.c_str();
}
void AcadAppInfo::setAppName(const ACHAR* s) {
    m_pData->appName = s ? s : ACRX_T("");
}
const ACHAR* AcadAppInfo::moduleName() const {
    return m_pData->moduleName.c_str();
}
void AcadAppInfo::setModuleName(const ACHAR* s) {
    m_pData->moduleName = s ? s : ACRX_T("");
}
const ACHAR* AcadAppInfo::appDesc() const {
    return m_pData->appDesc.c_str();
}
void AcadAppInfo::setAppDesc(const ACHAR* s) {
    m_pData->appDesc = s ? s : ACRX_T("");
}
AcadApp::LoadReasons AcadAppInfo::loadReason() {
    return m_pData->reasons;
}
void AcadAppInfo::setLoadReason(AcadApp::LoadReasons r) {
    m_pData->reasons = r;
}
AcadApp::ErrorStatus AcadAppInfo::status() const {
    return m_pData->status;
}

AcadApp::ErrorStatus AcadAppInfo::writeToRegistry(bool, bool) {
    if (m_pData->appName.empty())
        return m_pData->done(AcadApp::eInvalidKey);
    hs::Registry& reg = hs::Session::get().registry();
    std::string key = m_pData->key();
    reg.setString(key, "DESCRIPTION", hs::toUtf8(m_pData->appDesc));
    reg.setDword(key, "LOADCTRLS", static_cast<std::uint32_t>(m_pData->reasons));
    reg.setString(key, "LOADER", hs::toUtf8(m_pData->moduleName));
    return m_pData->done(AcadApp::eOk);
}

AcadApp::ErrorStatus AcadAppInfo::readFromRegistry() {
    if (m_pData->appName.empty())
        return m_pData->done(AcadApp::eInvalidKey);
    hs::Registry& reg = hs::Session::get().registry();
    std::string key = m_pData->key();
    if (reg.find(key) == nullptr)
        return m_pData->done(AcadApp::eKeyNotFound);
    const hs::Registry::Value* desc = reg.value(key, "DESCRIPTION");
    const hs::Registry::Value* ctrls = reg.value(key, "LOADCTRLS");
    const hs::Registry::Value* loader = reg.value(key, "LOADER");
    if (ctrls == nullptr || loader == nullptr)
        return m_pData->done(AcadApp::eValueNotFound);
    if (desc != nullptr)
        m_pData->appDesc = hs::fromUtf8(desc->text);
    m_pData->moduleName = hs::fromUtf8(loader->text);
    std::uint32_t r = 0;
    for (size_t i = 0; i < 4 && i < ctrls->bytes.size(); ++i)
        r |= static_cast<std::uint32_t>(ctrls->bytes[i]) << (8 * i);
    m_pData->reasons = static_cast<AcadApp::LoadReasons>(r);
    return m_pData->done(AcadApp::eOk);
}

AcadApp::ErrorStatus AcadAppInfo::delFromRegistry(bool) {
    if (m_pData->appName.empty())
        return m_pData->done(AcadApp::eInvalidKey);
    hs::Registry& reg = hs::Session::get().registry();
    return m_pData->done(reg.removeKey(m_pData->key()) ? AcadApp::eOk : AcadApp::eKeyNotFound);
}

AcadApp::ErrorStatus AcadAppInfo::writeGroupNameToRegistry(const ACHAR* group) {
    if (m_pData->appName.empty() || group == nullptr || *group == 0)
        return m_pData->done(AcadApp::eInvalidValue);
    std::string g = hs::toUtf8(group);
    hs::Session::get().registry().setString(m_pData->key() + "\\Groups", g, g);
    return m_pData->done(AcadApp::eOk);
}

AcadApp::ErrorStatus AcadAppInfo::writeCommandNameToRegistry(const ACHAR* globalCmdName,
                                                             const ACHAR* localCmdName) {
    if (m_pData->appName.empty() || globalCmdName == nullptr || localCmdName == nullptr)
        return m_pData->done(AcadApp::eInvalidValue);
    hs::Session::get().registry().setString(m_pData->key() + "\\Commands", hs::toUtf8(globalCmdName),
                                            hs::toUtf8(localCmdName));
    return m_pData->done(AcadApp::eOk);
}

// The fault table: sites armed by tests or by the HSFAULT command fail with a
// chosen status; every site counts how often it was asked.
#include "hostsim/faults.h"

#include <map>
#include <string_view>

#include "core/session_imp.h"
#include "hostsim/session.h"

namespace hs {

void armFault(const std::string& site, Acad::ErrorStatus status, int skip, int times) {
    FaultSite& f = Session::get().imp().faults[site];
    f.status = status;
    f.skip = skip < 0 ? 0 : skip;
    f.remaining = times;
}

void clearFaults() {
    for (auto& entry : Session::get().imp().faults)
        entry.second.remaining = 0;
}

Acad::ErrorStatus checkFault(const char* site) {
    // Asked on every filer item and open: look up without building a string.
    auto& faults = Session::get().imp().faults;
    auto it = faults.find(std::string_view(site));
    if (it == faults.end())
        it = faults.emplace(site, FaultSite()).first;
    FaultSite& f = it->second;
    ++f.calls;
    if (f.remaining == 0)
        return Acad::eOk;
    if (f.skip > 0) {
        --f.skip;
        return Acad::eOk;
    }
    if (f.remaining > 0)
        --f.remaining;
    return f.status;
}

int faultCalls(const std::string& site) {
    auto& faults = Session::get().imp().faults;
    auto it = faults.find(site);
    return it == faults.end() ? 0 : it->second.calls;
}

}  // namespace hs

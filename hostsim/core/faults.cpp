// The fault table: sites armed by tests or by the HSFAULT command fail with a
// chosen status; every site counts how often it was asked.
#include "hostsim/faults.h"

#include <cstdint>
#include <cstring>
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

namespace {

// Sites are asked by the address of their name, almost always a string
// literal: a small table from that address to the site's entry spares a
// search of the table on most calls. A hit is confirmed by comparing the
// name, so a name passed in a reused buffer is still found right. Entries of
// the fault table never move.
struct SiteCache {
    static constexpr std::size_t kSize = 512;  // a power of two
    const char* names[kSize] = {};
    const std::string* keys[kSize] = {};
    FaultSite* sites[kSize] = {};
};

FaultSite& lookUp(const char* site) {
    static SiteCache cache;
    std::size_t slot = (reinterpret_cast<std::uintptr_t>(site) >> 3) & (SiteCache::kSize - 1);
    if (cache.names[slot] == site && std::strcmp(cache.keys[slot]->c_str(), site) == 0)
        return *cache.sites[slot];
    auto& faults = Session::get().imp().faults;
    auto it = faults.find(std::string_view(site));
    if (it == faults.end())
        it = faults.emplace(site, FaultSite()).first;
    cache.names[slot] = site;
    cache.keys[slot] = &it->first;
    cache.sites[slot] = &it->second;
    return it->second;
}

}  // namespace

Acad::ErrorStatus checkFault(const char* site) {
    // Asked on every filer item and open.
    FaultSite& f = lookUp(site);
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

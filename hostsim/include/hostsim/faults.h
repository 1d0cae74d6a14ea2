// One seam for injected faults. Each host operation that can fail asks the
// fault table first with its site name; a test (or the HSFAULT command of a
// script) arms a site to fail with a given status after a number of calls.
//
// Site names are the host operation's name, e.g. "acdbOpenAcDbEntity",
// "AcDbObject::close", "AcDbDwgFiler::writeString", "AcDbEntity::setColor",
// "AcDbEntity::transformBy", "acutBuildList", "AcHeapOperators::new".
#pragma once
#include <string>

#include "acadstrc.h"

namespace hs {

// Arms `site`: the (skip+1)-th call and the `times - 1` calls after it fail
// with `status`. times < 0 means every call from then on.
void armFault(const std::string& site, Acad::ErrorStatus status, int skip = 0, int times = 1);
void clearFaults();
// Asked by the host operation; eOk means "go on normally".
Acad::ErrorStatus checkFault(const char* site);
// Number of times a site has been asked, armed or not (for tests).
int faultCalls(const std::string& site);

}  // namespace hs

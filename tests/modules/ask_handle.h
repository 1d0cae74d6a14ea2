// For test modules: the object whose handle the user gives (hexadecimal),
// in the working database; null for an answer that is no handle.
#pragma once
#include "aced.h"
#include "acedads.h"
#include "dbmain.h"

inline AcDbObjectId askHandle() {
    ACHAR answer[64] = {0};
    if (acedGetString(0, ACRX_T("Handle: "), answer) != RTNORM)
        return AcDbObjectId::kNull;
    unsigned long long h = 0;
    for (const ACHAR* p = answer; *p != 0; ++p) {
        int d = *p >= '0' && *p <= '9' ? *p - '0' : *p >= 'A' && *p <= 'F' ? *p - 'A' + 10 : -1;
        if (d < 0)
            return AcDbObjectId::kNull;
        h = h * 16 + static_cast<unsigned long long>(d);
    }
    AcDbObjectId id;
    acdbHostApplicationServices()->workingDatabase()->getAcDbObjectId(id, false, AcDbHandle(h));
    return id;
}

// Registration of the host's ordinary entity classes, with their DXF names,
// in the class dictionary. Called once by the session before any module loads.
#include "dbents.h"
#include "hostsim/builtins.h"
#include "hostsim/picture.h"

// The host's own classes carry this application name.
#define HS_ENTITY_CLASS(CLASS_NAME, PARENT, DXF_NAME)                                                    \
    ACRX_DXF_DEFINE_MEMBERS(CLASS_NAME, PARENT, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0, DXF_NAME, \
                            ObjectDBX Classes)

ACRX_NO_CONS_DEFINE_MEMBERS(AcDbCurve, AcDbEntity)
HS_ENTITY_CLASS(AcDbLine, AcDbCurve, LINE)
HS_ENTITY_CLASS(AcDbCircle, AcDbCurve, CIRCLE)
HS_ENTITY_CLASS(AcDbArc, AcDbCurve, ARC)
HS_ENTITY_CLASS(AcDbPolyline, AcDbCurve, LWPOLYLINE)
HS_ENTITY_CLASS(AcDbEllipse, AcDbCurve, ELLIPSE)
HS_ENTITY_CLASS(AcDbText, AcDbEntity, TEXT)
HS_ENTITY_CLASS(AcDbMText, AcDbEntity, MTEXT)
HS_ENTITY_CLASS(AcDbBlockReference, AcDbEntity, INSERT)
HS_ENTITY_CLASS(AcDbPoint, AcDbEntity, POINT)

AcDbCurve::AcDbCurve() {}
AcDbCurve::~AcDbCurve() {}
Adesk::Boolean AcDbCurve::isClosed() const {
    assertReadEnabled();
    return Adesk::kFalse;
}

namespace hs {
void registerEntityClasses() {
    AcDbCurve::rxInit();
    AcDbLine::rxInit();
    AcDbCircle::rxInit();
    AcDbArc::rxInit();
    AcDbPolyline::rxInit();
    AcDbEllipse::rxInit();
    AcDbText::rxInit();
    AcDbMText::rxInit();
    AcDbBlockReference::rxInit();
    AcDbPoint::rxInit();
}
}  // namespace hs

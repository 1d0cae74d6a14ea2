// Grid layout: the new watermark is fitted into the lower-left cell of the
// rectangle, replicated over it with the host's -array command, and every
// watermark of the drawing is sent behind the other entities.
#include <cmath>

#include "command/command.h"
#include "entity/QWK_WaterMark.h"

namespace {

// Leaves the entity as created when the fit has nothing to scale: a
// watermark without clones, sources without height, or a flat rectangle.
bool canFit(const AcDbEntity* pEnt, const AcDbExtents& extents, double h, double H) {
    const QWK_WaterMark* pWaterMark = QWK_WaterMark::cast(pEnt);
    const ACHAR* reason = nullptr;
    if ((pWaterMark != nullptr && pWaterMark->count() == 0) || extents.minPoint().x > extents.maxPoint().x)
        reason = ACRX_T("\nThe watermark holds no entity; it is left where it was created.\n");
    else if (!(h > 0.0) || !std::isfinite(h))
        reason = ACRX_T("\nThe watermark has no height; it is left where it was created.\n");
    else if (!(std::fabs(H) > 0.0) || !std::isfinite(H))
        reason = ACRX_T("\nThe rectangle has no height; the watermark is left where it was created.\n");
    if (reason == nullptr)
        return true;
    acutPrintf(reason);
    return false;
}

}  // namespace

void arrayWaterMark(AcDbObjectId oId, int lines, int columns, int facts, AcGePoint2d Ptll, AcGePoint2d Ptur) {
    AcDbEntity* pEnt = nullptr;
    if (acdbOpenAcDbEntity(pEnt, oId, AcDb::kForWrite) != Acad::eOk)
        return;
    AcDbExtents AllGeomExtents;
    pEnt->getGeomExtents(AllGeomExtents);
    AcGePoint3d aMax = AllGeomExtents.maxPoint();
    AcGePoint3d aMin = AllGeomExtents.minPoint();

    const double H = Ptur.y - Ptll.y;
    const double W = Ptur.x - Ptll.x;
    const double h = std::fabs(aMax.y - aMin.y);
    const double w = std::fabs(aMax.x - aMin.x);
    if (!canFit(pEnt, AllGeomExtents, h, H)) {
        pEnt->close();
        return;
    }
    const double e = std::fabs(H / (double)lines) * (double)facts * 0.01;
    const double targetWidth = e * w / h;
    const double scale = e / h;
    const double columnDistance = std::fabs(W - targetWidth) / (double)(columns - 1);
    const double rowDistance = std::fabs(H - e) / (double)(lines - 1);
    // Sizes beyond the range of doubles (or so small they vanish) would reach
    // the host's array command as inf or nan and the drawing as garbage.
    if (!(e > 0.0) || !std::isfinite(e) || !(scale > 0.0) || !std::isfinite(scale) || !(targetWidth >= 0.0) ||
        !std::isfinite(targetWidth) || !std::isfinite(columnDistance) || !std::isfinite(rowDistance) ||
        !std::isfinite(W) || !std::isfinite(Ptll.x + (double)(columns - 1) * columnDistance + targetWidth) ||
        !std::isfinite(Ptll.y + (double)(lines - 1) * rowDistance + e)) {
        acutPrintf(ACRX_T(
            "\nThe watermark cannot be fitted into the rectangle; it is left where it was created.\n"));
        pEnt->close();
        return;
    }

    AcGePoint3d Ptll3d(Ptll.x, Ptll.y, 0.0);
    AcGeVector3d transVec = Ptll3d - aMin;
    AcGeMatrix3d xform, xform2;
    xform.setToTranslation(transVec);
    pEnt->transformBy(xform);
    xform2.setToScaling(scale, Ptll3d);
    pEnt->transformBy(xform2);
    pEnt->close();

    // Without a name for the entity or a set holding it there is nothing to
    // give the array command.
    ads_name ename = {0, 0};
    ads_name ssname = {0, 0};
    if (acdbGetAdsName(ename, oId) != Acad::eOk || acedSSAdd(ename, nullptr, ssname) != RTNORM)
        return;

    resbuf* rb =
        acutBuildList(RTSTR, ACRX_T("-array"), RTPICKS, ssname, RTSTR, ACRX_T(""), RTSTR, ACRX_T("R"),
                      RTSHORT, lines, RTSHORT, columns, RTREAL, rowDistance, RTREAL, columnDistance, 0);
    if (rb == nullptr) {
        acdbFail(ACRX_T("Couldn't create list\n"));
        acedSSFree(ssname);
        return;
    }
    acedCmd(rb);
    acutRelRb(rb);
    acedSSFree(ssname);

    ACHAR sbuf[] = ACRX_T("QWK_WaterMark");
    resbuf eb;
    eb.rbnext = nullptr;
    eb.restype = 0;
    eb.resval.rstring = sbuf;
    ads_name ss3;
    if (acedSSGet(ACRX_T("X"), nullptr, nullptr, &eb, ss3) != RTNORM) {
        acutPrintf(ACRX_T("acedSSGet cancelled\n"));
        return;
    }
    long length = 0;
    if (acedSSLength(ss3, &length) != RTNORM || length == 0) {
        acedSSFree(ss3);
        return;
    }
    rb = acutBuildList(RTSTR, ACRX_T("draworder"), RTPICKS, ss3, RTSTR, ACRX_T(""), RTSTR, ACRX_T("B"), 0);
    if (rb == nullptr) {
        acdbFail(ACRX_T("Couldn't create list\n"));
        acedSSFree(ss3);
        return;
    }
    acedCmd(rb);
    acutRelRb(rb);
    acedSSFree(ss3);
}

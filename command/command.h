// The watermark command: flow, selection and creation, grid layout.
#pragma once
#include "host/hostapi.h"

void waterMarkCommand();
void setCmdEcho(unsigned char value);
bool selectEntities(AcDbObjectId& oId);
bool addQWK_WaterMark(AcDbObjectIdArray objIdArray, AcDbObjectId& oId, int color);
void arrayWaterMark(AcDbObjectId oId, int lines, int columns, int facts, AcGePoint2d Ptll, AcGePoint2d Ptur);

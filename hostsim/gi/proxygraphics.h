// The host's binary proxy graphics: what an entity's worldDraw draws,
// recorded in world coordinates as the little-endian primitive stream that
// DXF files carry in groups 92 (or 160) and 310, and played back into any
// world-draw context (the picture, extents).
//
// Only primitives that independent readers decode are written: CIRCLE (2),
// CIRCULAR_ARC (4), POLYLINE (6), UNICODE_TEXT (36) and the attributes
// COLOR (14), LAYER (16), LINETYPE (18), LINEWEIGHT (23) and LTSCALE (24).
// Transforms are applied while recording, so no matrix primitive is needed.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "acgi.h"
#include "dbmain.h"

namespace hs {

// The graphics of pEnt (open for read), as its worldDraw draws it through a
// context whose regen type is kAcGiSaveWorldDrawForProxy. Empty when it
// draws nothing. Layers and linetypes are numbered in pDb's tables (the
// entity's own database when null).
std::string recordProxyGraphics(AcDbEntity* pEnt, AcDbDatabase* pDb = nullptr);

// The graphics moved by xform, as the host transforms the graphics of a
// proxy: circles, arcs, polylines, texts and attributes are recorded again
// in world coordinates; graphics holding other primitives are kept whole
// under a PUSH_MATRIX of xform. Layers and linetypes keep their indices
// (pDb's tables).
std::string transformProxyGraphics(std::string_view data, const AcGeMatrix3d& xform, AcDbDatabase* pDb);

// Draws the graphics into pWd. False when the data is damaged (what came
// before the damage is drawn).
bool playProxyGraphics(std::string_view data, AcGiWorldDraw* pWd);

// The extents of what the graphics draw; false when they draw nothing.
bool proxyGraphicsExtents(std::string_view data, AcDbExtents& extents);

// Primitive counts by type, for checks and listings; false when damaged.
bool proxyGraphicsTypes(std::string_view data, std::vector<unsigned>& types);

// Hexadecimal DXF text: chunks of at most 127 bytes (254 upper-case digits).
std::vector<std::string> proxyGraphicsToHex(std::string_view data);
// Appends the bytes of one hexadecimal chunk; false when it is not hex.
bool proxyGraphicsAppendHex(std::string_view hex, std::string& data);

}  // namespace hs

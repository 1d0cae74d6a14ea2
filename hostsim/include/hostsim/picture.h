// The picture of a drawing: model space drawn through each entity's
// world-draw into an SVG file, in draw order, colours from the host palette.
//
// The picture has a white background (colour 7 is drawn black), its y axis
// points up like the drawing's, and it is scaled to fit the drawing's
// extents into 1000 pixels. Each top-level entity is a group
// <g data-entity="LINE" data-handle="2A">; a nested drawable (a block's
// entities, a watermark's clones) is a group inside its caller's group.
// ByBlock (0) takes the caller's colour, ByLayer (256) the entity's layer's.
#pragma once
#include <string>
#include <vector>

class AcDbDatabase;
class AcGiDrawable;

namespace hs {
bool writeSvg(AcDbDatabase* pDb, const std::string& path, std::string* error = nullptr);
// The SVG text writeSvg writes.
std::string svgOf(AcDbDatabase* pDb);
// The same; `note` tells what the picture had to leave out ("" when nothing).
std::string svgOfNoted(AcDbDatabase* pDb, std::string* note);
// The SVG text of these drawables drawn in order as top-level drawables.
std::string svgOfDrawables(const std::vector<AcGiDrawable*>& drawables);
// The host palette: colour index 1..255 to "#rrggbb".
std::string paletteColour(int colorIndex);
// Registers the world-draw interface classes (with the entity classes).
void registerGiClasses();
}  // namespace hs

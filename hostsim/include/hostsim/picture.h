// The picture of a drawing: model space drawn through each entity's
// world-draw into an SVG file, in draw order, colours from the host palette.
#pragma once
#include <string>

class AcDbDatabase;

namespace hs {
bool writeSvg(AcDbDatabase* pDb, const std::string& path, std::string* error = nullptr);
// The host palette: colour index 1..255 to "#rrggbb".
std::string paletteColour(int colorIndex);
}  // namespace hs

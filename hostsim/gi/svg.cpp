// Placeholder until the picture is written.
#include "hostsim/picture.h"

namespace hs {
bool writeSvg(AcDbDatabase*, const std::string& path, std::string* error)
{
    if (error)
        *error = path + ": pictures are not available yet";
    return false;
}
std::string paletteColour(int) { return "#000000"; }
}  // namespace hs

// Placeholder until the DXF reader and writer are written.
#include "hostsim/dxffile.h"

namespace hs {
DxfResult readDxfFile(const std::string& path, AcDbDatabase*& pDb)
{
    pDb = nullptr;
    return {false, path + ": DXF reading is not available yet"};
}
DxfResult writeDxfFile(const std::string& path, AcDbDatabase*)
{
    return {false, path + ": DXF writing is not available yet"};
}
}  // namespace hs

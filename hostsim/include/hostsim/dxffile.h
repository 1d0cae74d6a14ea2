// Reading and writing DXF drawing files.
#pragma once
#include <string>

class AcDbDatabase;

namespace hs {

struct DxfResult {
    bool ok = false;
    std::string message;  // what went wrong, with the line number, when !ok
};

// Reads a DXF file into a new database; on failure pDb is null and the
// result says why.
DxfResult readDxfFile(const std::string& path, AcDbDatabase*& pDb);
DxfResult writeDxfFile(const std::string& path, AcDbDatabase* pDb);

}  // namespace hs

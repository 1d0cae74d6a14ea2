// Reading and writing DXF drawing files.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class AcDbDatabase;

namespace hs {

struct DxfResult {
    bool ok = false;
    std::string message;  // what went wrong, with the line number, when !ok
    // Problems that did not stop the reading (an entity kept as it was
    // because it could not be read, a handle used twice), each with its line.
    std::vector<std::string> warnings;
};

// Reads a DXF file into a new database; on failure pDb is null and the
// result says why.
DxfResult readDxfFile(const std::string& path, AcDbDatabase*& pDb);
// Writes the database as a DXF file. The file is replaced only when the
// whole drawing could be written.
DxfResult writeDxfFile(const std::string& path, AcDbDatabase* pDb);

// The same on text in memory (tests, benchmarks, fuzzing).
DxfResult readDxfText(std::string_view text, AcDbDatabase*& pDb);
DxfResult writeDxfText(AcDbDatabase* pDb, std::string& text);
// Writes the file in pieces of about a megabyte, each handed to the sink as
// soon as it is made, so that a large drawing is never held whole as text.
// A sink that returns false ends the writing with an error.
using DxfSink = std::function<bool(std::string_view)>;
DxfResult writeDxfPieces(AcDbDatabase* pDb, const DxfSink& sink);

}  // namespace hs

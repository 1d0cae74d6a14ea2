// Script tests of the watermark command: hostsim runs a script with the
// module loaded and saves the drawing; the test reads the saved DXF back in
// process and looks at the watermarks it holds.
#pragma once
#include <string>
#include <vector>

#include "../entity/wmtest.h"
#include "ivtest.h"

namespace wmscript {

// One watermark of a saved drawing.
struct Mark {
    AcDbObjectId id;
    AcGePoint3d min, max;  // its extents
    int count = 0;         // clones held
    int colour = 0;        // its own entity colour index
    int cloneColour = -1;  // the colour index of its first clone
    std::vector<std::string> cloneClasses;
};

// A saved drawing read back: its model-space watermarks in record order and
// the position of each model-space entity in the draw order.
struct Drawing {
    AcDbDatabase* pDb = nullptr;
    std::string error;
    std::vector<Mark> marks;
    int entities = 0;          // model-space entities, watermarks included
    bool marksBehind = false;  // every watermark is drawn before every other entity
    ~Drawing();
    // The watermark whose extents start at (x, y), or null.
    const Mark* at(double x, double y, double tolerance = 1e-6) const;
};

// Reads a DXF file saved by hostsim.
std::unique_ptr<Drawing> readDrawing(const std::string& path);

// Script lines that draw one line from (x1, y1) to (x2, y2).
std::string line(double x1, double y1, double x2, double y2);

// Options for a run that saves the drawing as out.dxf, with a registry
// holding the given settings values (name, value) under the module's key.
ivtest::HostsimOptions savingRun(const std::vector<std::pair<std::string, unsigned>>& settings = {});
// The registry value of a setting after the run ("" when missing).
std::string setting(const ivtest::Run& run, const std::string& name);

// The key of the module's settings in registry files.
std::string settingsKey();

class WmScript : public wmtest::SessionTest {};

}  // namespace wmscript

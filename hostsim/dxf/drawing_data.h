// What a database keeps of the DXF file it came from, beyond the objects
// hostsim understands: header variables, classes, the tables hostsim has no
// objects for, the begin and end marks of blocks, objects, other sections,
// and the application data and extended data of the objects it did read.
// Kept with the database as its "dxf" attachment and written back on save.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "dxf/tags.h"

class AcDbDatabase;

namespace hs {
namespace dxf {

struct HeaderVar {
    std::string name;  // "$ACADVER"
    Tags values;       // the groups after the 9 group
};

// A table that hostsim keeps as tags (VPORT, STYLE, ...), or only the head of
// one whose entries are database objects (LTYPE, LAYER, BLOCK_RECORD).
struct KeptTable {
    std::string name;
    Tags head;                  // from group 2 on, without the 0 TABLE
    std::vector<Tags> entries;  // each from its group 0
};

// The BLOCK and ENDBLK entities of a block table record.
struct BlockMarks {
    Tags begin;  // from 0 BLOCK
    Tags end;    // from 0 ENDBLK
};

// Groups of a record that its object does not model, kept as the file gave
// them to be written back in their place: after the `afterNth`-th group
// `afterCode` (0 the first; 100 the subclass marker itself, -1 the start) of
// the `subclassNth`-th subclass named `subclass` ("" before any marker).
struct KeptRun {
    std::string subclass;
    int subclassNth = 0;
    int afterCode = -1;
    int afterNth = 0;
    Tags tags;
};
using KeptRuns = std::vector<KeptRun>;

struct DrawingData {
    std::string version = "AC1015";  // $ACADVER of the file read
    std::vector<HeaderVar> header;
    std::vector<Tags> classes;  // each from 0 CLASS
    std::vector<KeptTable> tables;
    std::map<std::uint64_t, BlockMarks> blocks;  // by block table record handle
    std::vector<Tags> objects;                   // each from its group 0
    std::vector<std::pair<std::string, Tags>> otherSections;
    // Groups 102 {...} of objects read into the database, and their extended
    // data (from the first 1001 on), by handle.
    std::map<std::uint64_t, Tags> appData;
    std::map<std::uint64_t, Tags> xdata;
    // The groups of those objects that they do not model, by handle.
    std::map<std::uint64_t, KeptRuns> keptRuns;
    // Handles of the file that the database gave to other objects: the tags
    // of kept entities are moved to the new ones when written.
    std::map<std::uint64_t, std::uint64_t> keptRemap;
    // The layout object of each layout block record (group 340 of the record).
    std::map<std::uint64_t, std::uint64_t> recordLayout;
    // Objects of the OBJECTS section that are database objects (custom
    // objects of a registered class, proxy objects), by handle: how many kept
    // records came before each in the file (with its order among those at the
    // same place) and the owner the file gave it, usually a kept dictionary.
    struct ObjectPlace {
        std::size_t before = 0;
        std::size_t order = 0;
        std::uint64_t owner = 0;
    };
    std::map<std::uint64_t, ObjectPlace> objectPlaces;
    // The sort-entities table of model space read from the file: its handle
    // and owner, reused when draw order is written again.
    std::uint64_t sortentsHandle = 0;
    std::uint64_t sortentsOwner = 0;
    // Handles written by the file but not held by database objects (kept
    // objects, block marks, kept table entries, following entities).
    std::uint64_t maxKeptHandle = 0;
    // How the file spelled characters beyond ASCII (see TextCodec): escapes
    // in a UTF-8 file, escapes in lower case, the code page's bytes.
    bool escapedText = false;
    bool lowerCaseEscapes = false;
    bool byteText = false;
    // The file the drawing was read from or last saved to.
    std::string fileName;
    // True once the defaults of a new drawing have been added.
    bool complete = false;
};

// The drawing data of a database; made (empty) when create is true.
DrawingData* drawingData(AcDbDatabase* pDb, bool create);

// Header variable helpers.
const HeaderVar* findHeaderVar(const DrawingData& data, const std::string& name);
void setHeaderVar(DrawingData& data, const std::string& name, Tags values);

// A handle-typed value of group code `code` in tags, or 0.
std::uint64_t tagHandle(const Tags& tags, int code);
// The own handle of kept tags (group 5, or 105 for DIMSTYLE entries).
std::uint64_t ownHandle(const Tags& tags);

// The template of a new drawing (DXF text; handle values starting with '@'
// are names for new handles, @MS and @PS the model and paper space records).
extern const char kNewDrawing[];

// Fills the data a file needs but a drawing made in hostsim lacks: header,
// tables other than layers, linetypes and blocks, block marks, root
// dictionary and layouts. New handles come from the database's handle seed.
void completeDrawingData(AcDbDatabase* pDb, DrawingData& data);

}  // namespace dxf
}  // namespace hs

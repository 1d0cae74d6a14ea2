// The editor's internals shared by the input functions, the selection sets
// and the built-in commands: typed requests on top of Session::readInput,
// object selection, entity and selection-set names, the UCS and CMDECHO.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "adsdef.h"
#include "dbmain.h"

namespace hs {

// ---- result buffers ---------------------------------------------------------------
// What a result buffer of a type code (RT* or DXF group) holds.
enum class RbValue { kNone, kText, kShort, kReal, kPoint, kLong, kName, kBinary, kInvalid };
RbValue rbValueOf(int restype);

// ---- typed requests -------------------------------------------------------------
// One request to the command line. `keywords` is the host's keyword list
// ("Close Undo"): the capital letters of a keyword are its short form.
// `flags` are the RSG_* bits of acedInitGet.
struct Request {
    std::string prompt;
    int flags = 0;
    std::string keywords;
    const AcGePoint3d* base = nullptr;  // rubber-band base (UCS) for points, distances, angles
};

// Every request returns RTNORM (value delivered), RTNONE (Enter, unless
// RSG_NONULL), RTKWORD (keyword: its full name in `keyword`) or RTCAN
// (cancel, or the end of the script). Invalid answers are refused with a
// host-style message and asked again. Points are in the current UCS.
int requestPoint(const Request& rq, AcGePoint3d& result, std::string& keyword);
int requestCorner(const Request& rq, AcGePoint3d& result, std::string& keyword);
int requestInt(const Request& rq, int& result, std::string& keyword);
int requestReal(const Request& rq, double& result, std::string& keyword);
// A number, or a point giving the distance from rq.base.
int requestDist(const Request& rq, double& result, std::string& keyword);
// Degrees (returned in radians), or a point giving the direction from rq.base.
int requestAngle(const Request& rq, double& radians, std::string& keyword);
int requestKeyword(const Request& rq, std::string& keyword);
// Text; with allowSpaces false the answer ends at its first blank.
int requestString(const std::string& prompt, bool allowSpaces, std::string& result);

// The full keyword that `answer` names in the list, or an empty string.
std::string matchKeyword(const std::string& keywords, const std::string& answer);
// Parses "x,y", "x,y,z", "@dx,dy", "@" and "dist<angle" (polar, degrees)
// against `last` (UCS). Returns false for anything else.
bool parsePoint(const std::string& text, const AcGePoint3d& last, AcGePoint3d& result);
// Formats a real the way answers are written: shortest text that reads back
// as the same double.
std::string formatReal(double value);

// ---- coordinates ------------------------------------------------------------------
// The current UCS (origin and axes in world coordinates).
struct Ucs {
    AcGePoint3d origin;
    AcGeVector3d xAxis = AcGeVector3d(1, 0, 0);
    AcGeVector3d yAxis = AcGeVector3d(0, 1, 0);
};
Ucs currentUcs();
void setCurrentUcs(const Ucs& ucs);
bool ucsIsWorld();
AcGePoint3d ucsToWcs(const AcGePoint3d& p);
AcGePoint3d wcsToUcs(const AcGePoint3d& p);
// The last point given at a point request, in world coordinates.
AcGePoint3d lastPoint();
void setLastPoint(const AcGePoint3d& wcsPoint);

// ---- echo of driven commands ----------------------------------------------------
// False while a command run by acedCmd/acedCommand executes with CMDECHO 0:
// its messages are then kept off the command line.
bool echoOn();
// Prints a command's message when echo is on.
void edPrint(const std::string& text);

// ---- selection -------------------------------------------------------------------------
// A filter of acedSSGet: groups 0 (entity type, the class's DXF name), 8
// (layer) and 62 (colour index); text values are comma-separated,
// case-insensitive wildcard patterns.
class SelectionFilter {
public:
    // Returns false (and a reason) for a filter it cannot apply.
    bool parse(const struct resbuf* filter, std::string& why);
    bool empty() const { return m_types.empty() && m_layers.empty() && m_colors.empty(); }
    bool accepts(AcDbObjectId id) const;

private:
    std::vector<std::string> m_types;
    std::vector<std::string> m_layers;
    std::vector<int> m_colors;
    mutable std::map<std::string, bool> m_typeOk;  // class name -> type patterns pass
};

// Wildcard match of one text against a comma-separated pattern list
// (`*`, `?`, `#` digit, `@` letter, `.` other, `[...]`, `~` negates, a
// backquote takes the next character literally); case-insensitive.
bool wcMatch(const std::string& text, const std::string& patterns);

// The interactive object selection of the host ("Select objects: "): picks,
// W, C, L, ALL, P, R(emove), A(dd), selection-set and entity names written as
// "<Selection set: n>" / "<Entity name: n>". Enter ends (RTNORM, possibly
// with nothing selected), ^C cancels (RTCAN). Entities the filter refuses
// are not added. The result becomes the previous selection.
int selectObjects(std::vector<AcDbObjectId>& ids, const SelectionFilter* filter = nullptr,
                  const std::string& prompt = "Select objects: ");
// Every entity of the drawing's layouts (model space, then the paper
// spaces), in record order, that the filter accepts.
std::vector<AcDbObjectId> drawingEntities(const SelectionFilter* filter = nullptr);
std::vector<AcDbObjectId> previousSelection();
void setPreviousSelection(const std::vector<AcDbObjectId>& ids);

// Selection sets and entity names behind ads_name.
bool newSelectionSet(const std::vector<AcDbObjectId>& ids, ads_name ss);
bool selectionSetIds(const ads_name ss, std::vector<AcDbObjectId>& ids);
// The text a selection set or entity name is given as an answer to a prompt.
std::string selectionSetToken(const ads_name ss);
std::string entityNameToken(const ads_name ent);
int allocatedSelectionSets();
// Forgets the names of a database's entities (before it is deleted).
void forgetNames(AcDbDatabase* pDb);
// Clears the editor's per-drawing state: sets, names, UCS, previous
// selection, pending acedInitGet (tests; a new drawing).
void resetEditor();

}  // namespace hs

// Proxies and proxy graphics in DXF files: the graphics groups of an
// entity's record, proxies made from a file's records, the records written
// back, and the drawing's PROXYGRAPHICS setting.
#pragma once
#include <string>

#include "db/proxy.h"
#include "dxf/objects_io.h"
#include "dxf/tags.h"

namespace hs {
namespace dxf {

// The group that counts the graphics bytes: 92 before AC1027, 160 from it on.
int graphicsSizeCode(const std::string& version);

// Takes the graphics groups (92 or 160 and the 310 groups) out of the common
// entity groups of a record and returns the bytes they held (empty: none or
// not readable).
std::string takeGraphicsGroups(Tags& tags);
// Puts graphics groups at the end of the record's common entity groups.
void insertGraphicsGroups(Tags& tags, const std::string& graphics, const std::string& version);

// A proxy made from a file's record (tags from its group 0) of a class the
// file declares; null (and the reason) when its common groups cannot be read.
HsProxyEntity* proxyFromFile(const RawTag* begin, const RawTag* end, const ProxyClassRecord& record,
                             AcDbDatabase* pDb, const TextCodec& codec, FilerCache* pCache,
                             std::string& error);

// A proxy made from a file's ACAD_PROXY_ENTITY record, whose class is the
// record's class of the file's CLASSES section.
HsProxyEntity* proxyFromProxyRecord(const RawTag* begin, const RawTag* end, const ProxyClassRecord& record,
                                    AcDbDatabase* pDb, const TextCodec& codec, FilerCache* pCache,
                                    std::string& error);

// The proxy's record as written to a file of that version: the kept tags,
// the common groups from the entity's state when they were changed, and the
// graphics (when withGraphics).
Tags proxyRecord(HsProxyEntity* pProxy, AcDbDatabase* pDb, const std::string& version, bool withGraphics);

// Reads the proxy's record into an object of its class (which is loaded
// again).
Acad::ErrorStatus readProxyRecordInto(HsProxyEntity* pProxy, AcDbEntity* pEnt, AcDbDatabase* pDb,
                                      std::string& error);

// PROXYGRAPHICS: 1 (the default) saves the graphics of custom entities.
int proxyGraphicsSetting(AcDbDatabase* pDb);
bool setProxyGraphicsSetting(AcDbDatabase* pDb, int value);

}  // namespace dxf
}  // namespace hs

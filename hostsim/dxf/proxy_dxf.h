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

// A proxy object made from a file's record of an object (tags from its group
// 0): a class the file declares that no loaded module registers, a record
// whose reader answered eMakeMeProxy, or an ACAD_PROXY_OBJECT record
// (fileRecord).
HsProxyObject* proxyObjectFromFile(const RawTag* begin, const RawTag* end, const ProxyClassRecord& record,
                                   const TextCodec& codec, bool fileRecord);

// The record of a database object of the OBJECTS section as a file holds it:
// its own groups, with the groups it does not model, its application data,
// extended data and the owner the file gave it put back.
Acad::ErrorStatus filedObjectRecord(const AcDbObject* pObj, AcDbDatabase* pDb, const std::string& type,
                                    const TextCodec& codec, Tags& out, std::string* pWhy = nullptr);

// Reads the proxy object's record into an object of its class (which is
// registered again); what the object does not model is kept with the
// drawing under its handle.
Acad::ErrorStatus readProxyObjectInto(HsProxyObject* pProxy, AcDbObject* pObj, AcDbDatabase* pDb,
                                      std::string& error);

// The matrix of a transformed proxy is kept in its extension dictionary, in
// an XRECORD under this key: 16 groups 40, row by row.
extern const char kProxyTransformKey[];
// Gives a record (tags from its group 0) an extension dictionary when it has
// none: its 102 {ACAD_XDICTIONARY group names a new handle of pDb, whose
// dictionary record is made when the drawing is saved.
void linkExtensionDictionary(Tags& tags, AcDbDatabase* pDb);
// Takes the 102 {ACAD_XDICTIONARY group out of a record.
void unlinkExtensionDictionary(Tags& tags);
// Before a save: the matrix of each transformed proxy entity into its
// extension dictionary (the dictionary made if needed); the record of a
// proxy no longer transformed (undone) goes.
void fileProxyTransforms(AcDbDatabase* pDb);
// After a file is read: a proxy takes the matrix its dictionary keeps (its
// graphics were saved moved); an entity of a loaded class is transformed by
// it and the record goes, as the host does when the application returns.
void applyFiledTransforms(AcDbDatabase* pDb);
// The matrix record in the extension dictionary of the entity with this
// handle goes (the entity took the matrix).
void dropProxyTransform(AcDbDatabase* pDb, std::uint64_t handle);

// PROXYGRAPHICS: 1 (the default) saves the graphics of custom entities.
int proxyGraphicsSetting(AcDbDatabase* pDb);
bool setProxyGraphicsSetting(AcDbDatabase* pDb, int value);

}  // namespace dxf
}  // namespace hs

// Run-time classes of the database: objects, entities, symbol tables and
// records, the database and the filers, with the DXF names files use. The
// session registers them before any module loads, together with the
// database's command listeners (undo groups, the open-object check).
#include "db/dbimp.h"
#include "dbfiler.h"
#include "dbsymtb.h"
#include "hostsim/builtins.h"

#define HS_DB_CLASS(CLASS_NAME, PARENT, DXF, MAKE)                                                    \
    ACRX_DEFINE_MEMBERS(CLASS_NAME);                                                                  \
    void CLASS_NAME::rxInit() {                                                                       \
        ACRX_STATIC_CHECK(CLASS_NAME);                                                                \
        CLASS_NAME::gpDesc = newAcRxClass(HSRX_STR(CLASS_NAME), HSRX_STR(PARENT), AcDb::kDHL_CURRENT, \
                                          AcDb::kMReleaseCurrent, 0, MAKE, DXF, ACRX_T("hostsim"));   \
    }                                                                                                 \
    void CLASS_NAME::rxInit(AppNameChangeFuncPtr) {                                                   \
        CLASS_NAME::rxInit();                                                                         \
    }

namespace {
template <class T>
AcRxObject* make() {
    return new T();
}
}  // namespace

HS_DB_CLASS(AcDbObject, AcGiDrawable, nullptr, nullptr)
HS_DB_CLASS(AcDbEntity, AcDbObject, nullptr, nullptr)
HS_DB_CLASS(AcDbSymbolTable, AcDbObject, nullptr, nullptr)
HS_DB_CLASS(AcDbSymbolTableRecord, AcDbObject, nullptr, nullptr)
HS_DB_CLASS(AcDbBlockTable, AcDbSymbolTable, ACRX_T("TABLE"), &make<AcDbBlockTable>)
HS_DB_CLASS(AcDbLayerTable, AcDbSymbolTable, ACRX_T("TABLE"), &make<AcDbLayerTable>)
HS_DB_CLASS(AcDbLinetypeTable, AcDbSymbolTable, ACRX_T("TABLE"), &make<AcDbLinetypeTable>)
HS_DB_CLASS(AcDbBlockTableRecord, AcDbSymbolTableRecord, ACRX_T("BLOCK_RECORD"), &make<AcDbBlockTableRecord>)
HS_DB_CLASS(AcDbLayerTableRecord, AcDbSymbolTableRecord, ACRX_T("LAYER"), &make<AcDbLayerTableRecord>)
HS_DB_CLASS(AcDbLinetypeTableRecord, AcDbSymbolTableRecord, ACRX_T("LTYPE"), &make<AcDbLinetypeTableRecord>)
HS_DB_CLASS(AcDbDatabase, AcRxObject, nullptr, nullptr)
HS_DB_CLASS(AcDbIdMapping, AcRxObject, nullptr, nullptr)
HS_DB_CLASS(AcDbIdMappingIter, AcRxObject, nullptr, nullptr)

namespace hs {

void registerDbClasses() {
    // Classes whose parents are not database classes come first.
    AcRxDictionary* dict = acrxClassDictionary;
    const ACHAR* plain[][2] = {
        {ACRX_T("AcGiDrawable"), ACRX_T("AcRxObject")},
        {ACRX_T("AcDbDwgFiler"), ACRX_T("AcRxObject")},
        {ACRX_T("AcDbDxfFiler"), ACRX_T("AcRxObject")},
        {ACRX_T("AcDbHostApplicationServices"), ACRX_T("AcRxObject")},
    };
    for (auto& c : plain)
        if (dict == nullptr || !dict->has(c[0]))
            newAcRxClass(c[0], c[1]);
    AcDbObject::rxInit();
    AcDbEntity::rxInit();
    AcDbSymbolTable::rxInit();
    AcDbSymbolTableRecord::rxInit();
    AcDbBlockTable::rxInit();
    AcDbLayerTable::rxInit();
    AcDbLinetypeTable::rxInit();
    AcDbBlockTableRecord::rxInit();
    AcDbLayerTableRecord::rxInit();
    AcDbLinetypeTableRecord::rxInit();
    AcDbDatabase::rxInit();
    AcDbIdMapping::rxInit();
    AcDbIdMappingIter::rxInit();
    acrxBuildClassHierarchy();

    registerUndoListeners();
    registerOpenCheck();
}

}  // namespace hs

// Symbol tables: blocks, layers, linetypes, and their iterators.
#pragma once
#include "dbmain.h"

class AcDbSymbolTableRecord : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbSymbolTableRecord);
    Acad::ErrorStatus getName(ACHAR*& pName) const;  // caller frees with acdbFree
    Acad::ErrorStatus getName(const ACHAR*& pName) const;
    Acad::ErrorStatus setName(const ACHAR* pName);
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* pFiler) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* pFiler) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* pFiler) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* pFiler) const override;

protected:
    AcDbSymbolTableRecord();
    ~AcDbSymbolTableRecord() override;

private:
    struct Name;
    Name* m_pName;
};

class AcDbSymbolTableIterator {
public:
    virtual ~AcDbSymbolTableIterator();
    void start(bool atBeginning = true, bool skipDeleted = true);
    bool done() const;
    void step(bool forward = true, bool skipDeleted = true);
    Acad::ErrorStatus getRecordId(AcDbObjectId& id) const;
    Acad::ErrorStatus getRecord(AcDbSymbolTableRecord*& pRecord, AcDb::OpenMode openMode,
                                bool openErasedRec = false) const;

protected:
    friend class AcDbSymbolTable;
    friend class AcDbBlockTable;
    struct Imp;
    explicit AcDbSymbolTableIterator(Imp* pImp);
    Imp* m_pImp;
};

class AcDbSymbolTable : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbSymbolTable);
    bool has(const ACHAR* name) const;
    bool has(AcDbObjectId id) const;
    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbObjectId& recordId, bool getErasedRec = false) const;
    Acad::ErrorStatus add(AcDbSymbolTableRecord* pRecord);
    Acad::ErrorStatus add(AcDbObjectId& recordId, AcDbSymbolTableRecord* pRecord);
    Acad::ErrorStatus newIterator(AcDbSymbolTableIterator*& pIterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;

protected:
    AcDbSymbolTable();
    ~AcDbSymbolTable() override;
};

class AcDbBlockTableRecordIterator;

class AcDbBlockTableRecord : public AcDbSymbolTableRecord {
public:
    ACRX_DECLARE_MEMBERS(AcDbBlockTableRecord);
    AcDbBlockTableRecord();
    ~AcDbBlockTableRecord() override;
    Acad::ErrorStatus appendAcDbEntity(AcDbEntity* pEntity);
    Acad::ErrorStatus appendAcDbEntity(AcDbObjectId& pOutputId, AcDbEntity* pEntity);
    Acad::ErrorStatus newIterator(AcDbBlockTableRecordIterator*& pIterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;
    AcGePoint3d origin() const;
    Acad::ErrorStatus setOrigin(const AcGePoint3d& pt);
    bool isLayout() const;
    bool isAnonymous() const;
    enum BlockScaling { kAny = 0, kUniform = 1 };
    AcDb::UnitsValue blockInsertUnits() const;
    Acad::ErrorStatus setBlockInsertUnits(AcDb::UnitsValue insunits);
    bool explodable() const;
    Acad::ErrorStatus setExplodable(bool bExplodable);
    BlockScaling blockScaling() const;
    Acad::ErrorStatus setBlockScaling(BlockScaling blockScaling);
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* pFiler) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* pFiler) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* pFiler) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* pFiler) const override;

private:
    AcGePoint3d m_origin;
    Adesk::Int16 m_units = 0;
    bool m_explodable = true;
    Adesk::Int16 m_scaling = 0;
};

class AcDbBlockTableRecordIterator {
public:
    virtual ~AcDbBlockTableRecordIterator();
    void start(bool atBeginning = true, bool skipDeleted = true);
    bool done() const;
    void step(bool forward = true, bool skipDeleted = true);
    Acad::ErrorStatus getEntityId(AcDbObjectId& entityId) const;
    Acad::ErrorStatus getEntity(AcDbEntity*& pEntity, AcDb::OpenMode openMode,
                                bool openErasedEntity = false) const;
    Acad::ErrorStatus seek(AcDbObjectId id);
    Acad::ErrorStatus seek(const AcDbEntity* pEntity);

private:
    friend class AcDbBlockTableRecord;
    struct Imp;
    explicit AcDbBlockTableRecordIterator(Imp* pImp);
    Imp* m_pImp;
};

class AcDbBlockTableIterator : public AcDbSymbolTableIterator {
public:
    Acad::ErrorStatus getRecord(AcDbBlockTableRecord*& pRecord, AcDb::OpenMode openMode,
                                bool openErasedRec = false) const;

private:
    friend class AcDbBlockTable;
    explicit AcDbBlockTableIterator(Imp* pImp) : AcDbSymbolTableIterator(pImp) {}
};

class AcDbBlockTable : public AcDbSymbolTable {
public:
    ACRX_DECLARE_MEMBERS(AcDbBlockTable);
    AcDbBlockTable();
    ~AcDbBlockTable() override;
    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbBlockTableRecord*& pRec, AcDb::OpenMode openMode,
                            bool openErasedRec = false) const;
    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbObjectId& recordId, bool getErasedRec = false) const;
    Acad::ErrorStatus newIterator(AcDbBlockTableIterator*& pIterator, bool atBeginning = true,
                                  bool skipDeleted = true) const;
};

class AcDbLayerTableRecord : public AcDbSymbolTableRecord {
public:
    ACRX_DECLARE_MEMBERS(AcDbLayerTableRecord);
    AcDbLayerTableRecord();
    ~AcDbLayerTableRecord() override;
    AcCmColor color() const;
    void setColor(const AcCmColor& color);
    bool isOff() const;
    void setIsOff(bool off);
    bool isFrozen() const;
    Acad::ErrorStatus setIsFrozen(bool frozen);
    bool isLocked() const;
    void setIsLocked(bool locked);
    AcDbObjectId linetypeObjectId() const;
    // hostsim: the linetype without the read check (cloning needs it before opening).
    AcDbObjectId hsLinetypeId() const { return m_linetype; }
    Acad::ErrorStatus setLinetypeObjectId(AcDbObjectId id);
    AcDb::LineWeight lineWeight() const;
    Acad::ErrorStatus setLineWeight(AcDb::LineWeight weight);
    bool isPlottable() const;
    Acad::ErrorStatus setIsPlottable(bool plot);
    // Frozen in new viewports.
    bool VPDFLT() const;
    void setVPDFLT(bool frozen);
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* pFiler) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* pFiler) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* pFiler) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* pFiler) const override;

private:
    AcCmColor m_color;
    bool m_off = false;
    bool m_frozen = false;
    bool m_locked = false;
    AcDbObjectId m_linetype;
    AcDb::LineWeight m_lineWeight = AcDb::kLnWtByLwDefault;
    bool m_plottable = true;
    bool m_vpdflt = false;
    Adesk::Int16 m_otherFlags = 0;  // flags of group 70 that hostsim does not act on (xref bits)
    // The linetype a file named that its drawing does not have, or the file's
    // spelling of one it has when the entry's name differs in case only
    // ("continuous"): written back as it was.
    std::basic_string<ACHAR> m_missingLinetype;
};

class AcDbLayerTable : public AcDbSymbolTable {
public:
    ACRX_DECLARE_MEMBERS(AcDbLayerTable);
    AcDbLayerTable();
    ~AcDbLayerTable() override;
    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbLayerTableRecord*& pRec, AcDb::OpenMode openMode,
                            bool openErasedRec = false) const;
    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbObjectId& recordId, bool getErasedRec = false) const;
};

class AcDbLinetypeTableRecord : public AcDbSymbolTableRecord {
public:
    ACRX_DECLARE_MEMBERS(AcDbLinetypeTableRecord);
    AcDbLinetypeTableRecord();
    ~AcDbLinetypeTableRecord() override;
    Acad::ErrorStatus comments(const ACHAR*& pString) const;
    Acad::ErrorStatus setComments(const ACHAR* pString);
    double patternLength() const;
    void setPatternLength(double len);
    int numDashes() const;
    void setNumDashes(int count);
    double dashLengthAt(int index) const;
    void setDashLengthAt(int index, double value);
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* pFiler) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* pFiler) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* pFiler) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* pFiler) const override;

private:
    struct Data;
    Data* m_pData;
};

class AcDbLinetypeTable : public AcDbSymbolTable {
public:
    ACRX_DECLARE_MEMBERS(AcDbLinetypeTable);
    AcDbLinetypeTable();
    ~AcDbLinetypeTable() override;
    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbLinetypeTableRecord*& pRec, AcDb::OpenMode openMode,
                            bool openErasedRec = false) const;
    Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbObjectId& recordId, bool getErasedRec = false) const;
};

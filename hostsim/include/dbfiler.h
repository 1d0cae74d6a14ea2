// The DWG (typed binary) and DXF (group code) filers.
#pragma once
#include "adsdef.h"
#include "dbid.h"
#include "gepnt2d.h"
#include "gepnt3d.h"
#include "rxobject.h"

class AcDbDwgFiler : public AcRxObject {
public:
    static AcRxClass* desc();
    virtual Acad::ErrorStatus filerStatus() const = 0;
    virtual AcDb::FilerType filerType() const = 0;
    virtual void setFilerStatus(Acad::ErrorStatus es) = 0;
    virtual void resetFilerStatus() = 0;
    virtual AcDbDatabase* database() const = 0;

    virtual Acad::ErrorStatus readHardOwnershipId(AcDbObjectId* pVal) = 0;
    virtual Acad::ErrorStatus writeHardOwnershipId(const AcDbObjectId& val) = 0;
    virtual Acad::ErrorStatus readSoftOwnershipId(AcDbObjectId* pVal) = 0;
    virtual Acad::ErrorStatus writeSoftOwnershipId(const AcDbObjectId& val) = 0;
    virtual Acad::ErrorStatus readHardPointerId(AcDbObjectId* pVal) = 0;
    virtual Acad::ErrorStatus writeHardPointerId(const AcDbObjectId& val) = 0;
    virtual Acad::ErrorStatus readSoftPointerId(AcDbObjectId* pVal) = 0;
    virtual Acad::ErrorStatus writeSoftPointerId(const AcDbObjectId& val) = 0;

#if IRONVEIL_RELEASE >= 18
    virtual Acad::ErrorStatus readInt8(Adesk::Int8* pVal) = 0;
    virtual Acad::ErrorStatus writeInt8(Adesk::Int8 val) = 0;
    Acad::ErrorStatus readChar(Adesk::Int8* pVal) {
        return readInt8(pVal);
    }
    Acad::ErrorStatus writeChar(Adesk::Int8 val) {
        return writeInt8(val);
    }
#else
    virtual Acad::ErrorStatus readChar(char* pVal) = 0;
    virtual Acad::ErrorStatus writeChar(char val) = 0;
#endif
    virtual Acad::ErrorStatus readString(ACHAR** pVal) = 0;
    virtual Acad::ErrorStatus writeString(const ACHAR* pVal) = 0;
    virtual Acad::ErrorStatus readBChunk(ads_binary* pVal) = 0;
    virtual Acad::ErrorStatus writeBChunk(const ads_binary& val) = 0;
    virtual Acad::ErrorStatus readAcDbHandle(AcDbHandle* pVal) = 0;
    virtual Acad::ErrorStatus writeAcDbHandle(const AcDbHandle& val) = 0;
    virtual Acad::ErrorStatus readInt32(Adesk::Int32* pVal) = 0;
    virtual Acad::ErrorStatus writeInt32(Adesk::Int32 val) = 0;
    virtual Acad::ErrorStatus readInt16(Adesk::Int16* pVal) = 0;
    virtual Acad::ErrorStatus writeInt16(Adesk::Int16 val) = 0;
    virtual Acad::ErrorStatus readUInt32(Adesk::UInt32* pVal) = 0;
    virtual Acad::ErrorStatus writeUInt32(Adesk::UInt32 val) = 0;
    virtual Acad::ErrorStatus readUInt16(Adesk::UInt16* pVal) = 0;
    virtual Acad::ErrorStatus writeUInt16(Adesk::UInt16 val) = 0;
    virtual Acad::ErrorStatus readUInt8(Adesk::UInt8* pVal) = 0;
    virtual Acad::ErrorStatus writeUInt8(Adesk::UInt8 val) = 0;
    virtual Acad::ErrorStatus readBoolean(Adesk::Boolean* pVal) = 0;
    virtual Acad::ErrorStatus writeBoolean(Adesk::Boolean val) = 0;
    virtual Acad::ErrorStatus readBool(bool* pVal) = 0;
    virtual Acad::ErrorStatus writeBool(bool val) = 0;
    virtual Acad::ErrorStatus readDouble(double* pVal) = 0;
    virtual Acad::ErrorStatus writeDouble(double val) = 0;
    virtual Acad::ErrorStatus readPoint2d(AcGePoint2d* pVal) = 0;
    virtual Acad::ErrorStatus writePoint2d(const AcGePoint2d& val) = 0;
    virtual Acad::ErrorStatus readPoint3d(AcGePoint3d* pVal) = 0;
    virtual Acad::ErrorStatus writePoint3d(const AcGePoint3d& val) = 0;
    virtual Acad::ErrorStatus readVector3d(AcGeVector3d* pVal) = 0;
    virtual Acad::ErrorStatus writeVector3d(const AcGeVector3d& val) = 0;
    virtual Acad::ErrorStatus readBytes(void* pDest, Adesk::UInt32 nBytes) = 0;
    virtual Acad::ErrorStatus writeBytes(const void* pSrc, Adesk::UInt32 nBytes) = 0;

    Acad::ErrorStatus readItem(ACHAR** pVal) {
        return readString(pVal);
    }
    Acad::ErrorStatus writeItem(const ACHAR* val) {
        return writeString(val);
    }
    Acad::ErrorStatus readItem(Adesk::Int32* pVal) {
        return readInt32(pVal);
    }
    Acad::ErrorStatus writeItem(Adesk::Int32 val) {
        return writeInt32(val);
    }
    Acad::ErrorStatus readItem(Adesk::Int16* pVal) {
        return readInt16(pVal);
    }
    Acad::ErrorStatus writeItem(Adesk::Int16 val) {
        return writeInt16(val);
    }
    Acad::ErrorStatus readItem(Adesk::UInt32* pVal) {
        return readUInt32(pVal);
    }
    Acad::ErrorStatus writeItem(Adesk::UInt32 val) {
        return writeUInt32(val);
    }
    Acad::ErrorStatus readItem(Adesk::UInt16* pVal) {
        return readUInt16(pVal);
    }
    Acad::ErrorStatus writeItem(Adesk::UInt16 val) {
        return writeUInt16(val);
    }
    Acad::ErrorStatus readItem(Adesk::UInt8* pVal) {
        return readUInt8(pVal);
    }
    Acad::ErrorStatus writeItem(Adesk::UInt8 val) {
        return writeUInt8(val);
    }
#if !defined(_WIN32)
    // Adesk::Boolean is int, the same type as Int32 on Linux; the Boolean
    // overload exists on Windows only, where Int32 is long.
#else
    Acad::ErrorStatus readItem(Adesk::Boolean* pVal) {
        return readBoolean(pVal);
    }
    Acad::ErrorStatus writeItem(Adesk::Boolean val) {
        return writeBoolean(val);
    }
#endif
    Acad::ErrorStatus readItem(bool* pVal) {
        return readBool(pVal);
    }
    Acad::ErrorStatus writeItem(bool val) {
        return writeBool(val);
    }
    Acad::ErrorStatus readItem(double* pVal) {
        return readDouble(pVal);
    }
    Acad::ErrorStatus writeItem(double val) {
        return writeDouble(val);
    }
    Acad::ErrorStatus readItem(AcGePoint2d* pVal) {
        return readPoint2d(pVal);
    }
    Acad::ErrorStatus writeItem(const AcGePoint2d& val) {
        return writePoint2d(val);
    }
    Acad::ErrorStatus readItem(AcGePoint3d* pVal) {
        return readPoint3d(pVal);
    }
    Acad::ErrorStatus writeItem(const AcGePoint3d& val) {
        return writePoint3d(val);
    }
    Acad::ErrorStatus readItem(AcGeVector3d* pVal) {
        return readVector3d(pVal);
    }
    Acad::ErrorStatus writeItem(const AcGeVector3d& val) {
        return writeVector3d(val);
    }
    Acad::ErrorStatus readItem(AcDbHandle* pVal) {
        return readAcDbHandle(pVal);
    }
    Acad::ErrorStatus writeItem(const AcDbHandle& val) {
        return writeAcDbHandle(val);
    }
};

class AcDbDxfFiler : public AcRxObject {
public:
    static AcRxClass* desc();
    enum { kDfltPrec = -1, kMaxPrec = 16 };

    virtual Acad::ErrorStatus filerStatus() const = 0;
    virtual AcDb::FilerType filerType() const = 0;
    virtual void resetFilerStatus() = 0;
    virtual AcDbDatabase* database() const = 0;
    virtual int rewindFiler() = 0;
    virtual Acad::ErrorStatus setError(Acad::ErrorStatus es, const ACHAR* fmt, ...);
    virtual Acad::ErrorStatus setError(const ACHAR* fmt, ...);
    virtual const ACHAR* errorMessage() const;

    virtual Acad::ErrorStatus readResBuf(resbuf* pRb) = 0;
    Acad::ErrorStatus readItem(resbuf* pItem) { return readResBuf(pItem); }
    virtual Acad::ErrorStatus writeResBuf(const resbuf& rb) = 0;
    Acad::ErrorStatus writeItem(const resbuf& rb) { return writeResBuf(rb); }
    virtual Acad::ErrorStatus pushBackItem() = 0;

    virtual Acad::ErrorStatus writeObjectId(AcDb::DxfCode code, const AcDbObjectId& id) = 0;
    virtual Acad::ErrorStatus writeInt8(AcDb::DxfCode code, Adesk::Int8 val) = 0;
    virtual Acad::ErrorStatus writeString(AcDb::DxfCode code, const ACHAR* pVal) = 0;
    virtual Acad::ErrorStatus writeInt32(AcDb::DxfCode code, Adesk::Int32 val) = 0;
    virtual Acad::ErrorStatus writeInt16(AcDb::DxfCode code, Adesk::Int16 val) = 0;
    virtual Acad::ErrorStatus writeUInt32(AcDb::DxfCode code, Adesk::UInt32 val) = 0;
    virtual Acad::ErrorStatus writeUInt16(AcDb::DxfCode code, Adesk::UInt16 val) = 0;
    virtual Acad::ErrorStatus writeUInt8(AcDb::DxfCode code, Adesk::UInt8 val) = 0;
    virtual Acad::ErrorStatus writeBool(AcDb::DxfCode code, bool val) = 0;
    virtual Acad::ErrorStatus writeDouble(AcDb::DxfCode code, double val, int prec = kDfltPrec) = 0;
    virtual Acad::ErrorStatus writePoint2d(AcDb::DxfCode code, const AcGePoint2d& val,
                                           int prec = kDfltPrec) = 0;
    virtual Acad::ErrorStatus writePoint3d(AcDb::DxfCode code, const AcGePoint3d& val,
                                           int prec = kDfltPrec) = 0;
    virtual Acad::ErrorStatus writeVector3d(AcDb::DxfCode code, const AcGeVector3d& val,
                                            int prec = kDfltPrec) = 0;
    virtual Acad::ErrorStatus writeAcDbHandle(AcDb::DxfCode code, const AcDbHandle& val) = 0;

    Acad::ErrorStatus writeItem(AcDb::DxfCode dc, const ACHAR* val) { return writeString(dc, val); }
    Acad::ErrorStatus writeItem(AcDb::DxfCode dc, Adesk::Int32 val) { return writeInt32(dc, val); }
    Acad::ErrorStatus writeItem(AcDb::DxfCode dc, Adesk::Int16 val) { return writeInt16(dc, val); }
    Acad::ErrorStatus writeItem(AcDb::DxfCode dc, Adesk::UInt32 val) { return writeUInt32(dc, val); }
    Acad::ErrorStatus writeItem(AcDb::DxfCode dc, Adesk::UInt16 val) { return writeUInt16(dc, val); }
    Acad::ErrorStatus writeItem(AcDb::DxfCode dc, Adesk::UInt8 val) { return writeUInt8(dc, val); }
    Acad::ErrorStatus writeItem(AcDb::DxfCode dc, bool val) { return writeBool(dc, val); }
    Acad::ErrorStatus writeItem(AcDb::DxfCode dc, double val, int prec = kDfltPrec) {
        return writeDouble(dc, val, prec);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode dc, const AcGePoint2d& val, int prec = kDfltPrec) {
        return writePoint2d(dc, val, prec);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode dc, const AcGePoint3d& val, int prec = kDfltPrec) {
        return writePoint3d(dc, val, prec);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode dc, const AcGeVector3d& val, int prec = kDfltPrec) {
        return writeVector3d(dc, val, prec);
    }
    Acad::ErrorStatus writeItem(AcDb::DxfCode dc, const AcDbObjectId& id) { return writeObjectId(dc, id); }
    Acad::ErrorStatus writeItem(AcDb::DxfCode dc, const AcDbHandle& h) { return writeAcDbHandle(dc, h); }

    virtual bool atEOF() = 0;
    virtual bool atSubclassData(const ACHAR* subClassName) = 0;
    virtual bool atExtendedData() = 0;
    virtual bool atEndOfObject() = 0;
    virtual bool atEmbeddedObjectStart() = 0;
    virtual Acad::ErrorStatus writeEmbeddedObjectStart() = 0;
    virtual bool includesDefaultValues() const = 0;
};

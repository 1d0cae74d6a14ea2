// The DXF filer: a list of group-code items that an object writes to or
// reads from. The DXF file reader turns the tags of one object into items and
// feeds them to the object; the writer drains what the object wrote and
// formats it. Tests build a filer from (code, value) pairs and read back what
// an object wrote. Doubles are kept as doubles, so they round-trip exactly.
#pragma once
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dbfiler.h"

namespace hs {

// The second word of the name the DXF filer gives an object id group in a
// result buffer (the first holds the id): acdbGetObjectId takes it, as
// modules read pointer groups in dxfInFields that way.
constexpr long kFilerIdNameTag = 0x464944;  // "FID"

// What a group code holds, after the DXF reference's code ranges.
enum class DxfKind { kString, kHandle, kReal, kPoint, kInt16, kInt32, kInt64, kBool, kBinary, kObjectId };
DxfKind dxfKindOf(int code);
// True for the x code of a point (10..18, 110..112, 210, 1010..1013); its
// y and z follow as code + 10 and code + 20.
bool dxfIsPointCode(int code);

struct DxfItem {
    int code = 0;
    std::string text;       // strings (UTF-8); handles in upper-case hex; binary data in hex
    double real = 0.0;      // kReal
    AcGePoint3d point;      // kPoint
    long long integer = 0;  // kInt16, kInt32, kInt64, kBool; the handle's value when read from a file
    AcDbObjectId id;        // kObjectId, once known (text holds the handle)
    int dims = 3;           // kPoint: 2 when the file gave no z (e.g. polyline vertices)
    bool used = false;      // taken by the object reading it (read and not pushed back)
    bool raw = false;       // its value did not parse: never handed to a reader

    static DxfItem str(int code, const std::string& utf8);
    static DxfItem dbl(int code, double v);
    static DxfItem pt(int code, const AcGePoint3d& p);
    static DxfItem num(int code, long long v);
    static DxfItem handle(int code, const std::string& hex);
    // The value as the text of a DXF file line (doubles in shortest exact form).
    std::string valueText() const;
};

// File tags (code, text) to items: the x, y and z tags of a point become one
// item. Returns false and a message for a value that does not parse.
bool itemsFromTags(const std::vector<std::pair<int, std::string>>& tags, std::vector<DxfItem>& items,
                   std::string* pError = nullptr);
// Items to file tags: a point gives its x, y and z tags (z only for 3d codes).
std::vector<std::pair<int, std::string>> tagsFromItems(const std::vector<DxfItem>& items);
std::string formatDxfDouble(double v);
// True when the host text equals the UTF-8 text; no conversion for ASCII.
bool sameText(const std::string& utf8, const ACHAR* text);

class DxfFiler : public AcDbDxfFiler {
public:
    explicit DxfFiler(AcDb::FilerType type = AcDb::kFileFiler, AcDbDatabase* pDb = nullptr,
                      std::vector<DxfItem> items = {});
    ~DxfFiler() override;

    // Writes append to the list; reads take items from the read position.
    const std::vector<DxfItem>& items() const { return m_items; }
    std::vector<DxfItem>& items() { return m_items; }
    std::size_t position() const { return m_pos; }
    void setPosition(std::size_t pos) { m_pos = pos; }
    void setDatabase(AcDbDatabase* pDb) { m_pDb = pDb; }
    // Makes the filer empty and at its start for the next object: no items,
    // status eOk, and the strings handed out for the previous object released.
    void reuse(AcDbDatabase* pDb);
    // "code value" lines of the items, for tests and messages.
    std::vector<std::string> describe() const;

    Acad::ErrorStatus filerStatus() const override { return m_status; }
    AcDb::FilerType filerType() const override { return m_type; }
    void resetFilerStatus() override;
    AcDbDatabase* database() const override { return m_pDb; }
    int rewindFiler() override;
    Acad::ErrorStatus setError(Acad::ErrorStatus es, const ACHAR* fmt, ...) override;
    Acad::ErrorStatus setError(const ACHAR* fmt, ...) override;
    const ACHAR* errorMessage() const override { return m_error.c_str(); }

    Acad::ErrorStatus readResBuf(resbuf* pRb) override;
    // readResBuf without the fault site: the host's own base-class readers use it.
    Acad::ErrorStatus readResBufQuiet(resbuf* pRb);
    Acad::ErrorStatus writeResBuf(const resbuf& rb) override;
    Acad::ErrorStatus pushBackItem() override;
    // Reading a record of a file: a reader that meets a group it does not
    // model leaves it unused (the file reader keeps it) and reads on, where
    // it would otherwise push it back and end. An embedded object's start
    // ends this: the embedded object's reader must end at its last group.
    void setLeavingUnknown(bool leave) { m_leaveUnknown = leave; }
    bool leavesUnknown() const { return m_leaveUnknown; }
    // The item just read is not the reader's own: it stays unused.
    void leaveLastItem();

    Acad::ErrorStatus writeObjectId(AcDb::DxfCode code, const AcDbObjectId& id) override;
    Acad::ErrorStatus writeInt8(AcDb::DxfCode code, Adesk::Int8 val) override;
    Acad::ErrorStatus writeString(AcDb::DxfCode code, const ACHAR* pVal) override;
    Acad::ErrorStatus writeInt32(AcDb::DxfCode code, Adesk::Int32 val) override;
    Acad::ErrorStatus writeInt16(AcDb::DxfCode code, Adesk::Int16 val) override;
    Acad::ErrorStatus writeUInt32(AcDb::DxfCode code, Adesk::UInt32 val) override;
    Acad::ErrorStatus writeUInt16(AcDb::DxfCode code, Adesk::UInt16 val) override;
    Acad::ErrorStatus writeUInt8(AcDb::DxfCode code, Adesk::UInt8 val) override;
    Acad::ErrorStatus writeBool(AcDb::DxfCode code, bool val) override;
    Acad::ErrorStatus writeDouble(AcDb::DxfCode code, double val, int prec = kDfltPrec) override;
    Acad::ErrorStatus writePoint2d(AcDb::DxfCode code, const AcGePoint2d& val, int prec = kDfltPrec) override;
    Acad::ErrorStatus writePoint3d(AcDb::DxfCode code, const AcGePoint3d& val, int prec = kDfltPrec) override;
    Acad::ErrorStatus writeVector3d(AcDb::DxfCode code, const AcGeVector3d& val,
                                    int prec = kDfltPrec) override;
    Acad::ErrorStatus writeAcDbHandle(AcDb::DxfCode code, const AcDbHandle& val) override;

    bool atEOF() override;
    bool atSubclassData(const ACHAR* subClassName) override;
    bool atExtendedData() override;
    bool atEndOfObject() override;
    bool atEmbeddedObjectStart() override;
    Acad::ErrorStatus writeEmbeddedObjectStart() override;
    bool includesDefaultValues() const override { return false; }

private:
    static constexpr std::size_t kStringBlock = 16384;  // characters

    Acad::ErrorStatus put(const char* site, DxfItem item);
    // A copy of the text for a result buffer, valid until reuse() or the
    // filer's end.
    ACHAR* keepString(const std::string& utf8);

    AcDb::FilerType m_type;
    AcDbDatabase* m_pDb;
    Acad::ErrorStatus m_status = Acad::eOk;
    std::vector<DxfItem> m_items;
    std::size_t m_pos = 0;
    bool m_canPushBack = false;
    bool m_leaveUnknown = false;
    std::basic_string<ACHAR> m_error;
    // Strings handed out in result buffers: copied into large blocks, so that
    // handing one out costs no allocation of its own.
    std::vector<std::unique_ptr<ACHAR[]>> m_stringBlocks;
    std::size_t m_blockUsed = 0;  // in the last block
    std::size_t m_blockSize = 0;  // of the last block
    std::deque<std::basic_string<ACHAR>> m_longStrings;
    std::deque<std::string> m_chunks;
};

}  // namespace hs

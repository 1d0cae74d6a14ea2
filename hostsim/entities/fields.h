// An entity's own filed values as a table: group code, kind, default and
// whether the group may be left out of DXF. The same table drives DWG filing
// (values in table order, angles in radians) and DXF filing (subclass markers
// and groups in table order, angles in degrees; reading accepts the groups in
// any order; a group that is not the entity's own is left unread for the file
// reader to keep, and reading goes on to the extended data or an embedded
// object; an old elevation group (38) becomes the z of the first point).
#pragma once
#include <functional>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include "dbfiler.h"
#include "dbmain.h"

namespace hs {

class EntityFields {
public:
    enum Kind { kMarker, kReal, kAngle, kPoint, kVector, kInt16, kText };
    struct Field {
        int code = 0;
        Kind kind = kReal;
        void* pValue = nullptr;
        bool optional = false;
        double realDefault = 0.0;
        AcGeVector3d vectorDefault;
        Adesk::Int16 intDefault = 0;
        const char* textDefault = "";  // also the marker's subclass name
    };

    EntityFields& marker(const char* subclassName);
    EntityFields& real(int code, double& value, bool optional = false, double dflt = 0.0);
    // Radians in memory and DWG, degrees in DXF.
    EntityFields& angle(int code, double& value, bool optional = false);
    // An optional point is left out of DXF at the origin.
    EntityFields& point(int code, AcGePoint3d& value, bool optional = false);
    EntityFields& vector(int code, AcGeVector3d& value, bool optional = false,
                         const AcGeVector3d& dflt = AcGeVector3d::kZAxis);
    EntityFields& int16(int code, Adesk::Int16& value, bool optional = false, Adesk::Int16 dflt = 0);
    EntityFields& text(int code, std::basic_string<ACHAR>& value, bool optional = false,
                       const char* dflt = "");

    Acad::ErrorStatus dwgOut(AcDbDwgFiler* pFiler) const;
    Acad::ErrorStatus dwgIn(AcDbDwgFiler* pFiler);
    // Markers and groups in table order; optional groups holding their default are left out.
    Acad::ErrorStatus dxfOut(AcDbDxfFiler* pFiler) const;
    // Sets every optional value to its default, then reads groups in any order.
    // A group that is none of the table's is offered to `extra`; if that does
    // not take it either, it is left unread (the file reader keeps it) and
    // reading goes on. Extended data (1000 and up) and an embedded object
    // (101) end the reading.
    Acad::ErrorStatus dxfIn(AcDbDxfFiler* pFiler, const std::function<bool(const resbuf&)>& extra = nullptr);

private:
    // The table is built for every filing call: its first fields live in the
    // object itself, so building it allocates nothing.
    class FieldList {
    public:
        FieldList() = default;
        FieldList(const FieldList&) = delete;
        FieldList& operator=(const FieldList&) = delete;
        void push_back(const Field& f) {
            if (m_count < kInline && m_spill.empty()) {
                new (&m_inline[m_count]) Field(f);
            } else {
                if (m_spill.empty())
                    m_spill.assign(begin(), end());
                m_spill.push_back(f);
            }
            ++m_count;
        }
        Field* begin() { return m_spill.empty() ? reinterpret_cast<Field*>(m_inline) : m_spill.data(); }
        Field* end() { return begin() + m_count; }
        const Field* begin() const {
            return m_spill.empty() ? reinterpret_cast<const Field*>(m_inline) : m_spill.data();
        }
        const Field* end() const { return begin() + m_count; }
        Field& back() { return begin()[m_count - 1]; }

    private:
        static constexpr std::size_t kInline = 20;
        std::size_t m_count = 0;
        // Raw storage: fields are trivially destructible and made on demand.
        struct alignas(Field) Slot {
            unsigned char bytes[sizeof(Field)];
        };
        Slot m_inline[kInline];
        std::vector<Field> m_spill;
    };
    static_assert(std::is_trivially_destructible<Field>::value, "fields are kept in raw storage");

    EntityFields& add(const Field& f);
    FieldList m_fields;
};

// The subclass marker of the DXF groups that follow (AcDbText writes two).
Acad::ErrorStatus writeMarker(AcDbDxfFiler* pFiler, const char* subclassName);

}  // namespace hs

namespace hs {

// The four filing operations of an entity whose own data is a value table:
// the base class's data first, then the table. `toFile` and `fromFile`
// convert the values between memory and the DXF form (plane coordinates).
template <class Base, class E, class D>
Acad::ErrorStatus dwgOutEntity(const E* pEnt, AcDbDwgFiler* pFiler, D d, void (*fields)(D&, EntityFields&)) {
    pEnt->assertReadEnabled();
    Acad::ErrorStatus es = pEnt->Base::dwgOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    EntityFields f;
    fields(d, f);
    return f.dwgOut(pFiler);
}

template <class Base, class E, class D>
Acad::ErrorStatus dwgInEntity(E* pEnt, AcDbDwgFiler* pFiler, D& d, void (*fields)(D&, EntityFields&)) {
    pEnt->assertWriteEnabled();
    Acad::ErrorStatus es = pEnt->Base::dwgInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    EntityFields f;
    fields(d, f);
    return f.dwgIn(pFiler);
}

template <class Base, class E, class D>
Acad::ErrorStatus dxfOutEntity(const E* pEnt, AcDbDxfFiler* pFiler, D d, void (*fields)(D&, EntityFields&),
                               void (*toFile)(D&) = nullptr) {
    pEnt->assertReadEnabled();
    Acad::ErrorStatus es = pEnt->Base::dxfOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    if (toFile != nullptr)
        toFile(d);
    EntityFields f;
    fields(d, f);
    return f.dxfOut(pFiler);
}

template <class Base, class E, class D>
Acad::ErrorStatus dxfInEntity(E* pEnt, AcDbDxfFiler* pFiler, D& d, void (*fields)(D&, EntityFields&),
                              void (*fromFile)(D&) = nullptr) {
    pEnt->assertWriteEnabled();
    Acad::ErrorStatus es = pEnt->Base::dxfInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    D read = d;
    EntityFields f;
    fields(read, f);
    es = f.dxfIn(pFiler);
    if (es != Acad::eOk)
        return es;
    if (fromFile != nullptr)
        fromFile(read);
    d = read;
    return Acad::eOk;
}

}  // namespace hs

// AcDbMText: paragraph text with formatting codes, placed by an attachment
// point at its location. hostsim draws each line of the plain text.
#include <algorithm>

#include "common.h"
#include "dbents.h"
#include "fields.h"
#include "hostsim/text.h"

namespace {
// Lines are 5/3 of the text height apart, the host's default spacing.
constexpr double kLineSpacing = 5.0 / 3.0;
// DXF carries the contents in pieces of at most this many characters.
constexpr size_t kChunk = 250;
}  // namespace

AcDbMText::AcDbMText() {
    m_d.style = hs::fromUtf8("Standard");
}

AcDbMText::~AcDbMText() {}

AcGePoint3d AcDbMText::location() const {
    assertReadEnabled();
    return m_d.location;
}

Acad::ErrorStatus AcDbMText::setLocation(const AcGePoint3d& pt) {
    assertWriteEnabled();
    m_d.location = pt;
    return Acad::eOk;
}

AcGeVector3d AcDbMText::normal() const {
    assertReadEnabled();
    return m_d.normal;
}

Acad::ErrorStatus AcDbMText::setNormal(const AcGeVector3d& normal) {
    if (normal.length() == 0.0)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.normal = normal.normal();
    return Acad::eOk;
}

AcGeVector3d AcDbMText::direction() const {
    assertReadEnabled();
    return m_d.direction;
}

Acad::ErrorStatus AcDbMText::setDirection(const AcGeVector3d& dir) {
    if (dir.length() == 0.0)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.direction = dir.normal();
    return Acad::eOk;
}

double AcDbMText::rotation() const {
    assertReadEnabled();
    return hs::planeAngle(m_d.direction, m_d.normal);
}

Acad::ErrorStatus AcDbMText::setRotation(double angle) {
    assertWriteEnabled();
    m_d.direction = hs::planeDirection(angle, m_d.normal);
    return Acad::eOk;
}

double AcDbMText::width() const {
    assertReadEnabled();
    return m_d.width;
}

Acad::ErrorStatus AcDbMText::setWidth(double width) {
    if (width < 0.0)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.width = width;
    return Acad::eOk;
}

double AcDbMText::textHeight() const {
    assertReadEnabled();
    return m_d.height;
}

Acad::ErrorStatus AcDbMText::setTextHeight(double height) {
    if (!(height > 0.0))
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.height = height;
    return Acad::eOk;
}

AcDbMText::AttachmentPoint AcDbMText::attachment() const {
    assertReadEnabled();
    return static_cast<AttachmentPoint>(m_d.attachment);
}

Acad::ErrorStatus AcDbMText::setAttachment(AttachmentPoint type) {
    if (type < kTopLeft || type > kBottomRight)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.attachment = static_cast<Adesk::Int16>(type);
    return Acad::eOk;
}

ACHAR* AcDbMText::contents() const {
    assertReadEnabled();
    return hs::newString(m_d.contents.c_str());
}

int AcDbMText::setContents(const ACHAR* text) {
    assertWriteEnabled();
    m_d.contents = text != nullptr ? text : hs::tstring();
    return static_cast<int>(m_d.contents.size());
}

// Formatting codes removed: \P and line ends break lines; \X...; groups
// (font, height, width, colour ...) and braces vanish; \\ \{ \} are literal.
static std::vector<hs::tstring> plainLines(const hs::tstring& s) {
    std::vector<hs::tstring> lines(1);
    for (size_t i = 0; i < s.size(); ++i) {
        ACHAR c = s[i];
        if (c == '{' || c == '}')
            continue;
        if (c == '\n') {
            lines.emplace_back();
            continue;
        }
        if (c != '\\' || i + 1 >= s.size()) {
            lines.back() += (c == '~') ? ACHAR(' ') : c;
            continue;
        }
        ACHAR code = s[++i];
        switch (code) {
            case 'P':
                lines.emplace_back();
                break;
            case '\\':
            case '{':
            case '}':
                lines.back() += code;
                break;
            case 'L':
            case 'l':
            case 'O':
            case 'o':
            case 'K':
            case 'k':
                break;
            default: {
                size_t end = s.find(ACHAR(';'), i);
                i = (end == hs::tstring::npos) ? s.size() : end;
            }
        }
    }
    return lines;
}

std::vector<std::string> AcDbMText::hsPlainLines() const {
    assertReadEnabled();
    std::vector<std::string> out;
    for (const hs::tstring& line : plainLines(m_d.contents))
        out.push_back(hs::toUtf8(line));
    return out;
}

void AcDbMText::hsFields(Data& d, hs::EntityFields& f) {
    f.point(10, d.location).real(40, d.height).real(41, d.width).int16(71, d.attachment);
    f.int16(72, d.flow, true, 1);
}

AcDb::LineSpacingStyle AcDbMText::lineSpacingStyle() const {
    assertReadEnabled();
    return m_d.lineSpacingStyle == AcDb::kExactly ? AcDb::kExactly : AcDb::kAtLeast;
}

Acad::ErrorStatus AcDbMText::setLineSpacingStyle(AcDb::LineSpacingStyle eStyle) {
    if (eStyle != AcDb::kAtLeast && eStyle != AcDb::kExactly)
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.lineSpacingStyle = static_cast<Adesk::Int16>(eStyle);
    return Acad::eOk;
}

double AcDbMText::lineSpacingFactor() const {
    assertReadEnabled();
    return m_d.lineSpacingFactor;
}

// The host takes factors from 0.25 to 4.
Acad::ErrorStatus AcDbMText::setLineSpacingFactor(double dFactor) {
    if (!(dFactor >= 0.25 && dFactor <= 4.0))
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.lineSpacingFactor = dFactor;
    return Acad::eOk;
}

bool AcDbMText::backgroundFillOn() const {
    assertReadEnabled();
    return (m_d.backgroundFlags & 1) != 0;
}

Acad::ErrorStatus AcDbMText::setBackgroundFill(bool enable) {
    assertWriteEnabled();
    m_d.backgroundFlags = enable ? (m_d.backgroundFlags | 1) : (m_d.backgroundFlags & ~1);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::getBackgroundFillColor(AcCmColor& color) const {
    assertReadEnabled();
    color = m_d.backgroundColor;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setBackgroundFillColor(const AcCmColor& color) {
    assertWriteEnabled();
    m_d.backgroundColor = color;
    return Acad::eOk;
}

bool AcDbMText::useBackgroundColorOn() const {
    assertReadEnabled();
    return (m_d.backgroundFlags & 2) != 0;
}

Acad::ErrorStatus AcDbMText::setUseBackgroundColor(bool enable) {
    assertWriteEnabled();
    m_d.backgroundFlags = enable ? (m_d.backgroundFlags | 2) : (m_d.backgroundFlags & ~2);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::getBackgroundScaleFactor(double& scale) const {
    assertReadEnabled();
    scale = m_d.backgroundScale;
    return Acad::eOk;
}

// The border around the text: 1 to 5 times the text height.
Acad::ErrorStatus AcDbMText::setBackgroundScaleFactor(const double scale) {
    if (!(scale >= 1.0 && scale <= 5.0))
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.backgroundScale = scale;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::getBackgroundTransparency(AcCmTransparency& transp) const {
    assertReadEnabled();
    transp = m_d.backgroundTransparency;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::setBackgroundTransparency(const AcCmTransparency& transp) {
    if (transp.isInvalid())
        return Acad::eInvalidInput;
    assertWriteEnabled();
    m_d.backgroundTransparency = transp;
    return Acad::eOk;
}

// Pieces of at most kChunk characters that do not split a character.
static std::vector<hs::tstring> chunksOf(const hs::tstring& s) {
    std::vector<hs::tstring> chunks;
    size_t pos = 0;
    while (s.size() - pos > kChunk) {
        size_t len = 0;
        while (len < kChunk) {
            unsigned long c = static_cast<unsigned long>(s[pos + len]) & (HOSTSIM_WIDE ? ~0UL : 0xFFUL);
            // A lead byte of a double-byte character, or a high surrogate, takes two units.
            size_t step = (HOSTSIM_WIDE ? (c >= 0xD800 && c <= 0xDBFF) : (c >= 0x81)) ? 2 : 1;
            if (len + step > kChunk)
                break;
            len += step;
        }
        chunks.push_back(s.substr(pos, len));
        pos += len;
    }
    chunks.push_back(s.substr(pos));
    return chunks;
}

Acad::ErrorStatus AcDbMText::dwgOutFields(AcDbDwgFiler* pFiler) const {
    Acad::ErrorStatus es = hs::dwgOutEntity<AcDbEntity>(this, pFiler, m_d, &hsFields);
    if (es != Acad::eOk)
        return es;
    pFiler->writeString(m_d.contents.c_str());
    pFiler->writeString(m_d.style.c_str());
    pFiler->writeVector3d(m_d.normal);
    pFiler->writeVector3d(m_d.direction);
    pFiler->writeDouble(m_d.lineSpacingFactor);
    pFiler->writeInt16(m_d.lineSpacingStyle);
    pFiler->writeInt32(m_d.backgroundFlags);
    m_d.backgroundColor.dwgOut(pFiler);
    pFiler->writeDouble(m_d.backgroundScale);
    pFiler->writeUInt32(m_d.backgroundTransparency.serializeOut());
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbMText::dwgInFields(AcDbDwgFiler* pFiler) {
    Acad::ErrorStatus es = hs::dwgInEntity<AcDbEntity>(this, pFiler, m_d, &hsFields);
    if (es != Acad::eOk)
        return es;
    for (hs::tstring* pText : {&m_d.contents, &m_d.style}) {
        ACHAR* p = nullptr;
        if (pFiler->readString(&p) == Acad::eOk && p != nullptr)
            *pText = p;
        acdbFree(p);
    }
    pFiler->readVector3d(&m_d.normal);
    pFiler->readVector3d(&m_d.direction);
    pFiler->readDouble(&m_d.lineSpacingFactor);
    pFiler->readInt16(&m_d.lineSpacingStyle);
    pFiler->readInt32(&m_d.backgroundFlags);
    m_d.backgroundColor.dwgIn(pFiler);
    pFiler->readDouble(&m_d.backgroundScale);
    Adesk::UInt32 transparency = 0;
    pFiler->readUInt32(&transparency);
    m_d.backgroundTransparency.serializeIn(transparency);
    return pFiler->filerStatus();
}

// DXF: the table, the contents (groups 3 then a last 1), 7 style, 210, 11.
Acad::ErrorStatus AcDbMText::dxfOutFields(AcDbDxfFiler* pFiler) const {
    assertReadEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(pFiler);
    if (es != Acad::eOk)
        return es;
    Data d = m_d;
    hs::EntityFields f;
    f.marker("AcDbMText");
    hsFields(d, f);
    if ((es = f.dxfOut(pFiler)) != Acad::eOk)
        return es;
    std::vector<hs::tstring> chunks = chunksOf(d.contents);
    for (size_t i = 0; i < chunks.size(); ++i)
        if ((es = pFiler->writeString(i + 1 < chunks.size() ? 3 : 1, chunks[i].c_str())) != Acad::eOk)
            return es;
    hs::EntityFields tail;
    tail.text(7, d.style, true, "Standard").vector(210, d.normal, true).vector(11, d.direction);
    tail.int16(73, d.lineSpacingStyle).real(44, d.lineSpacingFactor);
    if ((es = tail.dxfOut(pFiler)) != Acad::eOk)
        return es;
    if (d.backgroundFlags == 0)
        return pFiler->filerStatus();
    pFiler->writeInt32(static_cast<AcDb::DxfCode>(90), d.backgroundFlags);
    const AcCmColor& c = d.backgroundColor;
    if (!c.isByColor() || (c.colorIndex() >= 1 && c.colorIndex() <= 255))
        pFiler->writeInt16(static_cast<AcDb::DxfCode>(63), static_cast<Adesk::Int16>(c.colorIndex()));
    if (c.isByColor()) {
        pFiler->writeInt32(static_cast<AcDb::DxfCode>(421),
                           (Adesk::Int32(c.red()) << 16) | (Adesk::Int32(c.green()) << 8) | c.blue());
        if (*c.colorName() != 0) {
            hs::tstring name = hs::tstring(c.bookName()) + ACRX_T("$") + c.colorName();
            pFiler->writeString(static_cast<AcDb::DxfCode>(431), name.c_str());
        }
    }
    pFiler->writeDouble(static_cast<AcDb::DxfCode>(45), d.backgroundScale);
    if (!d.backgroundTransparency.isByLayer())
        pFiler->writeInt32(static_cast<AcDb::DxfCode>(441),
                           static_cast<Adesk::Int32>(d.backgroundTransparency.serializeOut()));
    return pFiler->filerStatus();
}

Acad::ErrorStatus AcDbMText::dxfInFields(AcDbDxfFiler* pFiler) {
    assertWriteEnabled();
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(pFiler);
    if (es != Acad::eOk)
        return es;
    Data d;
    hs::EntityFields f;
    f.marker("AcDbMText");
    hsFields(d, f);
    f.text(7, d.style, true, "Standard").vector(210, d.normal, true);
    hs::tstring pieces, last;
    bool haveDirection = false;
    bool inColumns = false;
    double rotation = 0.0;
    auto extra = [&](const resbuf& rb) {
        switch (rb.restype) {
            case 1:
            case 3:
                (rb.restype == 3 ? pieces : last) +=
                    rb.resval.rstring != nullptr ? rb.resval.rstring : hs::tstring();
                return true;
            case 11:
                d.direction = AcGeVector3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]);
                haveDirection = true;
                return true;
            case 50:  // degrees; a direction (11) wins over it. In column data, a column's height.
                if (inColumns)
                    return false;
                rotation = rb.resval.rreal * hs::kPi / 180.0;
                return true;
            case 75:  // column data (75-79, 48-50) follows; kept by the file reader
                inColumns = true;
                return false;
            case 44:
                d.lineSpacingFactor = rb.resval.rreal;
                return true;
            case 73:
                d.lineSpacingStyle = rb.resval.rint;
                return true;
            case 90:
                d.backgroundFlags = static_cast<Adesk::Int32>(rb.resval.rlong);
                return true;
            case 63: {
                AcCmColor old = d.backgroundColor;
                d.backgroundColor.setColorIndex(static_cast<Adesk::UInt16>(
                    rb.resval.rint < 0 || rb.resval.rint > 256 ? 256 : rb.resval.rint));
                if (old.isByColor()) {
                    d.backgroundColor.setRGB(old.red(), old.green(), old.blue());
                    d.backgroundColor.setNames(old.colorName(), old.bookName());
                }
                return true;
            }
            case 421: {
                AcCmColor old = d.backgroundColor;
                d.backgroundColor.setRGB(static_cast<Adesk::UInt8>(rb.resval.rlong >> 16),
                                         static_cast<Adesk::UInt8>(rb.resval.rlong >> 8),
                                         static_cast<Adesk::UInt8>(rb.resval.rlong));
                d.backgroundColor.setNames(old.colorName(), old.bookName());
                return true;
            }
            case 431: {
                hs::tstring text = rb.resval.rstring != nullptr ? rb.resval.rstring : ACRX_T("");
                size_t dollar = text.find(ACHAR('$'));
                if (dollar == hs::tstring::npos)
                    d.backgroundColor.setNames(text.c_str());
                else
                    d.backgroundColor.setNames(text.substr(dollar + 1).c_str(),
                                               text.substr(0, dollar).c_str());
                return true;
            }
            case 45:
                d.backgroundScale = rb.resval.rreal;
                return true;
            case 441:
                d.backgroundTransparency.serializeIn(static_cast<Adesk::UInt32>(rb.resval.rlong));
                return true;
            default:
                // The computed sizes (42, 43), the defined height (46) and
                // others are kept by the file reader in their place.
                return false;
        }
    };
    if ((es = f.dxfIn(pFiler, extra)) != Acad::eOk)
        return es;
    d.contents = pieces + last;
    if (!haveDirection)
        d.direction = hs::planeDirection(rotation, d.normal);
    m_d = d;
    return Acad::eOk;
}

namespace {
// Where each line's base line starts, from the attachment point.
struct Layout {
    std::vector<hs::tstring> lines;
    std::vector<AcGePoint3d> starts;
    double width = 0.0, height = 0.0;
    AcGePoint3d topLeft;
    AcGeVector3d dir, up;
};
}  // namespace

static Layout layoutOf(const AcGePoint3d& location, const AcGeVector3d& direction, const AcGeVector3d& normal,
                       double textHeight, int attachment, const hs::tstring& contents) {
    Layout l;
    l.lines = plainLines(contents);
    l.dir = direction.normal();
    l.up = normal.crossProduct(l.dir).normal();
    for (const hs::tstring& line : l.lines)
        l.width = std::max(l.width, hs::textCells(line) * textHeight);
    size_t n = l.lines.size();
    l.height = textHeight + (n - 1) * textHeight * kLineSpacing;
    int column = (attachment - 1) % 3, row = (attachment - 1) / 3;
    l.topLeft = location - l.dir * (l.width * column / 2.0) + l.up * (l.height * row / 2.0);
    for (size_t i = 0; i < n; ++i)
        l.starts.push_back(l.topLeft - l.up * (textHeight + i * textHeight * kLineSpacing));
    return l;
}

Adesk::Boolean AcDbMText::HS_HOOK(worldDraw, subWorldDraw)(AcGiWorldDraw* pWd) {
    assertReadEnabled();
    Layout l = layoutOf(m_d.location, m_d.direction, m_d.normal, m_d.height, m_d.attachment, m_d.contents);
    for (size_t i = 0; i < l.lines.size(); ++i)
        if (!l.lines[i].empty())
            pWd->geometry().text(l.starts[i], m_d.normal, l.dir, m_d.height, 1.0, 0.0, l.lines[i].c_str());
    return Adesk::kTrue;
}

void AcDbMText::HS_HOOK(list, subList)() const {
    assertReadEnabled();
    AcDbEntity::HS_HOOK(list, subList)();
    hs::listLine("Location:", hs::listPoint(m_d.location));
    hs::listLine("Width:", hs::listReal(m_d.width));
    hs::listLine("Text height:", hs::listReal(m_d.height));
    hs::listLine("Rotation:", hs::listAngle(hs::planeAngle(m_d.direction, m_d.normal)));
    hs::listLine("Contents:", hs::toUtf8(m_d.contents));
}

Acad::ErrorStatus AcDbMText::HS_HOOK(getGeomExtents, subGetGeomExtents)(AcDbExtents& extents) const {
    assertReadEnabled();
    Layout l = layoutOf(m_d.location, m_d.direction, m_d.normal, m_d.height, m_d.attachment, m_d.contents);
    AcDbExtents ext;
    ext.addPoint(l.topLeft);
    ext.addPoint(l.topLeft + l.dir * l.width);
    ext.addPoint(l.topLeft - l.up * l.height);
    ext.addPoint(l.topLeft + l.dir * l.width - l.up * l.height);
    extents = ext;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::hsTransform(const AcGeMatrix3d& xform) {
    if (!hs::keepsShape(xform))
        return Acad::eNotApplicable;
    m_d.location.transformBy(xform);
    if (hs::movesOnly(xform))
        return Acad::eOk;
    m_d.direction.transformBy(xform);
    m_d.direction = m_d.direction.normal();
    m_d.normal = hs::transformedNormal(m_d.normal, xform);
    double scale = xform.scale();
    m_d.height *= scale;
    m_d.width *= scale;
    return Acad::eOk;
}

HS_DEFINE_TRANSFORM_HOOKS(AcDbMText)

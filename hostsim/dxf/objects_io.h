// Between file tags and database objects: an object reads the tags that
// follow its group 0 through the host's DXF filer, and writes its groups
// through the same filer; the text of strings is converted between the
// file's encoding and the build's text on the way.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dbmain.h"
#include "dxf/drawing_data.h"
#include "dxf/tags.h"

namespace hs {
class DxfFiler;
namespace dxf {

// One DXF filer used for many objects in turn, so that reading or writing a
// large drawing does not build a new filer per object. The strings it hands
// out for one object live until it is taken for the next.
class FilerCache {
public:
    FilerCache();
    ~FilerCache();
    FilerCache(const FilerCache&) = delete;
    FilerCache& operator=(const FilerCache&) = delete;
    // An empty filer at its start, for the given database.
    DxfFiler& get(AcDbDatabase* pDb);

private:
    std::unique_ptr<DxfFiler> m_filer;
};

// Strings of files before AC1021 are 8-bit text with \U+XXXX escapes for
// other characters; later files are UTF-8. Release 16 builds keep the bytes
// as they are (their text is the system code page).
//
// Files spell text beyond ASCII in different ways: some escape every such
// character (also in UTF-8 files), with upper- or lower-case digits, others
// write the bytes of the drawing's code page (or of UTF-8). Reading notes
// which spelling a file uses, and text written for that file is spelled the
// same way, so that names and texts come back byte for byte (and a name in a
// record hostsim keeps as it was still matches the same name written by
// hostsim).
struct TextSpelling {
    bool escapes = false;           // a UTF-8 file escaping its characters beyond ASCII
    bool lowerCaseEscapes = false;  // \U+00e4 rather than \U+00E4
    bool bytes = false;             // 8-bit text: characters up to U+00FF as one byte each
};

class TextCodec {
public:
    explicit TextCodec(bool fileIsUtf8 = false, TextSpelling spelling = {})
        : m_utf8(fileIsUtf8), m_spelling(spelling) {}
    bool fileIsUtf8() const { return m_utf8; }
    // File text to UTF-8.
    std::string decode(std::string_view raw) const;
    void decodeInto(std::string_view raw, std::string& out) const;
    // UTF-8 to file text.
    std::string encode(const std::string& utf8) const;
    // The spelling of the text decoded so far: escapes in lower case only
    // when no escape was in upper case; a UTF-8 file escapes its characters
    // when it had escapes and no other bytes beyond ASCII.
    TextSpelling spellingSeen() const {
        bool escapes = m_sawLowerEscape || m_sawUpperEscape;
        return {m_utf8 && escapes && !m_sawByte, m_sawLowerEscape && !m_sawUpperEscape, !m_utf8 && m_sawByte};
    }

private:
    bool m_utf8;
    TextSpelling m_spelling;
    mutable bool m_sawLowerEscape = false, m_sawUpperEscape = false, m_sawByte = false;
};

// The run-time class for a DXF type name, ignoring case: first the classes the
// file declared (DXF name to class name), then the DXF names of the
// registered classes. Null when there is none.
AcRxClass* classForDxfName(const std::string& dxfName, const std::map<std::string, std::string>& fileClasses);
// The DXF type name written for an object of this class ("LINE",
// "QWK_WaterMark"), or empty when the class has none.
std::string dxfNameOf(const AcRxClass* pClass);

// Feeds the tags after an object's group 0 to its dxfInFields. Groups that
// the object leaves unread are settled: the handle, owner, application data
// and extended data are the file reader's; common entity groups given after
// the subclass marker are given to the entity; the others go to `pKept`
// (dropped without it). A group left unread that the object itself writes
// means the object could not read the record completely: that fails. On
// failure the message says which group and why.
Acad::ErrorStatus readObject(AcDbObject* pObj, AcDbDatabase* pDb, const RawTag* begin, const RawTag* end,
                             const TextCodec& codec, std::string& error, FilerCache* pCache = nullptr,
                             KeptRuns* pKept = nullptr);
// Writes the object's type as group 0 and then the groups of its dxfOutFields.
// A value a file cannot hold (a number that is not finite) or a table record
// without a name fails, with the reason in `pWhy`.
Acad::ErrorStatus writeObject(const AcDbObject* pObj, AcDbDatabase* pDb, const std::string& typeName,
                              const TextCodec& codec, Tags& out, FilerCache* pCache = nullptr,
                              std::string* pWhy = nullptr);
// Puts kept groups back into an object's written tags (from its group 0).
void restoreKeptRuns(Tags& tags, const KeptRuns& runs);
// Puts a record's application data (102 groups) into its written tags, after
// its handle, unless the object wrote application data of its own.
void restoreAppData(Tags& tags, const Tags& appData);

}  // namespace dxf
}  // namespace hs

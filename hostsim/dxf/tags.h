// DXF tags: the (group code, value) line pairs of an ASCII DXF file.
//
// TagReader walks a file held in memory without copying it; values are views
// into the caller's buffer. TagWriter appends tags to a string. Values that
// hostsim does not interpret are kept as the text found in the file, so they
// are written back byte for byte.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hs {
namespace dxf {

// Application data runs from its opening group (102 "{NAME") to its closing
// one (102 "}"); a group 102 of another value inside does not end it. Whether
// the groups after a group 102 of this value are application data.
inline bool appDataAfter(bool inAppData, std::string_view value) {
    if (!value.empty() && value[0] == '{')
        return true;
    if (value == "}")
        return false;
    return inAppData;
}

// A tag kept beyond the life of the file buffer.
struct Tag {
    int code = 0;
    std::string value;
    bool operator==(const Tag& o) const { return code == o.code && value == o.value; }
};
using Tags = std::vector<Tag>;

// A tag as read: the value is a view into the reader's buffer.
struct RawTag {
    int code = 0;
    std::string_view value;
    int line = 0;  // line number of the group code, from 1
};

// What a group code's value holds.
enum class GroupType { kString, kDouble, kInt16, kInt32, kInt64, kBool, kHandle, kBinary, kComment };
GroupType groupType(int code);
// The codes of the first coordinate of a point (10..18, 110..112, 1010..1013):
// the y and z that follow have codes +10 and +20.
bool isPointCode(int code);

// Strict reader of ASCII DXF tags: LF or CRLF line ends, an optional UTF-8
// byte-order mark, group codes as integers (surrounding spaces allowed).
class TagReader {
public:
    explicit TagReader(std::string_view text);

    // Reads the next tag. Returns false at the end of the text or on a bad
    // tag; error() tells which.
    bool next(RawTag& tag);
    // The tag next() gives next, without consuming it.
    bool peek(RawTag& tag);
    // Makes the last tag read the next one again (one level).
    void pushBack();

    bool failed() const { return !m_error.empty(); }
    const std::string& error() const { return m_error; }
    // Line number of the next unread line.
    int line() const { return m_line; }
    bool atEnd() const { return m_pos >= m_text.size() && !m_havePushed; }
    // Where the reader stands, to come back to with seek() after reading on
    // (a tag pushed back counts as unread). seek() also clears an error.
    struct Place {
        size_t pos = 0;
        int line = 1;
        RawTag last;
        bool havePushed = false;
        bool haveLast = false;
    };
    Place place() const { return {m_pos, m_line, m_last, m_havePushed, m_haveLast}; }
    void seek(const Place& place);
    // Whether the text not yet read holds `what` anywhere (a cheap test
    // before a look ahead).
    bool restHolds(std::string_view what) const { return m_text.find(what, m_pos) != std::string_view::npos; }
    std::size_t size() const { return m_text.size(); }

private:
    bool readLine(std::string_view& out);
    // next() for a tag in the usual form; false (nothing read) otherwise.
    bool nextQuick(RawTag& tag);

    std::string_view m_text;
    size_t m_pos = 0;
    int m_line = 1;
    std::string m_error;
    RawTag m_last;
    bool m_havePushed = false;
    bool m_haveLast = false;
};

// Binary DXF: the sentinel "AutoCAD Binary DXF" CR LF SUB NUL, then groups
// as a group code (one byte before R13, with 255 as the escape to a two-byte
// code; two bytes, little-endian, from R13 on) and a value in the form its
// code gives (strings ending with NUL; 2-, 4- and 8-byte little-endian
// integers, 8-byte doubles, a byte for booleans, binary chunks as a length
// byte and the bytes).
bool isBinaryDxf(std::string_view data);
// The same groups as ASCII DXF text, each value as hostsim would write it
// (doubles in their shortest exact form, binary chunks in hexadecimal).
// False with a message for a damaged file.
bool binaryDxfToText(std::string_view data, std::string& text, std::string& error);

// Parses an integer value strictly (spaces around it allowed).
bool parseInt(std::string_view text, long long& value);
// Parses a real value strictly (spaces around it allowed).
bool parseDouble(std::string_view text, double& value);
// Parses a hexadecimal handle (no prefix).
bool parseHandle(std::string_view text, std::uint64_t& value);

// The shortest text that reads back to exactly the same double; always with a
// decimal point or an exponent so that readers see a real number.
std::string formatDouble(double value);
std::string formatHandle(std::uint64_t value);

// Appends tags in the form AutoCAD writes: the code right-aligned in three
// columns, the value on the next line, LF line ends.
class TagWriter {
public:
    explicit TagWriter(std::string& out) : m_out(out) {}
    void write(int code, std::string_view value);
    void write(const Tag& tag) { write(tag.code, tag.value); }
    void write(const Tags& tags);
    void writeInt(int code, long long value);
    void writeDouble(int code, double value);
    void writeHandle(int code, std::uint64_t value);
    void writePoint(int code, double x, double y, double z);

private:
    std::string& m_out;
};

}  // namespace dxf
}  // namespace hs

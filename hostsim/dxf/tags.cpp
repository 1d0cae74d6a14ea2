// DXF tags: reading and writing line pairs.
#include "dxf/tags.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace hs {
namespace dxf {

GroupType groupType(int code) {
    if (code >= 0 && code <= 9)
        return GroupType::kString;
    if ((code >= 10 && code <= 59) || (code >= 110 && code <= 149) || (code >= 210 && code <= 239) ||
        (code >= 460 && code <= 469) || (code >= 1010 && code <= 1059))
        return GroupType::kDouble;
    if ((code >= 60 && code <= 79) || (code >= 170 && code <= 179) || (code >= 270 && code <= 289) ||
        (code >= 370 && code <= 389) || (code >= 400 && code <= 409) || (code >= 1060 && code <= 1070))
        return GroupType::kInt16;
    if ((code >= 90 && code <= 99) || (code >= 420 && code <= 459) || code == 1071)
        return GroupType::kInt32;
    if (code >= 160 && code <= 169)
        return GroupType::kInt64;
    if (code >= 290 && code <= 299)
        return GroupType::kBool;
    if (code == 105 || (code >= 320 && code <= 369) || (code >= 390 && code <= 399) ||
        (code >= 480 && code <= 481) || code == 1005)
        return GroupType::kHandle;
    if ((code >= 310 && code <= 319) || code == 1004)
        return GroupType::kBinary;
    if (code == 999)
        return GroupType::kComment;
    return GroupType::kString;
}

bool isPointCode(int code) {
    return (code >= 10 && code <= 18) || (code >= 110 && code <= 112) || (code >= 1010 && code <= 1013);
}

TagReader::TagReader(std::string_view text) : m_text(text) {
    if (m_text.size() >= 3 && static_cast<unsigned char>(m_text[0]) == 0xEF &&
        static_cast<unsigned char>(m_text[1]) == 0xBB && static_cast<unsigned char>(m_text[2]) == 0xBF)
        m_pos = 3;
}

bool TagReader::readLine(std::string_view& out) {
    if (m_pos >= m_text.size())
        return false;
    const char* begin = m_text.data() + m_pos;
    size_t left = m_text.size() - m_pos;
    // Lines are short: look at a few characters before searching.
    size_t end = std::string_view::npos;
    for (size_t i = 0; i < left && i < 24; ++i)
        if (begin[i] == '\n') {
            end = m_pos + i;
            break;
        }
    if (end == std::string_view::npos && left > 24) {
        const void* hit = std::memchr(begin + 24, '\n', left - 24);
        if (hit != nullptr)
            end = static_cast<size_t>(static_cast<const char*>(hit) - m_text.data());
    }
    size_t next = end;
    if (end == std::string_view::npos) {
        end = m_text.size();
        next = end;
    } else {
        next = end + 1;
    }
    size_t stop = end;
    if (stop > m_pos && m_text[stop - 1] == '\r')
        --stop;
    out = m_text.substr(m_pos, stop - m_pos);
    m_pos = next;
    ++m_line;
    return true;
}

namespace {

// The group code of a line in its usual form: digits, perhaps a minus sign
// and spaces before them, perhaps a carriage return after; the line end is
// at `end`. False for anything else (the strict parser decides then).
bool quickCode(const char* p, const char* end, long long& code) {
    while (p != end && *p == ' ')
        ++p;
    bool negative = p != end && *p == '-';
    if (negative)
        ++p;
    if (p == end || end - p > 5)
        return false;
    long long v = 0;
    for (; p != end && *p >= '0' && *p <= '9'; ++p)
        v = v * 10 + (*p - '0');
    if (p != end && !(*p == '\r' && p + 1 == end))
        return false;
    code = negative ? -v : v;
    return true;
}

}  // namespace

namespace {

// The offset of the first '\n' in [p, end), or end - p. Values are mostly
// short: eight bytes are looked at in one step.
inline size_t lineLength(const char* p, const char* end) {
    const char* q = p;
    while (end - q >= 8) {
        std::uint64_t w;
        std::memcpy(&w, q, 8);
        std::uint64_t x = w ^ 0x0A0A0A0A0A0A0A0AULL;  // a zero byte where w has '\n'
        std::uint64_t found = (x - 0x0101010101010101ULL) & ~x & 0x8080808080808080ULL;
        if (found != 0) {
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
            // The lowest flagged byte is the first '\n' (a borrow can only
            // flag bytes above a zero byte).
            return static_cast<size_t>(q - p) + static_cast<size_t>(__builtin_ctzll(found) / 8);
#endif
            // Every '\n' is flagged; a byte next to one may be flagged
            // too, so the flagged bytes are checked in order.
            unsigned char bytes[8];
            std::memcpy(bytes, &found, 8);
            for (int i = 0; i < 8; ++i)
                if (bytes[i] != 0 && q[i] == '\n')
                    return static_cast<size_t>(q - p) + static_cast<size_t>(i);
        }
        q += 8;
    }
    while (q != end && *q != '\n')
        ++q;
    return static_cast<size_t>(q - p);
}

}  // namespace

bool TagReader::nextQuick(RawTag& tag) {
    // The usual form: spaces, one to four digits, LF or CRLF; then the value
    // line. Anything else is left to the strict path.
    const char* begin = m_text.data();
    const char* end = begin + m_text.size();
    const char* p = begin + m_pos;
    while (p != end && *p == ' ')
        ++p;
    int code = 0;
    const char* digits = p;
    while (p != end && *p >= '0' && *p <= '9' && p - digits < 4)
        code = code * 10 + (*p++ - '0');
    if (p == digits || p == end)
        return false;
    if (*p == '\r')
        ++p;
    if (p == end || *p != '\n' || code > 1071)
        return false;
    const char* value = p + 1;
    if (value == end)
        return false;  // no value line: the strict path reports it
    size_t length = lineLength(value, end);
    const char* next = value + length;
    if (length > 0 && value[length - 1] == '\r')
        --length;
    // Both copies are set field by field: copying one to the other right
    // after its stores would wait for them.
    tag.code = m_last.code = code;
    tag.value = m_last.value = std::string_view(value, length);
    tag.line = m_last.line = m_line;
    m_line += 2;
    m_pos = next == end ? m_text.size() : static_cast<size_t>(next + 1 - begin);
    m_haveLast = true;
    return true;
}

bool TagReader::next(RawTag& tag) {
    if (m_havePushed) {
        m_havePushed = false;
        tag = m_last;
        return true;
    }
    if (!m_error.empty())
        return false;
    if (m_pos < m_text.size() && nextQuick(tag))
        return true;
    std::string_view codeText;
    int codeLine = m_line;
    if (!readLine(codeText))
        return false;
    long long code = 0;
    bool quick = !codeText.empty() && codeText.back() >= '0' && codeText.back() <= '9' &&
                 quickCode(codeText.data(), codeText.data() + codeText.size(), code);
    if ((!quick && !parseInt(codeText, code)) || code < -5 || code > 1071) {
        m_error = "line " + std::to_string(codeLine) + ": expected a group code, found \"" +
                  std::string(codeText.substr(0, 40)) + "\"";
        return false;
    }
    std::string_view value;
    if (!readLine(value)) {
        m_error = "line " + std::to_string(m_line) + ": expected the value of group code " +
                  std::to_string(code) + ", found the end of the file";
        return false;
    }
    tag.code = static_cast<int>(code);
    tag.value = value;
    tag.line = codeLine;
    m_last = tag;
    m_haveLast = true;
    return true;
}

bool TagReader::peek(RawTag& tag) {
    if (!next(tag))
        return false;
    pushBack();
    return true;
}

void TagReader::pushBack() {
    if (m_haveLast)
        m_havePushed = true;
}

namespace {
std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}
}  // namespace

bool parseInt(std::string_view text, long long& value) {
    text = trim(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    return res.ec == std::errc() && res.ptr == text.data() + text.size();
}

bool parseDouble(std::string_view text, double& value) {
    text = trim(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec == std::errc::result_out_of_range)
        return false;
    return res.ec == std::errc() && res.ptr == text.data() + text.size() && std::isfinite(value);
}

bool parseHandle(std::string_view text, std::uint64_t& value) {
    // Handles are mostly short upper-case hexadecimal without spaces.
    if (!text.empty() && text.size() <= 16) {
        std::uint64_t v = 0;
        size_t i = 0;
        for (; i < text.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            unsigned digit = c >= '0' && c <= '9'   ? c - '0'
                             : c >= 'A' && c <= 'F' ? c - 'A' + 10
                             : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                    : 16;
            if (digit == 16)
                break;
            v = v << 4 | digit;
        }
        if (i == text.size()) {
            value = v;
            return true;
        }
    }
    text = trim(text);
    if (text.empty() || text.size() > 16)
        return false;
    auto res = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return res.ec == std::errc() && res.ptr == text.data() + text.size();
}

std::string formatDouble(double value) {
    if (!std::isfinite(value))
        return "0.0";
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof(buf), value);
    std::string s(buf, res.ptr);
    if (s.find_first_of(".e") == std::string::npos)
        s += ".0";
    return s;
}

std::string formatHandle(std::uint64_t value) {
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof(buf), value, 16);
    std::string s(buf, res.ptr);
    for (char& c : s)
        if (c >= 'a' && c <= 'f')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

void TagWriter::write(int code, std::string_view value) {
    // The code right-aligned in three columns ("  0", " 10", "330", "1000").
    char buf[16];
    char* end = buf + sizeof(buf);
    char* p = end;
    unsigned u = static_cast<unsigned>(code < 0 ? -code : code);
    do {
        *--p = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (code < 0)
        *--p = '-';
    while (end - p < 3)
        *--p = ' ';
    m_out.append(p, static_cast<size_t>(end - p));
    m_out.push_back('\n');
    m_out.append(value);
    m_out.push_back('\n');
}

void TagWriter::write(const Tags& tags) {
    for (const Tag& t : tags)
        write(t.code, t.value);
}

void TagWriter::writeInt(int code, long long value) {
    write(code, std::to_string(value));
}

void TagWriter::writeDouble(int code, double value) {
    write(code, formatDouble(value));
}

void TagWriter::writeHandle(int code, std::uint64_t value) {
    write(code, formatHandle(value));
}

void TagWriter::writePoint(int code, double x, double y, double z) {
    writeDouble(code, x);
    writeDouble(code + 10, y);
    writeDouble(code + 20, z);
}

}  // namespace dxf
}  // namespace hs

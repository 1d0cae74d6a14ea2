// DXF tags: reading and writing line pairs.
#include "dxf/tags.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <type_traits>

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

void TagReader::seek(const Place& place) {
    m_pos = place.pos;
    m_line = place.line;
    m_last = place.last;
    m_havePushed = place.havePushed;
    m_haveLast = place.haveLast;
    m_error.clear();
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
    // Every carriage return before the line feed is part of the line end (as
    // other readers take it): a value kept with one would lose it on every
    // save and reopen.
    size_t stop = end;
    while (stop > m_pos && m_text[stop - 1] == '\r')
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
    while (length > 0 && value[length - 1] == '\r')
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

namespace {

const char kBinarySentinel[] = "AutoCAD Binary DXF\r\n\x1a";  // and its NUL: 22 bytes

// The size of a binary value of this group code: 0 for a NUL-terminated
// string, -1 for a chunk with a length byte.
int binaryValueSize(int code) {
    if ((code >= 310 && code <= 319) || code == 1004)
        return -1;
    if ((code >= 60 && code <= 79) || (code >= 170 && code <= 179) || (code >= 270 && code <= 289) ||
        (code >= 370 && code <= 389) || (code >= 400 && code <= 409) || (code >= 1060 && code <= 1070))
        return 2;
    if ((code >= 10 && code <= 59) || (code >= 110 && code <= 149) || (code >= 210 && code <= 239) ||
        (code >= 460 && code <= 469) || (code >= 1010 && code <= 1059))
        return 8;
    if ((code >= 90 && code <= 99) || (code >= 420 && code <= 429) || (code >= 440 && code <= 459) ||
        code == 1071)
        return 4;
    if (code >= 160 && code <= 169)
        return 9;  // 8-byte integer
    if (code >= 290 && code <= 299)
        return 1;
    return 0;
}

template <class T>
T littleEndian(const unsigned char* p) {
    std::uint64_t v = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    T out;
    if constexpr (sizeof(T) == 8) {
        std::memcpy(&out, &v, 8);
    } else {
        typename std::make_unsigned<T>::type u = static_cast<typename std::make_unsigned<T>::type>(v);
        std::memcpy(&out, &u, sizeof(T));
    }
    return out;
}

}  // namespace

bool isBinaryDxf(std::string_view data) {
    return data.size() >= 22 && data.substr(0, 21) == std::string_view(kBinarySentinel, 21) &&
           data[21] == '\0';
}

bool binaryDxfToText(std::string_view data, std::string& text, std::string& error) {
    text.clear();
    if (!isBinaryDxf(data)) {
        error = "not a binary DXF file";
        return false;
    }
    const unsigned char* p = reinterpret_cast<const unsigned char*>(data.data());
    size_t size = data.size();
    size_t pos = 22;
    // The first group is 0 SECTION: a NUL after the first code byte means
    // two-byte codes.
    bool wideCodes = size > 23 && p[23] == 0;
    text.reserve(size * 2);
    TagWriter w(text);
    std::string value;
    auto truncated = [&](int code) {
        error = "binary DXF: the file ends inside group " + std::to_string(code) + " (byte " +
                std::to_string(pos) + ")";
        return false;
    };
    while (pos < size) {
        size_t start = pos;
        int code = 0;
        if (wideCodes) {
            if (size - pos < 2)
                return truncated(-1);
            code = littleEndian<std::int16_t>(p + pos);
            pos += 2;
        } else if (p[pos] == 255) {
            if (size - pos < 3)
                return truncated(-1);
            code = littleEndian<std::int16_t>(p + pos + 1);
            pos += 3;
        } else {
            code = p[pos++];
        }
        if (code < -5 || code > 1071) {
            error = "binary DXF: byte " + std::to_string(start) + ": " + std::to_string(code) +
                    " is not a group code";
            return false;
        }
        int kind = binaryValueSize(code);
        value.clear();
        if (kind == 0) {
            const void* nul = std::memchr(p + pos, 0, size - pos);
            if (nul == nullptr)
                return truncated(code);
            size_t end = static_cast<size_t>(static_cast<const unsigned char*>(nul) - p);
            value.assign(data.data() + pos, end - pos);
            pos = end + 1;
        } else if (kind == -1) {
            if (pos >= size || size - pos - 1 < p[pos])
                return truncated(code);
            size_t length = p[pos++];
            static const char hex[] = "0123456789ABCDEF";
            for (size_t i = 0; i < length; ++i) {
                value.push_back(hex[p[pos + i] >> 4]);
                value.push_back(hex[p[pos + i] & 15]);
            }
            pos += length;
        } else {
            size_t bytes = kind == 9 ? 8 : static_cast<size_t>(kind);
            if (size - pos < bytes)
                return truncated(code);
            if (kind == 8)
                value = formatDouble(littleEndian<double>(p + pos));
            else if (kind == 9)
                value = std::to_string(littleEndian<std::int64_t>(p + pos));
            else if (kind == 4)
                value = std::to_string(littleEndian<std::int32_t>(p + pos));
            else if (kind == 2)
                value = std::to_string(littleEndian<std::int16_t>(p + pos));
            else
                value = std::to_string(p[pos]);
            pos += bytes;
        }
        w.write(code, value);
        if (code == 0 && value == "EOF")
            break;
    }
    return true;
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

// Conversions between the build's ACHAR text and UTF-8. Wide text is UTF-32
// on Linux (wchar_t) and UTF-16 on Windows; both are handled.
#include "hostsim/text.h"

#include <cctype>
#include <cstring>
#include <cwchar>

namespace hs {

namespace {

void appendUtf8(std::string& out, unsigned long cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string wideToUtf8(const wchar_t* text, size_t length) {
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        unsigned long cp = static_cast<unsigned long>(text[i]);
        // UTF-16 surrogate pairs (Windows wchar_t).
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < length) {
            unsigned long lo = static_cast<unsigned long>(text[i + 1]);
            if (lo >= 0xDC00 && lo < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            }
        }
        if (cp > 0x10FFFF)
            cp = 0xFFFD;
        appendUtf8(out, cp);
    }
    return out;
}

std::wstring utf8ToWide(const std::string& text) {
    std::wstring out;
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        unsigned long cp = 0xFFFD;
        size_t n = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            n = 2;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            n = 3;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            n = 4;
        }
        if (n > 1) {
            bool ok = i + n <= text.size();
            for (size_t k = 1; ok && k < n; ++k) {
                unsigned char t = static_cast<unsigned char>(text[i + k]);
                if ((t & 0xC0) != 0x80)
                    ok = false;
                else
                    cp = (cp << 6) | (t & 0x3F);
            }
            if (!ok) {
                cp = 0xFFFD;
                n = 1;
            }
        }
        i += n;
        if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<wchar_t>(cp);
        }
    }
    return out;
}

std::string toUtf8(const ACHAR* text) {
    if (text == nullptr)
        return std::string();
#if HOSTSIM_WIDE
    return wideToUtf8(text, std::wcslen(text));
#else
    return std::string(text);
#endif
}

std::string toUtf8(const tstring& text) {
#if HOSTSIM_WIDE
    return wideToUtf8(text.data(), text.size());
#else
    return text;
#endif
}

tstring fromUtf8(const std::string& text) {
#if HOSTSIM_WIDE
    return utf8ToWide(text);
#else
    return text;
#endif
}

ACHAR* newString(const ACHAR* text) {
    if (text == nullptr)
        return nullptr;
    tstring s(text);
    ACHAR* copy = new ACHAR[s.size() + 1];
    std::memcpy(copy, s.c_str(), (s.size() + 1) * sizeof(ACHAR));
    return copy;
}

bool equalsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string upper(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace hs

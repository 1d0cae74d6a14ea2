// Conversions between the build's ACHAR text and UTF-8. Wide text is UTF-32
// on Linux (wchar_t) and UTF-16 on Windows; both are handled.
#include "hostsim/text.h"

#include <cctype>
#include <cstring>
#include <cwchar>

#if !HOSTSIM_WIDE
#if defined(_WIN32)
#include <windows.h>
#else
#include <iconv.h>
#endif
#endif

namespace hs {

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

namespace {

#if !HOSTSIM_WIDE
// Converts between GBK (the system code page of release 16 builds) and
// UTF-8; a byte sequence the source encoding does not know becomes '?'.
std::string convert(const std::string& in, bool toUtf8) {
    std::string out;
#if defined(_WIN32)
    UINT from = toUtf8 ? 936 : CP_UTF8, to = toUtf8 ? CP_UTF8 : 936;
    int n = MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    if (n > 0)
        MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), &wide[0], n);
    int m = WideCharToMultiByte(to, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    out.assign(static_cast<size_t>(m), '\0');
    if (m > 0)
        WideCharToMultiByte(to, 0, wide.data(), n, &out[0], m, nullptr, nullptr);
#else
    iconv_t cd = toUtf8 ? iconv_open("UTF-8", "GBK") : iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(in.size(), '?');
    std::string src = in;
    out.assign(src.size() * 4 + 4, '\0');
    char* pIn = &src[0];
    char* pOut = &out[0];
    size_t inLeft = src.size(), outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &pIn, &inLeft, &pOut, &outLeft) == static_cast<size_t>(-1)) {
            ++pIn;
            --inLeft;
            *pOut++ = '?';
            --outLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
#endif
    return out;
}

bool isAscii(const std::string& s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}
#endif

}  // namespace

std::string toUnicodeUtf8(const ACHAR* text) {
    std::string bytes = toUtf8(text != nullptr ? text : tstring().c_str());
#if HOSTSIM_WIDE
    return bytes;
#else
    return isAscii(bytes) ? bytes : convert(bytes, /*toUtf8=*/true);
#endif
}

tstring fromUnicodeUtf8(const std::string& utf8) {
#if HOSTSIM_WIDE
    return fromUtf8(utf8);
#else
    return fromUtf8(isAscii(utf8) ? utf8 : convert(utf8, /*toUtf8=*/false));
#endif
}

}  // namespace hs

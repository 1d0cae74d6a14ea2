// C run-time text functions with Microsoft semantics, and the host's
// printing helpers that use them (acutPrintf, acdbFail, acadErrorStatusText).
#include <cctype>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <deque>
#include <vector>

#include "acadstrc.h"
#include "acdbads.h"
#include "acutads.h"
#include "core/format.h"
#include "hostsim/session.h"
#include "hostsim/text.h"
#include "winsubset.h"

namespace hs {

#if !defined(_WIN32)
namespace {

// Rewrites a Microsoft-style format into the glibc form. For a wide format,
// unqualified %s/%c become %ls/%lc and %S/%C/%hs/%hc become %s/%c; for a
// narrow format %S/%C become %ls/%lc.
template <class Ch>
std::basic_string<Ch> translateFormat(const Ch* format, bool wide) {
    std::basic_string<Ch> out;
    for (const Ch* p = format; *p;) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        out += *p++;
        if (*p == '%') {
            out += *p++;
            continue;
        }
        // flags, width, precision
        while (*p && *p < 128 && std::strchr("-+ #0123456789.*", static_cast<char>(*p)) != nullptr)
            out += *p++;
        // length modifiers
        bool h = false;
        bool l = false;
        std::basic_string<Ch> len;
        while (*p == 'h' || *p == 'l' || *p == 'L' || *p == 'z' || *p == 'j' || *p == 't' || *p == 'I' ||
               *p == 'w') {
            if (*p == 'I') {
                // I64 / I32 / I
                if (p[1] == '6' && p[2] == '4') {
                    len += static_cast<Ch>('l');
                    len += static_cast<Ch>('l');
                    p += 3;
                } else if (p[1] == '3' && p[2] == '2') {
                    p += 3;
                } else {
                    len += static_cast<Ch>('z');
                    ++p;
                }
                continue;
            }
            if (*p == 'h')
                h = true;
            if (*p == 'l' || *p == 'w')
                l = true;
            len += (*p == 'w') ? static_cast<Ch>('l') : *p;
            ++p;
        }
        Ch conv = *p;
        if (conv == 0)
            break;
        ++p;
        if (conv == 's' || conv == 'c' || conv == 'S' || conv == 'C') {
            bool wideArg = (conv == 's' || conv == 'c') ? (wide ? !h : l) : (wide ? l : !h);
            if (h && !wide)
                wideArg = false;
            if (wideArg)
                out += static_cast<Ch>('l');
            out += static_cast<Ch>((conv == 's' || conv == 'S') ? 's' : 'c');
        } else {
            out += len;
            out += conv;
        }
    }
    return out;
}

}  // namespace
#endif

#if defined(_WIN32)

// Windows has the Microsoft forms themselves: formats are used as given.
std::string vformatNarrow(const char* format, va_list args) {
    if (format == nullptr)
        return std::string();
    va_list copy;
    va_copy(copy, args);
    int n = _vscprintf(format, copy);
    va_end(copy);
    if (n < 0)
        return std::string();
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    _vsnprintf(buf.data(), buf.size(), format, args);
    return std::string(buf.data(), static_cast<size_t>(n));
}

std::wstring vformatWideToWide(const wchar_t* format, va_list args) {
    if (format == nullptr)
        return std::wstring();
    va_list copy;
    va_copy(copy, args);
    int n = _vscwprintf(format, copy);
    va_end(copy);
    if (n < 0)
        return std::wstring();
    std::vector<wchar_t> buf(static_cast<size_t>(n) + 1);
    _vsnwprintf(buf.data(), buf.size(), format, args);
    return std::wstring(buf.data(), static_cast<size_t>(n));
}

#else

std::string vformatNarrow(const char* format, va_list args) {
    if (format == nullptr)
        return std::string();
    std::string fmt = translateFormat<char>(format, false);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, fmt.c_str(), copy);
    va_end(copy);
    if (n < 0)
        return std::string();
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), fmt.c_str(), args);
    return std::string(buf.data(), static_cast<size_t>(n));
}

std::wstring vformatWideToWide(const wchar_t* format, va_list args) {
    if (format == nullptr)
        return std::wstring();
    std::wstring fmt = translateFormat<wchar_t>(format, true);
    std::vector<wchar_t> buf(256);
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int n = std::vswprintf(buf.data(), buf.size(), fmt.c_str(), copy);
        va_end(copy);
        if (n >= 0)
            return std::wstring(buf.data(), static_cast<size_t>(n));
        if (buf.size() > (1u << 24))
            return std::wstring();
        buf.resize(buf.size() * 4);
    }
}

#endif

std::string vformatWide(const wchar_t* format, va_list args) {
    std::wstring w = vformatWideToWide(format, args);
    return wideToUtf8(w.data(), w.size());
}

}  // namespace hs

// ---- C run-time -------------------------------------------------------------------------
// Windows builds use the C run-time's own functions.
#if !defined(_WIN32)

extern "C" int _mbsicmp(const unsigned char* a, const unsigned char* b) {
    // ASCII letters fold; a lead byte of a double-byte character (GBK) takes
    // its trail byte with it unchanged.
    while (*a && *b) {
        bool dbcs = *a >= 0x81 && *a <= 0xFE && a[1] != 0;
        if (dbcs) {
            if (*a != *b)
                return *a < *b ? -1 : 1;
            if (a[1] != b[1])
                return a[1] < b[1] ? -1 : 1;
            a += 2;
            b += 2;
            continue;
        }
        int ca = std::tolower(*a);
        int cb = std::tolower(*b);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++a;
        ++b;
    }
    return *a == *b ? 0 : (*a < *b ? -1 : 1);
}

extern "C" int _wcsicmp(const wchar_t* a, const wchar_t* b) {
    // The C locale folds ASCII letters only.
    auto fold = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; };
    while (*a && fold(*a) == fold(*b)) {
        ++a;
        ++b;
    }
    wchar_t ca = fold(*a);
    wchar_t cb = fold(*b);
    return ca == cb ? 0 : (ca < cb ? -1 : 1);
}

// Both write at most count characters; the terminating zero only when there
// is room. The result is the length, or -1 when the text did not fit.
extern "C" int _snprintf(char* buffer, size_t count, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string s = hs::vformatNarrow(format, args);
    va_end(args);
    size_t n = s.size() < count ? s.size() : count;
    if (buffer != nullptr)
        std::memcpy(buffer, s.data(), n);
    if (s.size() < count && buffer != nullptr)
        buffer[s.size()] = '\0';
    return s.size() <= count ? static_cast<int>(s.size()) : -1;
}

extern "C" int _snwprintf(wchar_t* buffer, size_t count, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring s = hs::vformatWideToWide(format, args);
    va_end(args);
    size_t n = s.size() < count ? s.size() : count;
    if (buffer != nullptr)
        std::wmemcpy(buffer, s.data(), n);
    if (s.size() < count && buffer != nullptr)
        buffer[s.size()] = L'\0';
    return s.size() <= count ? static_cast<int>(s.size()) : -1;
}

#endif

// ---- host printing -------------------------------------------------------------------------

extern "C" int acutPrintf(const ACHAR* format, ...) {
    va_list args;
    va_start(args, format);
#if HOSTSIM_WIDE
    std::string s = hs::vformatWide(format, args);
#else
    std::string s = hs::vformatNarrow(format, args);
#endif
    va_end(args);
    hs::Session::get().print(s);
    return RTNORM;
}

extern "C" void acdbFail(const ACHAR* str) {
    hs::Session::get().print("\n" + hs::toUtf8(str) + "\n");
}

namespace {
const char* statusName(Acad::ErrorStatus es) {
    switch (es) {
#define HS_STATUS(x) \
    case Acad::x:    \
        return #x;
        HS_STATUS(eOk)
        HS_STATUS(eNotImplementedYet)
        HS_STATUS(eNotApplicable)
        HS_STATUS(eInvalidInput)
        HS_STATUS(eOutOfMemory)
        HS_STATUS(eInvalidOpenState)
        HS_STATUS(eNullObjectPointer)
        HS_STATUS(eNullObjectId)
        HS_STATUS(eNullEntityPointer)
        HS_STATUS(eIllegalEntityType)
        HS_STATUS(eKeyNotFound)
        HS_STATUS(eDuplicateKey)
        HS_STATUS(eInvalidIndex)
        HS_STATUS(eAlreadyInDb)
        HS_STATUS(eInvalidExtents)
        HS_STATUS(eWrongObjectType)
        HS_STATUS(eWrongDatabase)
        HS_STATUS(eEndOfObject)
        HS_STATUS(eEndOfFile)
        HS_STATUS(eNotOpenForRead)
        HS_STATUS(eNotOpenForWrite)
        HS_STATUS(eNotThatKindOfClass)
        HS_STATUS(eMissingDxfField)
        HS_STATUS(eDuplicateDxfField)
        HS_STATUS(eInvalidDxfCode)
        HS_STATUS(eInvalidResBuf)
        HS_STATUS(eBadDxfSequence)
        HS_STATUS(eFilerError)
        HS_STATUS(eWasErased)
        HS_STATUS(ePermanentlyErased)
        HS_STATUS(eWasOpenForRead)
        HS_STATUS(eWasOpenForWrite)
        HS_STATUS(eWasOpenForUndo)
        HS_STATUS(eWasNotifying)
        HS_STATUS(eWasOpenForNotify)
        HS_STATUS(eOnLockedLayer)
        HS_STATUS(eAtMaxReaders)
        HS_STATUS(eNotAnEntity)
        HS_STATUS(eHadMultipleReaders)
        HS_STATUS(eCannotBeErasedByCaller)
        HS_STATUS(eCannotBeResurrected)
        HS_STATUS(eWasNotErased)
        HS_STATUS(eNoDatabase)
        HS_STATUS(eNotInDatabase)
        HS_STATUS(eInvalidIdMap)
        HS_STATUS(eInvalidOwnerObject)
        HS_STATUS(eOwnerNotSet)
        HS_STATUS(eCannotRestoreFromAcisFile)
        HS_STATUS(eMakeMeProxy)
        HS_STATUS(eNLSFileNotAvailable)
        HS_STATUS(eNotAllowedForThisProxy)
        HS_STATUS(eLockViolation)
#if IRONVEIL_RELEASE >= 18
        HS_STATUS(eNullPtr)
#endif
#undef HS_STATUS
    }
    return nullptr;
}

// The texts live as long as the process; one per status asked for.
const ACHAR* statusText(Acad::ErrorStatus es) {
    static std::deque<std::pair<int, hs::tstring>>* texts = new std::deque<std::pair<int, hs::tstring>>();
    for (const auto& t : *texts)
        if (t.first == static_cast<int>(es))
            return t.second.c_str();
    const char* name = statusName(es);
    std::string s = name ? name : "eUnknown(" + std::to_string(static_cast<int>(es)) + ")";
    texts->emplace_back(static_cast<int>(es), hs::fromUtf8(s));
    return texts->back().second.c_str();
}
}  // namespace

#if IRONVEIL_RELEASE >= 18
const ACHAR* acadErrorStatusText(Acad::ErrorStatus es) {
    return statusText(es);
}
#else
extern "C" const char* acadErrorStatusText(Acad::ErrorStatus es) {
    return statusText(es);
}
#endif

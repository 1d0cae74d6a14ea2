// hostsim's text conversions between the build's ACHAR text and UTF-8.
// In release 16 builds ACHAR text is 8-bit text in the system code page and
// is passed through as bytes.
#pragma once
#include <string>

#include "AdAChar.h"

namespace hs {

using tstring = std::basic_string<ACHAR>;

std::string toUtf8(const ACHAR* text);
std::string toUtf8(const tstring& text);
tstring fromUtf8(const std::string& text);
// A copy the caller frees with acdbFree / acutDelString (allocated with new[]).
ACHAR* newString(const ACHAR* text);
// Case-insensitive ASCII comparison, for command names, keys and DXF names.
bool equalsNoCase(const std::string& a, const std::string& b);
std::string upper(const std::string& s);
// Appends the UTF-8 form of one code point.
void appendUtf8(std::string& out, unsigned long codePoint);
// The characters the build's text means, as UTF-8, and back: release 16
// text is the system code page (GBK, to which the module's Chinese texts are
// compiled), where toUtf8 and fromUtf8 pass its bytes through; wide builds
// are the same as toUtf8 and fromUtf8. For text stored as Unicode whatever
// the release (proxy graphics) and for the picture.
std::string toUnicodeUtf8(const ACHAR* text);
tstring fromUnicodeUtf8(const std::string& utf8);

}  // namespace hs

namespace hs {
// Wide text (UTF-32 on Linux, UTF-16 on Windows) to and from UTF-8,
// whatever the build's width.
std::string wideToUtf8(const wchar_t* text, size_t length);
std::wstring utf8ToWide(const std::string& text);
}  // namespace hs

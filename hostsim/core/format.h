// Formatted printing with the Microsoft C run-time's rules, used by
// acutPrintf, acrx_abort and the _snprintf family: in a wide format "%s" and
// "%c" take wide arguments and "%S"/"%hs" narrow ones; in a narrow format "%S"
// takes a wide string.
#pragma once
#include <cstdarg>
#include <string>

namespace hs {
// Results are UTF-8 (narrow formats: bytes as given).
std::string vformatNarrow(const char* format, va_list args);
std::string vformatWide(const wchar_t* format, va_list args);
std::wstring vformatWideToWide(const wchar_t* format, va_list args);
}  // namespace hs

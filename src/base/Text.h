// Text at the platform's edge: the system keeps Shift-JIS bytes, the platform speaks UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace varno {

// Converts Shift-JIS (code page 932) bytes to UTF-8. Bytes that do not convert are
// replaced by U+FFFD, so the result is always valid UTF-8 and nothing is lost silently.
std::string SjisToUtf8(std::string_view sjis);

// Converts UTF-8 to Shift-JIS; characters without a Shift-JIS form become '?'.
std::string Utf8ToSjis(std::string_view utf8);

// True when byte c opens a two-byte Shift-JIS character (0x80 to 0x9F or 0xE0 to 0xFF).
constexpr bool IsLeadByte(unsigned char c) { return (c >= 0x80 && c <= 0x9F) || c >= 0xE0; }

}  // namespace varno

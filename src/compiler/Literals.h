// The values of constant tokens: string literals with their escapes, integers and floats.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace varno {

// The bytes a string literal stands for; content is the token without its quotes. A
// backslash escapes the next byte: \n, \r and \t give a line feed, a carriage return and
// a tab, any other byte stands for itself. A backslash that is the second byte of a
// two-byte Shift-JIS character (lead byte 0x80-0x9F or 0xE0-0xFC) is not an escape.
std::string DecodeStringLiteral(std::string_view content);

// A decimal integer token as a 32-bit signed number. Raises EVarno
// "'<text>' is not a valid integer value" when it does not fit.
std::int32_t IntLiteral(std::string_view text);

// A decimal number with a point, rounded to single precision. Raises EVarno
// "'<text>' is not a valid floating point value" when it is beyond the single range.
float FloatLiteral(std::string_view text);

}  // namespace varno

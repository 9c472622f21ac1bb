// Constant tokens: string escapes (Shift-JIS aware), integers and floats with their range errors.
#include <gtest/gtest.h>

#include <cmath>

#include "base/Error.h"
#include "compiler/Literals.h"

namespace varno {
namespace {

TEST(LiteralTest, StringEscapes) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {R"(a\nb)", "a\nb"},
        {R"(\r\t)", "\r\t"},
        {R"(\q\")", "q\""},
        {R"(\\)", "\\"},
        {R"(\\n)", "\\n"},
        {"\x95\\", "\x95\\"},          // 0x5C as the trail byte of a two-byte character
        {"\x95\\n", "\x95\\n"},        // ... so the n after it is plain
        {"\xE0\\\\n", "\xE0\\\n"},     // a lead byte from the upper range, then an escape
        {"\xA0\\n", "\xA0\n"},         // 0xA0 is no lead byte: the backslash escapes
        {"\xFD\\n", "\xFD\n"},         // nor is 0xFD
        {"\\\x95\x40", "\x95\x40"},    // an escaped lead byte
    };
    for (const auto& [content, expected] : cases) EXPECT_EQ(DecodeStringLiteral(content), expected) << content;
}

TEST(LiteralTest, Integers) {
    EXPECT_EQ(IntLiteral("0"), 0);
    EXPECT_EQ(IntLiteral("0042"), 42);
    EXPECT_EQ(IntLiteral("2147483647"), 2147483647);
    for (const char* text : {"2147483648", "99999999999999999999"}) {
        try {
            IntLiteral(text);
            ADD_FAILURE() << text;
        } catch (const EVarno& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid integer value");
        }
    }
}

TEST(LiteralTest, FloatsAreSinglePrecision) {
    EXPECT_EQ(FloatLiteral("1.5"), 1.5f);
    EXPECT_EQ(FloatLiteral("0.1"), 0.1f);
    EXPECT_EQ(FloatLiteral("16777217.0"), 16777216.0f);
    EXPECT_EQ(FloatLiteral("0." + std::string(80, '0') + "1"), 0.0f);  // too small rounds to zero
    EXPECT_THROW(FloatLiteral("1" + std::string(50, '0') + ".0"), EVarno);
}

}  // namespace
}  // namespace varno

// Byte offsets to lines and columns.
#include <gtest/gtest.h>

#include "front/SourcePos.h"

namespace varno {
namespace {

TEST(SourcePos, LinesAndColumns) {
    const struct {
        const char* source;
        int32_t offset;
        int32_t line;
        int32_t column;
    } cases[] = {
        {"", 0, 1, 1},
        {"abc", 2, 1, 3},
        {"a\nb", 2, 2, 1},
        {"a\r\nb", 3, 2, 1},
        {"a\rb\rc", 4, 3, 1},
        {"a\n\nb", 3, 3, 1},
        {"\x82\xA0\x82\xA2x", 4, 1, 3},
        // A lead byte does not swallow a line break after it.
        {"\x82\nx", 2, 2, 1},
        {"\tx", 1, 1, 2},
        {"ab", 99, 1, 3},
        {"ab", -5, 1, 1},
    };
    for (const auto& c : cases) {
        const TLineColumn at = LineColumnAt(c.source, c.offset);
        EXPECT_EQ(at.line, c.line) << c.source << " @" << c.offset;
        EXPECT_EQ(at.column, c.column) << c.source << " @" << c.offset;
    }
}

}  // namespace
}  // namespace varno

// Turning a byte offset in a source text into the line and column a person looks for.
#pragma once

#include <cstdint>
#include <string_view>

namespace varno {

struct TLineColumn {
    int32_t line = 1;    // 1-based; CR LF, LF and a lone CR each end a line
    int32_t column = 1;  // 1-based, in characters: a two-byte Shift-JIS character counts once
};

// The position of byte `offset` of source; an offset past the end is taken as the end.
TLineColumn LineColumnAt(std::string_view source, int32_t offset);

}  // namespace varno

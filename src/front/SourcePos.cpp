// Line and column of a byte offset.
#include "front/SourcePos.h"

#include <algorithm>

#include "base/Text.h"

namespace varno {

TLineColumn LineColumnAt(std::string_view source, int32_t offset) {
    const size_t limit = offset < 0 ? 0 : std::min(source.size(), static_cast<size_t>(offset));
    TLineColumn at;
    size_t i = 0;
    while (i < limit) {
        const auto c = static_cast<unsigned char>(source[i]);
        if (c == '\n' || c == '\r') {
            ++at.line;
            at.column = 1;
            i += (c == '\r' && i + 1 < source.size() && source[i + 1] == '\n') ? 2 : 1;
        } else {
            ++at.column;
            // A lead byte pairs with a trail byte; never with a line break after it.
            const bool pair =
                IsLeadByte(c) && i + 1 < source.size() && static_cast<unsigned char>(source[i + 1]) >= 0x40;
            i += pair ? 2 : 1;
        }
    }
    return at;
}

}  // namespace varno

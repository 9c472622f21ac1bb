// Support operations of the native contract that are not inline.
#include "runtime/natives/NativeSupport.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "runtime/String.h"

namespace varno {

std::size_t TextInto(const TValue& v, std::span<char> buffer) {
    if (buffer.empty()) return 0;
    const std::string text = ToText(v);
    const std::size_t length = std::min(text.size(), buffer.size() - 1);
    std::memcpy(buffer.data(), text.data(), length);
    buffer[length] = '\0';
    return length;
}

bool CompareEqual(const TValue& left, const TValue& right) {
    if (IsStringValue(left) && IsStringValue(right)) {
        return StringText(AsObject(left)) == StringText(AsObject(right));
    }
    return Compare(left, right) == 0.0f;
}

}  // namespace varno

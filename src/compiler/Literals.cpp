// Decoding constant tokens.
#include "compiler/Literals.h"

#include <charconv>
#include <cmath>

#include "base/Error.h"

namespace varno {
namespace {

bool IsLead(unsigned char b) { return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

}  // namespace

std::string DecodeStringLiteral(std::string_view content) {
    std::string out;
    out.reserve(content.size());
    int twoByte = 0;  // 1 after a lead byte, 2 after its trail byte
    int escape = 0;   // 2 right after a backslash, 1 on the escaped byte
    for (const char c : content) {
        const auto b = static_cast<unsigned char>(c);
        if (twoByte == 2) twoByte = 0;
        if (twoByte == 0 && IsLead(b)) twoByte = 1;
        else if (twoByte == 1) twoByte = 2;

        if (escape == 0 && twoByte == 0 && b == '\\') escape = 2;
        else if (escape > 0) --escape;

        if (escape == 0) {
            out.push_back(c);
        } else if (escape == 1) {
            switch (c) {
                case 'n': out.push_back('\n'); break;
                case 'r': out.push_back('\r'); break;
                case 't': out.push_back('\t'); break;
                default: out.push_back(c);
            }
            escape = 0;
        }
    }
    return out;
}

std::int32_t IntLiteral(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        throw EVarno("'" + std::string(text) + "' is not a valid integer value");
    }
    return value;
}

float FloatLiteral(std::string_view text) {
    float value = 0.0f;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range && end == text.data() + text.size()) {
        // Too small for single precision rounds to zero; only a whole part of at least 1
        // can overflow.
        const std::string_view whole = text.substr(0, text.find('.'));
        if (whole.find_first_not_of('0') == std::string_view::npos) return 0.0f;
    }
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || std::isinf(value)) {
        throw EVarno("'" + std::string(text) + "' is not a valid floating point value");
    }
    return value;
}

}  // namespace varno

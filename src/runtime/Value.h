// TValue: the 8-byte tagged cell that holds everything a script computes.
#pragma once

#include <bit>
#include <cstdint>

#include "runtime/ScriptHeap.h"

namespace varno {

// The tag numbers are fixed: compiled code stores tagged constants.
enum class TVType : std::uint8_t {
    tvNull = 0,
    tvInt = 1,     // signed 32-bit integer
    tvFloat = 2,   // IEEE single precision
    tvObject = 3,  // reference to a TfObject; the only counted kind
    tvRef = 4,     // reference to another TValue cell
    tvNative = 5,  // reference to a host object
    tvError = 6,   // error number
    tvUnset = 7,   // never-assigned variable; payload: the symbol of its name
};
using enum TVType;

constexpr int kValueTagCount = 8;

// One byte of tag, three bytes without meaning, a 32-bit payload; the layout is also the
// layout of a value operand in code (first word: tag in the low byte; second: payload).
struct alignas(8) TValue {
    TVType tag = tvNull;
    std::uint8_t unused[3] = {0, 0, 0};
    std::uint32_t payload = 0;

    std::int32_t asInt() const { return static_cast<std::int32_t>(payload); }
    float asFloat() const { return std::bit_cast<float>(payload); }

    // Built as one 64-bit word: a value assembled field by field in memory and then copied
    // whole stalls the processor's store forwarding on every hot path.
    static TValue Make(TVType tag, std::uint32_t payload) {
        return std::bit_cast<TValue>(static_cast<std::uint64_t>(tag) | (static_cast<std::uint64_t>(payload) << 32));
    }
    static TValue Null() { return Make(tvNull, 0); }
    static TValue Int(std::int32_t i) { return Make(tvInt, static_cast<std::uint32_t>(i)); }
    static TValue Float(float f) { return Make(tvFloat, std::bit_cast<std::uint32_t>(f)); }
    static TValue Error(std::int32_t n) { return Make(tvError, static_cast<std::uint32_t>(n)); }
    static TValue Unset(std::int32_t symbol) { return Make(tvUnset, static_cast<std::uint32_t>(symbol)); }
    static TValue Native(TRef host) { return Make(tvNative, host); }
    static TValue Object(TRef object) { return Make(tvObject, object); }
    static TValue Ref(const TValue* cell) { return Make(tvRef, RefOf(cell)); }
};
static_assert(sizeof(TValue) == 8, "a script value is 8 bytes");
static_assert(alignof(TValue) == 8);
static_assert(std::endian::native == std::endian::little, "values are laid out little-endian");

// The cell a tvRef value addresses (not checked).
inline TValue* AsCell(const TValue& v) { return FromRef<TValue>(v.payload); }

}  // namespace varno

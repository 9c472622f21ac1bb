// The primitive value operations: counted assignment, setters, conversions, comparison.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/Object.h"
#include "runtime/Value.h"

namespace varno {

// Raises the run-time error ToText(v) + ":negative reference count ".
[[noreturn]] void ThrowNegativeCount(const TValue& v);

// Counts one more holder of an object value; other kinds: nothing.
inline void AddRef(const TValue& v) {
    if (v.tag == tvObject) ++AsObject(v)->refCount;
}

// Counts one holder less. Never frees: a count of 0 leaves the object intact in its pool.
// A count that reaches -1 raises the negative-count run-time error.
inline void Release(const TValue& v) {
    if (v.tag == tvObject) {
        TfObject* o = AsObject(v);
        const std::int32_t count = --o->refCount;
        if (count <= 0) [[unlikely]] {
            NoteUnreferenced(o);
            if (count == -1) ThrowNegativeCount(v);
        }
    }
}

// Every store into a member, local, argument, global, element or result goes through this.
inline void Assign(TValue& dst, const TValue& src) {
    Release(dst);
    dst = src;
    AddRef(dst);
}

inline void SetNull(TValue& v) {
    Release(v);
    v = TValue::Null();
}
inline void SetInt(TValue& v, std::int32_t i) {
    Release(v);
    v = TValue::Int(i);
}
inline void SetFloat(TValue& v, float f) {
    Release(v);
    v = TValue::Float(f);
}
inline void SetError(TValue& v, std::int32_t n) {
    Release(v);
    v = TValue::Error(n);
}
inline void SetNative(TValue& v, TRef host) {
    Release(v);
    v = TValue::Native(host);
}
inline void SetObject(TValue& v, TfObject* o) {
    Release(v);
    v = TValue::Object(RefOf(o));
    ++o->refCount;
}

// Truncates toward zero to 64 bits; NaN and values beyond the 64-bit range give the
// integer indefinite (the lowest 64-bit number), as the floating-point unit does.
inline std::int64_t TruncToInt64(double f) {
    if (!(f > -9223372036854775808.0 && f < 9223372036854775808.0)) return INT64_MIN;
    return static_cast<std::int64_t>(f);
}

// tvInt its value; tvFloat truncated toward zero (low 32 bits); tvObject 1; others 0.
inline std::int32_t ToInt(const TValue& v) {
    switch (v.tag) {
        case tvInt: return v.asInt();
        case tvFloat: return static_cast<std::int32_t>(static_cast<std::uint32_t>(TruncToInt64(v.asFloat())));
        case tvObject: return 1;
        default: return 0;
    }
}

inline float ToFloat(const TValue& v) {
    switch (v.tag) {
        case tvInt: return static_cast<float>(v.asInt());
        case tvFloat: return v.asFloat();
        default: return 0.0f;
    }
}

inline bool IsTrue(const TValue& v) {
    switch (v.tag) {
        case tvInt: return v.payload != 0;
        case tvFloat: return v.asFloat() != 0.0f;
        case tvObject:
        case tvNative: return true;
        default: return false;
    }
}

// The display text of a value: "null", digits, the float's general format, a string's
// text, Class@identity, "[" + referenced + "]", a host class name, "Error #n", "Variable" + name.
std::string ToText(const TValue& v);

// The text used when a value is written back into resource or generator text.
std::string ToLiteral(const TValue& v);

// 0 means equal; only the left operand's kind selects the rule (so "5" == 5 but not 5 == "5").
float Compare(const TValue& a, const TValue& b);

// The general float format with 15 significant digits of the single value widened exactly.
std::string FloatText(float f);

}  // namespace varno

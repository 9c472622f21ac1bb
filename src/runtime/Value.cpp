// Value texts, literals, comparison and the negative-count error.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/HostObject.h"
#include "runtime/Messages.h"
#include "runtime/RTTI.h"
#include "runtime/RuntimeError.h"
#include "runtime/String.h"
#include "runtime/Symbols.h"
#include "runtime/ValueOps.h"

namespace varno {
namespace {

constexpr int kMaxRefDepth = 16;  // a reference chain deeper than this prints as "[...]"

std::string ObjectText(const TfObject* o) {
    if (IsStringObject(o)) return StringText(o);
    return o->rtti()->Name() + "@" + std::to_string(o->id());
}

std::string NativeText(TRef ref) {
    if (ref == kNullRef) return "nil";
    const THostObject* host = HostFromRef(ref);
    return host != nullptr ? host->hostClassName() : "TObject";
}

std::string Text(const TValue& v, int depth) {
    switch (v.tag) {
        case tvNull: return GetMsg("null");
        case tvInt: return std::to_string(v.asInt());
        case tvFloat: return FloatText(v.asFloat());
        case tvObject: return ObjectText(AsObject(v));
        case tvRef:
            if (depth >= kMaxRefDepth) return "[...]";
            if (!IsHeapRange(v.payload, sizeof(TValue))) return "[]";
            {
                std::string out = "[";
                out += Text(*AsCell(v), depth + 1);
                out += ']';
                return out;
            }
        case tvNative: return NativeText(v.payload);
        case tvError: return GetMsg("Error #") + std::to_string(v.asInt());
        case tvUnset: return GetMsg("Variable") + SymbolName(v.asInt());
    }
    return std::string();
}

}  // namespace

std::string FloatText(float f) {
    const double d = f;  // widening is exact
    if (std::isnan(d)) return "NAN";
    if (std::isinf(d)) return d < 0 ? "-INF" : "INF";
    if (d == 0.0) return "0";

    // 15 significant digits, rounded: d.dddddddddddddde[+-]xx
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(d));
    std::string digits;
    const char* p = buffer;
    for (; *p != 'e'; ++p) {
        if (*p != '.') digits.push_back(*p);
    }
    const int exponent = std::atoi(p + 1);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    // Built by appending only (GCC 12 misjudges chains of + on strings at -O3).
    std::string out;
    if (d < 0) out.push_back('-');
    if (exponent >= -5 && exponent <= 14) {
        if (exponent >= 0) {
            const auto whole = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= whole) {
                out.append(digits);
                out.append(whole - digits.size(), '0');
            } else {
                out.append(digits, 0, whole);
                out.push_back('.');
                out.append(digits, whole, std::string::npos);
            }
        } else {
            out.append("0.");
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out.append(digits);
        }
    } else {
        out.append(digits, 0, 1);
        if (digits.size() > 1) {
            out.push_back('.');
            out.append(digits, 1, std::string::npos);
        }
        out.push_back('E');
        out.append(std::to_string(exponent));
    }
    return out;
}

std::string ToText(const TValue& v) { return Text(v, 0); }

std::string ToLiteral(const TValue& v) {
    if (v.tag == tvObject) {
        const TfObject* o = AsObject(v);
        if (IsStringObject(o)) return "\"" + StringText(o) + "\"";
        return "objectFromID(" + std::to_string(o->id()) + ")";
    }
    if (v.tag == tvUnset) return std::string();
    return ToText(v);
}

float Compare(const TValue& a, const TValue& b) {
    switch (a.tag) {
        case tvNull:
        case tvUnset:
            return (b.tag == tvNull || b.tag == tvUnset) ? 0.0f : 1.0f;
        case tvInt:
            if (b.tag == tvInt) {
                const auto diff = static_cast<std::int32_t>(a.payload - b.payload);  // wraps
                return static_cast<float>(diff);
            }
            if (b.tag == tvFloat) return static_cast<float>(static_cast<double>(a.asInt()) - b.asFloat());
            return 1.0f;
        case tvFloat:
            if (b.tag == tvInt) return static_cast<float>(static_cast<double>(a.asFloat()) - b.asInt());
            if (b.tag == tvFloat) return static_cast<float>(static_cast<double>(a.asFloat()) - b.asFloat());
            return 1.0f;
        case tvObject:
            if (IsStringObject(AsObject(a))) return ToText(a) == ToText(b) ? 0.0f : 1.0f;
            return (b.tag == tvObject && b.payload == a.payload) ? 0.0f : 1.0f;
        default:
            return 1.0f;
    }
}

void ThrowNegativeCount(const TValue& v) {
    throw ERuntimeError(ToText(v) + GetMsg(":negative reference count "));
}

}  // namespace varno

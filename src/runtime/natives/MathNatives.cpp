// Natives of classes.lang.Object for numbers: random numbers, angle tables, rounding, number texts.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>

#include "base/Text.h"
#include "runtime/Log.h"
#include "runtime/RuntimeError.h"
#include "runtime/natives/NativeSupport.h"
#include "runtime/natives/ObjectParts.h"
#include "runtime/natives/ScriptRandom.h"
#include "services/regex/BRegExp.h"

namespace varno {
namespace {

// Sine and cosine of every whole degree, filled once.
struct TAngleTables {
    std::array<double, 360> sine{};
    std::array<double, 360> cosine{};
    TAngleTables() {
        for (int i = 0; i < 360; ++i) {
            const double radians = i / 180.0 * std::numbers::pi;
            sine[static_cast<std::size_t>(i)] = std::sin(radians);
            cosine[static_cast<std::size_t>(i)] = std::cos(radians);
        }
    }
};

const TAngleTables& AngleTables() {
    static const TAngleTables tables;
    return tables;
}

// The table index of an angle in whole degrees: a float is truncated, negative angles
// count back from 360 (-90 is 270).
std::size_t DegreeIndex(const TValue& v) {
    std::int64_t a = ToInt(v);
    if (a < 0) a = 360 - ((-a) % 360);
    return static_cast<std::size_t>(a % 360);
}

// A float result of a native that overflowed single precision from finite operands.
[[noreturn]] void ThrowFloatOverflow() {
    static const std::string text = Utf8ToSjis("浮動小数点数のオーバーフロー");
    throw ERuntimeError(text);
}

void NativeRandomize(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (call.has(1)) ScriptRandom().randomize(ToInt(call.arg(1)));
}

// rnd(): a float in [0, 1); rnd(m): an integer in 0 .. m - 1 (0 when m < 1).
void NativeRnd(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) {
        call.setFloat(ScriptRandom().unit());
    } else {
        call.setInt(ScriptRandom().below(ToInt(call.arg(1))));
    }
}

void NativeSin(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (call.has(1)) call.setFloat(static_cast<float>(AngleTables().sine[DegreeIndex(call.arg(1))]));
}

void NativeCos(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (call.has(1)) call.setFloat(static_cast<float>(AngleTables().cosine[DegreeIndex(call.arg(1))]));
}

// angle(x, y): degrees in (-180, 180], linear in y / x within each octant (angle(2, 1) is
// 22.5), not the arc tangent. A result that is not a number (infinite operands) is logged
// and nothing is stored.
void NativeAngle(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(2)) return;
    double x = ToFloat(call.arg(1));
    double y = ToFloat(call.arg(2));
    if (std::fabs(x) < 0.0001 && std::fabs(y) < 0.0001) x = 1;
    double s = 1;
    if (y < 0) {
        y = -y;
        s = -1;
    }
    double r = 0;
    if (x > 0) {
        r = x > y ? y / x * 45 : 90 - x / y * 45;
    } else {
        r = -x > y ? 180 - y / (-x) * 45 : (-x) / y * 45 + 90;
    }
    if (!std::isfinite(r)) {
        Log("angle" + FloatText(static_cast<float>(x)) + "!!" + FloatText(static_cast<float>(y)) + "!!" +
            FloatText(static_cast<float>(r)));
        return;
    }
    call.setFloat(static_cast<float>(r * s));
}

void NativeDist(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(2)) return;
    const double x = ToFloat(call.arg(1));
    const double y = ToFloat(call.arg(2));
    const float d = static_cast<float>(std::sqrt(x * x + y * y));
    if (std::isinf(d) && std::isfinite(x) && std::isfinite(y)) ThrowFloatOverflow();
    call.setFloat(d);
}

// The low 32 bits of a whole number held in a double, as the conversion of ToInt does.
std::int32_t WholeToInt(double whole) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(TruncToInt64(whole))));
}

void NativeTrunc(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (call.has(1)) call.setInt(WholeToInt(std::trunc(static_cast<double>(ToFloat(call.arg(1))))));
}

void NativeFloor(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (call.has(1)) call.setInt(WholeToInt(std::floor(static_cast<double>(ToFloat(call.arg(1))))));
}

// sqrt(x): the float root for x >= 0, null otherwise.
void NativeSqrt(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    const float f = ToFloat(call.arg(1));
    if (f >= 0.0f) {
        call.setFloat(static_cast<float>(std::sqrt(static_cast<double>(f))));
    } else {
        call.setNull();
    }
}

// valueOf(text): "12" the integer, "-.5" or "3.25" the float, anything else (the empty
// text, "1e3", "abc") null. An integer beyond 32 bits is the conversion error.
void NativeValueOf(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    const std::string t = ToText(call.arg(1));
    if (t.empty()) {
        call.setNull();
        return;
    }
    const char* first = t.data();
    const char* last = t.data() + t.size();
    TBRegExp& re = SharedRegExp();
    if (re.match("/^-?[0-9]*\\.[0-9]+$/", t)) {
        double d = 0;
        const auto [end, ec] = std::from_chars(first, last, d);
        const float f = static_cast<float>(d);
        if (ec != std::errc() || end != last || std::isinf(f)) {
            throw ERuntimeError("'" + t + "' is not a valid floating point value");
        }
        call.setFloat(f);
    } else if (re.match("/^-?[0-9]+$/", t)) {
        std::int32_t i = 0;
        const auto [end, ec] = std::from_chars(first, last, i);
        if (ec != std::errc() || end != last) throw ERuntimeError("'" + t + "' is not a valid integer value");
        call.setInt(i);
    } else {
        call.setNull();
    }
}

}  // namespace

TScriptRandom& ScriptRandom() {
    static TScriptRandom random;
    return random;
}

TNativeList MathNatives() {
    return {{"_n_randomize", NativeRandomize},
            {"rnd", NativeRnd},
            {"sin", NativeSin},
            {"cos", NativeCos},
            {"angle", NativeAngle},
            {"dist", NativeDist},
            {"trunc", NativeTrunc},
            {"floor", NativeFloor},
            {"sqrt", NativeSqrt},
            {"valueOf", NativeValueOf}};
}

}  // namespace varno

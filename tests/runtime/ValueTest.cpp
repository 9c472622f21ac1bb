// Value operations: texts, conversions, truth, comparison and counted assignment.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "RuntimeFixture.h"
#include "runtime/Object.h"
#include "runtime/RuntimeError.h"
#include "runtime/Symbols.h"
#include "runtime/ValueOps.h"

namespace varno {
namespace {

using test::MakeClass;
using test::TStringClassScope;

TEST(FloatText, GeneralFormatOfTheWidenedSingle) {
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {0.1f, "0.100000001490116"},
        {1e20f, "1.00000002004088E20"},
        {0.5f, "0.5"},
        {0.0f, "0"},
        {-0.0f, "0"},
        {1.0f, "1"},
        {100.0f, "100"},
        {-2.5f, "-2.5"},
        {3.5f, "3.5"},
        {1.5e-6f, "1.50000005305628E-6"},
        {0.0001f, "0.0000999999974737875"},      // at least 0.00001: fixed
        {0.00001f, "9.99999974737875E-6"},         // just below 0.00001 once widened
        {123456789012345.0f, "123456788103168"},  // 15 integer digits: still fixed
        {1e16f, "1.00000002725642E16"},           // 17 digits: scientific
        {-1e-10f, "-1.00000001335143E-10"},
        {16777216.0f, "16777216"},
        {std::numeric_limits<float>::infinity(), "INF"},
        {-std::numeric_limits<float>::infinity(), "-INF"},
        {std::numeric_limits<float>::quiet_NaN(), "NAN"},
    };
    for (const auto& c : cases) EXPECT_EQ(FloatText(c.value), c.text) << c.text;
}

TEST(ValueConversions, IntFloatAndTruthByKind) {
    const struct {
        TValue value;
        std::int32_t asInt;
        float asFloat;
        bool truth;
    } cases[] = {
        {TValue::Null(), 0, 0.0f, false},
        {TValue::Int(100), 100, 100.0f, true},
        {TValue::Int(0), 0, 0.0f, false},
        {TValue::Int(-7), -7, -7.0f, true},
        {TValue::Float(7.9f), 7, 7.9f, true},
        {TValue::Float(-7.9f), -7, -7.9f, true},
        {TValue::Float(0.0f), 0, 0.0f, false},
        {TValue::Float(1e10f), 1410065408, 1e10f, true},  // low 32 bits of the 64-bit truncation
        {TValue::Float(1e20f), 0, 1e20f, true},           // beyond 64 bits: the integer indefinite
        {TValue::Float(std::numeric_limits<float>::quiet_NaN()), 0, std::numeric_limits<float>::quiet_NaN(), true},
        {TValue::Object(0), 1, 0.0f, true},
        {TValue::Native(0), 0, 0.0f, true},
        {TValue::Make(tvRef, 4096), 0, 0.0f, false},
        {TValue::Error(3), 0, 0.0f, false},
        {TValue::Unset(0), 0, 0.0f, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.value.tag));
        EXPECT_EQ(ToInt(c.value), c.asInt);
        if (std::isnan(c.asFloat)) EXPECT_TRUE(std::isnan(ToFloat(c.value)));
        else EXPECT_EQ(ToFloat(c.value), c.asFloat);
        EXPECT_EQ(IsTrue(c.value), c.truth);
    }
}

TEST(ValueText, TextsAndLiteralsOfEveryKind) {
    TStringClassScope strings;
    auto cls = MakeClass("Widget", {"width"});
    TfObject* widget = NewInstance(*cls);
    TValue widgetValue = TValue::Object(widget->id());
    TValue text;
    MakeStringValue("abc", text);
    auto* cell = static_cast<TValue*>(HeapAlloc(sizeof(TValue)));
    *cell = TValue::Int(42);
    const std::string id = std::to_string(widget->id());

    const struct {
        TValue value;
        std::string text;
        std::string literal;
    } cases[] = {
        {TValue::Null(), "null", "null"},
        {TValue::Int(100), "100", "100"},
        {TValue::Int(-5), "-5", "-5"},
        {TValue::Float(0.1f), "0.100000001490116", "0.100000001490116"},
        {text, "abc", "\"abc\""},
        {widgetValue, "Widget@" + id, "objectFromID(" + id + ")"},
        {TValue::Ref(cell), "[42]", "[42]"},
        {TValue::Native(cls->ref()), "TRTTI", "TRTTI"},
        {TValue::Native(0), "nil", "nil"},
        {TValue::Native(12345), "TObject", "TObject"},  // a number that is no host object
        {TValue::Error(2), "Error #2", "Error #2"},
        {TValue::Unset(Intern("Speed")), "VariableSpeed", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToText(c.value), c.text);
        EXPECT_EQ(ToLiteral(c.value), c.literal);
    }
    // A fresh object's members print as "Variable" + the member's name.
    EXPECT_EQ(ToText(widget->member(0)), "Variablewidth");
    // A reference to itself does not recurse forever.
    *cell = TValue::Ref(cell);
    EXPECT_NE(ToText(*cell).find("[...]"), std::string::npos);
    HeapFree(cell);
}

TEST(ValueCompare, OnlyTheLeftKindSelectsTheRule) {
    TStringClassScope strings;
    auto cls = MakeClass("Thing", {});
    TValue a = TValue::Object(NewInstance(*cls)->id());
    AddRef(a);
    TValue b = TValue::Object(NewInstance(*cls)->id());
    AddRef(b);
    TValue five;
    MakeStringValue("5", five);
    TValue fiveAgain;
    MakeStringValue("5", fiveAgain);
    const TValue null = TValue::Null();
    const TValue unset = TValue::Unset(0);

    const struct {
        const char* what;
        TValue left, right;
        float result;
    } cases[] = {
        {"\"5\" == 5", five, TValue::Int(5), 0.0f},
        {"5 == \"5\"", TValue::Int(5), five, 1.0f},
        {"two strings of one text", five, fiveAgain, 0.0f},
        {"null > 3", null, TValue::Int(3), 1.0f},
        {"null == unset", null, unset, 0.0f},
        {"unset == null", unset, null, 0.0f},
        {"a vs b", a, b, 1.0f},
        {"b vs a", b, a, 1.0f},
        {"a vs a", a, a, 0.0f},
        {"7 - 2", TValue::Int(7), TValue::Int(2), 5.0f},
        {"2 - 7", TValue::Int(2), TValue::Int(7), -5.0f},
        {"int min - 1 wraps", TValue::Int(INT32_MIN), TValue::Int(1), 2147483647.0f},
        {"1 - 0.5", TValue::Int(1), TValue::Float(0.5f), 0.5f},
        {"16777217 vs 16777216.0", TValue::Int(16777217), TValue::Float(16777216.0f), 1.0f},
        {"float vs int", TValue::Float(2.5f), TValue::Int(2), 0.5f},
        {"3 vs null", TValue::Int(3), null, 1.0f},
        {"natives never equal", TValue::Native(cls->ref()), TValue::Native(cls->ref()), 1.0f},
        {"error vs error", TValue::Error(0), TValue::Error(0), 1.0f},
    };
    for (const auto& c : cases) EXPECT_EQ(Compare(c.left, c.right), c.result) << c.what;
    Release(a);
    Release(b);
}

TEST(ValueCounting, AssignSettersAndTheNegativeCount) {
    auto cls = MakeClass("Counted", {});
    TfObject* o = NewInstance(*cls);
    EXPECT_EQ(o->refCount, 0);
    TValue x;
    TValue y;
    SetObject(x, o);
    EXPECT_EQ(o->refCount, 1);
    Assign(y, x);
    EXPECT_EQ(o->refCount, 2);
    Assign(y, y);  // self-assignment keeps the count
    EXPECT_EQ(o->refCount, 2);
    SetInt(y, 3);
    EXPECT_EQ(o->refCount, 1);
    SetNull(x);
    EXPECT_EQ(o->refCount, 0);
    EXPECT_EQ(o->cls, cls->ref()) << "a count of 0 destroys nothing";

    const TValue dangling = TValue::Object(o->id());
    try {
        Release(dangling);
        FAIL() << "no error";
    } catch (const ERuntimeError& e) {
        EXPECT_EQ(std::string(e.what()), "Counted@" + std::to_string(o->id()) + ":negative reference count ");
    }
}

}  // namespace
}  // namespace varno

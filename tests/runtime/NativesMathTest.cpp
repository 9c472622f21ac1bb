// The number natives of the root class: random numbers, angle tables, rounding, number texts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

#include "NativesFixture.h"
#include "runtime/natives/ScriptRandom.h"

namespace varno {
namespace {

using test::RoutineOf;

class NativesMathTest : public test::TNativesTest {
protected:
    std::string math(std::string_view name, std::initializer_list<TValue> args) {
        return describe(RoutineOf(ObjectNatives(), name), self(), args);
    }
    TValue value(std::string_view name, std::initializer_list<TValue> args) {
        return call(RoutineOf(ObjectNatives(), name), self(), args);
    }
};

TEST_F(NativesMathTest, RndWithoutArgumentIsAFloatBelowOne) {
    for (int i = 0; i < 1000; ++i) {
        const TValue v = value("rnd", {});
        ASSERT_EQ(v.tag, tvFloat);
        ASSERT_GE(v.asFloat(), 0.0f);
        ASSERT_LT(v.asFloat(), 1.0f);
    }
}

TEST_F(NativesMathTest, RndOfSmallRangesAndItsEdges) {
    for (int i = 0; i < 50; ++i) EXPECT_EQ(math("rnd", {TValue::Int(1)}), "int:0");
    EXPECT_EQ(math("rnd", {TValue::Int(0)}), "int:0");
    EXPECT_EQ(math("rnd", {TValue::Int(-3)}), "int:0");
    EXPECT_EQ(math("rnd", {TValue::Float(0.9f)}), "int:0");  // ToInt(0.9) is 0
    std::set<int> seen;
    for (int i = 0; i < 600; ++i) {
        const TValue v = value("rnd", {TValue::Int(6)});
        ASSERT_EQ(v.tag, tvInt);
        ASSERT_GE(v.asInt(), 0);
        ASSERT_LT(v.asInt(), 6);
        seen.insert(v.asInt());
    }
    EXPECT_EQ(seen.size(), 6u);
    // Above 2^30 the divisor would be 0; the generator's whole range is given instead.
    const TValue big = value("rnd", {TValue::Int(std::numeric_limits<std::int32_t>::max())});
    EXPECT_EQ(big.tag, tvInt);
    EXPECT_LT(big.asInt(), 1 << 30);
}

TEST_F(NativesMathTest, RandomizeGivesTheSameSequenceEveryTime) {
    // The generator's arithmetic pinned: seed 5, three states, as fractions of 2^30.
    call(RoutineOf(ObjectNatives(), "_n_randomize"), self(), {TValue::Int(5)});
    EXPECT_EQ(ScriptRandom().state(), (5u ^ 0x75BD924u));
    EXPECT_FLOAT_EQ(value("rnd", {}).asFloat(), 20135805.0f / 1073741824.0f);
    EXPECT_FLOAT_EQ(value("rnd", {}).asFloat(), 427533545.0f / 1073741824.0f);
    EXPECT_FLOAT_EQ(value("rnd", {}).asFloat(), 752032549.0f / 1073741824.0f);
    // Only the low 24 bits of the seed count.
    call(RoutineOf(ObjectNatives(), "_n_randomize"), self(), {TValue::Int(5 + (1 << 24))});
    EXPECT_FLOAT_EQ(value("rnd", {}).asFloat(), 20135805.0f / 1073741824.0f);
}

TEST_F(NativesMathTest, RndNeverRoundsUpToOne) {
    // 862897803 is the state whose successor is 2^30 - 1, which is 1.0 in single precision.
    ScriptRandom().setState(862897803u);
    const TValue v = value("rnd", {});
    EXPECT_EQ(ScriptRandom().state(), (1u << 30) - 1);
    EXPECT_LT(v.asFloat(), 1.0f);
}

TEST_F(NativesMathTest, SinAndCosUseWholeDegreesAndWrap) {
    EXPECT_EQ(math("sin", {TValue::Int(90)}), "float:1");
    EXPECT_EQ(math("sin", {TValue::Int(450)}), math("sin", {TValue::Int(90)}));
    EXPECT_EQ(math("cos", {TValue::Int(-1)}), math("cos", {TValue::Int(359)}));
    EXPECT_EQ(math("sin", {TValue::Float(0.9f)}), "float:0");
    EXPECT_EQ(math("sin", {TValue::Int(-90)}), "float:-1");
    EXPECT_EQ(math("cos", {TValue::Int(-360)}), "float:1");
    EXPECT_EQ(math("cos", {TValue::Int(std::numeric_limits<std::int32_t>::min())}),
              math("cos", {TValue::Int(static_cast<std::int32_t>(360 - (2147483648LL % 360)))}));
    EXPECT_EQ(math("sin", {}), "obj:" + ToText(self()));  // needs an argument: the receiver stays
}

TEST_F(NativesMathTest, AngleIsLinearWithinEachOctant) {
    struct TCase {
        float x, y;
        const char* expected;
    };
    const TCase cases[] = {{0, 0, "float:0"},       {-1, 0, "float:180"},     {0, -1, "float:-90"},
                           {1, 1, "float:45"},      {2, 1, "float:22.5"},     {1, 2, "float:67.5"},
                           {-1, 1, "float:135"},    {-2, 1, "float:157.5"},   {-1, -1, "float:-135"},
                           {1, -1, "float:-45"},    {0, 1, "float:90"},       {0.00005f, -0.00005f, "float:-0.00224999990314245"}};
    for (const TCase& c : cases) {
        EXPECT_EQ(math("angle", {TValue::Float(c.x), TValue::Float(c.y)}), c.expected) << c.x << "," << c.y;
    }
    // Infinite coordinates give no number: nothing is stored.
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(math("angle", {TValue::Float(inf), TValue::Float(inf)}), "obj:" + ToText(self()));
}

TEST_F(NativesMathTest, Rounding) {
    EXPECT_EQ(math("floor", {TValue::Float(-1.5f)}), "int:-2");
    EXPECT_EQ(math("trunc", {TValue::Float(-1.5f)}), "int:-1");
    EXPECT_EQ(math("floor", {TValue::Int(2)}), "int:2");
    EXPECT_EQ(math("trunc", {TValue::Float(2.9f)}), "int:2");
    EXPECT_EQ(math("floor", {TValue::Float(2.9f)}), "int:2");
    EXPECT_EQ(math("dist", {TValue::Int(3), TValue::Int(4)}), "float:5");
    EXPECT_EQ(math("sqrt", {TValue::Int(4)}), "float:2");
    EXPECT_EQ(math("sqrt", {TValue::Int(-1)}), "null:null");
    EXPECT_THROW(math("dist", {TValue::Float(3e38f), TValue::Float(3e38f)}), ERuntimeError);
}

TEST_F(NativesMathTest, ValueOfForms) {
    struct TCase {
        const char* text;
        const char* expected;
    };
    const TCase cases[] = {{"12", "int:12"},        {"-7", "int:-7"},      {"-.5", "float:-0.5"},
                           {"3.25", "float:3.25"},  {"1e3", "null:null"},  {"", "null:null"},
                           {"1.", "null:null"},     {" 12", "null:null"},  {"abc", "null:null"},
                           {"0012", "int:12"}};
    for (const TCase& c : cases) EXPECT_EQ(math("valueOf", {world.string(c.text)}), c.expected) << c.text;
    EXPECT_EQ(math("valueOf", {TValue::Int(42)}), "int:42");  // any value, through its text
    EXPECT_THROW(math("valueOf", {world.string("99999999999")}), ERuntimeError);
}

TEST_F(NativesMathTest, KindsOfValues) {
    EXPECT_EQ(math("isInt", {TValue::Int(1)}), "int:1");
    EXPECT_EQ(math("isInt", {TValue::Float(1)}), "int:0");
    EXPECT_EQ(math("isFloat", {TValue::Float(1)}), "int:1");
    EXPECT_EQ(math("isFloat", {world.string("1.5")}), "int:0");
}

}  // namespace
}  // namespace varno

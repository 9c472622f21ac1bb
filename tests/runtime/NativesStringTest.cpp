// The String class's natives on ASCII and on Shift-JIS text, and the pieces of split.
#include <gtest/gtest.h>

#include "NativesFixture.h"
#include "runtime/String.h"
#include "runtime/natives/SplitText.h"
#include "services/regex/BRegExpError.h"

namespace varno {
namespace {

using test::RoutineOf;

// Shift-JIS: two double-byte characters (4 bytes), a half-width katakana byte, a lead byte.
const std::string kTwo = "\x82\xa0\x82\xa2";      // two hiragana
const std::string kKanaA = "\xb1" "a";             // half-width katakana, then a
const std::string kTrailingLead = "ab\x82";        // a lead byte at the very end
const std::string kSlashKanji = "\x95\x5c" "x";    // a kanji whose trail byte is a backslash

struct TCase {
    std::string text;
    const char* native;
    std::vector<TValue> args;
    std::string expected;
};

class NativesStringTest : public test::TNativesTest {
protected:
    std::string run(const TCase& c) {
        const TValue receiver = world.string(c.text);
        TNativeRoutine routine = RoutineOf(StringNatives(), c.native);
        switch (c.args.size()) {
            case 0: return describe(routine, receiver);
            case 1: return describe(routine, receiver, {c.args[0]});
            default: return describe(routine, receiver, {c.args[0], c.args[1]});
        }
    }
};

TEST_F(NativesStringTest, ByteAndCharacterOperations) {
    const auto I = [](int i) { return TValue::Int(i); };
    const std::vector<TCase> cases = {
        {"abcdef", "native_length", {}, "int:6"},
        {"abcdef", "native_substring", {I(2)}, "obj:cdef"},
        {"abcdef", "native_substring", {I(4), I(2)}, "obj:"},
        {"abcdef", "native_substring", {I(-2), I(3)}, "obj:abcde"},
        {"abcdef", "native_substring", {I(2), I(100)}, "obj:cdef"},
        {"abcdef", "native_substring", {I(7)}, "obj:"},
        {"", "native_substring", {I(0), I(3)}, "obj:"},
        {"abcdef", "native_charAt", {I(0)}, "int:97"},
        {"abcdef", "native_charAt", {I(-1)}, "obj:abcdef"},  // outside: the receiver itself
        {"abcdef", "native_charAt", {I(6)}, "obj:abcdef"},
        {"abcdef", "native_strcat", {I(12)}, "obj:abcdef12"},
        {"abcdef", "native_strcat", {TValue::Null()}, "obj:abcdefnull"},
        {"abcdef", "_n_wlength", {}, "int:6"},
        {"abcdef", "_n_wsubstring", {I(1), I(3)}, "obj:bc"},
        {kTwo, "native_length", {}, "int:4"},
        {kTwo, "_n_wlength", {}, "int:2"},
        {kTwo, "_n_wsubstring", {I(1)}, "obj:" + kTwo.substr(2)},
        {kTwo, "_n_wsubstring", {I(0), I(1)}, "obj:" + kTwo.substr(0, 2)},
        {kTwo, "native_substring", {I(1), I(3)}, "obj:" + kTwo.substr(1, 2)},  // bytes, even mid-character
        {kTwo, "native_charAt", {I(1)}, "int:160"},
        {kKanaA, "_n_wlength", {}, "int:1"},  // the katakana byte counts as a lead byte here...
        {kKanaA, "_n_wsubstring", {I(0), I(1)}, "obj:\xb1"},  // ...but not in the walk
        {kTrailingLead, "native_length", {}, "int:3"},
        {kTrailingLead, "_n_wlength", {}, "int:3"},
        {kTrailingLead, "_n_wsubstring", {I(2)}, "obj:\x82"},
        {kTrailingLead, "_n_wsubstring", {I(2), I(3)}, "obj:\x82"},
        {kTrailingLead, "native_charAt", {I(2)}, "int:130"},
    };
    for (const TCase& c : cases) EXPECT_EQ(run(c), c.expected) << c.native << " on " << c.text;
}

TEST_F(NativesStringTest, AnyReceiverIsReadThroughItsText) {
    EXPECT_EQ(describe(RoutineOf(StringNatives(), "native_length"), TValue::Int(-42)), "int:3");
    EXPECT_EQ(describe(RoutineOf(StringNatives(), "native_substring"), TValue::Float(2.5f), {TValue::Int(1)}),
              "obj:.5");
}

TEST_F(NativesStringTest, InitMakesOneByteAndFreeBodyFreesIt) {
    TfObject* s = world.make(*StringClass());
    const std::int64_t before = RuntimeCounters().liveStrings;
    EXPECT_EQ(describe(RoutineOf(StringNatives(), "native_init"), TValue::Object(s->id()), {TValue::Int(0x141)}),
              "obj:A");
    EXPECT_EQ(RuntimeCounters().liveStrings, before + 1);
    const TValue body = s->member(StringClass()->Members().indexOf(Intern("_body")));
    ASSERT_EQ(body.tag, tvNative);
    call(RoutineOf(StringNatives(), "_free_body"), TValue::Object(s->id()), {body});
    EXPECT_EQ(RuntimeCounters().liveStrings, before);
    // A second free, or a value that is no body, is nothing.
    call(RoutineOf(StringNatives(), "_free_body"), TValue::Object(s->id()), {body});
    call(RoutineOf(StringNatives(), "_free_body"), TValue::Object(s->id()), {TValue::Int(7)});
    EXPECT_EQ(RuntimeCounters().liveStrings, before);
}

TEST(SplitTextTest, PiecesAndSeparators) {
    struct TSplit {
        std::string text, separator;
        int limit;
        std::vector<std::string> pieces;
    };
    const TSplit cases[] = {
        {"a,b,,c", "", 0, {"a", "b", "", "c"}},
        {"a,b,,", ",", 0, {"a", "b"}},  // limit 0 drops trailing empty pieces
        {"a,b,,", ",", -1, {"a", "b", "", ""}},
        {"a,b,c", ",", 2, {"a", "b,c"}},
        {"1.2.3", ".", 0, {"1", "2", "3"}},     // escaped: a literal point
        {"a|b", "|", 0, {"a", "b"}},
        {"a/b", "/", 0, {"a", "b"}},
        {"a--b-c", "--", 0, {"a", "b-c"}},
        {"a.bxc", "..", 0, {"a", "xc"}},        // only the first point is escaped: the second matches any byte
        {"ax+b", "x+", 0, {"a", "b"}},        // "+" is the first non-word byte: literal
        {"", ",", 0, {}},
        {"a" + kTwo + "b", kTwo.substr(2), 0, {"a" + kTwo.substr(0, 2), "b"}},
        {kSlashKanji + "," + kSlashKanji, ",", 0, {kSlashKanji, kSlashKanji}},
        {"a" + kSlashKanji + "b", kSlashKanji.substr(0, 2), 0, {"a", "xb"}},  // a kanji ending in 0x5C
        {"a\x81\x5b" "b\x81\x5b", "\x81\x5b", 0, {"a", "b"}},               // one ending in "["
    };
    for (const TSplit& c : cases) {
        EXPECT_EQ(SplitText(c.text, c.separator, c.limit), c.pieces) << c.text << " at " << c.separator;
    }
    EXPECT_THROW(SplitText("a((b", "((", 0), EBRegExpError);  // the second "(" is not escaped
}

}  // namespace
}  // namespace varno

// The instruction set's semantics, one small method per case, including the quiet cases.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "ScriptWorld.h"
#include "base/Text.h"
#include "runtime/Symbols.h"

namespace varno {
namespace {

using test::TScriptWorld;

// Every case runs "run" on a T (members a = 1, b = 2, u unset after the root's _generator) with
// two locals and the given arguments. T also has: twice(x) = x * 2; U extends T with
// twice(x) = x * 3; P has a constructor P(x) storing x in v; Q has no constructor; E
// has an "_errorHook" returning the second argument it got. "{twice}" in a code text
// stands for twice's slot in T's method table.
struct TCase {
    const char* name;
    const char* code;
    const char* expected;
    const char* message = "";  // a text the user must have been shown ("" = none at all)
    int args = 0;              // arguments 10, 20, ... passed to run
};

const TCase kCases[] = {
    // Pushes and references.
    {"pop", "Push int:1; Push int:2; Pop; Ret", "int:1"},
    {"push float", "Push float:2.5; Ret", "float:2.5"},
    {"push string", "PushString \"hey\"; Ret", "obj:hey"},
    {"push this member", "PushThis; SMemberValPtr 1; Deref; Ret", "int:1"},
    {"member by name", "PushThis; DMemberValPtr #B 0; Deref; Ret", "int:2"},
    {"member ref assign", "PushThis; DMemberValPtr #a 0; Push int:7; Subst; Pop; PushThis; SMemberValPtr 1; Deref; Ret",
     "int:7"},
    {"missing member", "PushThis; DMemberValPtr #zz 0; Deref; Ret", "error:Error #0", "Variablezz is not defined."},
    {"missing member ref goes to scratch", "PushThis; DMemberValPtr #zz 0; Push int:5; Subst; Ret", "int:5",
     "Variablezz is not defined."},
    {"member of a number", "Push int:3; DMemberValPtr #zz 0; Deref; Ret", "error:Error #0",
     "3 is not Object. Fieldzz cannot be read."},
    {"member of an unset member", "PushThis; SMemberValPtr 3; Deref; DMemberValPtr #zz 0; Deref; Ret",
     "error:Error #0", "Variableu is not initialized. Fieldzz cannot be read."},
    {"member of the error value is quiet", "Push err:0; DMemberValPtr #zz 0; Deref; Ret", "error:Error #0"},
    {"local", "LocalValPtr 1; Push int:4; Subst; Pop; LocalValPtr 1; Deref; Ret", "int:4"},
    {"locals start null", "LocalValPtr 0; Deref; Ret", "null:null"},
    {"argument", "ArgValPtr 1; Deref; Ret", "int:20", "", 2},
    {"missing argument reads null", "ArgValPtr 2; Deref; Ret", "null:null", "", 2},
    {"assigning a missing argument changes only the scratch cell",
     "ArgValPtr 0; Push int:7; Subst; Pop; ArgValPtr 0; Deref; Ret", "null:null"},
    {"global through a reference", "Push $g; Push int:8; Subst; Pop; Push $g; Deref; Ret", "int:8"},
    {"deref of a value is no-op", "Push int:6; Deref; Ret", "int:6"},
    {"jump into a fused read runs its deref alone",
     "LocalValPtr 0; Push int:9; Subst; Pop; LocalValPtr 0; Jump >d; LocalValPtr 1; d: Deref; Ret", "int:9"},

    // Arithmetic.
    {"int add wraps", "Push int:2147483647; Push int:1; Add; Ret", "int:-2147483648"},
    {"int plus float", "Push int:1; Push float:0.5; Add; Ret", "float:1.5"},
    {"string plus int", "PushString \"a\"; Push int:1; Add; Ret", "obj:a1"},
    {"int plus string", "Push int:1; PushString \"a\"; Add; Ret", "obj:1a"},
    {"null plus string", "Push null; PushString \"a\"; Add; Ret", "obj:a"},
    {"string plus null", "PushString \"a\"; Push null; Add; Ret", "obj:a"},
    {"string plus error", "PushString \"a\"; Push err:0; Add; Ret", "obj:aError #0"},
    {"int plus null", "Push int:4; Push null; Add; Ret", "int:4"},
    {"string minus int", "PushString \"a\"; Push int:1; Sub; Ret", "obj:a"},
    {"int minus string", "Push int:5; PushString \"a\"; Sub; Ret", "int:5"},
    {"null minus 5", "Push null; Push int:5; Sub; Ret", "int:-5"},
    {"null times 5", "Push null; Push int:5; Mul; Ret", "int:5"},
    {"float product", "Push float:1.5; Push int:2; Mul; Ret", "float:3"},
    {"7 / 2", "Push int:7; Push int:2; Div; Ret", "float:3.5"},
    {"6 / 2", "Push int:6; Push int:2; Div; Ret", "int:3"},
    {"-7 / 2", "Push int:-7; Push int:2; Div; Ret", "float:-3.5"},
    {"lowest / -1 wraps", "Push int:-2147483648; Push int:-1; Div; Ret", "int:-2147483648"},
    {"-7 % 2", "Push int:-7; Push int:2; Mod; Ret", "int:-1"},
    {"7.9 % 2", "Push float:7.9; Push int:2; Mod; Ret", "int:1"},
    {"7 % 2.9", "Push int:7; Push float:2.9; Mod; Ret", "int:1"},
    {"lowest % -1", "Push int:-2147483648; Push int:-1; Mod; Ret", "int:0"},
    {"integer division by zero", "Push int:1; Push int:0; Div; Ret", "died", "ゼロによる除算"},
    {"remainder by zero", "Push int:1; Push int:0; Mod; Ret", "died", "ゼロによる除算"},
    {"remainder by a float below 1", "Push int:1; Push float:0.5; Mod; Ret", "died", "ゼロによる除算"},
    {"float division by zero", "Push int:1; Push float:0; Div; Ret", "died", "0 による浮動小数点数除算"},
    {"zero by zero", "Push float:0; Push float:0; Div; Ret", "died", "不正な浮動小数点数演算命令"},
    {"float overflow", "Push float:3e38; Push int:10; Mul; Ret", "died", "浮動小数点数のオーバーフロー"},

    // Comparisons: always a float.
    {"1 < 2", "Push int:1; Push int:2; LT; Ret", "float:1"},
    {"2 <= 1", "Push int:2; Push int:1; LTE; Ret", "float:0"},
    {"2 >= 2.0", "Push int:2; Push float:2; GTE; Ret", "float:1"},
    {"\"5\" == 5", "PushString \"5\"; Push int:5; EQ; Ret", "float:1"},
    {"5 == \"5\"", "Push int:5; PushString \"5\"; EQ; Ret", "float:0"},
    {"null > 3", "Push null; Push int:3; GT; Ret", "float:1"},
    {"null == unset", "Push null; PushThis; SMemberValPtr 3; Deref; EQ; Ret", "float:1"},
    {"wrapping difference", "Push int:2147483647; Push int:-1; GT; Ret", "float:0"},
    {"objects differ both ways", "PushThis; PushString \"x\"; NEQ; Ret", "float:1"},

    // Unary and type operations.
    {"not 0", "Push int:0; Not; Ret", "int:1"},
    {"not string", "PushString \"\"; Not; Ret", "int:0"},
    {"not null", "Push null; Not; Ret", "int:1"},
    {"neg int", "Push int:5; Neg; Ret", "int:-5"},
    {"neg float", "Push float:1.5; Neg; Ret", "float:-1.5"},
    {"neg string stays", "PushString \"a\"; Neg; Ret", "obj:a"},
    {"and/or do nothing", "Push int:3; And; Or; Ret", "int:3"},
    {"is own class", "PushThis; Is class:T; Ret", "int:1"},
    {"is root class", "PushThis; Is class:classes.lang.Object; Ret", "int:1"},
    {"is other class", "PushThis; Is class:Q; Ret", "int:0"},
    {"is on a number", "Push int:3; Is class:T; Ret", "int:0"},

    // Assignment.
    {"subst value", "LocalValPtr 0; Push int:4; Subst; Ret", "int:4"},
    {"add-subst int", "LocalValPtr 0; Push int:1; Subst; Pop; LocalValPtr 0; Push int:2; AddSubst; Deref; Ret", "int:3"},
    {"add-subst float", "LocalValPtr 0; Push int:1; Subst; Pop; LocalValPtr 0; Push float:0.5; AddSubst; Deref; Ret",
     "float:1.5"},
    {"add-subst null", "LocalValPtr 0; Push int:5; AddSubst; Deref; Ret", "int:5"},
    {"sub-subst null is not negated", "LocalValPtr 0; Push int:5; SubSubst; Deref; Ret", "int:5"},
    {"sub-subst int", "PushThis; SMemberValPtr 2; Push int:5; SubSubst; Deref; Ret", "int:-3"},
    {"add-subst leaves a string alone",
     "LocalValPtr 0; PushString \"s\"; Subst; Pop; LocalValPtr 0; Push int:1; AddSubst; Deref; Ret", "obj:s"},
    {"add-subst leaves the reference", "LocalValPtr 0; Push int:1; AddSubst; Ret", "ref:[1]"},
    {"assignment to this goes nowhere", "PushThis; Push int:4; Subst; Pop; PushThis; Is class:T; Ret", "int:1"},

    // Jumps.
    {"jump", "Jump >x; Push int:1; Ret; x: Push int:2; Ret", "int:2"},
    {"jump-zero on 0", "Push int:0; JumpZero >x; Push int:1; Ret; x: Push int:2; Ret", "int:2"},
    {"jump-zero on an object", "PushThis; JumpZero >x; Push int:1; Ret; x: Push int:2; Ret", "int:1"},
    {"jump-and keeps a false top", "Push int:0; Jump_And >x; Push int:5; x: Ret", "int:0"},
    {"jump-and drops a true top", "Push int:1; Jump_And >x; Push int:5; x: Ret", "int:5"},
    {"jump-or keeps a true top", "Push float:2; Jump_Or >x; Push int:5; x: Ret", "float:2"},
    {"jump-or drops a false top", "Push null; Jump_Or >x; Push int:5; x: Ret", "int:5"},

    // Calls.
    {"dynamic call", "PushThis; Push int:21; DCall 1 #twice 0; Ret", "int:42"},
    {"static call", "PushThis; Push int:4; SCall 1 {twice}; Ret", "int:8"},
    {"super call", "PushThis; Push int:4; SuperCall 1 fn:T.twice; Ret", "int:8"},
    {"super call of nothing gives the receiver", "PushThis; Push int:4; SuperCall 1 0; Is class:T; Ret", "int:1"},
    {"native call", "PushThis; Push int:1; Push int:2; NativeCall 2 fn:classes.lang.Object.argCount; Ret", "int:2"},
    {"native without a result gives the receiver",
     "PushThis; Push int:1; NativeCall 1 fn:classes.lang.Object.print; Is class:T; Ret", "int:1"},
    {"constructor", "Push float:0; Push int:5; Constructor 1 class:P; DMemberValPtr #v 0; Deref; Ret", "int:5"},
    {"class without a constructor", "Push float:0; Push int:5; Constructor 1 class:Q; Is class:Q; Ret", "int:1"},
    {"missing method", "PushThis; DCall 0 #nope 0; Ret", "died", "Methodnope is not defined."},
    {"error hook gets the arguments",
     "Push float:0; Constructor 0 class:E; Push int:1; Push int:2; DCall 2 #nope 0; Ret", "int:2",
     "Methodnope is not defined."},
    {"native by name", "PushThis; Push int:1; DCall 1 #print 0; Ret", "died", "Native関数print cannot be invoked."},
    {"call on null", "Push null; DCall 0 #foo 0; Ret", "died",
     "null is not Object. Methodfoo cannot be called.\nnull is not Object. is not Object. Method foo cannot be called."},
    {"call on a number", "Push int:3; Push int:1; DCall 1 #foo 0; Ret", "died",
     "3 is not Object. Methodfoo cannot be called."},
    {"call on the error value", "Push err:0; DCall 0 #foo 0; Ret", "died",
     "Error #0 is not Object. is not Object. Method foo cannot be called."},
    {"fewer arguments than declared", "PushThis; DCall 0 #twice 0; Ret", "int:2"},  // null * 2 is 2
    {"more arguments than declared", "PushThis; Push int:3; PushString \"x\"; Push int:9; DCall 3 #twice 0; Ret",
     "int:6"},

    // Process control.
    {"point", "Point 1 2 3; Push int:1; Ret", "int:1"},
    {"halt ends without a result", "Push int:1; Halt", "halted"},
};

void PrintTo(const TCase& c, std::ostream* os) { *os << c.name; }

class InstructionTest : public ::testing::TestWithParam<TCase> {};

TEST_P(InstructionTest, Runs) {
    const TCase& c = GetParam();
    TScriptWorld world;
    TRTTI& t = world.defineClass("T", {"a", "b", "u"});
    world.method(t, "twice", "ArgValPtr 0; Deref; Push int:2; Mul; Ret", 1);
    TRTTI& u = world.defineClass("U", {}, &t);
    world.method(u, "twice", "ArgValPtr 0; Deref; Push int:3; Mul; Ret", 1);
    TRTTI& p = world.defineClass("P", {"v"});
    world.method(p, "P", "PushThis; SMemberValPtr 1; ArgValPtr 0; Deref; Subst; Pop; PushThis; Ret", 1, 0,
                 TFunctionKind::Constructor);
    world.defineClass("Q");
    TRTTI& e = world.defineClass("E");
    world.method(e, "_errorHook", "ArgValPtr 1; Deref; Ret", 2);

    std::string code = c.code;
    if (const std::size_t at = code.find("{twice}"); at != std::string::npos) {
        code.replace(at, 7, std::to_string(t.MethodIndexByName("twice")));
    }
    world.method(t, "run", code, c.args, 2);
    TfObject* o = world.make(t);
    o->member(1) = TValue::Int(1);
    o->member(2) = TValue::Int(2);
    std::vector<TValue> args;
    for (int i = 0; i < c.args; ++i) args.push_back(TValue::Int(10 * (i + 1)));

    TProcess* process = TProcess::Create(*o, args, "run");
    for (int run = 0; run < 50 && !process->halted(); ++run) process->Run(kRunBudget);
    std::string result = process->result() != nullptr ? TScriptWorld::Describe(*process->result()) : "halted";
    if (process->errorState() == 2) result = "died";
    TProcess::Free(process);

    EXPECT_EQ(result, c.expected);
    if (*c.message == '\0') {
        EXPECT_EQ(world.messages(), "");
    } else {
        EXPECT_NE(world.messages().find(Utf8ToSjis(c.message)), std::string::npos) << world.messages();
    }
}

INSTANTIATE_TEST_SUITE_P(Semantics, InstructionTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TCase>& info) {
                             std::string name;
                             for (const char* s = info.param.name; *s != '\0'; ++s) {
                                 name += std::isalnum(static_cast<unsigned char>(*s)) ? *s : '_';
                             }
                             return name + "_" + std::to_string(info.index);
                         });

}  // namespace
}  // namespace varno

namespace varno {
namespace {

// appendTo(array, v): appends v to the array's element list.
void NativeAppendTo(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    TfObject* array = call.has(2) ? ObjectOf(call.arg(1)) : nullptr;
    if (array == nullptr) return;
    if (auto* list = NativeOf<TElementList>(array->member(ArrayListMember()))) list->add(call.arg(2));
}

// for (v in $arr) sum += v  with v local 0 and sum local 1; the body may append.
constexpr const char* kSumLoop =
    "LocalValPtr 1; Push int:0; Subst; Pop;"
    "LocalValPtr 0; Push $arr; Deref; InitForIn;"
    "top: DoForIn >end;"
    "BODY;"
    "LocalValPtr 1; LocalValPtr 0; Deref; AddSubst; Pop;"
    "Jump >top;"
    "end: ClearForIn;"
    "LocalValPtr 1; Deref; Ret";

// if (v < 3) appendTo($arr, v + 1)
constexpr const char* kGrowBody =
    "LocalValPtr 0; Deref; Push int:3; LT; JumpZero >skip;"
    "PushThis; Push $arr; Deref; LocalValPtr 0; Deref; Push int:1; Add; NativeCall 2 fn:L.appendTo; Pop;"
    "skip: Push int:0; Pop";

std::string Loop(const char* body) {
    std::string code = kSumLoop;
    code.replace(code.find("BODY"), 4, body);
    return code;
}

struct ForInTest : ::testing::Test {
    TScriptWorld world;
    TRTTI& l = world.defineClass("L");
    TfObject* o = world.make(l);
    ForInTest() { world.native(l, "appendTo", NativeAppendTo); }
};

TEST_F(ForInTest, VisitsEveryElementAndReleasesTheLoopState) {
    TfObject* array = world.makeArray({TValue::Int(1), TValue::Int(2), TValue::Int(3)});
    Assign(world.global("$arr"), TValue::Object(array->id()));
    world.method(l, "sum", Loop("Push int:0; Pop"), 0, 2);
    EXPECT_EQ(world.call(o, "sum"), "int:6");
    EXPECT_EQ(array->refCount, 2) << "the world and $arr";
}

TEST_F(ForInTest, SeesElementsAddedWhileItRuns) {
    TfObject* array = world.makeArray({TValue::Int(1)});
    Assign(world.global("$arr"), TValue::Object(array->id()));
    world.method(l, "sum", Loop(kGrowBody), 0, 2);
    EXPECT_EQ(world.call(o, "sum"), "int:6") << "1, then the 2 and 3 it appended";
}

TEST_F(ForInTest, AnArrayWithoutAListIsEmpty) {
    TfObject* array = world.make(world.arrayClass());
    Assign(world.global("$arr"), TValue::Object(array->id()));
    world.method(l, "sum", Loop("Push int:0; Pop"), 0, 2);
    EXPECT_EQ(world.call(o, "sum"), "int:0");
}

TEST_F(ForInTest, ANonArrayStopsTheProcess) {
    Assign(world.global("$arr"), TValue::Int(5));
    world.method(l, "sum", Loop("Push int:0; Pop"), 0, 2);
    EXPECT_EQ(world.call(o, "sum"), "died");
    EXPECT_NE(world.messages().find("\"Cannot apply \"\"for in ..\"\" to non-Array Value.\""), std::string::npos);
}

}  // namespace
}  // namespace varno

// Evaluation of generated text, with a stand-in compiler that reads assembly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScriptWorld.h"
#include "base/Text.h"
#include "runtime/Alias.h"
#include "runtime/Eval.h"
#include "runtime/Hooks.h"
#include "runtime/MultiEvaluator.h"

namespace varno {
namespace {

using test::Printed;
using test::TScriptWorld;

// Evaluates the text of its argument from inside a running process.
void NativeEval(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    TProcess* outer = CurrentProcess();
    const int result = Eval(ToText(call.arg(1)));
    EXPECT_EQ(CurrentProcess(), outer);
    call.setInt(result);
}

struct EvalTest : ::testing::Test {
    TScriptWorld world;
    std::vector<std::string> compiled;  // class names the compiler was given

    EvalTest() {
        world.native(world.objectClass(), "eval", NativeEval);
        // Texts are assembly; a text starting with "!" has a syntax error.
        RuntimeHooks().compileSource = [this](TRTTI& cls, std::string_view text, bool report) {
            compiled.push_back(cls.Name());
            if (text.starts_with("!")) {
                if (report) ShowMessage("Syntax Error");
                cls.SetCompileFailed(true);
                return true;
            }
            cls.SetSuperClass(&world.objectClass());
            cls.InheritMethods();
            cls.InheritMembers();
            cls.SetCode(world.assemble(text, &cls));
            cls.SetCompiled(true);
            return false;
        };
    }
};

TEST_F(EvalTest, AssignsAGlobalAndNamesEachClassAnew) {
    const std::int32_t n = EvalCount();
    EXPECT_EQ(Eval("Push $x; Push int:1; Subst; Pop; Push float:0; Halt"), kEvalOk);
    EXPECT_EQ(ToText(world.global("$x")), "1");
    EXPECT_EQ(Eval("Push float:0; Halt"), kEvalOk);
    EXPECT_EQ(compiled, (std::vector<std::string>{"eval" + std::to_string(n), "eval" + std::to_string(n + 1)}));
    EXPECT_EQ(TAlias::Find(compiled[0]), nullptr) << "the class is gone";
}

TEST_F(EvalTest, ACompileErrorReturnsOneAndStillCounts) {
    const std::int32_t n = EvalCount();
    EXPECT_EQ(Eval("!"), kEvalCompileError);
    EXPECT_EQ(EvalCount(), n + 1);
    EXPECT_EQ(world.messages(), "Syntax Error\n");
}

TEST_F(EvalTest, ARunErrorReturnsTwoAndReleasesTheStack) {
    const TValue s = world.string("held");
    Assign(world.global("$s"), s);
    EXPECT_EQ(Eval("Push $s; Deref; Push int:1; Push int:0; Div; Halt"), kEvalRunError);
    EXPECT_EQ(AsObject(s)->refCount, 2) << "the world and $s";
    EXPECT_NE(world.messages().find(Utf8ToSjis("ゼロによる除算")), std::string::npos);
}

TEST_F(EvalTest, RunsToCompletionAcrossSuspensionsAndBudgets) {
    ProcessGlobals().preempted = false;
    // Counts $n to 100000 (500000 instructions), suspending once on the way.
    EXPECT_EQ(Eval("PushThis; NativeCall 0 fn:classes.lang.Object.suspend; Pop;"
                   "top: Push $n; Push int:1; AddSubst; Deref; Push int:100000; LT; JumpZero >end; Jump >top;"
                   "end: Push float:0; Halt"),
              kEvalOk);
    EXPECT_EQ(ToText(world.global("$n")), "100000");
    EXPECT_FALSE(ProcessGlobals().preempted) << "the caller's flag is kept";
}

TEST_F(EvalTest, AnInstanceStoredAwayKeepsItsClass) {
    ASSERT_EQ(Eval("Push $keep; PushThis; Subst; Pop; Push float:0; Halt"), kEvalOk);
    const std::string name = compiled.back();
    ASSERT_NE(TAlias::Find(name), nullptr) << "kept while $keep refers to its instance";
    EXPECT_EQ(ToText(world.global("$keep")).rfind(name + "@", 0), 0u);
    SetNull(world.global("$keep"));
    Eval("Push float:0; Halt");
    EXPECT_EQ(TAlias::Find(name), nullptr) << "freed once nothing refers to it";
}

TEST_F(EvalTest, NestsInsideARunningProcess) {
    TRTTI& t = world.defineClass("T");
    world.method(t, "main",
                 "PushThis; PushString \"Push $y; Push int:2; Subst; Pop; Push float:0; Halt\";"
                 "NativeCall 1 fn:classes.lang.Object.eval; Ret");
    EXPECT_EQ(world.call(world.make(t), "main"), "int:0");
    EXPECT_EQ(ToText(world.global("$y")), "2");
}

TEST_F(EvalTest, WithoutACompilerNothingRuns) {
    RuntimeHooks().compileSource = {};
    EXPECT_EQ(Eval("Push float:0; Halt"), kEvalCompileError);
}

TEST(MultiEvaluator, StatementsAreFollowedByNumberedCheckpoints) {
    TMultiEvaluator program;
    program.Add("a=1;");
    program.Add("b=2;");
    EXPECT_EQ(program.Items(), (std::vector<std::string>{"extends Object; $_exec_checkPoint=-1;",
                                                         "a=1;\r\n$_exec_checkPoint=1;",
                                                         "b=2;\r\n$_exec_checkPoint=2;"}));
    EXPECT_EQ(program.Text(),
              "extends Object; $_exec_checkPoint=-1;\r\na=1;\r\n$_exec_checkPoint=1;\r\nb=2;\r\n$_exec_checkPoint=2;\r\n");
}

}  // namespace
}  // namespace varno

// Processes: budgets, suspension, killing, nested runs, stack limits, traces and dumps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScriptWorld.h"
#include "base/Text.h"
#include "runtime/Clock.h"
#include "runtime/FrameLoop.h"
#include "runtime/ProcessFrameHost.h"
#include "runtime/RuntimeError.h"

namespace varno {
namespace {

using test::Printed;
using test::TScriptWorld;

// Counts once around: a += 1 through the fused member reference (5 instructions).
constexpr const char* kCountingLoop = "top: PushThis; SMemberValPtr 1; Push int:1; AddSubst; Pop; Jump >top";

// The value of a after t instructions of the counting loop: the AddSubst is its third.
std::int32_t CountAfter(std::int64_t t) { return static_cast<std::int32_t>(t / 5 + (t % 5 >= 3 ? 1 : 0)); }

TTraceList g_trace;
std::vector<std::string> g_dump;
void NativeCaptureTrace(TValue*, std::int32_t, std::int32_t) { g_trace = TNativeCall::process().Trace(); }
void NativeDump(TValue*, std::int32_t, std::int32_t) {
    g_dump.clear();
    TNativeCall::process().StackDump(g_dump);
}
void NativeFreeSelf(TValue*, std::int32_t, std::int32_t) { TProcess::Free(&TNativeCall::process()); }

struct ProcessTest : ::testing::Test {
    TScriptWorld world;
    TRTTI& t = world.defineClass("T", {"a", "b"});
    TfObject* o = world.make(t);
};

TEST_F(ProcessTest, BudgetsZeroAndBelowMeanTheDefaultAndAnEndlessLoopIsCutExactly) {
    world.method(t, "loop", kCountingLoop);
    TProcess* p = TProcess::Create(*o, {}, "loop");
    std::int64_t total = 0;
    for (std::int32_t budget : {0, -5, 123456}) {
        ProcessGlobals().preempted = false;
        p->Run(budget);
        total += 123456;
        EXPECT_EQ(p->slice(), 123456) << budget;
        EXPECT_EQ(p->avail(), 0);
        EXPECT_FALSE(p->halted());
        EXPECT_TRUE(ProcessGlobals().preempted);
        EXPECT_EQ(o->member(1).asInt(), CountAfter(total)) << "resumes at the instruction it stopped at";
    }
    p->Run(10);
    EXPECT_EQ(o->member(1).asInt(), CountAfter(total + 10));
    TProcess::Free(p);
}

TEST_F(ProcessTest, AWordThatIsNoInstructionIsNotExecutedButCounts) {
    TNormalFunction& f = world.method(t, "bad", "Push int:1; Ret");
    f.Code()->setWord(0, 99);
    TProcess* p = TProcess::Create(*o, {}, "bad");
    p->Run(10);
    EXPECT_EQ(p->slice() - p->avail(), 10);
    EXPECT_FALSE(p->halted());
    TProcess::Free(p);
}

TEST_F(ProcessTest, StepBudgetOneExecutesOneInstructionThenPauses) {
    world.method(t, "sum", "Push int:1; Push int:2; Add; Ret");
    std::vector<std::int32_t> executedAtPause;
    ProcessGlobals().debuggerPause = [&](TProcess& p) {
        EXPECT_TRUE(ProcessGlobals().stopped);
        EXPECT_EQ(ProcessGlobals().stepBudget, 0);
        executedAtPause.push_back(p.slice());
        ProcessGlobals().stepBudget = 1;  // single step on
    };
    ProcessGlobals().stepBudget = 1;
    EXPECT_EQ(world.call(o, "sum"), "int:3");
    EXPECT_EQ(executedAtPause, (std::vector<std::int32_t>{1, 1, 1, 1})) << "a pause after every instruction";
    EXPECT_FALSE(ProcessGlobals().stopped);
}

TEST_F(ProcessTest, HeadlessPauseRunsOnAndSaysSo) {
    world.method(t, "sum", "Push int:1; Push int:2; Add; Ret");
    ProcessGlobals().stepBudget = 1;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(world.call(o, "sum"), "int:3");
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("headless"), std::string::npos);
    EXPECT_EQ(ProcessGlobals().stepBudget, kRunBudget);
}

TEST_F(ProcessTest, BreakFromANativePausesAfterItsInstruction) {
    world.method(t, "brk", "PushThis; NativeCall 0 fn:classes.lang.Object.breakExec; Pop; Push int:4; Ret");
    int pauses = 0;
    ProcessGlobals().debuggerPause = [&](TProcess& p) {
        ++pauses;
        EXPECT_EQ(p.slice(), 2);
        ProcessGlobals().stepBudget = kRunBudget;
    };
    EXPECT_EQ(world.call(o, "brk"), "int:4");
    EXPECT_EQ(pauses, 1);
}

TEST_F(ProcessTest, SuspendingInsideANativeReturnsRightAfterTheCall) {
    world.method(t, "steps",
                 "PushThis; SMemberValPtr 1; Push int:1; Subst; Pop;"
                 "PushThis; NativeCall 0 fn:classes.lang.Object.suspend; Pop;"
                 "PushThis; SMemberValPtr 1; Push int:2; Subst; Pop; Push int:7; Ret");
    TProcess* p = TProcess::Create(*o, {}, "steps");
    p->Run();
    EXPECT_TRUE(p->suspended());
    EXPECT_FALSE(p->halted());
    EXPECT_EQ(p->slice(), 6) << "4 to set a, PushThis, NativeCall";
    EXPECT_EQ(o->member(1).asInt(), 1);
    EXPECT_FALSE(ProcessGlobals().preempted);
    p->Run();
    EXPECT_TRUE(p->halted());
    EXPECT_EQ(o->member(1).asInt(), 2);
    EXPECT_EQ(TScriptWorld::Describe(*p->result()), "int:7");
    TProcess::Free(p);
}

TEST_F(ProcessTest, ConstructorProcessWithoutConstructorRunsTheClassCode) {
    world.classCode(t, "PushThis; PushString \"class code\"; NativeCall 1 fn:classes.lang.Object.print; Pop;"
                       "Push float:0; Halt");
    TProcess* p = TProcess::Create(*o, {}, "constructor");
    p->Run();
    EXPECT_TRUE(p->halted());
    EXPECT_EQ(Printed(), "class code\n");
    TProcess::Free(p);
}

TEST_F(ProcessTest, CreatingForAMissingOrNativeMethodIsRefused) {
    try {
        TProcess::Create(*o, {}, "nope");
        FAIL();
    } catch (const ERuntimeError& e) {
        EXPECT_STREQ(e.what(), "Methodnope is undefined.");
    }
    EXPECT_THROW(TProcess::Create(*o, {}, "print"), ERuntimeError);
}

TEST_F(ProcessTest, AnInnerErrorEndsOnlyTheInnerProcess) {
    world.method(t, "bad", "Push int:1; Push int:0; Div; Ret");
    world.method(t, "main",
                 "PushThis; PushThis; PushString \"bad\"; NativeCall 2 fn:classes.lang.Object.exec;"
                 "Push int:3; Add; Ret");
    TProcess* p = TProcess::Create(*o, {}, "main");
    p->Run();
    EXPECT_TRUE(p->halted());
    EXPECT_EQ(p->errorState(), 0);
    EXPECT_EQ(TScriptWorld::Describe(*p->result()), "int:5") << "exec gave the inner error state 2";
    EXPECT_EQ(CurrentProcess(), nullptr);
    EXPECT_NE(world.messages().find(Utf8ToSjis("ゼロによる除算")), std::string::npos);
    TProcess::Free(p);
}

TEST_F(ProcessTest, KillReleasesEveryStackValueOnce) {
    const TValue s = world.string("held");
    TfObject* so = AsObject(s);
    ASSERT_EQ(so->refCount, 1);
    ASSERT_EQ(o->refCount, 1);
    world.method(t, "hold", "LocalValPtr 0; ArgValPtr 0; Deref; Subst; PushThis; NativeCall 0 fn:classes.lang.Object.suspend; Ret",
                 1, 1);
    TProcess* p = TProcess::Create(*o, std::span<const TValue>(&s, 1), "hold");
    p->Run();
    ASSERT_TRUE(p->suspended());
    EXPECT_EQ(so->refCount, 4) << "argument, local, the Subst result";
    EXPECT_EQ(o->refCount, 3) << "receiver slot, the native's receiver";
    p->Kill();
    EXPECT_EQ(so->refCount, 1);
    EXPECT_EQ(o->refCount, 1);
    p->Kill();
    EXPECT_EQ(so->refCount, 1);
    EXPECT_EQ(o->refCount, 1);
    EXPECT_TRUE(p->halted());
    p->Run();  // a killed process never runs again
    EXPECT_EQ(so->refCount, 1);
    TProcess::Free(p);
}

TEST_F(ProcessTest, KillingItselfFromANativeIsSafe) {
    const TValue s = world.string("x");
    world.method(t, "die", "ArgValPtr 0; Deref; PushThis; NativeCall 0 fn:classes.lang.Object.killSelf; Pop; Ret", 1);
    TProcess* p = TProcess::Create(*o, std::span<const TValue>(&s, 1), "die");
    p->Run();
    EXPECT_TRUE(p->killed());
    EXPECT_EQ(AsObject(s)->refCount, 1);
    EXPECT_EQ(o->refCount, 1);
    TProcess::Free(p);
}

TEST_F(ProcessTest, FreeingItsOwnProcessWaitsForTheRunToEnd) {
    world.native(t, "freeSelf", NativeFreeSelf);
    world.method(t, "go", "PushThis; NativeCall 0 fn:T.freeSelf; Ret");
    TProcess* p = TProcess::Create(*o, {}, "go");
    p->pin();
    p->Run();
    EXPECT_TRUE(p->killed());
    EXPECT_EQ(o->refCount, 1);
    TProcess::Free(p);
    p->unpin();  // the record goes here
}

TEST_F(ProcessTest, ReturnReleasesLocalsTemporariesAndArguments) {
    const TValue s = world.string("x");
    world.method(t, "f", "LocalValPtr 0; ArgValPtr 0; Deref; Subst; Pop; ArgValPtr 0; Deref; Push null; Ret", 1, 2);
    world.method(t, "main", "PushThis; ArgValPtr 0; Deref; DCall 1 #f 0; Ret", 1);
    EXPECT_EQ(world.call(o, "main", {s}), "null:null");
    EXPECT_EQ(AsObject(s)->refCount, 1);
    EXPECT_EQ(o->refCount, 1);
}

TEST_F(ProcessTest, NativeArgumentsAreReleasedAfterTheCall) {
    const TValue s = world.string("x");
    world.method(t, "main", "PushThis; ArgValPtr 0; Deref; Push int:2; NativeCall 2 fn:classes.lang.Object.argCount; Ret", 1);
    EXPECT_EQ(world.call(o, "main", {s}), "int:2");
    EXPECT_EQ(AsObject(s)->refCount, 1);
}

TEST_F(ProcessTest, UnboundedRecursionOverflowsTheStackNotTheHost) {
    world.method(t, "rec", "PushThis; SMemberValPtr 1; Push int:1; AddSubst; Pop; PushThis; DCall 0 #rec 0; Ret");
    EXPECT_EQ(world.call(o, "rec"), "died");
    EXPECT_NE(world.messages().find("Stack Overflow."), std::string::npos);
    EXPECT_EQ(o->refCount, 1) << "every frame's receiver released";
    const std::int32_t shallow = o->member(1).asInt();
    EXPECT_GT(shallow, 5);

    ProcessGlobals().defaultStackSize = 64 * 1024;
    o->member(1) = TValue::Int(0);
    EXPECT_EQ(world.call(o, "rec"), "died");
    ProcessGlobals().defaultStackSize = 1024;
    EXPECT_GT(o->member(1).asInt(), 20 * shallow) << "a larger stack goes deeper";
}

TEST_F(ProcessTest, DeepExpressionsOverflowInsteadOfLeavingTheStack) {
    std::string code;
    for (int i = 0; i < 200; ++i) code += "Push int:1;";
    code += "Ret";
    world.method(t, "wide", code);
    EXPECT_EQ(world.call(o, "wide"), "died");
    EXPECT_NE(world.messages().find("Stack Overflow."), std::string::npos);
}

TEST_F(ProcessTest, ATooSmallStackIsEnlargedForTheBottomFrame) {
    world.method(t, "f", "LocalValPtr 3; ArgValPtr 2; Deref; Subst; Ret", 3, 4);
    for (std::int32_t size : {8, -100, 0}) {
        ProcessGlobals().defaultStackSize = size;
        const TValue args[] = {TValue::Int(1), TValue::Int(2), TValue::Int(3)};
        TProcess* p = TProcess::Create(*o, args, "f");
        EXPECT_GE(p->stackSize(), 48 + 3 * 8 + 4 * 8 + 100) << size;
        p->Run();
        EXPECT_EQ(TScriptWorld::Describe(*p->result()), "int:3") << size;
        TProcess::Free(p);
    }
    ProcessGlobals().defaultStackSize = 1001;
    TProcess* p = TProcess::Create(*o);
    EXPECT_EQ(p->stackSize(), 1008) << "whole slots";
    TProcess::Free(p);
    ProcessGlobals().defaultStackSize = 1024;
}

TEST_F(ProcessTest, HugeStringsEndTheRunNotTheHost) {
    world.method(t, "grow",
                 "LocalValPtr 0; PushString \"x\"; Subst; Pop;"
                 "top: LocalValPtr 0; LocalValPtr 0; Deref; LocalValPtr 0; Deref; Add; Subst; Pop; Jump >top",
                 0, 1);
    EXPECT_EQ(world.call(o, "grow"), "died");
    EXPECT_NE(world.messages().find("String too long."), std::string::npos);
}

TEST_F(ProcessTest, ReportsAreShownOncePerDistinctText) {
    world.method(t, "miss",
                 "PushThis; DMemberValPtr #zz 0; Deref; Pop; PushThis; DMemberValPtr #zz 0; Deref; Pop;"
                 "PushThis; DMemberValPtr #yy 0; Deref; Pop; PushThis; DMemberValPtr #zz 0; Deref; Ret");
    EXPECT_EQ(world.call(o, "miss"), "error:Error #0");
    EXPECT_EQ(world.messages(), "Variablezz is not defined.\nVariableyy is not defined.\nVariablezz is not defined.\n");
}

TEST_F(ProcessTest, TraceNamesEachFramesSourcePosition) {
    world.native(t, "capture", NativeCaptureTrace);
    world.method(t, "inner", ".point 40; PushThis; NativeCall 0 fn:T.capture; Ret");
    world.method(t, "main", ".point 12; Push int:0; Pop; .point 30; PushThis; DCall 0 #inner 0; Ret");
    world.call(o, "main");
    ASSERT_EQ(g_trace.count(), 2);
    EXPECT_EQ(g_trace.entry(0).path, "T.varno");
    EXPECT_EQ(g_trace.entry(0).number, 40);
    EXPECT_EQ(g_trace.entry(1).number, 30);
}

TEST_F(ProcessTest, StackDumpListsFramesArgumentsAndTheReceiver) {
    world.native(t, "dump", NativeDump);
    world.method(t, "main", "LocalValPtr 0; Push int:5; Subst; Pop; PushString \"s\"; PushThis; NativeCall 0 fn:T.dump; Ret", 1,
                 1);
    world.call(o, "main", {TValue::Int(7)});
    const std::string self = ToText(TValue::Object(o->id()));
    EXPECT_EQ(g_dump, (std::vector<std::string>{"stacks", self, "s", "5", "args/this 1", "7", self, "-----------", self}));
}

TEST_F(ProcessTest, DestructorsRunInAProcessOfTheirOwn) {
    TRTTI& d = world.defineClass("D");
    world.method(d, "finalize", "PushThis; PushString \"bye\"; NativeCall 1 fn:classes.lang.Object.print; Pop; PushThis; Ret",
                 0, 0, TFunctionKind::Destructor);
    TfObject* x = NewInstance(d);
    const std::int64_t processes = ProcessGlobals().processes;
    const std::int64_t stacks = ProcessGlobals().stacks;
    DestroyObject(x);
    EXPECT_EQ(Printed(), "bye\n");
    EXPECT_EQ(ProcessGlobals().processes, processes);
    EXPECT_EQ(ProcessGlobals().stacks, stacks);
    EXPECT_EQ(x->refCount, -1);
}

TEST(ProcessFrameLoop, RunsTheRootProcessOncePerDueFrame) {
    TScriptWorld world;
    TRTTI& t = world.defineClass("Game", {"frames"});
    world.method(t, "main", "top: PushThis; SMemberValPtr 1; Push int:1; AddSubst; Pop;"
                            "PushThis; NativeCall 0 fn:classes.lang.Object.suspend; Pop; Jump >top");
    TfObject* o = world.make(t);
    TProcess* root = TProcess::Create(*o, {}, "main");
    TProcessFrameHost host;
    TFakeClock clock;
    TFrameLoop loop(host, clock);
    EXPECT_TRUE(loop.main()) << "no root process yet: inactive";
    host.setRootProcess(root);
    clock.advance(40);
    loop.main();
    EXPECT_EQ(o->member(1).asInt(), 2);
    EXPECT_EQ(ToText(world.global("$_doDraw")), "1");
    EXPECT_EQ(loop.frameCount(), 2);

    // A root that never suspends is cut by the budget and shows as preempted.
    world.method(t, "spin", "top: Jump >top");
    TProcess* spinner = TProcess::Create(*o, {}, "spin");
    host.setRootProcess(spinner);
    clock.advance(17);
    loop.main();
    EXPECT_TRUE(host.preempted());
    TProcess::Free(spinner);
    TProcess::Free(root);
}

}  // namespace
}  // namespace varno

namespace varno {
namespace {

// The loop "l0 += 1; a = l0; if (l0 < 1000000) goto top" is 13 instructions (the member
// reference and the local reads are fused forms, one instruction each), some of which the
// interpreter takes in one step. Whatever the budgets, the count must be exact: after n
// instructions a holds the iterations whose assignment (the 7th instruction) has run.
TEST(ProcessBudget, StepsTakenTogetherStillCountOneByOne) {
    TScriptWorld world;
    TRTTI& t = world.defineClass("T", {"a"});
    world.method(t, "loop",
                 "top: LocalValPtr 0; Push int:1; AddSubst; Pop;"
                 "PushThis; SMemberValPtr 1; LocalValPtr 0; Deref; Subst; Pop;"
                 "LocalValPtr 0; Deref; Push int:1000000; LT; JumpZero >end; Jump >top;"
                 "end: Push int:0; Ret",
                 0, 1);
    TfObject* o = world.make(t);
    TProcess* p = TProcess::Create(*o, {}, "loop");
    const auto expected = [](std::int64_t n) { return static_cast<std::int32_t>(n / 13 + (n % 13 >= 7 ? 1 : 0)); };
    std::int64_t total = 0;
    for (std::int32_t budget = 1; budget <= 40; ++budget) {
        p->Run(budget);
        total += budget;
        ASSERT_EQ(p->slice() - p->avail(), budget);
        ASSERT_EQ(o->member(1).tag == tvUnset ? 0 : o->member(1).asInt(), expected(total)) << "after " << total;
    }
    // Single steps through the debugger's budget, which takes over from the run's budget
    // until the pause lets it run freely: the 30th pause does.
    int pauses = 0;
    ProcessGlobals().debuggerPause = [&](TProcess&) {
        ProcessGlobals().stepBudget = ++pauses < 30 ? 1 : kRunBudget;
    };
    ProcessGlobals().stepBudget = 1;
    p->Run(29);
    total += 30;
    EXPECT_EQ(pauses, 30);
    EXPECT_EQ(o->member(1).asInt(), expected(total));
    TProcess::Free(p);
}

}  // namespace
}  // namespace varno

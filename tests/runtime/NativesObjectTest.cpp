// The root class's host natives (keys, output, globals, reflection) and the Process natives.
#include <gtest/gtest.h>

#include <algorithm>

#include "NativesFixture.h"
#include "runtime/Clock.h"
#include "runtime/Resource.h"
#include "runtime/input/Keyboard.h"
#include "runtime/natives/CoreNativeHooks.h"

namespace varno {
namespace {

using test::RoutineOf;

class NativesObjectTest : public test::TNativesTest {
protected:
    NativesObjectTest() { Keyboard().restoreDefaults(); }
    ~NativesObjectTest() override {
        Keyboard().restoreDefaults();
        CoreNativeHooks() = TCoreNativeHooks();
    }
    std::string object(std::string_view name, std::initializer_list<TValue> args = {}) {
        return describe(RoutineOf(ObjectNatives(), name), self(), args);
    }
    std::string getkey(int code) { return object("getkey", {TValue::Int(code)}); }
    void frame() { object("getkey"); }
};

TEST_F(NativesObjectTest, HeldCountsGrowOnePerFrame) {
    TFakeKeyboard& keys = Keyboard().fake();
    keys.press(37);
    frame();
    EXPECT_EQ(getkey(37), "int:1");
    EXPECT_EQ(getkey(37), "int:1");  // polled once per frame
    frame();
    EXPECT_EQ(getkey(37), "int:2");
    frame();
    frame();
    EXPECT_EQ(getkey(37), "int:3");  // frames without a poll do not count
    keys.release(37);
    EXPECT_EQ(getkey(37), "int:3");  // not asked again this frame
    frame();
    EXPECT_EQ(getkey(37), "int:0");
    // Codes outside 0 .. 255 read key 0; the code is the integer part of the value.
    keys.press(0);
    EXPECT_EQ(getkey(300), "int:1");
    EXPECT_EQ(object("getkey", {TValue::Float(-3.5f)}), "int:1");
    keys.press(38);
    EXPECT_EQ(object("getkey", {TValue::Float(38.9f)}), "int:1");
}

TEST_F(NativesObjectTest, InactiveWindowsAndDesignMode) {
    TKeyboard& keyboard = Keyboard();
    keyboard.fake().press(32);
    bool active = false;
    bool disable = true;
    keyboard.windowActive = [&] { return active; };
    keyboard.disableWhenInactive = [&] { return disable; };
    EXPECT_EQ(getkey(32), "int:0");
    disable = false;
    EXPECT_EQ(getkey(32), "int:1");
    active = true;
    // In design mode every poll asks, so the count grows per call.
    keyboard.designMode = [] { return true; };
    EXPECT_EQ(getkey(32), "int:2");
    EXPECT_EQ(getkey(32), "int:3");
    int cleared = 0;
    keyboard.clearJoystickPolls = [&] { ++cleared; };
    frame();
    EXPECT_EQ(cleared, 1);
}

TEST_F(NativesObjectTest, PrintWritesTheLineToStandardOutputAndTheConsole) {
    std::string console;
    CoreNativeHooks().printed = [&](std::string_view text) { console += text; };
    testing::internal::CaptureStdout();
    object("print", {world.string("\x82\xa0 and 0.1")});
    object("print", {TValue::Float(0.1f)});
    object("print");  // no argument: nothing
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\xe3\x81\x82 and 0.1\n0.100000001490116\n");
    EXPECT_EQ(console, "\x82\xa0 and 0.10.100000001490116");
}

TEST_F(NativesObjectTest, GetTimeCountsMillisecondsIn32Bits) {
    TFakeClock clock;
    CoreNativeHooks().clock = &clock;
    clock.set(5000.7);
    EXPECT_EQ(object("getTime"), "int:5000");
    clock.set(4294967296.0 + 3000.0);
    EXPECT_EQ(object("getTime"), "int:3000");
    clock.set(2147483648.0);
    EXPECT_EQ(object("getTime"), "int:-2147483648");
}

TEST_F(NativesObjectTest, GlobalsByName) {
    object("setGlobal", {world.string("$score"), TValue::Int(12)});
    EXPECT_EQ(ToText(world.global("$score")), "12");
    EXPECT_EQ(object("getGlobal", {world.string("$score")}), "int:12");
    EXPECT_EQ(object("getGlobal", {world.string("score")}), "int:0");  // not a "$" name
    object("setGlobal", {world.string("score"), TValue::Int(1)});     // ignored
    EXPECT_EQ(object("getGlobal", {world.string("$SCORE")}), "int:12");
}

TEST_F(NativesObjectTest, Reflection) {
    TRTTI& base = world.defineClass("Base", {"a", "b"});
    TRTTI& derived = world.defineClass("Derived", {"c"}, &base);
    TfObject* o = world.make(derived);
    const TValue v = TValue::Object(o->id());
    const auto on = [&](std::string_view name, std::initializer_list<TValue> args = {}) {
        return describe(RoutineOf(ObjectNatives(), name), v, args);
    };
    EXPECT_EQ(on("_getClassName"), "obj:Derived");
    EXPECT_EQ(on("_getParentClassName"), "obj:Base");
    EXPECT_EQ(object("_getParentClassName"), "obj:");
    EXPECT_EQ(on("native_is", {TValue::Native(base.ref())}), "int:1");
    EXPECT_EQ(on("native_is", {TValue::Native(world.arrayClass().ref())}), "int:0");
    EXPECT_EQ(on("native_is", {TValue::Int(1)}), "int:0");
    // Members: _generator (from the root), a, b, c.
    EXPECT_EQ(on("_n_getValueCount"), "int:4");
    EXPECT_EQ(on("_n_getValueName", {TValue::Int(3)}), "obj:c");
    EXPECT_EQ(on("_n_getValueIndex", {world.string("B")}), "int:2");
    EXPECT_EQ(on("_n_getValueIndex", {world.string("nothing at all")}), "int:-1");
    on("_n_setValueByIndex", {TValue::Int(2), world.string("x")});
    EXPECT_EQ(on("_n_getValueByIndex", {TValue::Int(2)}), "obj:x");
    EXPECT_THROW(on("_n_getValueByIndex", {TValue::Int(4)}), ERuntimeError);
    EXPECT_THROW(on("_n_setValueByIndex", {TValue::Int(-1), TValue::Int(0)}), ERuntimeError);
    on("_n_clearAllValues");
    EXPECT_EQ(on("_n_getValueByIndex", {TValue::Int(2)}), "int:0");
    // Identities and counts.
    EXPECT_EQ(on("_n_objhandle", {v}), "int:" + std::to_string(o->id()));
    EXPECT_EQ(on("_n_objhandle", {TValue::Int(5)}), "int:0");
    const std::int32_t count = o->refCount;
    EXPECT_EQ(object("_n_refcount", {v}), "int:" + std::to_string(count + 1));  // the argument holds one
    EXPECT_EQ(on("_n_refcount", {TValue::Int(5)}), "int:0");
    const TValue handle = call(RoutineOf(ObjectNatives(), "TObject"), v, {TValue::Int(static_cast<std::int32_t>(o->id()))});
    EXPECT_EQ(handle.tag, tvNative);
    EXPECT_EQ(handle.payload, o->id());
    EXPECT_EQ(object("_n_errorValue"), "error:Error #0");
}

TEST_F(NativesObjectTest, NewInstanceRunsNoConstructor) {
    world.defineClass("Thing", {"a"});
    const TValue made = call(RoutineOf(ObjectNatives(), "_newInstance"), self(), {world.string("Thing")});
    ASSERT_EQ(made.tag, tvObject);
    EXPECT_EQ(AsObject(made)->rtti()->Name(), "Thing");
    EXPECT_EQ(ToText(AsObject(made)->member(1)), "Variablea");
    EXPECT_EQ(AsObject(made)->refCount, 1);
    EXPECT_EQ(object("_newInstance", {world.string("NoSuchClass")}), "int:0");
}

// A collector that records what it is handed.
class TRecordingCollector : public ICollector {
public:
    void markValue(TValue& v) override { marked.push_back(ToText(v)); }
    void markObject(TfObject&) override {}
    void sweepObject(TfObject&) override {}
    bool checkMode() const override { return false; }
    std::vector<std::string> marked;
};

TEST_F(NativesObjectTest, GcMarkReachesTheCollectionInProgress) {
    TRecordingCollector collector;
    object("native_gc_mark", {TValue::Int(4)});  // no collection: nothing
    CoreNativeHooks().collector = &collector;
    object("native_gc_mark", {world.string("kept")});
    EXPECT_EQ(collector.marked, std::vector<std::string>{"kept"});
}

// Processes: T has count(), which adds one to $n, suspends, adds one again and returns
// $n; the natives under test are bound to T under their own names.
class NativesProcessTest : public test::TNativesTest {
protected:
    NativesProcessTest() : T(world.defineClass("T")) {
        world.global("$n") = TValue::Int(0);
        for (const TNativeEntry& e : ObjectNatives()) world.native(T, std::string("my_") + e.name, e.routine);
        world.method(T, "count",
                     "Push $n; Push $n; Deref; Push int:1; Add; Subst; Pop;"
                     "PushThis; NativeCall 0 fn:T.my_suspend; Pop;"
                     "Push $n; Push $n; Deref; Push int:1; Add; Subst; Pop; Push $n; Deref; Ret");
        world.method(T, "who", "PushThis; NativeCall 0 fn:T.my_currentFunc; Ret");
        world.method(T, "me", "PushThis; NativeCall 0 fn:T.my_currentProcess; Ret");
        receiver = TValue::Object(world.make(T)->id());
    }
    TValue process(std::string_view name, std::initializer_list<TValue> args) {
        return call(RoutineOf(ProcessNatives(), name), self(), args);
    }
    std::string text(std::string_view name, std::initializer_list<TValue> args) {
        return test::TScriptWorld::Describe(process(name, args));
    }

    TRTTI& T;
    TValue receiver;
};

TEST_F(NativesProcessTest, InitExecHaltedFree) {
    const std::int64_t before = ProcessGlobals().processes;
    const TValue p = process("native_init", {receiver, world.string("count")});
    ASSERT_EQ(p.tag, tvNative);
    EXPECT_EQ(ProcessGlobals().processes, before + 1);
    EXPECT_EQ(text("native_halted", {p}), "float:0");
    process("native_exec", {p});
    EXPECT_EQ(ToText(world.global("$n")), "1");
    EXPECT_EQ(text("native_halted", {p}), "float:0");
    process("native_exec", {p});
    EXPECT_EQ(ToText(world.global("$n")), "2");
    EXPECT_EQ(text("native_halted", {p}), "float:1");
    process("native_free", {p});
    EXPECT_EQ(ProcessGlobals().processes, before);
    // The freed handle is no process any more: the natives leave it alone.
    EXPECT_EQ(text("native_halted", {p}), "obj:" + ToText(self()));
    process("native_exec", {p});
}

TEST_F(NativesProcessTest, KillSuspendAndErrors) {
    const TValue p = process("native_init", {receiver, world.string("count")});
    process("native_kill", {p});
    process("native_exec", {p});
    EXPECT_EQ(ToText(world.global("$n")), "0");
    EXPECT_EQ(text("native_halted", {p}), "float:1");
    process("native_free", {p});
    try {
        process("native_init", {receiver, world.string("nope")});
        ADD_FAILURE() << "no error";
    } catch (const ERuntimeError& e) {
        EXPECT_STREQ(e.what(), "Methodnope is undefined.");
    }
    EXPECT_THROW(process("native_init", {TValue::Int(3)}), ERuntimeError);
    // One argument: the class code.
    const TValue code = process("native_init", {receiver});
    process("native_exec", {code});
    EXPECT_EQ(text("native_halted", {code}), "float:1");
    process("native_free", {code});
}

TEST_F(NativesProcessTest, NativesThatReadTheRunningProcess) {
    TfObject* o = AsObject(receiver);
    EXPECT_EQ(world.call(o, "who"), "obj:who");
    const std::string me = world.call(o, "me");
    EXPECT_EQ(me, "native:TProcess");
    // In class code there is no function: the receiver stays the result.
    world.classCode(T, "PushThis; NativeCall 0 fn:T.my_currentFunc; Ret; Halt");
    EXPECT_EQ(world.call(o), "obj:" + ToText(receiver));
}

TEST_F(NativesProcessTest, ProcMarkHandsTheStackToTheCollector) {
    TRecordingCollector collector;
    const TValue p = process("native_init", {receiver, world.string("count")});
    process("native_proc_mark", {p});  // no collection: nothing
    CoreNativeHooks().collector = &collector;
    process("native_proc_mark", {p});
    CoreNativeHooks() = TCoreNativeHooks();
    EXPECT_NE(std::find(collector.marked.begin(), collector.marked.end(), ToText(receiver)), collector.marked.end());
    process("native_free", {p});
}

}  // namespace
}  // namespace varno

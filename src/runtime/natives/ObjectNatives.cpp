// Natives of classes.lang.Object that reach the host: output, keys, processes, globals, debugging, time.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "base/Text.h"
#include "runtime/Clock.h"
#include "runtime/Function.h"
#include "runtime/Log.h"
#include "runtime/Process.h"
#include "runtime/ProcessGlobals.h"
#include "runtime/input/Keyboard.h"
#include "runtime/natives/CoreNativeHooks.h"
#include "runtime/natives/NativeSupport.h"
#include "runtime/natives/ObjectParts.h"

namespace varno {
namespace {

// The clock getTime counts from: it starts with the program.
TSteadyClock g_systemClock;

// print(x): the text on standard output (as UTF-8, one line), to the debugger's console
// and to the log with the calling process's trace.
void NativePrint(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    const std::string text = ToText(call.arg(1));
    std::string line = SjisToUtf8(text);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
    if (const auto& printed = CoreNativeHooks().printed) printed(text);
    if (const TProcess* process = CurrentProcess()) {
        LogWithTrace(text, process->Trace());
    } else {
        Log(text);
    }
}

// getkey(): a new frame of key polls. getkey(k): the held count of key k (a code outside
// 0 .. 255 reads key 0).
void NativeGetKey(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) {
        Keyboard().newFrame();
        return;
    }
    const float f = ToFloat(call.arg(1));
    const std::int32_t code = f >= 0.0f && f < 256.0f ? static_cast<std::int32_t>(f) : 0;
    call.setInt(Keyboard().poll(code));
}

void NativeSuspend(TValue*, std::int32_t, std::int32_t) {
    if (TProcess* process = CurrentProcess()) process->Suspend();
}

void NativeCurrentProcess(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (TProcess* process = CurrentProcess()) {
        call.setNative(process);
    } else {
        call.setNull();
    }
}

// getGlobal(name): a copy of the "$" global's value (made when absent), else 0.
void NativeGetGlobal(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    if (const TValue* cell = GlobalCell(ToText(call.arg(1)))) {
        call.assignOrNull(cell);
    } else {
        call.setInt(0);
    }
}

void NativeSetGlobal(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(2)) return;
    SetGlobal(ToText(call.arg(1)), call.arg(2));
}

// breakExec(): the debugger budget runs out and this run stops after the call, so the
// debugger pause begins.
void NativeBreakExec(TValue*, std::int32_t, std::int32_t) {
    ProcessGlobals().stepBudget = 0;
    if (TProcess* process = CurrentProcess()) process->Suspend();
}

// currentFunc(): the name of the function that called it; nothing in class code.
void NativeCurrentFunc(TValue* slot, std::int32_t n, std::int32_t) {
    const TProcess* process = CurrentProcess();
    const TFunction* function = process != nullptr ? process->currentFunction() : nullptr;
    if (function != nullptr) TNativeCall(slot, n).setString(function->NameText());
}

void NativeErrorValue(TValue* slot, std::int32_t n, std::int32_t) { TNativeCall(slot, n).setError(0); }

// getTime(): milliseconds since the system started, as a wrapping 32-bit counter.
void NativeGetTime(TValue* slot, std::int32_t n, std::int32_t) {
    IClock* clock = CoreNativeHooks().clock;
    const double ms = (clock != nullptr ? clock : &g_systemClock)->nowMs();
    const auto ticks = static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms > 0.0 ? ms : 0.0));
    TNativeCall(slot, n).setInt(static_cast<std::int32_t>(ticks));
}

}  // namespace

TCoreNativeHooks& CoreNativeHooks() {
    static TCoreNativeHooks hooks;
    return hooks;
}

TNativeList ObjectHostNatives() {
    return {{"print", NativePrint},
            {"getkey", NativeGetKey},
            {"suspend", NativeSuspend},
            {"currentProcess", NativeCurrentProcess},
            {"getGlobal", NativeGetGlobal},
            {"setGlobal", NativeSetGlobal},
            {"breakExec", NativeBreakExec},
            {"currentFunc", NativeCurrentFunc},
            {"_n_errorValue", NativeErrorValue},
            {"getTime", NativeGetTime}};
}

TNativeList ObjectNatives() {
    // The class's row, in binding order; the natives of other subsystems are skipped.
    static constexpr std::string_view kRow[] = {
        "print", "getkey", "pset", "suspend", "currentProcess", "getGlobal", "setGlobal", "fileExists", "moveFile",
        "deleteFile", "_getClassName", "_getParentClassName", "_newInstance", "_n_clearAllValues", "TObject",
        "native_is", "native_gc_mark", "_n_refcount", "_n_objhandle", "breakExec", "currentFunc", "_n_refresh",
        "_n_errorValue", "setMapPat", "setAdjust", "getTime", "_n_randomize", "rnd", "sin", "cos", "angle", "dist",
        "trunc", "floor", "sqrt", "valueOf", "getPageHashCode", "_n_initResource", "_n_getResource", "_inspect",
        "_dynamicInspect", "_n_setGenAttr", "_n_getValueByIndex", "_n_setValueByIndex", "_n_getValueCount",
        "_n_getValueName", "_n_getValueIndex", "isInt", "isFloat"};
    TNativeList parts = ObjectHostNatives();
    for (const TNativeEntry& e : ReflectionNatives()) parts.push_back(e);
    for (const TNativeEntry& e : MathNatives()) parts.push_back(e);
    TNativeList ordered;
    for (std::string_view name : kRow) {
        for (const TNativeEntry& e : parts) {
            if (name == e.name) ordered.push_back(e);
        }
    }
    return ordered;
}

}  // namespace varno

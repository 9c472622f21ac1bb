// Natives of classes.lang.Process: making, running, stopping and freeing script processes.
#include <cstdint>
#include <string>

#include "runtime/Messages.h"
#include "runtime/Process.h"
#include "runtime/Resource.h"
#include "runtime/ProcessGlobals.h"
#include "runtime/RuntimeError.h"
#include "runtime/natives/CoreNativeHooks.h"
#include "runtime/natives/CoreNatives.h"
#include "runtime/natives/NativeSupport.h"

namespace varno {
namespace {

// The process a native was handed; null for anything else (a freed or never-made
// process), which the natives then leave alone.
TProcess* ProcessArg(const TValue& v) { return NativeOf<TProcess>(v); }

// native_init(object [, method]): a process on object running the named method, or its
// class code without a name.
void NativeInit(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    TfObject* receiver = ObjectOf(call.arg(1));
    if (receiver == nullptr) {
        throw ERuntimeError(GetMsg("A process runs on an object, not on ") + ToText(call.arg(1)));
    }
    const std::string method = call.has(2) ? ToText(call.arg(2)) : std::string();
    call.setNative(TProcess::Create(*receiver, {}, method));
}

// native_exec(p): one run of p with the frame budget, nested inside the current run.
void NativeExec(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    if (TProcess* process = ProcessArg(call.arg(1))) process->Run(kRunBudget);
}

void NativeSuspend(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    if (TProcess* process = ProcessArg(call.arg(1))) process->Suspend();
}

void NativeHalted(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    if (const TProcess* process = ProcessArg(call.arg(1))) call.setFloat(process->halted() ? 1.0f : 0.0f);
}

void NativeKill(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    if (TProcess* process = ProcessArg(call.arg(1))) process->Kill();
}

// native_free(p): destroys p; a process that is running (it freed itself, or runs further
// out) keeps its record until its run has returned.
void NativeFree(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    TProcess::Free(ProcessArg(call.arg(1)));
}

void NativeProcMark(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    ICollector* collector = CoreNativeHooks().collector;
    TProcess* process = ProcessArg(call.arg(1));
    if (collector != nullptr && process != nullptr) process->Mark(*collector);
}

}  // namespace

TNativeList ProcessNatives() {
    return {{"native_init", NativeInit}, {"native_exec", NativeExec},   {"native_suspend", NativeSuspend},
            {"native_halted", NativeHalted}, {"native_free", NativeFree}, {"native_kill", NativeKill},
            {"native_proc_mark", NativeProcMark}};
}

}  // namespace varno

// TProcess: a cooperative script process with its own value stack, run by the interpreter.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/Frame.h"
#include "runtime/HostObject.h"
#include "runtime/ProcessGlobals.h"
#include "runtime/TraceList.h"
#include "runtime/Value.h"

namespace varno {

class ICollector;
class TFunction;
class TRTTI;
struct TRegisters;

// A process runs a receiver's method (or its class's own code) on a stack of 8-byte
// slots that grows toward lower addresses, in runs of a bounded number of instructions.
// Processes are host objects: scripts hold them as native references.
class TProcess final : public THostObject {
public:
    // Makes a process on receiver for method: empty runs the receiver class's own code,
    // "constructor" / "destructor" its constructor / destructor (class code when it has
    // none), any other name the first method of that name. args are copied (Assign) into
    // the bottom frame. Raises "Method" + name + " is undefined." for a missing method and
    // the native-method message for a native one. The stack has DefaultStackSize bytes,
    // rounded up to whole slots and enlarged when the bottom frame would not fit with the
    // reserve every call keeps.
    static TProcess* Create(TfObject& receiver, std::span<const TValue> args = {}, std::string_view method = {});
    // The same for a method already found (null: the class's own code).
    static TProcess* CreateFor(TfObject& receiver, std::span<const TValue> args, TFunction* function);

    // Destroy(), then the record itself. While the process is running (a native freeing
    // the process that called it) or pinned, the stack waits for the run's end and the
    // record for the last of the run and the pin.
    static void Free(TProcess* process);

    // Host code that drives a process it made (evaluation) pins it, so that a script
    // freeing its own process cannot take the record from under the driver.
    void pin() { ++m_pins; }
    void unpin();

    ~TProcess() override;
    const char* hostClassName() const override { return "TProcess"; }

    // Executes until the process suspends, halts, errs or has used budget instructions (a
    // budget <= 0 means kRunBudget). A run-time error is shown with the trace, ends the run
    // and kills the process; it never leaves this call. A process that is already running
    // (further down the call chain) is not entered again.
    void Run(std::int32_t budget = kRunBudget);

    // The instruction in progress completes and the run returns.
    void Suspend();
    void Halt();
    // Halts and releases every value on the stack once; a second call does nothing.
    void Kill();
    // Hands every value on the stack to the collector; nothing once killed.
    void Mark(ICollector& collector);
    // Kills and frees the stack (after the run, if the process is running).
    void Destroy();

    // One entry per frame, innermost first: the source file of the frame's class and the
    // source position of the instruction the frame is at.
    TTraceList Trace() const;
    // The debugger's view of the stack, frame by frame.
    void StackDump(std::vector<std::string>& lines) const;

    bool suspended() const { return m_suspended; }
    bool halted() const { return m_halted; }
    bool killed() const { return m_killed; }
    bool running() const { return m_running; }
    std::uint8_t errorState() const { return m_errorState; }
    std::int32_t stackSize() const { return m_stackSize; }
    std::int32_t avail() const { return m_avail; }
    std::int32_t slice() const { return m_slice; }
    // The slot holding the value the bottom frame returned; null until then.
    TValue* result() const { return m_result; }
    // The function the current frame runs; null for class code or without a frame.
    TFunction* currentFunction() const;
    const std::array<std::int32_t, 3>& position() const { return m_position; }

private:
    friend void Execute(TProcess& process);
    friend struct TSlowPaths;

    TProcess() = default;
    void releaseStack();
    template <class Visit>
    void walkStack(Visit&& visit) const;

    std::int32_t m_stackSize = 0;
    std::int32_t m_avail = 0;
    std::int32_t m_slice = 0;
    bool m_suspended = false;
    bool m_halted = false;
    bool m_killed = false;
    std::uint8_t m_errorState = 0;
    bool m_running = false;
    bool m_destroyed = false;     // Destroy() has run (the stack may wait for the run's end)
    bool m_freePending = false;   // Free() was asked for during the run or while pinned
    std::int32_t m_pins = 0;
    // Registers. The interpreter keeps them in locals and writes them back before anything
    // that can raise, allocate or run another process.
    TFrame* m_bp = nullptr;
    TValue* m_sp = nullptr;
    TValue* m_this = nullptr;
    std::uint32_t* m_pc = nullptr;
    std::uint8_t* m_stackBase = nullptr;
    TValue* m_result = nullptr;
    std::array<std::int32_t, 3> m_position{};
    TRTTI* m_class = nullptr;  // the receiver's class: whose code the bottom frame runs
};

}  // namespace varno

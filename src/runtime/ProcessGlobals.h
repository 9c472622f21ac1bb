// The interpreter's process-wide state: current process, budgets, flags, the scratch cell.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "runtime/Value.h"

namespace varno {

class TProcess;

// The budget of one frame's run, and the value of StepBudget that means "no limit".
constexpr std::int32_t kRunBudget = 123456;

// Called when StepBudget has run out (the debugger pause). It returns when the user lets
// execution go on, which they do by setting StepBudget: 1 runs one more instruction,
// kRunBudget runs freely; stopping halts the current process. Stopped is up meanwhile.
using TDebuggerPause = std::function<void(TProcess& current)>;

struct TProcessGlobals {
    TProcess* currentProcess = nullptr;  // innermost running process; natives use it
    std::int32_t stepBudget = kRunBudget;  // kRunBudget or more: unlimited; 0 or less: stopped
    bool stopped = false;      // the debugger pause is running
    bool preempted = false;    // a run used up its budget since the frame loop cleared it
    std::string lastReport;    // text of the last non-fatal report
    std::int32_t defaultStackSize = 1024;  // bytes; "_n_setStackSize" sets it
    std::int64_t processes = 0;  // live processes ("prc")
    std::int64_t stacks = 0;     // allocated stacks ("stk")
    // Installed by the debugger window; empty when headless (the pause then returns at
    // once with StepBudget unlimited and says so on standard error).
    TDebuggerPause debuggerPause;
};

extern TProcessGlobals g_processGlobals;
inline TProcessGlobals& ProcessGlobals() { return g_processGlobals; }

inline TProcess* CurrentProcess() { return ProcessGlobals().currentProcess; }

// The process-wide cell that references point at when they have nowhere better to go
// (a missing member, an argument that was not passed). It lives in the script heap so
// that a tvRef can name it.
TValue& ScratchValue();

// Keeps StepBudget as it is across an operation that may run destructors in nested
// processes (creating objects and strings), which would otherwise consume it.
class TKeepStepBudget {
public:
    TKeepStepBudget() : m_saved(ProcessGlobals().stepBudget) {}
    ~TKeepStepBudget() { ProcessGlobals().stepBudget = m_saved; }
    TKeepStepBudget(const TKeepStepBudget&) = delete;
    TKeepStepBudget& operator=(const TKeepStepBudget&) = delete;

private:
    std::int32_t m_saved;
};

}  // namespace varno

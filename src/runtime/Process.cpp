// Processes: creation with the bottom frame, the run loop with both budgets, halting and killing.
#include "runtime/Process.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>
#include <vector>

#include "base/Text.h"
#include "runtime/CaseFold.h"
#include "runtime/Function.h"
#include "runtime/Hooks.h"
#include "runtime/Interpreter.h"
#include "runtime/Log.h"
#include "runtime/Messages.h"
#include "runtime/Object.h"
#include "runtime/RTTI.h"
#include "runtime/Resource.h"
#include "runtime/RuntimeError.h"
#include "runtime/ScriptHeap.h"
#include "runtime/ValueOps.h"

namespace varno {
namespace {

// The message for calling a native method as if it were a byte-code one. Its first
// fragment is shown as it is, without the message lookup.
std::string NativeNotInvocable(const std::string& name) {
    static const std::string native = Utf8ToSjis("Native関数");
    return native + name + GetMsg(" cannot be invoked.");
}

// Releases a stack value while the stack is torn down: a count that goes negative there
// is logged, not raised, so that the rest of the stack is still released.
void ReleaseQuietly(const TValue& v) {
    try {
        Release(v);
    } catch (const EVarno& e) {
        Log(e.what());
    }
}

// Restores CurrentProcess and the running flag however a run ends.
class TRunScope {
public:
    explicit TRunScope(TProcess* process, bool& running)
        : m_saved(ProcessGlobals().currentProcess), m_running(running) {
        ProcessGlobals().currentProcess = process;
        m_running = true;
    }
    ~TRunScope() {
        ProcessGlobals().currentProcess = m_saved;
        m_running = false;
    }
    TRunScope(const TRunScope&) = delete;
    TRunScope& operator=(const TRunScope&) = delete;

private:
    TProcess* m_saved;
    bool& m_running;
};

// Freed stacks of the most common sizes wait here for the next process: creating a
// process (a destructor runs in one for every reused object that has a destructor) then
// costs no allocation and no clearing. Only the bottom frame is ever read before it is
// written, and creation writes all of it.
struct TStackCache {
    static constexpr std::size_t kKept = 16;
    std::vector<std::pair<std::size_t, std::uint8_t*>> blocks;
};
TStackCache& StackCache() {
    static TStackCache cache;
    return cache;
}

std::uint8_t* TakeStack(std::size_t size) {
    auto& blocks = StackCache().blocks;
    for (auto it = blocks.rbegin(); it != blocks.rend(); ++it) {
        if (it->first == size) {
            std::uint8_t* block = it->second;
            blocks.erase(std::next(it).base());
            return block;
        }
    }
    return static_cast<std::uint8_t*>(HeapAlloc(size));
}

void GiveBackStack(std::uint8_t* block, std::size_t size) {
    if (block == nullptr) return;
    auto& blocks = StackCache().blocks;
    if (blocks.size() < TStackCache::kKept) {
        blocks.emplace_back(size, block);
    } else {
        HeapFree(block);
    }
}

}  // namespace

TProcess* TProcess::Create(TfObject& receiver, std::span<const TValue> args, std::string_view method) {
    TRTTI* cls = receiver.rtti();
    TFunction* function = nullptr;
    if (method.empty()) {
        // the class's own code
    } else if (SameText(method, "constructor")) {
        function = cls->Constructor();
    } else if (SameText(method, "destructor")) {
        function = cls->Destructor();
    } else {
        function = cls->MethodByName(method);
        if (function == nullptr) throw ERuntimeError(GetMsg("Method") + std::string(method) + GetMsg(" is undefined."));
    }
    return CreateFor(receiver, args, function);
}

TProcess* TProcess::CreateFor(TfObject& receiver, std::span<const TValue> args, TFunction* function) {
    TRTTI* cls = receiver.rtti();
    if (function != nullptr && !function->isByteCode()) throw ERuntimeError(NativeNotInvocable(function->NameText()));
    const TCompiledInfo* code = function != nullptr ? static_cast<TNormalFunction*>(function)->Code() : cls->Code();
    if (code == nullptr) {
        throw ERuntimeError(GetMsg("Class") + cls->Name() + GetMsg(" has no code to run."));
    }

    // The stack: whole slots, and room for the bottom frame with the reserve of a call.
    const auto argCount = static_cast<std::int32_t>(args.size());
    const std::int32_t locals =
        function != nullptr ? static_cast<TNormalFunction*>(function)->localCount() : 0;
    const std::int64_t wanted = (static_cast<std::int64_t>(ProcessGlobals().defaultStackSize) + 7) / 8 * 8;
    const std::int64_t needed =
        kBottomFrameBytes + 8 * static_cast<std::int64_t>(argCount) + 8 * static_cast<std::int64_t>(locals) +
        (kStackReserve + 7) / 8 * 8;
    const std::int64_t size = std::max(wanted, needed);
    if (size > INT32_MAX / 2) throw ERuntimeError(GetMsg("Stack Overflow."));

    auto* stack = TakeStack(static_cast<std::size_t>(size));
    auto* process = new TProcess();
    process->m_stackSize = static_cast<std::int32_t>(size);
    process->m_stackBase = stack;
    process->m_class = cls;
    ++ProcessGlobals().processes;
    ++ProcessGlobals().stacks;

    // The bottom frame: receiver slot at the block's end, the arguments below it, then
    // the frame record.
    auto* end = reinterpret_cast<TValue*>(stack + size);
    TValue* receiverSlot = end - 1;
    *receiverSlot = TValue::Null();
    SetObject(*receiverSlot, &receiver);
    for (std::int32_t i = 0; i < argCount; ++i) {
        receiverSlot[-1 - i] = TValue::Null();
        Assign(receiverSlot[-1 - i], args[static_cast<std::size_t>(i)]);
    }
    auto* frame = reinterpret_cast<TFrame*>(reinterpret_cast<std::uint8_t*>(end) - 8 * argCount - kBottomFrameBytes);
    frame->function = function != nullptr ? function->ref() : kNullRef;
    frame->returnAddress = kNullRef;
    frame->argCount = argCount;
    frame->receiverSlot = RefOf(receiverSlot);
    frame->callerBase = kNullRef;
    frame->position[0] = frame->position[1] = frame->position[2] = 0;
    frame->local0 = TValue::Null();
    process->m_bp = frame;
    process->m_this = receiverSlot;
    process->m_sp = frame->locals() + 1;
    process->m_pc = reinterpret_cast<std::uint32_t*>(const_cast<std::uint8_t*>(code->code()));
    if (function != nullptr) {
        for (std::int32_t k = 0; k < locals; ++k) frame->local(k) = TValue::Null();
        process->m_sp = frame->locals() - (locals - 1);
    }
    return process;
}

void TProcess::Free(TProcess* process) {
    if (process == nullptr) return;
    if (process->m_running || process->m_pins > 0) {
        process->Destroy();
        process->m_freePending = true;
        return;
    }
    delete process;
}

void TProcess::unpin() {
    if (--m_pins <= 0 && m_freePending && !m_running) delete this;
}

TProcess::~TProcess() { Destroy(); }

TFunction* TProcess::currentFunction() const {
    if (m_bp == nullptr || m_bp->function == kNullRef) return nullptr;
    return FromRef<TFunction>(m_bp->function);
}

void TProcess::Run(std::int32_t budget) {
    if (budget <= 0) budget = kRunBudget;
    if (m_bp == nullptr || m_halted || m_running) return;
    TProcessGlobals& globals = ProcessGlobals();
    {
        TRunScope scope(this, m_running);
        m_suspended = false;
        try {
            while (budget > 0 && !m_suspended && !m_halted) {
                m_avail = std::min(budget, globals.stepBudget);
                m_slice = m_avail;
                Execute(*this);
                if (globals.stepBudget < kRunBudget) globals.stepBudget -= m_slice;
                budget -= m_slice;
                if (globals.stepBudget <= 0) {
                    DebuggerPause(*this);
                    if (globals.stepBudget < kRunBudget) budget = globals.stepBudget;
                }
            }
            if (budget <= 0) globals.preempted = true;
        } catch (const EVarno& e) {
            // The error ends this run only: the text with the trace, then the process dies.
            const TTraceList trace = Trace();
            ErrorReport(e.what(), &trace, true);
            m_errorState = 2;
            Kill();
        }
    }
    if (m_destroyed && m_stackBase != nullptr) {
        GiveBackStack(m_stackBase, static_cast<std::size_t>(m_stackSize));
        m_stackBase = nullptr;
    }
    if (m_freePending && m_pins <= 0) delete this;
}

void TProcess::Suspend() {
    m_suspended = true;
    m_slice -= m_avail;
    m_avail = 0;
}

void TProcess::Halt() {
    m_halted = true;
    m_slice -= m_avail;
    m_avail = 0;
}

void TProcess::Kill() {
    if (m_killed) return;
    Halt();
    releaseStack();
    m_killed = true;
}

// From the current frame to the bottom one: the slots from SP up to the frame base,
// then the receiver slot and the arguments; the caller's slots begin just above the
// receiver slot. Last, the returned value.
void TProcess::releaseStack() {
    TValue* sp = m_sp;
    for (TFrame* frame = m_bp; frame != nullptr; frame = frame->caller()) {
        for (TValue* slot = sp; slot <= frame->locals(); ++slot) ReleaseQuietly(*slot);
        TValue* receiver = frame->receiver();
        ReleaseQuietly(*receiver);
        for (std::int32_t i = 0; i < frame->argCount; ++i) ReleaseQuietly(receiver[-1 - i]);
        sp = receiver + 1;
    }
    if (m_result != nullptr) ReleaseQuietly(*m_result);
}

void TProcess::Mark(ICollector& collector) {
    if (m_killed) return;
    TValue* sp = m_sp;
    for (TFrame* frame = m_bp; frame != nullptr; frame = frame->caller()) {
        for (TValue* slot = sp; slot <= frame->locals(); ++slot) collector.markValue(*slot);
        TValue* receiver = frame->receiver();
        collector.markValue(*receiver);
        for (std::int32_t i = 0; i < frame->argCount; ++i) collector.markValue(receiver[-1 - i]);
        sp = receiver + 1;
    }
    if (m_result != nullptr) collector.markValue(*m_result);
}

void TProcess::Destroy() {
    if (m_destroyed) return;
    Kill();
    m_destroyed = true;
    --ProcessGlobals().processes;
    --ProcessGlobals().stacks;
    if (!m_running) {
        GiveBackStack(m_stackBase, static_cast<std::size_t>(m_stackSize));
        m_stackBase = nullptr;
    }
}

void InstallInterpreter() {
    // An object's destructor runs once, with the default budget, in a process of its own.
    RuntimeHooks().runDestructor = [](TfObject& object) {
        TProcess* process = TProcess::CreateFor(object, {}, object.rtti()->Destructor());
        process->Run(kRunBudget);
        TProcess::Free(process);
    };
}

void DebuggerPause(TProcess& process) {
    TProcessGlobals& globals = ProcessGlobals();
    globals.stopped = true;
    globals.stepBudget = 0;
    if (TDebuggerPause pause = globals.debuggerPause) {
        pause(process);
    } else {
        std::fprintf(stderr, "debugger pause: no debugger window (headless); running on\n");
        std::fflush(stderr);
        globals.stepBudget = kRunBudget;
    }
    globals.stopped = false;
}

}  // namespace varno

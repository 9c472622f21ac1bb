// The interpreter's entry points: the dispatch loop, its slow paths, and installing it.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/Opcodes.h"
#include "runtime/Value.h"

namespace varno {

class TFunction;
class TProcess;
struct TfObject;

// Executes instructions of process until its Avail runs out, it halts or is killed, or
// something it called suspended it. The registers and Avail are read from the process
// and written back. Run-time errors leave it as ERuntimeError (or any EVarno), with the
// registers at the failing instruction.
void Execute(TProcess& process);

// Installs the interpreter's hooks into the runtime (running destructors in processes).
void InstallInterpreter();

// The non-fatal report: shown once until a different text is reported.
void Report(TProcess& process, const std::string& text);

// Runs the debugger pause for process (StepBudget has run out).
void DebuggerPause(TProcess& process);

// What the dispatch loop does not do inline. Each works on the registers as written back
// into the process, leaves them there for the loop to reload, and moves PC past the
// instruction only once nothing can raise any more.
struct TSlowPaths {
    [[noreturn]] static void StackOverflow();
    static void ReleaseUnreferenced(TfObject* object);  // count reached 0 or below
    static void PushString(TProcess& p);
    static void MemberPtr(TProcess& p, bool deref);          // DMemberValPtr[_Deref]
    static void ThisMember(TProcess& p, TOpcode op);          // ops 4, 8, 9 on a non-object
    static void DCall(TProcess& p);
    static void SCall(TProcess& p);
    static void SuperCall(TProcess& p);
    static void Constructor(TProcess& p);
    static void NativeCall(TProcess& p);
    static void Arithmetic(TProcess& p, TOpcode op);
    static void Comparison(TProcess& p, TOpcode op);
    static void Assignment(TProcess& p, TOpcode op);          // Subst, AddSubst, SubSubst
    static void InitForIn(TProcess& p);
    static void DoForIn(TProcess& p);
    // A float operation gave a result that is not finite: raises the fault it means when
    // both operands were finite (division by zero, overflow, invalid operation); returns
    // when an operand already was infinite or not a number.
    static void FloatFault(double left, double right, double result, TOpcode op);
    [[noreturn]] static void IntegerDivideByZero();
    // Function entry: the frame for f below SP, receiver slot recv with n arguments,
    // returning to returnPc. Raises for a native function and on stack overflow.
    static void Enter(TProcess& p, TFunction* f, std::uint32_t n, TValue* recv, std::uint32_t* returnPc);
    // A call that ran no byte code: releases the n arguments below slot (SP kept above
    // each one while it is released, for the destructor that may run), leaves SP on slot,
    // whose value is the call's result, and moves on to next.
    static void FinishCall(TProcess& p, TValue* slot, std::uint32_t n, std::uint32_t* next);
};

}  // namespace varno

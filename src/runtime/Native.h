// The native routine contract: how Op_NativeCall calls a host routine bound to a script method.
#pragma once

#include <cstdint>

#include "runtime/Value.h"

namespace varno {

// Routine(slot, n, 0): slot is the receiver slot, which is also the result slot; the
// n arguments lie below it, argument i (1 <= i <= n) at slot - 8*i bytes; the third value
// is always 0. The result is what the routine leaves in the slot (the receiver when it
// stores nothing); it stores only through the setters, never releases the arguments
// (the interpreter does), and may raise ERuntimeError to end the calling process's run.
using TNativeRoutine = void (*)(TValue* slot, std::int32_t argCount, std::int32_t zero);

// The address of argument i (1-based) of a native call.
inline TValue* NativeArg(TValue* slot, std::int32_t i) { return slot - i; }

}  // namespace varno

// TFrame: the record a call writes on a process stack, and the stack's address arithmetic.
#pragma once

#include <cstdint>

#include "runtime/Value.h"

namespace varno {

// A frame as it lies on the stack from its base BP upward. Local k is the slot at
// BP - 8k, so local 0 is the record's first slot and further locals lie below the base.
// Every address in the record is a 32-bit heap reference; 0 means none.
struct TFrame {
    TValue local0;
    TRef function;       // the TFunction being run; 0 for a process running class code
    TRef returnAddress;  // the instruction after the call; 0 in the bottom frame
    std::int32_t argCount;
    TRef receiverSlot;   // the slot that holds the receiver (later the returned value)
    TRef callerBase;     // the caller's frame base; 0 in the bottom frame
    std::int32_t position[3];  // position registers at the time of the call

    TValue* locals() { return &local0; }
    TValue& local(std::int32_t k) { return (&local0)[-k]; }
    TValue* receiver() const { return FromRef<TValue>(receiverSlot); }
    // Argument i (0-based) lies just below the receiver slot.
    TValue& argument(std::int32_t i) const { return receiver()[-1 - i]; }
    TFrame* caller() const { return callerBase != 0 ? FromRef<TFrame>(callerBase) : nullptr; }
};
static_assert(sizeof(TFrame) == 40, "a frame record is 40 bytes: local 0 and eight words");

// Bytes a bottom frame takes besides its arguments and locals: the receiver slot and the
// record (the record's local-0 slot counts as the first local).
constexpr std::int32_t kBottomFrameBytes = 48;

// A call must leave at least this many bytes between its new stack top and the stack's
// start, or it raises "Stack Overflow.".
constexpr std::int32_t kStackReserve = 100;

}  // namespace varno

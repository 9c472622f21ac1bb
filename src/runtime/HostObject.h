// The base of every host object that scripts can hold as a native reference.
#pragma once

#include <cassert>
#include <cstddef>

#include "runtime/ScriptHeap.h"

namespace varno {

// Host objects live in the script heap, so that a 32-bit native reference (a tvNative
// payload, a code operand) can name them. Their operator new allocates there: `new TX`
// and `delete p` do the right thing, and so does std::unique_ptr. THostObject must be
// the first base of every kind (single inheritance), so that the object's address is
// the block's address.
class THostObject {
public:
    // Host objects are made with new (or HeapNew), never on the stack or inside another object.
    THostObject() { assert(HeapContains(this) && "host objects live in the script heap"); }
    THostObject(const THostObject&) = delete;
    THostObject& operator=(const THostObject&) = delete;
    virtual ~THostObject() = default;

    // The host class name shown for a native reference ("TfString", "TRTTI" ...).
    virtual const char* hostClassName() const { return "THostObject"; }

    // This object's reference in the script heap.
    TRef ref() const { return RefOf(this); }

    static void* operator new(std::size_t size) { return HeapAlloc(size, THeapKind::Host); }
    static void operator delete(void* p) noexcept { HeapFree(p); }
};

// The host object that ref designates, if it is a live host object of kind T; otherwise
// null. Safe for any 32-bit value, so natives may pass script-supplied numbers.
template <class T = THostObject>
T* HostFromRef(TRef ref) noexcept {
    if (!IsHeapBlock(ref, THeapKind::Host)) return nullptr;
    return dynamic_cast<T*>(FromRef<THostObject>(ref));
}

}  // namespace varno

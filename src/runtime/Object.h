// TfObject: a script object, one block of a class's pool, and the pool operations.
#pragma once

#include <cstdint>

#include "runtime/Value.h"

namespace varno {

// Layout: count, mark, class, then one TValue per member variable. The fourth header
// word is the block's position in its class's pool (it keeps the search for a free
// block cheap) and pads the members to 8 bytes.
struct TfObject {
    std::int32_t refCount;   // -1 free (in the pool), 0 constructed but unreferenced, > 0 referenced
    std::int32_t mark;       // collector's mark count; 0 outside a collection
    TRef cls;                // the object's TRTTI
    std::uint32_t poolIndex;

    TValue* members() { return reinterpret_cast<TValue*>(this + 1); }
    const TValue* members() const { return reinterpret_cast<const TValue*>(this + 1); }
    TValue& member(int i) { return members()[i]; }
    TRTTI* rtti() const { return FromRef<TRTTI>(cls); }
    // The identity shown to scripts: the block's reference, a positive 32-bit number.
    TRef id() const { return RefOf(this); }
};
static_assert(sizeof(TfObject) == 16);

inline TfObject* AsObject(const TValue& v) { return FromRef<TfObject>(v.payload); }

// The constructed object (count >= 0) whose identity is id, or null for any other number.
TfObject* ObjectFromID(std::int64_t id) noexcept;

// Takes a block from the class's pool (or a new one) and constructs it: count 0, every
// member tvUnset naming its member. A block found with count 0 is destroyed first, which
// may run its destructor. Throws when the class is not compiled.
TfObject* NewInstance(TRTTI& cls);

// Runs the class's destructor (when it has one and an interpreter is installed), releases
// the members (a failing release is logged and ends the releasing), and returns the block
// to its pool (count -1).
void DestroyObject(TfObject* o);

// Keeps the class's free-block hint right when a block's count drops to 0 or below.
void NoteUnreferenced(TfObject* o) noexcept;

// Process-wide counters for the statistics line.
struct TRuntimeCounters {
    std::int64_t liveObjects = 0;    // constructed pool blocks
    std::int64_t liveStrings = 0;    // TfString bodies ("tfstr")
    std::int64_t liveFunctions = 0;  // TFunction objects ("func")
};
TRuntimeCounters& RuntimeCounters();

}  // namespace varno

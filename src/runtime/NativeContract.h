// The native contract: how a host routine bound to a script method reads its arguments and
// receiver, leaves its result, and reaches the process that called it.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/HostObject.h"
#include "runtime/Native.h"
#include "runtime/Object.h"
#include "runtime/Value.h"

namespace varno {

class TProcess;

// A view of one call of a routine (TNativeRoutine: slot, argument count, 0). Argument i
// (1-based) is the value 8*i bytes below the slot; the slot holds the receiver and, when
// the routine returns, the result. A routine never releases its arguments (the
// interpreter does); it stores its result only through the setters, which release what
// the slot held. A routine that stores nothing returns the receiver. It may raise
// ERuntimeError, which ends the calling process's run.
class TNativeCall {
public:
    TNativeCall(TValue* slot, std::int32_t argCount) : m_slot(slot), m_count(argCount) {}

    std::int32_t count() const { return m_count; }
    // True when at least n arguments were passed (a routine that needs more does nothing).
    bool has(std::int32_t n) const { return m_count >= n; }
    // Argument i, 1 <= i <= count().
    TValue& arg(std::int32_t i) const { return *NativeArg(m_slot, i); }
    TValue& receiver() const { return *m_slot; }
    // The receiver if it is an object, else null.
    TfObject* receiverObject() const { return m_slot->tag == tvObject ? AsObject(*m_slot) : nullptr; }

    void setNull() const;
    void setInt(std::int32_t i) const;
    void setFloat(float f) const;
    void setError(std::int32_t n) const;
    void setObject(TfObject* o) const;
    void setNative(const THostObject* host) const;
    // A new string object holding text (count 1).
    void setString(std::string_view text) const;
    void assign(const TValue& v) const;
    // assign, or null when v is null.
    void assignOrNull(const TValue* v) const;

    // The process whose instruction called the routine (CurrentProcess). Raises when no
    // process is running.
    static TProcess& process();
    // Suspends the calling process: its run returns right after the call instruction,
    // and its next run goes on with the instruction after it.
    static void suspend();

private:
    TValue* m_slot;
    std::int32_t m_count;
};

// The object in v, or null when v is not tvObject.
inline TfObject* ObjectOf(const TValue& v) { return v.tag == tvObject ? AsObject(v) : nullptr; }

// The host object of kind T that v refers to, or null when v is not tvNative or refers to
// anything else (checked, so a script-made number is never taken for a host object).
template <class T = THostObject>
T* NativeOf(const TValue& v) {
    return v.tag == tvNative ? HostFromRef<T>(v.payload) : nullptr;
}

// Assign, but an absent src makes dst null.
void AssignOrNull(TValue& dst, const TValue* src);

// A new string object holding text, assigned into v (count 1).
void SetString(TValue& v, std::string_view text);

// For a name beginning with "$": the value cell of that global variable, made when absent
// (through the resource tree's root); null for any other name or without a tree.
TValue* GlobalCell(std::string_view name);

// Assign into GlobalCell(name) when there is one.
void SetGlobal(std::string_view name, const TValue& v);

}  // namespace varno

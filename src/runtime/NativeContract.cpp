// The native contract's result setters and support operations.
#include "runtime/NativeContract.h"

#include "runtime/Messages.h"
#include "runtime/Process.h"
#include "runtime/Resource.h"
#include "runtime/RuntimeError.h"
#include "runtime/String.h"
#include "runtime/ValueOps.h"

namespace varno {

void TNativeCall::setNull() const { SetNull(*m_slot); }
void TNativeCall::setInt(std::int32_t i) const { SetInt(*m_slot, i); }
void TNativeCall::setFloat(float f) const { SetFloat(*m_slot, f); }
void TNativeCall::setError(std::int32_t n) const { SetError(*m_slot, n); }
void TNativeCall::setObject(TfObject* o) const { SetObject(*m_slot, o); }
void TNativeCall::setNative(const THostObject* host) const {
    SetNative(*m_slot, host != nullptr ? host->ref() : kNullRef);
}
void TNativeCall::setString(std::string_view text) const { SetString(*m_slot, text); }
void TNativeCall::assign(const TValue& v) const { Assign(*m_slot, v); }
void TNativeCall::assignOrNull(const TValue* v) const { AssignOrNull(*m_slot, v); }

TProcess& TNativeCall::process() {
    TProcess* current = CurrentProcess();
    if (current == nullptr) throw ERuntimeError(GetMsg("No process is running."));
    return *current;
}

void TNativeCall::suspend() { process().Suspend(); }

void AssignOrNull(TValue& dst, const TValue* src) {
    if (src != nullptr) Assign(dst, *src);
    else SetNull(dst);
}

void SetString(TValue& v, std::string_view text) {
    TValue s;
    MakeStringValue(text, s);
    Assign(v, s);
}

TValue* GlobalCell(std::string_view name) {
    if (name.empty() || name.front() != '$') return nullptr;
    TResource* global = FindResource(name);
    return global != nullptr ? global->ValueCell() : nullptr;
}

void SetGlobal(std::string_view name, const TValue& v) {
    if (TValue* cell = GlobalCell(name)) Assign(*cell, v);
}

}  // namespace varno

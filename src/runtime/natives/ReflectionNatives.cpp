// Natives of classes.lang.Object about objects themselves: classes, identities, counts, members by number.
#include <cstdint>
#include <string>

#include "runtime/Messages.h"
#include "runtime/Object.h"
#include "runtime/ProcessGlobals.h"
#include "runtime/RTTI.h"
#include "runtime/Resource.h"
#include "runtime/RuntimeError.h"
#include "runtime/Symbols.h"
#include "runtime/natives/CoreNativeHooks.h"
#include "runtime/natives/NativeSupport.h"
#include "runtime/natives/ObjectParts.h"

namespace varno {
namespace {

// The number of member cells the object's block holds.
std::int32_t MemberCount(const TfObject& o) {
    const TRTTI& cls = *o.rtti();
    if (cls.InstanceSize() < 0) return cls.Members().count();
    return static_cast<std::int32_t>((static_cast<std::size_t>(cls.InstanceSize()) - sizeof(TfObject)) / sizeof(TValue));
}

// ToInt(v) when it numbers a member of o; otherwise a run-time error naming the index.
std::int32_t MemberIndexArg(const TfObject& o, const TValue& v) {
    const std::int32_t i = ToInt(v);
    if (i < 0 || i >= MemberCount(o) || i >= o.rtti()->Members().count()) {
        throw ERuntimeError(GetMsg("Member index out of range") + " (" + std::to_string(i) + ")");
    }
    return i;
}

void NativeGetClassName(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (const TfObject* self = call.receiverObject()) call.setString(self->rtti()->Name());
}

void NativeGetParentClassName(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    const TfObject* self = call.receiverObject();
    if (self == nullptr) return;
    const TRTTI* super = self->rtti()->SuperClass();
    call.setString(super != nullptr ? super->Name() : std::string());
}

// _newInstance(name): an instance of the named class with no constructor run, or 0.
void NativeNewInstance(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    TRTTI* cls = FindClass(ToText(call.arg(1)));
    if (cls == nullptr) {
        call.setInt(0);
        return;
    }
    TfObject* o = nullptr;
    {
        // Reusing a pooled block may run a destructor, which must not eat the debugger's budget.
        TKeepStepBudget keep;
        o = NewInstance(*cls);
    }
    call.setObject(o);
}

void NativeClearAllValues(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    TfObject* self = call.receiverObject();
    if (self == nullptr) return;
    const std::int32_t count = MemberCount(*self);
    for (std::int32_t i = 0; i < count; ++i) SetInt(self->member(i), 0);
}

// TObject(x): a host reference whose payload is the number x (identities read back).
void NativeTObject(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    SetNative(call.receiver(), static_cast<TRef>(ToInt(call.arg(1))));
}

void NativeIs(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    const TfObject* self = call.receiverObject();
    const TRTTI* cls = NativeOf<TRTTI>(call.arg(1));
    call.setInt(self != nullptr && cls != nullptr && self->rtti()->IsA(cls) ? 1 : 0);
}

void NativeGcMark(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    if (ICollector* collector = CoreNativeHooks().collector) collector->markValue(call.arg(1));
}

// _n_refcount(v): the reference count of the object in v (the argument itself is one of
// its holders), 0 for anything else.
void NativeRefCount(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    const TfObject* o = ObjectOf(call.arg(1));
    call.setInt(o != nullptr ? o->refCount : 0);
}

void NativeObjHandle(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    const TfObject* o = ObjectOf(call.arg(1));
    call.setInt(o != nullptr ? static_cast<std::int32_t>(o->id()) : 0);
}

void NativeGetValueByIndex(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    TfObject* self = call.receiverObject();
    if (!call.has(1) || self == nullptr) return;
    call.assign(self->member(MemberIndexArg(*self, call.arg(1))));
}

void NativeSetValueByIndex(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    TfObject* self = call.receiverObject();
    if (!call.has(2) || self == nullptr) return;
    Assign(self->member(MemberIndexArg(*self, call.arg(1))), call.arg(2));
}

void NativeGetValueCount(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (const TfObject* self = call.receiverObject()) call.setInt(self->rtti()->Members().count());
}

void NativeGetValueName(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    const TfObject* self = call.receiverObject();
    if (!call.has(1) || self == nullptr) return;
    call.setString(self->rtti()->Members().nameAt(MemberIndexArg(*self, call.arg(1))));
}

void NativeGetValueIndex(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    const TfObject* self = call.receiverObject();
    if (!call.has(1) || self == nullptr) return;
    const std::int32_t symbol = FindSymbol(ToText(call.arg(1)));
    call.setInt(symbol >= 0 ? self->rtti()->Members().indexOf(symbol) : -1);
}

void NativeIsInt(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (call.has(1)) call.setInt(call.arg(1).tag == tvInt ? 1 : 0);
}

void NativeIsFloat(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (call.has(1)) call.setInt(call.arg(1).tag == tvFloat ? 1 : 0);
}

}  // namespace

TNativeList ReflectionNatives() {
    return {{"_getClassName", NativeGetClassName},
            {"_getParentClassName", NativeGetParentClassName},
            {"_newInstance", NativeNewInstance},
            {"_n_clearAllValues", NativeClearAllValues},
            {"TObject", NativeTObject},
            {"native_is", NativeIs},
            {"native_gc_mark", NativeGcMark},
            {"_n_refcount", NativeRefCount},
            {"_n_objhandle", NativeObjHandle},
            {"_n_getValueByIndex", NativeGetValueByIndex},
            {"_n_setValueByIndex", NativeSetValueByIndex},
            {"_n_getValueCount", NativeGetValueCount},
            {"_n_getValueName", NativeGetValueName},
            {"_n_getValueIndex", NativeGetValueIndex},
            {"isInt", NativeIsInt},
            {"isFloat", NativeIsFloat}};
}

}  // namespace varno

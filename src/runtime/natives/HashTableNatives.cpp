// Natives of AbstractHashTable, HashTable and LightHashTable: the host table is their first argument.
#include <cstdint>

#include "runtime/natives/CoreNatives.h"
#include "runtime/natives/Hashtable.h"
#include "runtime/natives/NativeSupport.h"

namespace varno {
namespace {

// The table a native was handed; null for anything else (a destroyed table), which the
// natives treat as an empty table that cannot take entries.
TAbstractHashtable* TableArg(const TValue& v) { return NativeOf<TAbstractHashtable>(v); }

void NativeInitHash(TValue* slot, std::int32_t n, std::int32_t) { TNativeCall(slot, n).setNative(new THashtable()); }

void NativeInitLight(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall(slot, n).setNative(new TLightHashtable());
}

void NativeGet(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(2)) return;
    TAbstractHashtable* table = TableArg(call.arg(1));
    call.assignOrNull(table != nullptr ? table->get(call.arg(2)) : nullptr);
}

void NativePut(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(3)) return;
    if (TAbstractHashtable* table = TableArg(call.arg(1))) table->put(call.arg(2), call.arg(3));
}

void NativeRemove(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(2)) return;
    TAbstractHashtable* table = TableArg(call.arg(1));
    TValue value;
    if (table == nullptr || !table->remove(call.arg(2), value)) {
        call.setNull();
        return;
    }
    call.assign(value);
    Release(value);
}

void NativeSize(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    const TAbstractHashtable* table = TableArg(call.arg(1));
    call.setInt(table != nullptr ? table->size() : 0);
}

void NativeStartFind(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    if (TAbstractHashtable* table = TableArg(call.arg(1))) table->startFind();
}

void NativeHasNext(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    const TAbstractHashtable* table = TableArg(call.arg(1));
    call.setInt(table != nullptr && table->hasNext() ? 1 : 0);
}

void NativeNextKey(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    TAbstractHashtable* table = TableArg(call.arg(1));
    const TAbstractHashtable::TEntry* entry = table != nullptr ? table->designated() : nullptr;
    call.assignOrNull(entry != nullptr ? &entry->key : nullptr);
    if (table != nullptr) table->advance();
}

void NativeDestroy(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (call.has(1)) delete TableArg(call.arg(1));
}

}  // namespace

TNativeList AbstractHashTableNatives() {
    return {{"_n_get", NativeGet},         {"_n_put", NativePut},         {"_n_remove", NativeRemove},
            {"_n_size", NativeSize},       {"_n_startFind", NativeStartFind}, {"_n_hasNext", NativeHasNext},
            {"_n_nextKey", NativeNextKey}, {"_n_destroy", NativeDestroy}};
}

TNativeList LightHashTableNatives() { return {{"_n_init", NativeInitLight}}; }

TNativeList HashTableNatives() { return {{"_n_init", NativeInitHash}}; }

}  // namespace varno

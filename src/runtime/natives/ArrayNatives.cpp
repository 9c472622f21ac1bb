// Natives of classes.lang.Array: the element list behind every array.
#include <cstdint>
#include <cstdio>
#include <string>

#include "base/Text.h"
#include "runtime/ElementList.h"
#include "runtime/Messages.h"
#include "runtime/RuntimeError.h"
#include "runtime/natives/CoreNatives.h"
#include "runtime/natives/NativeSupport.h"

namespace varno {
namespace {

// The list's range error, with the index that was asked for.
[[noreturn]] void ThrowListIndex(std::int32_t index) {
    static const std::string text = Utf8ToSjis("リストのインデックスが範囲を超えています");
    throw ERuntimeError(text + " (" + std::to_string(index) + ")");
}

// The list a native was handed. A value that holds no list (a script that overwrote the
// array's "_x") is an error with a clear text rather than a stray pointer.
TElementList& ListArg(const TValue& v) {
    TElementList* list = NativeOf<TElementList>(v);
    if (list == nullptr) throw ERuntimeError(GetMsg("Array has no element list: ") + ToText(v));
    return *list;
}

// ToInt(v) when it designates an element of list (with == 0 for positions 0 .. count,
// == 1 for 0 .. count - 1); otherwise the range error.
std::int32_t IndexArg(const TElementList& list, const TValue& v, std::int32_t extra = 0) {
    const std::int32_t i = ToInt(v);
    if (i < 0 || i >= list.count() + extra) ThrowListIndex(i);
    return i;
}

// The value taken out of a list goes to the result slot, then the list's count on it
// is given up (in that order, so the value is never without a holder in between).
void ResultOfTaken(TNativeCall& call, const TValue& taken) {
    call.assign(taken);
    Release(taken);
}

void NativeInit(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall(slot, n).setNative(new TElementList());
}

void NativeAdd(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(2)) return;
    ListArg(call.arg(1)).add(call.arg(2));
}

void NativeInsert(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(3)) return;
    TElementList& list = ListArg(call.arg(1));
    list.insert(IndexArg(list, call.arg(2), 1), call.arg(3));
}

void NativeGet(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(2)) return;
    TElementList& list = ListArg(call.arg(1));
    call.assign(list.at(IndexArg(list, call.arg(2))));
}

void NativeSet(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(3)) return;
    TElementList& list = ListArg(call.arg(1));
    Assign(list.at(IndexArg(list, call.arg(2))), call.arg(3));
}

void NativeSize(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    call.setFloat(static_cast<float>(ListArg(call.arg(1)).count()));
}

void NativeFree(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(1)) return;
    // A list freed already (or never made) is left alone.
    delete NativeOf<TElementList>(call.arg(1));
}

void NativeDelete(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(2)) return;
    TElementList& list = ListArg(call.arg(1));
    ResultOfTaken(call, list.take(IndexArg(list, call.arg(2))));
}

void NativeIndexOf(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(2)) return;
    const TElementList& list = ListArg(call.arg(1));
    const TValue& wanted = call.arg(2);
    for (std::int32_t i = 0; i < list.count(); ++i) {
        if (CompareEqual(list.at(i), wanted)) {
            call.setInt(i);
            return;
        }
    }
    call.setInt(-1);
}

void NativeLightIndexOf(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(2)) return;
    const TElementList& list = ListArg(call.arg(1));
    const TValue wanted = call.arg(2);
    for (std::int32_t i = 0; i < list.count(); ++i) {
        const TValue& e = list.at(i);
        if (e.tag == wanted.tag && e.payload == wanted.payload) {
            call.setInt(i);
            return;
        }
    }
    call.setInt(-1);
}

// Removes, from the last element to the first, every element whose integer value is 0
// (0, 0.5, null, host references); objects (1) and other numbers stay.
void NativePack(TValue* slot, std::int32_t n, std::int32_t) {
    TNativeCall call(slot, n);
    if (!call.has(2)) return;
    TElementList& list = ListArg(call.arg(1));
    for (std::int32_t i = list.count() - 1; i >= 0; --i) {
        if (ToInt(list.at(i)) == 0) Release(list.take(i));
    }
}

}  // namespace

TNativeList ArrayNatives() {
    return {{"native_add", NativeAdd},
            {"_n_insert", NativeInsert},
            {"native_init", NativeInit},
            {"native_get", NativeGet},
            {"native_set", NativeSet},
            {"native_size", NativeSize},
            {"native_free", NativeFree},
            {"native_delete", NativeDelete},
            {"native_indexof", NativeIndexOf},
            {"native_lightindexof", NativeLightIndexOf},
            {"_n_pack", NativePack}};
}

}  // namespace varno

// The natives through which scripts reach resource nodes and markup elements.
#pragma once

#include <cstdint>

#include "runtime/Native.h"

namespace varno {

// Each follows the native routine contract (runtime/Native.h). A routine that needs more
// arguments than were passed does nothing, leaving the receiver as the result.

// classes.lang.Object
void NativeGetResource(TValue* slot, std::int32_t argCount, std::int32_t);   // _n_getResource(name)
void NativeInitResource(TValue* slot, std::int32_t argCount, std::int32_t);  // _n_initResource(name)

// BuiltInResource
void NativeGetSubRes(TValue* slot, std::int32_t argCount, std::int32_t);     // _n_getSubRes(node)
void NativeGetCustomRes(TValue* slot, std::int32_t argCount, std::int32_t);  // _n_getCustomRes(node)
void NativeNothing(TValue* slot, std::int32_t argCount, std::int32_t);       // _n_addSubRes, _n_delSubRes, _n_onInit, _n_save

// classes.customres.CustomResource
void NativeCustomGetName(TValue* slot, std::int32_t argCount, std::int32_t);      // _n_getName(node)
void NativeCustomGetURL(TValue* slot, std::int32_t argCount, std::int32_t);       // _n_getURL(node)
void NativeCustomGetFullPath(TValue* slot, std::int32_t argCount, std::int32_t);  // _n_getFullPath(node)

// classes.lang.CMML
void NativeCMMLGetTagName(TValue* slot, std::int32_t argCount, std::int32_t);  // _n_getTagName(element)
void NativeCMMLGetAttr(TValue* slot, std::int32_t argCount, std::int32_t);     // _n_getAttr(element, name)
void NativeCMMLSetAttr(TValue* slot, std::int32_t argCount, std::int32_t);     // _n_setAttr(element, name, value)
void NativeCMMLSetTagName(TValue* slot, std::int32_t argCount, std::int32_t);  // _n_setTagName(element, name)
void NativeCMMLAddSubItem(TValue* slot, std::int32_t argCount, std::int32_t);  // _n_addSubItem(element, text)
void NativeCMMLGetSubItems(TValue* slot, std::int32_t argCount, std::int32_t); // _n_getSubItems(element)

}  // namespace varno

// The support operations every native library uses: arguments, kinds, host objects, texts, globals.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "runtime/Eval.h"
#include "runtime/Native.h"
#include "runtime/NativeContract.h"
#include "runtime/ValueOps.h"

// The complete set, with where each one lives:
//   Arg, KindOf, TextInto                                     here
//   ObjectOf, NativeOf, AssignOrNull, SetString, GlobalCell,
//   SetGlobal, TNativeCall                                    runtime/NativeContract.h
//   ToInt, ToFloat, IsTrue, ToText, ToLiteral, Assign, SetInt,
//   SetFloat, SetObject, SetNative, SetNull, AddRef, Release   runtime/ValueOps.h
//   EvalValue                                                 runtime/Eval.h

namespace varno {

// The address of argument i (1 <= i <= n) of a native call on slot.
inline TValue* Arg(TValue* slot, std::int32_t i) { return NativeArg(slot, i); }

// The tag of v.
inline TVType KindOf(const TValue& v) { return v.tag; }

// Writes ToText(v) and a 0 byte into buffer and returns the number of text bytes written.
// A text longer than the buffer holds is cut to fit (the 0 byte always fits when the buffer
// has room for anything); an empty buffer receives nothing and gives 0.
std::size_t TextInto(const TValue& v, std::span<char> buffer);

// Compare(left, right) == 0 (the left operand's kind decides), without copying the texts
// when both are strings: the searches of arrays and hash tables compare many strings.
bool CompareEqual(const TValue& left, const TValue& right);

}  // namespace varno
